#include "post/nc_post.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "contour/segment_build.h"
#include "toolpath/groove_path.h"

namespace sulkor {
namespace {

Segment Rapid(double x1, double y1, double x2, double y2) {
  Segment s = MakeLine(x1, y1, x2, y2);
  s.MoveType = kMovePositioning;
  s.Phase = kPhaseNone;
  return s;
}

Segment Cut(double x1, double y1, double x2, double y2, int16_t phase) {
  Segment s = MakeLine(x1, y1, x2, y2);
  s.MoveType = kMoveCutting;
  s.Phase = phase;
  return s;
}

Segment ArcCut(double sx, double sy, double ex, double ey, double cx, double cy, int16_t dir) {
  Segment s = MakeArc(sx, sy, ex, ey, cx, cy, dir);
  s.MoveType = kMoveCutting;
  s.Phase = kPhaseFinishing;
  return s;
}

// One outside groove cut by hand in the drawing's frame (x along the axis, y the radius): a
// plunge of two pecks at x 50, then both walls finished down into the bottom's rounded corners.
PostInput GrooveInput() {
  PostInput in;
  in.start = {110.0, 60.0, 0.0};
  in.roughFeed = 115.0;
  in.roughSpeed = 1300.0;
  in.finishFeed = 60.0;
  in.finishSpeed = 2000.0;
  in.toolNumber = 1;
  in.toolWidth = 3.0;
  in.cornerRadius = 0.4;
  in.moves = {
      Rapid(110, 60, 50, 60),
      Rapid(50, 60, 50, 52),
      Cut(50, 52, 50, 48.5, kPhaseRoughing),
      Rapid(50, 48.5, 50, 50),
      Cut(50, 50, 50, 45, kPhaseRoughing),
      Rapid(50, 45, 50, 52),
      Rapid(50, 52, 52, 52),
      Cut(52, 52, 52, 45.4, kPhaseFinishing),
      ArcCut(52, 45.4, 51.6, 45, 51.6, 45.4, -1),
      Cut(51.6, 45, 48.4, 45, kPhaseFinishing),
      Rapid(48.4, 45, 48, 52),
      Cut(48, 52, 48, 45.4, kPhaseFinishing),
      ArcCut(48, 45.4, 48.4, 45, 48.4, 45.4, 1),
      Rapid(48.4, 45, 48.4, 60),
      Rapid(48.4, 60, 110, 60),
  };
  return in;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

PostOptions Options(Dialect dialect, ToolPost post, double dwell, int32_t program) {
  PostOptions o;
  o.dialect = dialect;
  o.toolPost = post;
  o.plungeDwell = dwell;
  o.programNumber = program;
  return o;
}

// A shop's Fanuc program: the tip on the -Z side driven (the path 0.4 lower and 0.4 towards -Z),
// constant surface speed under a limit, feed per revolution, flood coolant, the reference
// return before the tool call and at the end, a left-hand tool.
PostOptions ShopFanuc() {
  PostOptions o = Options(Dialect::Fanuc, ToolPost::Rear, 0.0, 7);
  o.reference = InsertReference::TipLow;
  o.surfaceSpeed = 150.0;
  o.maxRpm = 2400.0;
  o.coolant = Coolant::Flood;
  o.home = HomeKind::MachineReference;
  return o;
}

TEST(PostTest, ProgramsOfBothDialects) {
  struct Case {
    const char* name;
    PostOptions options;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"linuxcnc",
       {},
       {"(Sulkor groove: tool 1, rear tool post, mm)",
        "(T1 drives the centre of the insert's corner radius r 0.4 on its -Z side: set the tool "
        "offset to that centre, r inside the tip along X and Z)",
        "G18 G21 G7 G90 G94 G40 G49",
        "T1 M6 G43",
        "G97 S1300 M3",
        "G0 X120 Z110",
        "G0 X120 Z50",
        "G0 X104 Z50",
        "G1 X97 Z50 F115",
        "G0 X100 Z50",
        "G1 X90 Z50",
        "G0 X104 Z50",
        "G0 X104 Z52",
        "S2000",
        "G1 X90.8 Z52 F60",
        "G2 X90 Z51.6 I0 K-0.4",
        "G1 X90 Z48.4",
        "G0 X104 Z48",
        "G1 X90.8 Z48",
        "G3 X90 Z48.4 I0 K0.4",
        "G0 X120 Z48.4",
        "G0 X120 Z110",
        "M5",
        "M2"}},
      {"fanuc with a dwell, front tool post",
       Options(Dialect::Fanuc, ToolPost::Front, 0.5, 42),
       {"%",
        "O0042 (SULKOR GROOVE T01 FRONT TOOL POST MM)",
        "(DRIVES THE CENTRE OF THE INSERT'S CORNER RADIUS R 0.4 ON ITS -Z SIDE: SET THE TOOL "
        "OFFSET TO THAT CENTRE, R INSIDE THE TIP ALONG X AND Z)",
        "G18 G21 G40 G98",
        "T0101",
        "G97 S1300 M03",
        "G00 X120. Z110.",
        "G00 X120. Z50.",
        "G00 X104. Z50.",
        "G01 X97. Z50. F115.",
        "G00 X100. Z50.",
        "G01 X90. Z50.",
        "G04 P500",
        "G00 X104. Z50.",
        "G00 X104. Z52.",
        "S2000",
        "G01 X90.8 Z52. F60.",
        "G02 X90. Z51.6 I0. K-0.4",
        "G01 X90. Z48.4",
        "G00 X104. Z48.",
        "G01 X90.8 Z48.",
        "G03 X90. Z48.4 I0. K0.4",
        "G00 X120. Z48.4",
        "G00 X120. Z110.",
        "M05",
        "M30",
        "%"}},
      {"fanuc for a shop", ShopFanuc(),
       {"%",
        "O0007 (SULKOR GROOVE T01 REAR TOOL POST MM)",
        "(DRIVES THE INSERT'S TIP ON ITS -Z SIDE: SET THE TOOL OFFSET BY TOUCHING X WITH THE "
        "CUTTING EDGE AND Z WITH THE -Z FLANK, THE INSERT 3. WIDE)",
        "G18 G21 G40 G99",
        "G28 U0.",
        "G28 W0.",
        "T0101",
        "G50 S2400",
        "G96 S150. M04",
        "M08",
        "G00 X119.2 Z109.6",
        "G00 X119.2 Z49.6",
        "G00 X103.2 Z49.6",
        "G01 X96.2 Z49.6 F0.05",
        "G00 X99.2 Z49.6",
        "G01 X89.2 Z49.6",
        "G00 X103.2 Z49.6",
        "G00 X103.2 Z51.6",
        "G01 X90. Z51.6 F0.03",
        "G02 X89.2 Z51.2 I0. K-0.4",
        "G01 X89.2 Z48.",
        "G00 X103.2 Z47.6",
        "G01 X90. Z47.6",
        "G03 X89.2 Z48. I0. K0.4",
        "G00 X119.2 Z48.",
        "G00 X119.2 Z109.6",
        "M09",
        "G28 U0.",
        "G28 W0.",
        "M05",
        "M30",
        "%"}},
  };
  for (const Case& c : cases) {
    PostInput in = GrooveInput();
    if (c.options.surfaceSpeed > 0.0) {  // the shop's program: feeds per revolution, left hand
      in.feedPerRevolution = true;
      in.roughFeed = 0.05;
      in.finishFeed = 0.03;
      in.leftHand = true;
    }
    const std::vector<std::string> lines = Lines(PostProcess(in, c.options));
    EXPECT_EQ(lines, c.expected) << c.name;
  }

  // The same program with a dwell in LinuxCNC: seconds after the second peck only, the first
  // peck being followed by a back-off and the rest of the plunge.
  PostOptions dwell;
  dwell.plungeDwell = 0.25;
  const std::vector<std::string> lines = Lines(PostProcess(GrooveInput(), dwell));
  ASSERT_GT(lines.size(), 10u);
  EXPECT_EQ(lines[10], "G1 X90 Z50");
  EXPECT_EQ(lines[11], "G4 P0.25");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "G4 P0.25"), 1);
}

