// The post's own decisions: Fanuc programs by their blocks (LinuxCNC's are read by its
// interpreter in rs274_test.cc), refusals, the tip the program drives, short moves, plunge
// bottoms and the cycle time.
#include "post/nc_post.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "contour/segment_build.h"
#include "toolpath/groove_path.h"

namespace sulkor {
namespace {

Segment Move(Segment s, int16_t type, int16_t phase) {
  s.MoveType = type;
  s.Phase = phase;
  return s;
}
Segment Rapid(double x1, double y1, double x2, double y2) {
  return Move(MakeLine(x1, y1, x2, y2), kMovePositioning, kPhaseNone);
}
Segment Cut(double x1, double y1, double x2, double y2, int16_t phase = kPhaseRoughing) {
  return Move(MakeLine(x1, y1, x2, y2), kMoveCutting, phase);
}
Segment ArcCut(double sx, double sy, double ex, double ey, double cx, double cy, int16_t dir) {
  return Move(MakeArc(sx, sy, ex, ey, cx, cy, dir), kMoveCutting, kPhaseFinishing);
}

// One outside groove cut by hand (x along the axis, y the radius): a plunge of two pecks at
// x 50, then both walls finished down into the bottom's rounded corners.
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
  in.moves = {Rapid(110, 60, 50, 60), Rapid(50, 60, 50, 52), Cut(50, 52, 50, 48.5),
              Rapid(50, 48.5, 50, 50), Cut(50, 50, 50, 45), Rapid(50, 45, 50, 52),
              Rapid(50, 52, 52, 52), Cut(52, 52, 52, 45.4, kPhaseFinishing),
              ArcCut(52, 45.4, 51.6, 45, 51.6, 45.4, -1), Cut(51.6, 45, 48.4, 45, kPhaseFinishing),
              Rapid(48.4, 45, 48, 52), Cut(48, 52, 48, 45.4, kPhaseFinishing),
              ArcCut(48, 45.4, 48.4, 45, 48.4, 45.4, 1), Rapid(48.4, 45, 48.4, 60),
              Rapid(48.4, 60, 110, 60)};
  return in;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(PostTest, FanucProgramsByTheirBlocks) {
  const PostOptions front{.dialect = Dialect::Fanuc, .toolPost = ToolPost::Front, .plungeDwell = 0.5, .programNumber = 42,
                           .homePosition = {}};
  // A shop's program: the tip on the -Z side driven (0.4 lower and 0.4 towards -Z), constant
  // surface speed under a limit, feed per revolution, coolant, reference returns, left hand.
  const PostOptions shop{.dialect = Dialect::Fanuc, .programNumber = 7, .reference = InsertReference::TipLow,
                         .surfaceSpeed = 150.0, .maxRpm = 2400.0, .coolant = Coolant::Flood,
                         .home = HomeKind::MachineReference, .homePosition = {}};
  PostInput perRev = GrooveInput();
  perRev.feedPerRevolution = perRev.leftHand = true;
  perRev.roughFeed = 0.05;
  perRev.finishFeed = 0.03;
  // Inch, tool 7, a finishing move first: the spindle starts at the finishing speed; numbers
  // keep the five places the control resolves.
  const PostInput inch{.moves = {Cut(2.5, 1.0, 1.23456789, 0.987654321, kPhaseFinishing),
                                 Cut(1.23456789, 0.987654321, 1.0, -0.0000001), Rapid(1.0, -0.0000001, 1.0, 1.0)},
                       .roughFeed = 4.5, .roughSpeed = 1299.6, .finishFeed = 3.25, .finishSpeed = 1800.4,
                       .units = NcUnits::Inch, .toolNumber = 7, .start = {2.5, 1.0, 0.0}};
  const PostOptions fanuc{.dialect = Dialect::Fanuc, .homePosition = {}};
  const struct {
    const char* name;
    std::vector<PostInput> in;
    PostOptions options;
    std::vector<std::string> blocks;  // the whole program when `whole`, else in this order
    bool whole;
  } cases[] = {
      {"shop", {perRev}, shop,
       {"%", "O0007 (SULKOR GROOVE T01 REAR TOOL POST MM)",
        "(DRIVES THE INSERT'S TIP ON ITS -Z SIDE: SET THE TOOL OFFSET BY TOUCHING X WITH THE "
        "CUTTING EDGE AND Z WITH THE -Z FLANK, THE INSERT 3. WIDE)",
        "G18 G21 G40 G99", "G28 U0.", "G28 W0.", "T0101", "G50 S2400", "G96 S150. M04", "M08",
        "G00 X119.2 Z109.6", "G00 X119.2 Z49.6", "G00 X103.2 Z49.6", "G01 X96.2 Z49.6 F0.05",
        "G00 X99.2 Z49.6", "G01 X89.2 Z49.6", "G00 X103.2 Z49.6", "G00 X103.2 Z51.6",
        "G01 X90. Z51.6 F0.03", "G02 X89.2 Z51.2 I0. K-0.4", "G01 X89.2 Z48.",
        "G00 X103.2 Z47.6", "G01 X90. Z47.6", "G03 X89.2 Z48. I0. K0.4", "G00 X119.2 Z48.",
        "G00 X119.2 Z109.6", "M09", "G28 U0.", "G28 W0.", "M05", "M30", "%"},
       true},
      {"dwell, front tool post", {GrooveInput()}, front,
       {"%", "O0042 (SULKOR GROOVE T01 FRONT TOOL POST MM)",
        "(DRIVES THE CENTRE OF THE INSERT'S CORNER RADIUS R 0.4 ON ITS -Z SIDE: SET THE TOOL "
        "OFFSET TO THAT CENTRE, R INSIDE THE TIP ALONG X AND Z)",
        "G18 G21 G40 G98", "T0101", "G97 S1300 M03", "G01 X97. Z50. F115.", "G01 X90. Z50.", "G04 P500",
        "S2000", "G01 X90.8 Z52. F60.", "G02 X90. Z51.6 I0. K-0.4", "G03 X90. Z48.4 I0. K0.4", "M05", "M30", "%"},
       false},
      {"inch", {inch}, fanuc,
       {"O0001 (SULKOR GROOVE T07 REAR TOOL POST INCH)", "G18 G20 G40 G98", "T0707",
        "G97 S1800 M03", "G00 X2. Z2.5", "G01 X1.97531 Z1.23457 F3.25", "S1300",
        "G01 X0. Z1. F4.5", "G00 X2. Z1.", "M30"},
       false},
      // Two operations: the feed is written again after the tool change.
      {"two operations", {GrooveInput(), [] {
         PostInput second = GrooveInput();
         second.toolNumber = 2;
         second.start = {120.0, 70.0, 0.0};
         return second;
       }()}, fanuc,
       {"O0001 (SULKOR GROOVES T01 T02 REAR TOOL POST MM)", "T0101", "G01 X97. Z50. F115.",
        "M05", "T0202", "G97 S1300 M03", "G00 X140. Z120.", "G01 X97. Z50. F115.", "M30", "%"},
       false},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> lines = Lines(PostProcess(c.in, c.options));
    if (c.whole) {
      EXPECT_EQ(lines, c.blocks) << c.name;
      continue;
    }
    auto at = lines.begin();
    for (const std::string& block : c.blocks) {
      at = std::find(at, lines.end(), block);
      ASSERT_NE(at, lines.end()) << c.name << ": " << block << " missing or out of order";
      ++at;
    }
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "G04 P500"), c.options.plungeDwell > 0) << c.name;
  }
}

