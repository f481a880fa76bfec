// Files written the way CAD programs write them (testdata/make_cad_files.py, with ezdxf): every
// one that can be read reads to the same part; the others fail with one clear message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "host/dxf/dxf_error.h"
#include "host/dxf/dxf_file.h"
#include "host/memory/memory_drawing.h"
#include "kernel/contour_services.h"
#include "testing/process.h"

namespace sulkor::host {
namespace {

// Box and length of a graphic, arcs' mid points counted for the box: "x0 y0 x1 y1 length".
std::string Extent(const Handle<Graphic>& g) {
  Contour c;
  ConvertGraphicToContour(g, c);
  double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300}, length = 0.0;
  for (const Segment& s : c.Segs) {
    for (const Point3& p : {s.StartPt, s.EndPt, s.IsArc() ? s.MidPt : s.StartPt}) {
      lo[0] = std::min(lo[0], p.x), lo[1] = std::min(lo[1], p.y), hi[0] = std::max(hi[0], p.x), hi[1] = std::max(hi[1], p.y);
    }
    length += s.Length;
  }
  char text[120];
  std::snprintf(text, sizeof text, "%.6f %.6f %.6f %.6f %.6f", lo[0], lo[1], hi[0], hi[1], length);
  return text;
}

TEST(DxfCadFiles, EveryQuirkReadsToTheSamePartOrFailsClearly) {
  const testing::ScratchDir dir("cad_files");
  const testing::ProgramResult made = testing::Python(
      dir.Path(), {SULKOR_SOURCE_DIR "/host/dxf/testdata/make_cad_files.py", dir.Path().string()});
  ASSERT_EQ(made.status, 0) << made.err;
  // The part: a bar 80 x 25 and a groove 10 wide, 8 deep, bottom corners of radius 1.
  const std::string work = "30.000000 20.000000 40.000000 28.000000 " + std::to_string(22.0 + M_PI);
  const std::string blank = "0.000000 0.000000 80.000000 25.000000 210.000000";
  struct Case {
    std::string file, units, blankLayer, error;  // units after reading; error: the message
    size_t notes;
  };
  std::vector<Case> cases = {
      {"comment_999.dxf", "mm", "", "", 0},        {"autocad_thumbnail.dxf", "mm", "", "", 0},
      {"layers_upper_case.dxf", "mm", "", "", 0},  {"insert_transformed.dxf", "mm", "", "", 0},
      {"insert_nested.dxf", "mm", "", "", 0},      {"ocs_mirrored_arcs.dxf", "mm", "", "", 0},
      {"units_cm.dxf", "mm", "", "", 0},           {"units_m.dxf", "mm", "", "", 0},
      {"units_ft.dxf", "in", "", "", 0},           {"units_in.dxf", "in", "", "", 0},
      {"units_none.dxf", "?", "", "", 0},
      {"units_miles.dxf", "", "", "units_miles.dxf: $INSUNITS 3 (miles) is not read: save the drawing in mm, cm, m, in or ft", 0},
      // Centre line, sketch circle, hatch: left out with one note per layer; text and
      // dimensions are not read at all.
      {"with_annotations.dxf", "mm", "", "", 2},
      {"two_outlines.dxf", "", "", "two_outlines.dxf: 2 closed outlines could be the part blank (on \"Blank\", \"Fixture\"): "
                                   "name its layer with --blank-layer", 0},
      {"two_outlines.dxf", "mm", "blank", "", 1},
      {"two_outlines.dxf", "", "Stock", "two_outlines.dxf: no closed outline on layer \"Stock\" (--blank-layer)", 0},
      {"spline_work_contour.dxf", "", "", "spline_work_contour.dxf: line 2057: SPLINE (handle 30) on layer \"WorkContour\" "
                                          "is not read: draw the outline with lines, arcs and polylines", 0},
      {"ellipse_in_blank.dxf", "", "", "ellipse_in_blank.dxf: line 2101: ELLIPSE (handle 31) on layer \"Blank\" is not "
                                       "read: draw the outline with lines, arcs and polylines", 0},
  };
  for (const std::string version : {"R12", "R2000", "R2004", "R2007", "R2010", "R2013", "R2018"}) {
    for (const std::string binary : {"", "_binary"}) {  // R12 has no $INSUNITS
      cases.push_back({"ezdxf_" + version + binary + ".dxf", version == "R12" ? "?" : "mm", "", "", 0});
    }
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file + " " + c.blankLayer);
    auto app = MemoryApplication::Create({});
    std::shared_ptr<MemoryDrawing> drawing = app->Active();
    drawing->SetProperty("LinearUnitName", Variant("?"));
    try {
      EXPECT_EQ(ImportDxfFile((dir / c.file).string(), *drawing, {c.blankLayer}).size(), c.notes);
      EXPECT_EQ(c.error, "");
    } catch (const DxfError& e) {
      EXPECT_EQ(e.what(), c.error);
      EXPECT_EQ(drawing->TopGraphics()->Count(), 0);
      continue;
    }
    EXPECT_EQ(drawing->Property("LinearUnitName").ToText(), c.units);
    Handle<Graphics> top = drawing->TopGraphics();
    ASSERT_TRUE(top->ItemByName("WorkContour"));
    EXPECT_EQ(Extent(top->ItemByName("WorkContour")), work);
    std::vector<std::string> blanks;
    for (int32_t i = 0; i < top->Count(); ++i) {
      if (top->Item(i)->Closed()) blanks.push_back(Extent(top->Item(i)));
    }
    EXPECT_EQ(blanks, std::vector<std::string>{blank});
  }
}

}  // namespace
}  // namespace sulkor::host