TEST(PostTest, UnitsNumbersAndTheToolCall) {
  // Inch, tool 7, a finishing move first: the spindle starts at the finishing speed, and
  // numbers keep as many places as the control resolves.
  PostInput in;
  in.units = NcUnits::Inch;
  in.toolNumber = 7;
  in.start = {2.5, 1.0, 0.0};
  in.roughFeed = 4.5;
  in.roughSpeed = 1299.6;
  in.finishFeed = 3.25;
  in.finishSpeed = 1800.4;
  in.moves = {Cut(2.5, 1.0, 1.23456789, 0.987654321, kPhaseFinishing),
              Cut(1.23456789, 0.987654321, 1.0, -0.0000001, kPhaseRoughing),
              Rapid(1.0, -0.0000001, 1.0, 1.0)};
  struct Case {
    Dialect dialect;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {Dialect::LinuxCnc,
       {"(Sulkor groove: tool 7, rear tool post, inch)",
        "(T7 drives the centre of the insert's corner radius r 0 on its -Z side: set the tool "
        "offset to that centre, r inside the tip along X and Z)",
        "G18 G20 G7 G90 G94 G40 G49",
        "T7 M6 G43", "G97 S1800 M3", "G0 X2 Z2.5", "G1 X1.97531 Z1.23457 F3.25", "S1300",
        "G1 X0 Z1 F4.5", "G0 X2 Z1", "M5", "M2"}},
      {Dialect::Fanuc,
       {"%", "O0001 (SULKOR GROOVE T07 REAR TOOL POST INCH)",
        "(DRIVES THE CENTRE OF THE INSERT'S CORNER RADIUS R 0. ON ITS -Z SIDE: SET THE TOOL "
        "OFFSET TO THAT CENTRE, R INSIDE THE TIP ALONG X AND Z)",
        "G18 G20 G40 G98", "T0707",
        "G97 S1800 M03", "G00 X2. Z2.5", "G01 X1.97531 Z1.23457 F3.25", "S1300", "G01 X0. Z1. F4.5",
        "G00 X2. Z1.", "M05", "M30", "%"}},
  };
  for (const Case& c : cases) {
    PostOptions options;
    options.dialect = c.dialect;
    EXPECT_EQ(Lines(PostProcess(in, options)), c.expected) << DialectName(c.dialect);
  }
}