TEST(PostTest, RefusedInputsNameTheirFault) {
  const auto with = [](std::function<void(PostInput&, PostOptions&)> change) {
    return [change] {
      PostInput in = GrooveInput();
      PostOptions options;
      change(in, options);
      PostProcess(in, options);
    };
  };
  PostInput inch = GrooveInput();
  inch.units = NcUnits::Inch;
  const struct {
    std::function<void()> act;
    std::string message;
  } cases[] = {
      {with([](PostInput& in, PostOptions&) { in.toolNumber = 0; }),
       "tool number 0 cannot be called: tools are numbered from 1"},
      {with([](PostInput& in, PostOptions& o) { in.toolNumber = 100; o.dialect = Dialect::Fanuc; }),
       "tool number 100 cannot be called in the fanuc dialect: T takes 1 to 99"},
      {with([](PostInput& in, PostOptions&) { in.finishFeed = 0.0; }),
       "the finishing feed must be more than zero"},
      {with([](PostInput& in, PostOptions&) { in.roughFeed = std::nan(""); }),
       "the roughing feed must be more than zero"},
      {with([](PostInput& in, PostOptions&) { in.roughSpeed = 0.4; }),
       "the roughing speed must be at least 1 revolution per minute"},
      {with([](PostInput&, PostOptions& o) { o.plungeDwell = -1.0; }),
       "the dwell at the bottom of a plunge must be zero or more seconds"},
      {with([](PostInput&, PostOptions& o) { o.dialect = Dialect::Fanuc; o.programNumber = 10000; }),
       "program number 10000 is outside 1 to 9999"},
      {[] { PostProcess(std::vector<PostInput>{}, PostOptions{}); },
       "a program needs at least one operation"},
      {[inch] { PostProcess({GrooveInput(), inch}, PostOptions{}); },
       "the operations of one program must be in the same units"},
      {[] { DialectFromName("Fanuc"); },
       "unknown post dialect \"Fanuc\": use \"linuxcnc\" or \"fanuc\""},
      {[] { EstimateCycleTime(GrooveInput(), std::nan("")); }, "the rapid rate must be more than zero"},
      {[] { EstimateCycleTime(GrooveInput(), 0.0); }, "the rapid rate must be more than zero"},
  };
  for (const auto& c : cases) {
    try {
      c.act();
      ADD_FAILURE() << c.message << ": no error";
    } catch (const PostError& e) {
      EXPECT_EQ(e.what(), c.message);
    }
  }
  PostInput bigTool = GrooveInput();
  bigTool.toolNumber = 100;
  EXPECT_NO_THROW(PostProcess(bigTool, {}));  // LinuxCNC takes any tool number
  EXPECT_EQ(DialectFromName("fanuc"), Dialect::Fanuc);
}

