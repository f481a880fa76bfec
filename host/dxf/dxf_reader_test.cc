#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/dxf/dxf_colors.h"
#include "host/dxf/dxf_error.h"
#include "host/dxf/entity_reader.h"

namespace sulkor::host {
namespace {

std::string Lines(const std::vector<std::string>& lines, const char* end = "\n") {
  std::string text;
  for (const std::string& l : lines) text += l + end;
  return text;
}

TEST(DxfReader, CodesWithBlanksAndCrLfLineEnds) {
  // A byte order mark, codes right-aligned as many programs write them, Windows line ends, no
  // newline at the end.
  std::string text = "\xEF\xBB\xBF" + Lines({"  0", "SECTION", "  2", "ENTITIES", "  0", "LINE", "  5", "2F",
                            "  8", "Cut ", " 62", "  1", "420", "16711935", " 10", "+1.5", " 20",
                            "-2", " 11", "3e0", " 21", "4", "  0", "ENDSEC", "  0"},
                           "\r\n") +
                     "EOF";
  const DxfDocument doc = ReadDxf(text, "crlf.dxf");
  ASSERT_EQ(doc.entities.size(), 1u);
  const DxfEntity& e = doc.entities[0];
  EXPECT_EQ(e.handle, "2F");
  EXPECT_EQ(e.layer, "Cut");
  EXPECT_EQ(e.colorIndex, 1);
  EXPECT_EQ(e.trueColor, 0xFF00FF);
  EXPECT_EQ(e.x1, 1.5);
  EXPECT_EQ(e.y1, -2.0);
  EXPECT_EQ(e.x2, 3.0);
  EXPECT_EQ(e.y2, 4.0);
  EXPECT_EQ(e.line, 5);
}

TEST(DxfReader, HatchEdgePathsAndPatternAndNamedGroups) {
  // A hatch bounded by a line edge, a clockwise arc edge (its angles stored mirrored) and a
  // line back; pattern ANSI36 at scale 3. The group dictionary names the group.
  const std::string text = Lines({
      "0", "SECTION", "2", "ENTITIES",
      "0", "HATCH", "5", "30", "8", "CAMOperations", "100", "AcDbHatch",
      "10", "0", "20", "0", "30", "0", "2", "ANSI36", "70", "0", "71", "0",
      "91", "1", "92", "1", "93", "3",
      "72", "1", "10", "0", "20", "0", "11", "10", "21", "0",
      // clockwise from (10, 0) to (0, 0) around (5, 0): angles 0 -> 180 stored as 360 -> 180
      "72", "2", "10", "5", "20", "0", "40", "5", "50", "360", "51", "180", "73", "0",
      "72", "1", "10", "0", "20", "0", "11", "0", "21", "0",
      "97", "0", "75", "1", "76", "1", "52", "0", "41", "3", "77", "0", "78", "1",
      "53", "45", "43", "0", "44", "0", "45", "1", "46", "2", "79", "0", "98", "0",
      "0", "ENDSEC",
      "0", "SECTION", "2", "OBJECTS",
      "0", "DICTIONARY", "5", "C", "3", "ACAD_GROUP", "350", "D",
      "0", "DICTIONARY", "5", "D", "3", "RemovedMaterial", "350", "E",
      "0", "GROUP", "5", "E", "330", "D", "300", "", "70", "0", "71", "1", "340", "30",
      "0", "ENDSEC", "0", "EOF"});
  const DxfDocument doc = ReadDxf(text, "hatch.dxf");
  ASSERT_EQ(doc.entities.size(), 1u);
  const DxfEntity& h = doc.entities[0];
  EXPECT_EQ(h.type, DxfType::Hatch);
  EXPECT_EQ(h.pattern, "ANSI36");
  EXPECT_FALSE(h.solid);
  EXPECT_EQ(h.patternScale, 3.0);
  EXPECT_EQ(h.patternLines, 1);
  ASSERT_EQ(h.loops.size(), 1u);
  const std::vector<DxfVertex>& v = h.loops[0].vertices;
  ASSERT_EQ(v.size(), 3u);
  EXPECT_NEAR(v[1].x, 10.0, 1e-12);
  EXPECT_NEAR(v[1].y, 0.0, 1e-12);
  EXPECT_NEAR(v[1].bulge, -1.0, 1e-12);  // half a turn clockwise
  EXPECT_EQ(v[0].bulge, 0.0);
  ASSERT_EQ(doc.groups.size(), 1u);
  EXPECT_EQ(doc.groups[0].name, "RemovedMaterial");
  EXPECT_EQ(doc.groups[0].members, std::vector<std::string>{"30"});
}

TEST(DxfReader, HatchWithUnreadableEdgesNamesTheLine) {
  const std::string text = Lines({"0", "SECTION", "2", "ENTITIES", "0", "HATCH", "8", "X",
                                  "91", "1", "92", "0", "93", "1", "72", "3", "0", "ENDSEC",
                                  "0", "EOF"});
  try {
    ReadDxf(text, "e.dxf");
    ADD_FAILURE() << "no error";
  } catch (const DxfError& e) {
    EXPECT_STREQ(e.what(), "e.dxf: line 15: HATCH: boundary edges of type 3 are not read");
  }
}

// A value that is no number is quoted cut short and printable: a megabyte of it, or binary
// bytes, never reach the message whole.
TEST(DxfReader, MessagesQuoteBadValuesShortAndPrintable) {
  const struct {
    std::string value;
    std::string quoted;
  } cases[] = {
      {std::string(1 << 20, '7') + "x", std::string(60, '7') + "... (1048577 bytes)"},
      {"1\x01\xff\x1b[31m", "1\\x01\\xFF\\x1B[31m"},
  };
  for (const auto& c : cases) {
    try {
      ReadDxf(Lines({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", c.value, "0", "ENDSEC",
                     "0", "EOF"}),
              "v.dxf");
      ADD_FAILURE() << "no error";
    } catch (const DxfError& e) {
      EXPECT_EQ(std::string(e.what()),
                "v.dxf: line 7: value '" + c.quoted + "' of group code 10 is not a number");
    }
  }
}

TEST(DxfColors, NearestIndexOfTheMoveColours) {
  struct Case {
    int32_t drawingColor;
    int index;
  } cases[] = {
      {255, 1},        // red: cutting moves
      {65535, 2},      // yellow: positioning
      {65280, 3},      // green: removed material
      {16776960, 4},   // cyan: third kind
      {16711680, 5},   // blue: stock
      {16711935, 6},   // magenta
      {16777215, 7},   // white
      {0, 250},        // black: the darkest grey, not white
      {128 + 128 * 256 + 128 * 65536, 8},
      {254, 1},        // off by one still red
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NearestAci(FromDrawingColor(c.drawingColor)), c.index) << c.drawingColor;
  }
  // Every index's own colour comes back to an index of exactly that colour.
  for (int i = 1; i < 256; ++i) {
    EXPECT_EQ(AciColor(NearestAci(AciColor(i))), AciColor(i)) << i;
  }
  EXPECT_EQ(ToTrueColor(FromDrawingColor(255)), 0xFF0000);
  EXPECT_EQ(ToDrawingColor(FromTrueColor(0x0000FF)), 16711680);
}

}  // namespace
}  // namespace sulkor::host