TEST(PostTest, ArcsNeverBecomeCirclesOrRapids) {
  // A 1e-7 long arc prints its end at its start: a control would cut a full circle. A
  // positioning arc cannot be a rapid, which runs straight: it runs at the roughing feed.
  Segment positioningArc = MakeArc(110, 60, 100, 70, 100, 60, 1);
  positioningArc.MoveType = kMovePositioning;
  positioningArc.Phase = kPhaseNone;
  struct Case {
    Segment move;
    const char* block;
  };
  const Case cases[] = {
      {ArcCut(110, 60, 110, 60.0000001, 100, 60.00000005, -1), "G1 X120 Z110 F60"},
      {positioningArc, "G3 X140 Z100 I0 K-10 F115"},
  };
  for (const Case& c : cases) {
    PostInput in = GrooveInput();
    in.moves = {c.move};
    const std::vector<std::string> lines = Lines(PostProcess(in, {}));
    ASSERT_GE(lines.size(), 8u) << c.block;
    EXPECT_EQ(lines[6], c.block);
  }
  PostInput in = GrooveInput();
  in.moves = {positioningArc};
  const CycleTime t = EstimateCycleTime(in, 1000.0);
  EXPECT_NEAR(t.cuttingLength, 5.0 * std::numbers::pi, 1e-9);
  EXPECT_EQ(t.rapidLength, 0.0);
}

