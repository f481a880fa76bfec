#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "contour/segment_build.h"
#include "host/dxf/dxf_chainer.h"
#include "host/dxf/dxf_error.h"
#include "host/dxf/dxf_file.h"
#include "kernel/contour_services.h"
#include "host/memory/memory_drawing.h"

namespace sulkor::host {
namespace {

// A DXF text of the given lines, one group code or value each.
std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return text;
}

// An R12 file (no header) whose ENTITIES section holds the given lines; entity lines start at
// line 5.
std::string Entities(const std::vector<std::string>& entities) {
  std::vector<std::string> all = {"0", "SECTION", "2", "ENTITIES"};
  all.insert(all.end(), entities.begin(), entities.end());
  all.insert(all.end(), {"0", "ENDSEC", "0", "EOF"});
  return Lines(all);
}

std::vector<std::string> Line(const std::string& layer, double x1, double y1, double x2,
                              double y2) {
  return {"0", "LINE", "8", layer, "10", std::to_string(x1), "20", std::to_string(y1),
          "11", std::to_string(x2), "21", std::to_string(y2)};
}

std::vector<std::string> Arc(const std::string& layer, double cx, double cy, double r, double a0,
                             double a1) {
  return {"0", "ARC", "8", layer, "10", std::to_string(cx), "20", std::to_string(cy),
          "40", std::to_string(r), "50", std::to_string(a0), "51", std::to_string(a1)};
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

struct Imported {
  std::shared_ptr<MemoryApplication> app = MemoryApplication::Create({});
  std::shared_ptr<MemoryDrawing> drawing = app->Active();
  Handle<Graphics> top = drawing->TopGraphics();
};

Contour ContourOf(const Handle<Graphic>& g) {
  Contour c;
  ConvertGraphicToContour(g, c);
  return c;
}

void ExpectSegment(const Segment& s, SegmentKind kind, double x1, double y1, double x2, double y2,
                   const std::string& what) {
  EXPECT_EQ(s.Kind, kind) << what;
  EXPECT_NEAR(s.StartPt.x, x1, 1e-9) << what;
  EXPECT_NEAR(s.StartPt.y, y1, 1e-9) << what;
  EXPECT_NEAR(s.EndPt.x, x2, 1e-9) << what;
  EXPECT_NEAR(s.EndPt.y, y2, 1e-9) << what;
}

const std::vector<std::string> kWork = Line("WorkContour", 0, 5, 20, 5);

TEST(DxfImport, R12PolylineWithBulgeAndHeaderUnits) {
  const std::string text = Lines(Join({
      {"0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", "AC1009", "9", "$INSUNITS", "70", "1",
       "0", "ENDSEC", "0", "SECTION", "2", "ENTITIES"},
      kWork,
      {"0", "POLYLINE", "8", "Stock", "66", "1", "70", "1",
       "0", "VERTEX", "8", "Stock", "10", "0", "20", "0",
       "0", "VERTEX", "8", "Stock", "10", "10", "20", "0", "42", "1",  // half turn ccw
       "0", "VERTEX", "8", "Stock", "10", "10", "20", "4",
       "0", "VERTEX", "8", "Stock", "10", "0", "20", "4",
       "0", "SEQEND", "0", "ENDSEC", "0", "EOF"},
  }));
  Imported d;
  ImportDxfText(text, "r12.dxf", *d.drawing);
  EXPECT_EQ(d.drawing->Property("LinearUnitName").ToText(), "in");
  Handle<Graphic> stock = d.top->ItemByName("Stock");
  ASSERT_TRUE(stock);
  EXPECT_TRUE(stock->Closed());
  EXPECT_EQ(stock->Layer(), "Stock");
  const Contour c = ContourOf(stock);
  ASSERT_EQ(c.Count(), 4);
  ExpectSegment(c.Seg(0), SegmentKind::Line, 0, 0, 10, 0, "bottom");
  ExpectSegment(c.Seg(1), SegmentKind::Arc, 10, 0, 10, 4, "bulge");
  EXPECT_EQ(c.Seg(1).Direction, 1);
  EXPECT_NEAR(c.Seg(1).Center.x, 10, 1e-12);
  EXPECT_NEAR(c.Seg(1).Center.y, 2, 1e-12);
  ExpectSegment(c.Seg(3), SegmentKind::Line, 0, 4, 0, 0, "closing line");
}

TEST(DxfImport, LwpolylineBulgesBecomeArcsOfBothDirections) {
  struct Case {
    double bulge;
    int16_t direction;
    double cx, cy, radius;
  } cases[] = {
      {1.0, 1, 5, 0, 5},                     // half turn counterclockwise
      {-1.0, -1, 5, 0, 5},                   // half turn clockwise
      // Less than half a turn has its centre on the side it turns to, more on the other side.
      {std::tan(M_PI / 8), 1, 5, 5, 5 * std::sqrt(2.0)},      // quarter turn ccw
      {-std::tan(M_PI / 8), -1, 5, -5, 5 * std::sqrt(2.0)},   // quarter turn cw
      {std::tan(3 * M_PI / 8), 1, 5, -5, 5 * std::sqrt(2.0)}, // three quarters ccw
  };
  for (const Case& c : cases) {
    char bulge[64];
    std::snprintf(bulge, sizeof bulge, "%.17g", c.bulge);
    const std::string text = Entities(Join(
        {kWork, {"0", "LWPOLYLINE", "8", "DATA", "90", "2", "70", "0", "10", "0", "20", "0",
                 "42", bulge, "10", "10", "20", "0"}}));
    Imported d;
    ImportDxfText(text, "lw.dxf", *d.drawing);
    Handle<Graphic> data = d.top->ItemByName("DATA");
    ASSERT_TRUE(data) << c.bulge;
    const Contour contour = ContourOf(data);
    ASSERT_EQ(contour.Count(), 1) << c.bulge;
    const Segment& s = contour.Seg(0);
    ExpectSegment(s, SegmentKind::Arc, 0, 0, 10, 0, "bulge " + std::string(bulge));
    EXPECT_EQ(s.Direction, c.direction) << c.bulge;
    EXPECT_NEAR(s.Center.x, c.cx, 1e-9) << c.bulge;
    EXPECT_NEAR(s.Center.y, c.cy, 1e-9) << c.bulge;
    EXPECT_NEAR(s.Radius, c.radius, 1e-9) << c.bulge;
  }
}

TEST(DxfImport, ShuffledLinesAndArcsChainEndToEnd) {
  // A rectangle 0..10 x 0..4 with a rounded corner at (10, 4), its pieces out of order and some
  // reversed, one end off by less than the gap; the work contour in two pieces.
  const std::string text = Entities(Join({
      Line("WorkContour", 20, 5, 10, 5),
      Line("Blank", 0, 4, 0, 0),
      Arc("Blank", 9, 3, 1, 0, 90),
      Line("Blank", 10, 0, 0, 0),
      Line("Blank", 10, 0, 10, 3),
      Line("Blank", 0, 4, 9, 4 + 4e-7),
      Line("WorkContour", 0, 5, 10, 5),
  }));
  Imported d;
  ImportDxfText(text, "shuffled.dxf", *d.drawing);
  ASSERT_EQ(d.top->Count(), 2);
  Handle<Graphic> work = d.top->Item(0);
  EXPECT_EQ(work->Name(), "WorkContour");
  EXPECT_FALSE(work->Closed());
  const Contour w = ContourOf(work);
  ASSERT_EQ(w.Count(), 2);
  ExpectSegment(w.Seg(0), SegmentKind::Line, 20, 5, 10, 5, "work 0");
  ExpectSegment(w.Seg(1), SegmentKind::Line, 10, 5, 0, 5, "work 1");

  Handle<Graphic> blank = d.top->Item(1);
  EXPECT_EQ(blank->Name(), "Blank");
  EXPECT_TRUE(blank->Closed());
  const Contour b = ContourOf(blank);
  ASSERT_EQ(b.Count(), 5);
  // Grown from the end of the first piece in the file, reversing pieces as they come.
  ExpectSegment(b.Seg(0), SegmentKind::Line, 0, 4, 0, 0, "left side");
  ExpectSegment(b.Seg(1), SegmentKind::Line, 0, 0, 10, 0, "reversed bottom");
  ExpectSegment(b.Seg(2), SegmentKind::Line, 10, 0, 10, 3, "right side");
  ExpectSegment(b.Seg(3), SegmentKind::Arc, 10, 3, 9, 4, "arc");
  EXPECT_EQ(b.Seg(3).Direction, 1);
  // The reversed top starts where the arc ends: the gap of 4e-7 is closed.
  ExpectSegment(b.Seg(4), SegmentKind::Line, 9, 4, 0, 4, "reversed top");
}

TEST(DxfImport, BadFilesGetOneClearErrorAndAddNothing) {
  const std::vector<std::string> openBlank = Join({kWork, Line("Blank", 0, 0, 10, 0),
                                                   Line("Blank", 10, 0, 10, 5)});
  struct Case {
    std::string name;
    std::string text;
    std::string message;
  } cases[] = {
      {"empty", "", "part.dxf: the file is empty"},
      {"code not a number", Entities({"0", "LINE", "x1", "0"}),
       "part.dxf: line 7: group code 'x1' is not a number"},
      {"ends after a code", Lines({"0", "SECTION", "2", "ENTITIES", "0"}),
       "part.dxf: line 5: the file ends after group code 0"},
      {"truncated inside an entity", Lines(Join({{"0", "SECTION", "2", "ENTITIES"}, kWork})),
       "part.dxf: line 16: unexpected end of file"},
      {"no EOF", Lines({"0", "SECTION", "2", "ENTITIES", "0", "ENDSEC"}),
       "part.dxf: line 5: the file ends without EOF"},
      {"no ENDSEC", Lines({"0", "SECTION", "2", "ENTITIES", "0", "EOF"}),
       "part.dxf: line 5: section ENTITIES ends without ENDSEC"},
      {"not a section", Lines({"0", "LINE", "0", "EOF"}),
       "part.dxf: line 1: expected SECTION, found 'LINE'"},
      {"coordinate not a number",
       Entities({"0", "LINE", "8", "WorkContour", "10", "abc", "20", "0", "11", "1", "21", "0"}),
       "part.dxf: line 9: value 'abc' of group code 10 is not a number"},
      {"NaN", Entities({"0", "LINE", "8", "WorkContour", "10", "0", "20", "nan", "11", "1"}),
       "part.dxf: line 11: value 'nan' of group code 20 is not a finite number of reasonable "
       "size"},
      {"huge", Entities({"0", "CIRCLE", "8", "DATA", "10", "0", "20", "0", "40", "1e300"}),
       "part.dxf: line 13: value '1e300' of group code 40 is not a finite number of reasonable "
       "size"},
      {"just over the limit", Entities({"0", "LINE", "8", "W", "10", "10000000.001"}),
       "part.dxf: line 9: value '10000000.001' of group code 10 is not a finite number of "
       "reasonable size"},
      {"overflow", Entities({"0", "LINE", "8", "W", "10", "1e999"}),
       "part.dxf: line 9: value '1e999' of group code 10 is not a finite number of reasonable "
       "size"},
      {"zero radius", Entities(Join({kWork, {"0", "ARC", "8", "B", "10", "0", "20", "0", "40",
                                             "0", "50", "0", "51", "90"}})),
       "part.dxf: line 17: ARC has a radius that is not positive"},
      {"open blank", Entities(openBlank),
       "part.dxf: line 17: the outline on layer \"Blank\" is not closed: it runs from (0, 0) to "
       "(10, 5)"},
      {"no work contour", Entities(Line("Blank", 0, 0, 1, 0)),
       "part.dxf: no entities on layer \"WorkContour\""},
      {"work contour in two pieces",
       Entities(Join({kWork, Line("WorkContour", 30, 5, 40, 5)})),
       "part.dxf: the entities on layer \"WorkContour\" form 2 separate chains instead of one"},
      {"two last part blanks",
       Entities(Join({kWork, {"0", "CIRCLE", "8", "LastPartBlank", "10", "0", "20", "0", "40", "1"},
                      {"0", "CIRCLE", "8", "LastPartBlank", "10", "5", "20", "0", "40", "1"}})),
       "part.dxf: the entities on layer \"LastPartBlank\" form 2 separate chains instead of one"},
  };
  for (const Case& c : cases) {
    Imported d;
    try {
      ImportDxfText(c.text, "part.dxf", *d.drawing);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const DxfError& e) {
      EXPECT_EQ(std::string(e.what()), c.message) << c.name;
    }
    EXPECT_EQ(d.top->Count(), 0) << c.name;
  }
}

TEST(DxfImport, OpenChainsAreFineOnDataAndWorkContourLayers) {
  // A value exactly at the coordinate limit is accepted; DATA may be open.
  const std::string text = Entities(Join({kWork, Line("DATA", 0, 0, 10000000, 0),
                                          Line("DATA", 5, 5, 6, 6)}));
  Imported d;
  ImportDxfText(text, "data.dxf", *d.drawing);
  ASSERT_EQ(d.top->Count(), 3);
  EXPECT_EQ(d.top->Item(1)->Name(), "DATA");
  EXPECT_EQ(d.top->Item(2)->Name(), "DATA");
  EXPECT_FALSE(d.top->Item(2)->Closed());
}

}  // namespace
}  // namespace sulkor::host
