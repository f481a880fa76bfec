// `sulkor inspect` and the kind of work found from the drawing: the four kinds, each drawn both
// ways round, inspected and then cut without --type and --direction, by `sulkor groove` and by a
// job's operation; drawings that cannot be used say why.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <utility>
#include <vector>

#include "testing/process.h"

namespace sulkor::cli {
namespace {

using ::testing::HasSubstr;
using testing::ProgramResult;
using testing::RunSulkor;
using Points = std::vector<std::pair<double, double>>;

std::string Polyline(const std::string& layer, const Points& points, bool closed) {
  std::string text = "0\nLWPOLYLINE\n8\n" + layer + "\n90\n" + std::to_string(points.size()) + "\n70\n" + (closed ? "1\n" : "0\n");
  for (const auto& [x, y] : points) text += "10\n" + std::to_string(x) + "\n20\n" + std::to_string(y) + "\n";
  return text;
}

TEST(DrawingLayoutCommand, KindOfWorkComesFromTheDrawingWhicheverWayItIsDrawn) {
  testing::ScratchDir dir("inspect_kind");
  const Points bar = {{0, 0}, {80, 0}, {80, 25}, {0, 25}}, tube = {{0, 10}, {60, 10}, {60, 30}, {0, 30}},
               disc = {{0, 0}, {50, 0}, {50, 40}, {0, 40}}, outside = {{30, 28}, {30, 21}, {40, 21}, {40, 28}};
  // A centre line, a dimension line and a text beside the outside groove.
  const std::string annotations = "0\nLINE\n8\nCenter\n10\n-5\n20\n0\n11\n85\n21\n0\n0\nLINE\n8\nDims\n10\n30\n20\n35\n11\n40\n"
                                   "21\n35\n0\nTEXT\n8\nDims\n10\n30\n20\n36\n40\n2.5\n1\n10\n";
  const struct {
    std::string name;
    Points blank, work;
    std::string kind, options, extra;  // the kind as inspect and the groove command print it
  } cases[] = {
      {"outside", bar, outside, "outside diameter", "--type Turn --direction External", ""},
      {"bore", tube, {{25, 7}, {25, 14}, {33, 14}, {33, 7}}, "bore", "--type Turn --direction Internal", ""},
      {"front", disc, {{53, 20}, {46, 20}, {46, 26}, {53, 26}}, "front face", "--type Face --direction Internal", ""},
      {"back", disc, {{-3, 20}, {4, 20}, {4, 26}, {-3, 26}}, "back face", "--type Face --direction External", ""},
      {"annotated", bar, outside, "outside diameter", "--type Turn --direction External", annotations},
  };
  for (const auto& c : cases) {
    for (const bool reversed : {false, true}) {
      SCOPED_TRACE(c.name + (reversed ? " reversed" : ""));
      Points work = c.work;
      if (reversed) std::reverse(work.begin(), work.end());
      const std::string file = c.name + (reversed ? "_r" : "") + ".dxf";
      std::ofstream(dir / file) << "999\nwritten by hand\n0\nSECTION\n2\nHEADER\n9\n$INSUNITS\n70\n4\n0\nENDSEC\n0\nSECTION\n2\n"
                                   "ENTITIES\n" + Polyline("Blank", c.blank, true) + Polyline("WorkContour", work, false) +
                                       c.extra + "0\nENDSEC\n0\nEOF\n";
      const ProgramResult layout = RunSulkor(dir.Path(), {"inspect", file});
      EXPECT_EQ(layout.status, 0) << layout.out;
      EXPECT_THAT(layout.out, HasSubstr("kind of work: " + c.kind + " (" + c.options + ")\n"));
      EXPECT_THAT(layout.out, HasSubstr("part blank\n"));
      EXPECT_THAT(layout.out, HasSubstr("work contour\n"));
      const ProgramResult run = RunSulkor(dir.Path(), {"groove", file, "-o", "out.dxf", "--tool-width", "2"});
      EXPECT_THAT(run.out, ::testing::StartsWith("groove: " + c.kind + "\n")) << run.err;
      if (!reversed) continue;
      // A job's operation finds its kind of work the same way.
      ASSERT_EQ(RunSulkor(dir.Path(), {"job", "new", "j.sulkor", file, "--force"}).status, 0);
      ASSERT_EQ(RunSulkor(dir.Path(), {"job", "tool", "j.sulkor", "--tool-width", "2"}).status, 0);
      const ProgramResult add = RunSulkor(dir.Path(), {"job", "add", "j.sulkor"});
      EXPECT_THAT(add.out, HasSubstr("\ngroove: " + c.kind + "\n")) << add.err;
    }
  }
  const ProgramResult annotated = RunSulkor(dir.Path(), {"inspect", "annotated.dxf"});
  EXPECT_THAT(annotated.out, HasSubstr("\"Center\"             open     1 piece   x -5 .. 85  y 0 .. 0  left out\n"
                                       "  \"Dims\"               open     1 piece   x 30 .. 40  y 35 .. 35  left out\n"));
  EXPECT_THAT(annotated.out, HasSubstr("note: layer \"Center\": 1 open chain left out (not the part blank)\n"));

  std::ofstream(dir / "open.dxf") << "0\nSECTION\n2\nENTITIES\n" + Polyline("Blank", {{0, 0}, {10, 0}, {10, 5}}, false) +
                                         "0\nENDSEC\n0\nEOF\n";
  std::ofstream(dir / "picture.dxf") << std::string("\x89PNG\r\n\x1a\n\0\0", 10);
  const ProgramResult open = RunSulkor(dir.Path(), {"inspect", "open.dxf"});
  EXPECT_EQ(open.status, 2);
  EXPECT_THAT(open.out, HasSubstr("units: millimetre (the file gives no $INSUNITS)\n"));
  EXPECT_THAT(open.out, HasSubstr("cannot be grooved: no entities on layer \"WorkContour\"\n"));
  const ProgramResult picture = RunSulkor(dir.Path(), {"inspect", "picture.dxf"});
  EXPECT_EQ(picture.status, 2);
  EXPECT_EQ(picture.err, "sulkor: picture.dxf: is a PNG image, not a DXF drawing\n");
}

}  // namespace
}  // namespace sulkor::cli