TEST(PostTest, RefusedInputsNameTheirFault) {
  struct Case {
    const char* name;
    PostInput in;
    PostOptions options;
    const char* message;
  };
  PostInput noTool = GrooveInput();
  noTool.toolNumber = 0;
  PostInput bigTool = GrooveInput();
  bigTool.toolNumber = 100;
  PostInput noFinishFeed = GrooveInput();
  noFinishFeed.finishFeed = 0.0;
  PostInput nanFeed = GrooveInput();
  nanFeed.roughFeed = std::nan("");
  PostInput slowSpindle = GrooveInput();
  slowSpindle.roughSpeed = 0.4;
  PostOptions fanuc;
  fanuc.dialect = Dialect::Fanuc;
  PostOptions badDwell;
  badDwell.plungeDwell = -1.0;
  PostOptions badProgram = fanuc;
  badProgram.programNumber = 10000;
  const Case cases[] = {
      {"tool 0", noTool, {}, "tool number 0 cannot be called: tools are numbered from 1"},
      {"tool 100", bigTool, fanuc,
       "tool number 100 cannot be called in the fanuc dialect: T takes 1 to 99"},
      {"no finishing feed", noFinishFeed, {}, "the finishing feed must be more than zero"},
      {"roughing feed not a number", nanFeed, {}, "the roughing feed must be more than zero"},
      {"spindle below 1 rpm", slowSpindle, {},
       "the roughing speed must be at least 1 revolution per minute"},
      {"negative dwell", GrooveInput(), badDwell,
       "the dwell at the bottom of a plunge must be zero or more seconds"},
      {"program 10000", GrooveInput(), badProgram, "program number 10000 is outside 1 to 9999"},
  };
  for (const Case& c : cases) {
    try {
      PostProcess(c.in, c.options);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const PostError& e) {
      EXPECT_STREQ(e.what(), c.message) << c.name;
    }
  }
  // Tool 100 is fine for LinuxCNC.
  EXPECT_NO_THROW(PostProcess(bigTool, {}));
}

TEST(PostTest, SeveralOperationsShareOneProgram) {
  PostInput second = GrooveInput();
  second.toolNumber = 2;
  second.start = {120.0, 70.0, 0.0};
  PostOptions fanuc;
  fanuc.dialect = Dialect::Fanuc;
  const struct {
    const char* name;
    PostOptions options;
    std::vector<std::string> blocks;  // in this order, not necessarily adjacent
    std::string firstCut;
  } cases[] = {
      {"linuxcnc", {},
       {"(Sulkor grooves: tools 1, 2, rear tool post, mm)", "G18 G21 G7 G90 G94 G40 G49",
        "T1 M6 G43", "G97 S1300 M3", "G0 X120 Z110", "M5", "T2 M6 G43", "G97 S1300 M3",
        "G0 X140 Z120", "G1 X97 Z50 F115", "M5", "M2"},
       "G1 X97 Z50 F115"},
      {"fanuc", fanuc,
       {"O0001 (SULKOR GROOVES T01 T02 REAR TOOL POST MM)", "G18 G21 G40 G98", "T0101",
        "G00 X120. Z110.", "M05", "T0202", "G97 S1300 M03", "G00 X140. Z120.",
        "G01 X97. Z50. F115.", "M30", "%"},
       "G01 X97. Z50. F115."},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> lines = Lines(PostProcess({GrooveInput(), second}, c.options));
    auto at = lines.begin();
    for (const std::string& block : c.blocks) {
      at = std::find(at, lines.end(), block);
      ASSERT_NE(at, lines.end()) << c.name << ": " << block << " missing or out of order";
    }
    // The feed is written again after the tool change: the second operation's first cut.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), c.firstCut), 2) << c.name;
  }
  PostInput inch = second;
  inch.units = NcUnits::Inch;
  const struct {
    std::vector<PostInput> operations;
    const char* message;
  } refused[] = {
      {{}, "a program needs at least one operation"},
      {{GrooveInput(), inch}, "the operations of one program must be in the same units"},
  };
  for (const auto& r : refused) {
    try {
      PostProcess(r.operations, PostOptions{});
      ADD_FAILURE() << r.message << ": no error";
    } catch (const PostError& e) {
      EXPECT_STREQ(e.what(), r.message);
    }
  }
}

TEST(PostTest, DialectsByName) {
  EXPECT_EQ(DialectFromName("linuxcnc"), Dialect::LinuxCnc);
  EXPECT_EQ(DialectFromName("fanuc"), Dialect::Fanuc);
  EXPECT_EQ(DialectName(Dialect::Fanuc), "fanuc");
  EXPECT_EQ(DialectName(Dialect::LinuxCnc), "linuxcnc");
  for (const char* name : {"LinuxCNC", "Fanuc", "haas", ""}) {
    try {
      DialectFromName(name);
      ADD_FAILURE() << name;
    } catch (const PostError& e) {
      EXPECT_EQ(std::string(e.what()), "unknown post dialect \"" + std::string(name) +
                                           "\": use \"linuxcnc\" or \"fanuc\"");
    }
  }
}

