// The DXF reader on hand-written text: group codes as programs write them, hatches and groups,
// bulges of both directions, pieces chained end to end, colours; every bad file one clear error
// naming the file and the line, and nothing added to the drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "host/dxf/dxf_colors.h"
#include "host/dxf/dxf_error.h"
#include "host/dxf/dxf_file.h"
#include "host/dxf/entity_reader.h"
#include "host/memory/memory_drawing.h"
#include "kernel/contour_services.h"

namespace sulkor::host {
namespace {

using Lines = std::vector<std::string>;

std::string Text(std::initializer_list<Lines> parts, const char* end = "\n") {
  std::string text;
  for (const Lines& p : parts) {
    for (const std::string& l : p) text += l + end;
  }
  return text;
}
// An R12 file (no header) whose ENTITIES section holds the lines; entity lines start at line 5.
std::string Entities(std::initializer_list<Lines> entities) {
  std::string text = Text({{"0", "SECTION", "2", "ENTITIES"}});
  for (const Lines& e : entities) text += Text({e});
  return text + Text({{"0", "ENDSEC", "0", "EOF"}});
}
Lines Line(const std::string& layer, double x1, double y1, double x2, double y2) {
  return {"0", "LINE", "8", layer, "10", std::to_string(x1), "20", std::to_string(y1),
          "11", std::to_string(x2), "21", std::to_string(y2)};
}
const Lines kWork = Line("WorkContour", 0, 5, 20, 5);

// The graphics of the drawing as text: name, closed or open, and each segment's kind, ends,
// centre and direction to 1e-9.
std::string Imported(const std::string& text) {
  auto app = MemoryApplication::Create({});
  ImportDxfText(text, "in.dxf", *app->Active());
  std::string out;
  Handle<Graphics> top = app->Active()->TopGraphics();
  for (int32_t i = 0; i < top->Count(); ++i) {
    Contour c;
    ConvertGraphicToContour(top->Item(i), c);
    out += top->Item(i)->Name() + (top->Item(i)->Closed() ? " closed:" : " open:");
    for (const Segment& s : c.Segs) {
      char piece[200];
      std::snprintf(piece, sizeof piece, " %s(%.9g %.9g, %.9g %.9g", s.IsArc() ? "A" : "L", s.StartPt.x + 0.0,
                    s.StartPt.y + 0.0, s.EndPt.x + 0.0, s.EndPt.y + 0.0);
      out += piece;
      std::snprintf(piece, sizeof piece, ", c %.9g %.9g, %d)", s.Center.x + 0.0, s.Center.y + 0.0, s.Direction);
      out += s.IsArc() ? piece : ")";
    }
    out += "\n";
  }
  return out + "units " + app->Active()->Property("LinearUnitName").ToText();
}

TEST(DxfReader, CodesWithBlanksCrLfAndAByteOrderMark) {
  // Codes right-aligned, Windows line ends, no newline at the end.
  const std::string text = "\xEF\xBB\xBF" +
                           Text({{"  0", "SECTION", "  2", "ENTITIES", "  0", "LINE", "  5", "2F", "  8", "Cut ",
                                  " 62", "  1", "420", "16711935", " 10", "+1.5", " 20", "-2", " 11", "3e0",
                                  " 21", "4", "  0", "ENDSEC", "  0"}},
                                "\r\n") +
                           "EOF";
  const DxfDocument doc = ReadDxf(text, "crlf.dxf");
  ASSERT_EQ(doc.entities.size(), 1u);
  const DxfEntity& e = doc.entities[0];
  EXPECT_EQ(e.handle + " " + e.layer, "2F Cut");
  EXPECT_EQ(e.colorIndex, 1);
  EXPECT_EQ(e.trueColor, 0xFF00FF);
  EXPECT_EQ(std::vector<double>({e.x1, e.y1, e.x2, e.y2}), std::vector<double>({1.5, -2, 3, 4}));
  EXPECT_EQ(e.line, 5);
}

TEST(DxfReader, HatchEdgePathsPatternAndNamedGroups) {
  // Bounded by a line, a clockwise arc (angles 0 -> 180 stored mirrored as 360 -> 180 around
  // (5, 0)) and a line back; pattern ANSI36 at scale 3; the group dictionary names the group.
  const DxfDocument doc = ReadDxf(
      Text({{"0", "SECTION", "2", "ENTITIES", "0", "HATCH", "5", "30", "8", "CAMOperations", "100", "AcDbHatch",
             "10", "0", "20", "0", "30", "0", "2", "ANSI36", "70", "0", "71", "0", "91", "1", "92", "1", "93", "3",
             "72", "1", "10", "0", "20", "0", "11", "10", "21", "0",
             "72", "2", "10", "5", "20", "0", "40", "5", "50", "360", "51", "180", "73", "0",
             "72", "1", "10", "0", "20", "0", "11", "0", "21", "0",
             "97", "0", "75", "1", "76", "1", "52", "0", "41", "3", "77", "0", "78", "1", "53", "45", "43", "0",
             "44", "0", "45", "1", "46", "2", "79", "0", "98", "0", "0", "ENDSEC",
             "0", "SECTION", "2", "OBJECTS", "0", "DICTIONARY", "5", "C", "3", "ACAD_GROUP", "350", "D",
             "0", "DICTIONARY", "5", "D", "3", "RemovedMaterial", "350", "E",
             "0", "GROUP", "5", "E", "330", "D", "300", "", "70", "0", "71", "1", "340", "30",
             "0", "ENDSEC", "0", "EOF"}}),
      "hatch.dxf");
  ASSERT_EQ(doc.entities.size(), 1u);
  const DxfEntity& h = doc.entities[0];
  EXPECT_EQ(h.type, DxfType::Hatch);
  EXPECT_EQ(h.pattern, "ANSI36");
  EXPECT_FALSE(h.solid);
  EXPECT_EQ(h.patternScale, 3.0);
  EXPECT_EQ(h.patternLines, 1);
  ASSERT_EQ(h.loops.size(), 1u);
  ASSERT_EQ(h.loops[0].vertices.size(), 3u);
  const DxfVertex& v = h.loops[0].vertices[1];
  EXPECT_NEAR(std::hypot(v.x - 10.0, v.y), 0.0, 1e-12);
  EXPECT_NEAR(v.bulge, -1.0, 1e-12);  // half a turn clockwise
  ASSERT_EQ(doc.groups.size(), 1u);
  EXPECT_EQ(doc.groups[0].name, "RemovedMaterial");
  EXPECT_EQ(doc.groups[0].members, std::vector<std::string>{"30"});
}

// Bulges of both senses up to half a turn, R12 polylines and header units are read in the round
// trip and the CAD files; here what only hand-written text shows.
TEST(DxfReader, GeometryComesBackAsDrawn) {
  const std::string work = "WorkContour open: L(0 5, 20 5)\n";
  const struct {
    const char* what;
    std::string text, graphics;
  } cases[] = {
      // More than half a turn has its centre on the other side of the chord.
      {"three quarters ccw",
       Entities({kWork, {"0", "LWPOLYLINE", "8", "DATA", "90", "2", "70", "0", "10", "0", "20", "0", "42",
                         "2.4142135623730949", "10", "10", "20", "0"}}),
       work + "DATA open: A(0 0, 10 0, c 5 -5, 1)\nunits mm"},
      // Pieces out of order, some reversed, one end off by less than the gap: chained from the
      // end of the first piece in the file, the gap closed; the work contour in two pieces.
      {"shuffled",
       Entities({Line("WorkContour", 20, 5, 10, 5), Line("Blank", 0, 4, 0, 0),
                 {"0", "ARC", "8", "Blank", "10", "9", "20", "3", "40", "1", "50", "0", "51", "90"},
                 Line("Blank", 10, 0, 0, 0), Line("Blank", 10, 0, 10, 3), Line("Blank", 0, 4, 9, 4 + 4e-7),
                 Line("WorkContour", 0, 5, 10, 5)}),
       "WorkContour open: L(20 5, 10 5) L(10 5, 0 5)\nBlank closed: L(0 4, 0 0) L(0 0, 10 0) L(10 0, 10 3) "
       "A(10 3, 9 4, c 9 3, 1) L(9 4, 0 4)\nunits mm"},
      // A value exactly at the coordinate limit is accepted; DATA may be open.
      {"open chains on DATA", Entities({kWork, Line("DATA", 0, 0, 10000000, 0), Line("DATA", 5, 5, 6, 6)}),
       work + "DATA open: L(0 0, 10000000 0)\nDATA open: L(5 5, 6 6)\nunits mm"},
  };
  for (const auto& c : cases) EXPECT_EQ(Imported(c.text), c.graphics) << c.what;
}

TEST(DxfReader, BadFilesGetOneClearErrorAndAddNothing) {
  const std::string reasonable = "is not a finite number of reasonable size";
  const struct {
    std::string text, message;  // after "in.dxf: "
  } cases[] = {
      {"", "the file is empty"},
      {Entities({{"0", "LINE", "x1", "0"}}), "line 7: group code 'x1' is not a number"},
      {Text({{"0", "SECTION", "2", "ENTITIES", "0"}}), "line 5: the file ends after group code 0"},
      {Text({{"0", "SECTION", "2", "ENTITIES"}, kWork}), "line 16: unexpected end of file"},
      {Text({{"0", "SECTION", "2", "ENTITIES", "0", "ENDSEC"}}), "line 5: the file ends without EOF"},
      {Text({{"0", "SECTION", "2", "ENTITIES", "0", "EOF"}}), "line 5: section ENTITIES ends without ENDSEC"},
      {Text({{"0", "LINE", "0", "EOF"}}), "line 1: expected SECTION, found 'LINE'"},
      {Entities({{"0", "LINE", "8", "W", "10", "abc"}}), "line 9: value 'abc' of group code 10 is not a number"},
      {Entities({{"0", "LINE", "8", "W", "10", "0", "20", "nan"}}), "line 11: value 'nan' of group code 20 " + reasonable},
      {Entities({{"0", "CIRCLE", "8", "D", "10", "0", "20", "0", "40", "1e300"}}),
       "line 13: value '1e300' of group code 40 " + reasonable},
      {Entities({{"0", "LINE", "8", "W", "10", "10000000.001"}}), "line 9: value '10000000.001' of group code 10 " + reasonable},
      {Entities({{"0", "LINE", "8", "W", "10", "1e999"}}), "line 9: value '1e999' of group code 10 " + reasonable},
      // A value that is no number is quoted cut short and printable.
      {Entities({{"0", "LINE", "10", std::string(1 << 20, '7') + "x"}}),
       "line 7: value '" + std::string(60, '7') + "... (1048577 bytes)' of group code 10 is not a number"},
      {Entities({{"0", "LINE", "10", "1\x01\xff\x1b[31m"}}), "line 7: value '1\\x01\\xFF\\x1B[31m' of group code 10 is not a number"},
      {Entities({{"0", "HATCH", "8", "X", "91", "1", "92", "0", "93", "1", "72", "3"}}),
       "line 15: HATCH: boundary edges of type 3 are not read"},
      {Entities({kWork, {"0", "ARC", "8", "B", "10", "0", "20", "0", "40", "0", "50", "0", "51", "90"}}),
       "line 17: ARC has a radius that is not positive"},
      {Entities({kWork, Line("Blank", 0, 0, 10, 0), Line("Blank", 10, 0, 10, 5)}),
       "line 17: the outline on layer \"Blank\" is not closed: it runs from (0, 0) to (10, 5)"},
      {Entities({Line("Blank", 0, 0, 1, 0)}), "no entities on layer \"WorkContour\""},
      {Entities({kWork, Line("WorkContour", 30, 5, 40, 5)}),
       "the entities on layer \"WorkContour\" form 2 separate chains instead of one"},
      {Entities({kWork, {"0", "CIRCLE", "8", "LastPartBlank", "10", "0", "20", "0", "40", "1"},
                 {"0", "CIRCLE", "8", "LastPartBlank", "10", "5", "20", "0", "40", "1"}}),
       "the entities on layer \"LastPartBlank\" form 2 separate chains instead of one"},
      // Other files are named for what they are.
      {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "is a PNG image, not a DXF drawing"},
      {"AC1032\0\0\0", "is a DWG drawing (save it as DXF), not a DXF drawing"},
      {"%PDF-1.5\n", "is a PDF document, not a DXF drawing"},
      {std::string("0\nSECTION\n\0", 11), "is a binary file, not a DXF drawing"},
      {std::string("AutoCAD Binary DXF\r\n\x1a\0\0\0SECTION", 31), "the binary data ends inside a group at byte 24"},
  };
  for (const auto& c : cases) {
    auto app = MemoryApplication::Create({});
    try {
      ImportDxfText(c.text, "in.dxf", *app->Active());
      ADD_FAILURE() << c.message << ": no error";
    } catch (const DxfError& e) {
      EXPECT_EQ(std::string(e.what()), "in.dxf: " + c.message);
    }
    EXPECT_EQ(app->Active()->TopGraphics()->Count(), 0) << c.message;
  }
}

TEST(DxfColors, NearestIndexOfTheMoveColours) {
  const std::pair<int32_t, int> cases[] = {
      {255, 1},        {65535, 2},  {65280, 3},    {16776960, 4},   {16711680, 5}, {16711935, 6},
      {16777215, 7},   {0, 250},    {128 + 128 * 256 + 128 * 65536, 8},          {254, 1}};
  for (const auto& [color, index] : cases) EXPECT_EQ(NearestAci(FromDrawingColor(color)), index) << color;
  for (int i = 1; i < 256; ++i) EXPECT_EQ(AciColor(NearestAci(AciColor(i))), AciColor(i)) << i;
  EXPECT_EQ(ToTrueColor(FromDrawingColor(255)), 0xFF0000);
  EXPECT_EQ(ToDrawingColor(FromTrueColor(0x0000FF)), 16711680);
}

}  // namespace
}  // namespace sulkor::host