TEST(PostTest, ArcsNeverBecomeCirclesOrRapids) {
  // A 1e-7 long arc prints its end at its start: a control would cut a full circle. A
  // positioning arc cannot be a rapid, which runs straight: it runs at the roughing feed.
  const Segment positioningArc = Move(MakeArc(110, 60, 100, 70, 100, 60, 1), kMovePositioning, kPhaseNone);
  const std::pair<Segment, const char*> cases[] = {
      {ArcCut(110, 60, 110, 60.0000001, 100, 60.00000005, -1), "G1 X120 Z110 F60"},
      {positioningArc, "G3 X140 Z100 I0 K-10 F115"}};
  for (const auto& [move, block] : cases) {
    PostInput in = GrooveInput();
    in.moves = {move};
    const std::vector<std::string> lines = Lines(PostProcess(in, {}));
    ASSERT_GE(lines.size(), 8u) << block;
    EXPECT_EQ(lines[6], block);
  }
  PostInput in = GrooveInput();
  in.moves = {positioningArc};
  EXPECT_NEAR(EstimateCycleTime(in, 1000.0).cuttingLength, 5.0 * std::numbers::pi, 1e-9);
}

TEST(PostTest, ReferenceShiftsThePathToTheInsertsTips) {
  // Insert 3 wide, corner radius 0.4: the tips lie 0.4 beyond the corner centre in the plunge
  // sense, the low one 0.4 below it along the cross axis, the high one 2.6 above it.
  const struct {
    WorkKind kind;
    InsertReference reference;
    double dx, dy;
  } cases[] = {
      {WorkKind::OutsideDiameter, InsertReference::Centre, 0.0, 0.0},
      {WorkKind::OutsideDiameter, InsertReference::TipLow, -0.4, -0.4}, {WorkKind::OutsideDiameter, InsertReference::TipHigh, 2.6, -0.4},
      {WorkKind::Bore, InsertReference::TipLow, -0.4, 0.4},             {WorkKind::Bore, InsertReference::TipHigh, 2.6, 0.4},
      {WorkKind::FrontFace, InsertReference::TipLow, -0.4, -0.4},       {WorkKind::FrontFace, InsertReference::TipHigh, -0.4, 2.6},
      {WorkKind::BackFace, InsertReference::TipLow, 0.4, -0.4},         {WorkKind::BackFace, InsertReference::TipHigh, 0.4, 2.6},
  };
  for (const auto& c : cases) {
    PostInput in = GrooveInput();
    in.kind = c.kind;
    const Point3 d = ReferenceShift(in, c.reference);
    const std::string name = "case " + std::to_string(&c - cases);
    EXPECT_NEAR(d.x, c.dx, 1e-12) << name;
    EXPECT_NEAR(d.y, c.dy, 1e-12) << name;
    const std::vector<Segment> moves = ProgramMoves(in, c.reference);
    ASSERT_EQ(moves.size(), in.moves.size());
    for (size_t i = 0; i < moves.size(); ++i) {
      EXPECT_NEAR(moves[i].EndPt.x - in.moves[i].EndPt.x, c.dx, 1e-12) << name;
      EXPECT_NEAR(moves[i].EndPt.y - in.moves[i].EndPt.y, c.dy, 1e-12) << name;
      if (in.moves[i].IsArc()) {
        EXPECT_NEAR(moves[i].Center.y - in.moves[i].Center.y, c.dy, 1e-12);
      }
    }
  }
  // Moves shorter than a tenth of a micron are left out, in either unit; the next one starts
  // where the one before ended.
  for (const auto& [units, k] : {std::pair{NcUnits::Millimetre, 1.0}, {NcUnits::Inch, 1 / 25.4}}) {
    for (const auto& [step, written] : {std::pair{0.99e-4, 2u}, {1.01e-4, 3u}}) {
      PostInput in = GrooveInput();
      in.units = units;
      in.moves = {Rapid(110, 60, 50, 60), Cut(50, 60, 50, 60 - step * k), Cut(50, 60 - step * k, 50, 55)};
      const std::vector<Segment> moves = ProgramMoves(in, InsertReference::Centre);
      ASSERT_EQ(moves.size(), written) << step * k;
      EXPECT_EQ(moves.back().StartPt.y, moves[moves.size() - 2].EndPt.y);
    }
  }
}