TEST(PostTest, PlungeBottoms) {
  const std::vector<Segment> moves = GrooveInput().moves;
  std::vector<size_t> bottoms;
  for (size_t i = 0; i <= moves.size(); ++i) {
    if (EndsPlunge(moves, i)) bottoms.push_back(i);
  }
  EXPECT_EQ(bottoms, (std::vector<size_t>{4}));

  // A peck followed by a back-off and a peck of another plunge is a bottom; a last move too.
  const std::vector<Segment> other = {Cut(0, 10, 0, 8, kPhaseRoughing), Rapid(0, 8, 0, 9),
                                      Cut(2, 9, 2, 7, kPhaseRoughing)};
  EXPECT_TRUE(EndsPlunge(other, 0));
  EXPECT_TRUE(EndsPlunge(other, 2));
  EXPECT_FALSE(EndsPlunge(other, 1));
  // A peck that turns back along its own line is not the plunge going on.
  const std::vector<Segment> reversed = {Cut(0, 10, 0, 8, kPhaseRoughing), Rapid(0, 8, 0, 9),
                                         Cut(0, 9, 0, 10, kPhaseRoughing)};
  EXPECT_TRUE(EndsPlunge(reversed, 0));
}

TEST(PostTest, CycleTime) {
  const double pi = std::numbers::pi;
  // Arcs of more than half a turn count their whole sweep, in their own direction.
  EXPECT_NEAR(MoveLength(MakeArc(1, 0, 0, -1, 0, 0, 1)), 1.5 * pi, 1e-12);
  EXPECT_NEAR(MoveLength(MakeArc(1, 0, 0, -1, 0, 0, -1)), 0.5 * pi, 1e-12);
  EXPECT_NEAR(MoveLength(MakeLine(0, 0, 3, 4)), 5.0, 1e-12);

  const PostInput in = GrooveInput();
  const double rapid = 60 + 8 + 1.5 + 7 + 2 + std::hypot(0.4, 7.0) + 15 + 61.6;
  const double rough = 3.5 + 5;
  const double finish = 6.6 + 3.2 + 6.6 + 2 * 0.4 * pi / 2;
  const CycleTime t = EstimateCycleTime(in, 5000.0);
  EXPECT_NEAR(t.rapidLength, rapid, 1e-9);
  EXPECT_NEAR(t.cuttingLength, rough + finish, 1e-9);
  EXPECT_NEAR(t.cuttingMinutes, rough / 115.0 + finish / 60.0, 1e-12);
  EXPECT_NEAR(t.rapidMinutes, rapid / 5000.0, 1e-12);
  EXPECT_EQ(t.dwellMinutes, 0.0);
  EXPECT_NEAR(t.minutes, t.cuttingMinutes + t.rapidMinutes, 1e-12);

  const CycleTime withDwell = EstimateCycleTime(in, 5000.0, 3.0);
  EXPECT_NEAR(withDwell.dwellMinutes, 0.05, 1e-12);
  EXPECT_NEAR(withDwell.minutes, t.minutes + 0.05, 1e-12);

  for (double rate : {0.0, -1.0, std::nan("")}) {
    try {
      EstimateCycleTime(in, rate);
      ADD_FAILURE() << rate;
    } catch (const PostError& e) {
      EXPECT_STREQ(e.what(), "the rapid rate must be more than zero");
    }
  }
  PostInput noFeed = in;
  noFeed.roughFeed = 0.0;
  EXPECT_THROW(EstimateCycleTime(noFeed, 5000.0), PostError);
}

TEST(PostTest, InputOfAnOperation) {
  OperationState state;
  state.params.Feed = 4.5;
  state.params.Speed = 1200.0;
  state.params.FinishFeed = 2.0;
  state.params.FinishSpeed = 1600.0;
  state.params.ToolNumber = 5;
  state.params.StartPointX = 3.0;
  state.params.StartPointZ = 0.5;
  state.toolPath = MakeContour(GrooveInput().moves);
  for (const int16_t units : {int16_t{0}, int16_t{1}, int16_t{2}}) {
    state.unitsSystem = units;
    const PostInput in = PostInputFromOperation(state);
    EXPECT_EQ(in.units, units == 1 ? NcUnits::Inch : NcUnits::Millimetre) << units;
    EXPECT_EQ(in.roughFeed, 4.5);
    EXPECT_EQ(in.roughSpeed, 1200.0);
    EXPECT_EQ(in.finishFeed, 2.0);
    EXPECT_EQ(in.finishSpeed, 1600.0);
    EXPECT_EQ(in.toolNumber, 5);
    EXPECT_EQ(in.start, (Point3{0.5, 1.5, 0.0}));
    ASSERT_EQ(in.moves.size(), state.toolPath.Segs.size());
    for (size_t i = 0; i < in.moves.size(); ++i) {
      EXPECT_EQ(in.moves[i].EndPt, state.toolPath.Segs[i].EndPt) << i;
      EXPECT_EQ(in.moves[i].Phase, state.toolPath.Segs[i].Phase) << i;
    }
  }
}

}  // namespace
}  // namespace sulkor

namespace sulkor {
namespace {

TEST(PostTest, ReferenceShiftsThePathToTheInsertsTips) {
  // Insert 3 wide, corner radius 0.4: the tips lie 0.4 beyond the corner centre in the plunge
  // sense, the low one 0.4 below it along the cross axis, the high one 2.6 above it.
  struct Case {
    WorkKind kind;
    InsertReference reference;
    double dx, dy;
  } cases[] = {
      {WorkKind::OutsideDiameter, InsertReference::Centre, 0.0, 0.0},
      {WorkKind::OutsideDiameter, InsertReference::TipLow, -0.4, -0.4},
      {WorkKind::OutsideDiameter, InsertReference::TipHigh, 2.6, -0.4},
      {WorkKind::Bore, InsertReference::TipLow, -0.4, 0.4},
      {WorkKind::Bore, InsertReference::TipHigh, 2.6, 0.4},
      {WorkKind::FrontFace, InsertReference::TipLow, -0.4, -0.4},
      {WorkKind::FrontFace, InsertReference::TipHigh, -0.4, 2.6},
      {WorkKind::BackFace, InsertReference::TipLow, 0.4, -0.4},
      {WorkKind::BackFace, InsertReference::TipHigh, 0.4, 2.6},
  };
  for (const Case& c : cases) {
    PostInput in = GrooveInput();
    in.kind = c.kind;
    const Point3 d = ReferenceShift(in, c.reference);
    EXPECT_NEAR(d.x, c.dx, 1e-12) << static_cast<int>(c.kind) << static_cast<int>(c.reference);
    EXPECT_NEAR(d.y, c.dy, 1e-12) << static_cast<int>(c.kind) << static_cast<int>(c.reference);
    const std::vector<Segment> moves = ProgramMoves(in, c.reference);
    ASSERT_EQ(moves.size(), in.moves.size());
    for (size_t i = 0; i < moves.size(); ++i) {
      EXPECT_NEAR(moves[i].EndPt.x, in.moves[i].EndPt.x + c.dx, 1e-12);
      EXPECT_NEAR(moves[i].EndPt.y, in.moves[i].EndPt.y + c.dy, 1e-12);
      if (in.moves[i].IsArc()) {
        EXPECT_NEAR(moves[i].Center.y, in.moves[i].Center.y + c.dy, 1e-12);
      }
    }
  }
}

TEST(PostTest, MovesShorterThanATenthOfAMicronAreLeftOut) {
  struct Case {
    NcUnits units;
    double step;    // the short move's length, drawing units
    size_t moves;   // written
  } cases[] = {
      {NcUnits::Millimetre, 0.99e-4, 2},
      {NcUnits::Millimetre, 1.01e-4, 3},
      {NcUnits::Inch, 0.99e-4 / 25.4, 2},
      {NcUnits::Inch, 1.01e-4 / 25.4, 3},
  };
  for (const Case& c : cases) {
    PostInput in = GrooveInput();
    in.units = c.units;
    in.moves = {Rapid(110, 60, 50, 60), Cut(50, 60, 50, 60 - c.step, kPhaseRoughing),
                Cut(50, 60 - c.step, 50, 55, kPhaseRoughing)};
    const std::vector<Segment> moves = ProgramMoves(in, InsertReference::Centre);
    ASSERT_EQ(moves.size(), c.moves) << c.step;
    // The next move starts where the one before ended.
    EXPECT_EQ(moves.back().StartPt.y, moves[moves.size() - 2].EndPt.y);
  }
}

}  // namespace
}  // namespace sulkor