TEST(PostTest, PlungeBottomsAndCycleTime) {
  std::vector<size_t> bottoms;
  const std::vector<Segment> moves = GrooveInput().moves;
  for (size_t i = 0; i <= moves.size(); ++i) {
    if (EndsPlunge(moves, i)) bottoms.push_back(i);
  }
  EXPECT_EQ(bottoms, (std::vector<size_t>{4}));
  // A peck followed by a back-off and a peck of another plunge, or one turning back along its
  // own line, is a bottom; a last move too.
  const std::vector<Segment> other = {Cut(0, 10, 0, 8), Rapid(0, 8, 0, 9), Cut(2, 9, 2, 7)};
  const std::vector<Segment> back = {Cut(0, 10, 0, 8), Rapid(0, 8, 0, 9), Cut(0, 9, 0, 10)};
  EXPECT_TRUE(EndsPlunge(other, 0) && EndsPlunge(other, 2) && !EndsPlunge(other, 1));
  EXPECT_TRUE(EndsPlunge(back, 0));

  // Arcs of more than half a turn count their whole sweep, in their own direction; the dwell
  // counts once per plunge bottom. The cycle times themselves are pinned by the value
  // interface's example figures.
  EXPECT_NEAR(MoveLength(MakeArc(1, 0, 0, -1, 0, 0, 1)), 1.5 * std::numbers::pi, 1e-12);
  EXPECT_NEAR(MoveLength(MakeArc(1, 0, 0, -1, 0, 0, -1)), 0.5 * std::numbers::pi, 1e-12);
  const CycleTime t = EstimateCycleTime(GrooveInput(), 5000.0, 3.0);
  EXPECT_NEAR(t.dwellMinutes, 0.05, 1e-12);  // 3 s at the one bottom
  EXPECT_NEAR(t.minutes, t.cuttingMinutes + t.rapidMinutes + 0.05, 1e-12);
}

// What the post takes from an operation: feeds, speeds and tool, the start point's X a diameter
// made a radius, and the units system (1 inch, anything else millimetres).
TEST(PostTest, InputOfAnOperation) {
  OperationState state;
  state.params.Feed = 4.5;
  state.params.Speed = 1200.0;
  state.params.FinishFeed = 2.0;
  state.params.FinishSpeed = 1600.0;
  state.params.ToolNumber = 5;
  state.params.StartPointX = 3.0;
  state.params.StartPointZ = 0.5;
  for (const int16_t units : {int16_t{0}, int16_t{1}, int16_t{2}}) {
    state.unitsSystem = units;
    const PostInput in = PostInputFromOperation(state);
    EXPECT_EQ(in.units, units == 1 ? NcUnits::Inch : NcUnits::Millimetre) << units;
    EXPECT_EQ(std::vector<double>({in.roughFeed, in.roughSpeed, in.finishFeed, in.finishSpeed, 1.0 * in.toolNumber,
                                   in.start.x, in.start.y}),
              std::vector<double>({4.5, 1200, 2, 1600, 5, 0.5, 1.5}));
  }
}

}  // namespace
}  // namespace sulkor
