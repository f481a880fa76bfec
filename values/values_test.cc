// The value interface on the example drawings and on coordinates: the four kinds of work, inch,
// refusals and malformed requests, the same moves as DoGroove run the way `sulkor groove` runs
// it, the drawing, program and picture functions, and requests on eight threads at once.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "operation/operation_state.h"
#include "host/dxf/dxf_file.h"
#include "host/memory/memory_graphic_set.h"
#include "host/dxf/part_from_drawing.h"
#include "host/memory/scene.h"
#include "post/nc_post.h"
#include "sulkor/groove.h"
#include "sulkor/values.h"
#include "values/groove_kind.h"
#include "groove/groove_state.h"

namespace sulkor {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string Example(const std::string& name) {
  return std::string(SULKOR_SOURCE_DIR) + "/examples/" + name;
}

struct ExampleRun {
  std::string file;
  std::string type;       // as `sulkor groove --type`
  std::string direction;  // --direction
  std::optional<StartPoint> start;
  GroovingTool tool;
  GrooveKind kind;
  int32_t plunges;
  int32_t pecks;
  int32_t moves;
  double cuttingLength;
  double cycleMinutes;
};

const std::vector<ExampleRun>& ExampleRuns() {
  // The figures are those `sulkor groove --json` prints for the same drawings and options.
  static const std::vector<ExampleRun> runs = {
      {"outside_groove.dxf", "Turn", "External", {}, {3, 0.2, 1}, GrooveKind::OutsideDiameter,
       3, 3, 31, 40.420951, 0.366568},
      {"bore_groove.dxf", "Turn", "Internal", StartPoint{10, 65}, {3, 0.2, 1}, GrooveKind::Bore,
       2, 2, 20, 25.764152, 0.235634},
      {"face_groove.dxf", "Face", "Internal", StartPoint{20, 60}, {3, 0.2, 1},
       GrooveKind::FrontFace, 2, 2, 20, 21.764152, 0.196386},
      {"back_face_groove.dxf", "Face", "External", StartPoint{100, -10}, {3, 0.2, 1},
       GrooveKind::BackFace, 2, 2, 20, 18.764152, 0.172765},
      {"outside_groove_inch.dxf", "Turn", "External", {}, {0.118, 0.008, 1},
       GrooveKind::OutsideDiameter, 3, 3, 41, 1.818893, 0.429157},
  };
  return runs;
}

GrooveRequest RequestOf(const ExampleRun& run) {
  GrooveRequest request = RequestFor(ReadDrawing(Example(run.file)));
  request.tool = run.tool;
  request.start = run.start;
  return request;
}

// The tool path of the drawing run as `sulkor groove` runs it: the DXF imported into a memory
// host, the tool into the tool table, the parameters set by name, the block set created from the
// "WorkContour", then DoGroove.
std::vector<Segment> DoGrooveMoves(const ExampleRun& run) {
  host::MemoryHost host = host::BuildMemoryHost();
  host::ImportDxfFile(Example(run.file), *host.Drawing());
  const host::DrawingPart part = host::SetUpPartFromDrawing(host, run.file);
  host::SceneTool tool;
  tool.width = run.tool.width;
  tool.cornerRadius = run.tool.cornerRadius;
  tool.measure = run.file.find("inch") != std::string::npos ? "in" : "mm";
  host::AddTool(*host.store, tool);
  Groove groove(host.environment);
  groove.SetParameter("CAM_TurningTrajectoryType", Variant(run.type));
  groove.SetParameter("CAM_TurningDirection", Variant(run.direction));
  if (run.start) {
    groove.SetParameter("CAM_TurningStartPointX", Variant(run.start->diameter));
    groove.SetParameter("CAM_TurningStartPointZ", Variant(run.start->z));
  }
  auto selection = std::make_shared<host::MemoryGraphicSet>();
  selection->Add(part.workContour);
  const Handle<BlockSet> operation = groove.CreateBlockSet(Handle<GraphicSet>(selection));
  EXPECT_TRUE(groove.DoGroove(operation)) << run.file;
  return StateOf(groove).toolPath.Segs;
}

bool Near(Point a, Point b) { return std::fabs(a.x - b.x) < 1e-9 && std::fabs(a.y - b.y) < 1e-9; }

TEST(RunGroove, ExampleDrawingsGiveTheKindAndTheMovesOfDoGroove) {
  for (const ExampleRun& run : ExampleRuns()) {
    SCOPED_TRACE(run.file);
    const GrooveResult result = RunGroove(RequestOf(run));
    ASSERT_EQ(result.status, GrooveStatus::Done) << result.message;
    EXPECT_EQ(result.kind, run.kind);
    EXPECT_EQ(result.summary.plunges, run.plunges);
    EXPECT_EQ(result.summary.pecks, run.pecks);
    EXPECT_EQ(result.summary.moves, run.moves);
    EXPECT_NEAR(result.summary.cuttingLength, run.cuttingLength, 1e-6);
    EXPECT_NEAR(result.summary.cycleMinutes, run.cycleMinutes, 1e-6);
    EXPECT_EQ(result.units, run.file.find("inch") != std::string::npos ? Units::Inch
                                                                       : Units::Millimetre);
    const std::vector<Segment> expected = DoGrooveMoves(run);
    ASSERT_EQ(result.moves.size(), expected.size());
    EXPECT_EQ(result.summary.moves, static_cast<int32_t>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
      const Segment& s = expected[i];
      const Move& m = result.moves[i];
      EXPECT_EQ(m.element.kind == ElementKind::Arc, s.IsArc()) << "move " << i;
      EXPECT_TRUE(Near(m.element.start, {s.StartPt.x, s.StartPt.y})) << "move " << i;
      EXPECT_TRUE(Near(m.element.end, {s.EndPt.x, s.EndPt.y})) << "move " << i;
      if (s.IsArc()) {
        EXPECT_TRUE(Near(m.element.center, {s.Center.x, s.Center.y})) << "move " << i;
        EXPECT_EQ(m.element.direction, s.Direction) << "move " << i;
      }
      EXPECT_EQ(m.kind == MoveKind::Cutting, s.MoveType != 0) << "move " << i;
      EXPECT_EQ(static_cast<int>(m.phase), s.Phase) << "move " << i;
    }
    EXPECT_FALSE(result.removed.empty());
    EXPECT_FALSE(result.remaining.empty());
  }
}

TEST(RunGroove, KindOfWorkIsFoundFromTheProfileOrTakenAsGiven) {
  struct Case {
    std::string file;
    std::optional<GrooveKind> given;
    GrooveKind expected;
  };
  const std::vector<Case> cases = {
      {"outside_groove.dxf", std::nullopt, GrooveKind::OutsideDiameter},
      {"bore_groove.dxf", std::nullopt, GrooveKind::Bore},
      {"face_groove.dxf", std::nullopt, GrooveKind::FrontFace},
      {"back_face_groove.dxf", std::nullopt, GrooveKind::BackFace},
      {"bore_groove.dxf", GrooveKind::Bore, GrooveKind::Bore},
  };
  for (const Case& c : cases) {
    for (const ExampleRun& run : ExampleRuns()) {
      if (run.file != c.file) continue;
      GrooveRequest request = RequestOf(run);
      request.kind = c.given;
      const GrooveResult result = RunGroove(request);
      ASSERT_TRUE(result.Ok()) << c.file << ": " << result.message;
      EXPECT_EQ(result.kind, c.expected) << c.file;
    }
  }
}

TEST(KindOfProfile, SideOfTheChordWhicheverWayTheProfileRuns) {
  struct Case {
    Chain profile;
    GrooveKind expected;
  };
  const Chain arcBottom = {Element::Line({30, 28}, {30, 20}),
                           Element::Arc({30, 20}, {40, 20}, {35, 20}, 1),
                           Element::Line({40, 20}, {40, 28})};
  const std::vector<Case> cases = {
      {Polyline({{30, 28}, {30, 20}, {40, 20}, {40, 28}}), GrooveKind::OutsideDiameter},
      {Polyline({{40, 28}, {40, 20}, {30, 20}, {30, 28}}), GrooveKind::OutsideDiameter},
      {Polyline({{25, 7}, {25, 14}, {33, 14}, {33, 7}}), GrooveKind::Bore},
      {Polyline({{33, 7}, {33, 14}, {25, 14}, {25, 7}}), GrooveKind::Bore},
      {Polyline({{53, 20}, {46, 20}, {46, 26}, {53, 26}}), GrooveKind::FrontFace},
      {Polyline({{53, 26}, {46, 26}, {46, 20}, {53, 20}}), GrooveKind::FrontFace},
      {Polyline({{-3, 20}, {4, 20}, {4, 26}, {-3, 26}}), GrooveKind::BackFace},
      {arcBottom, GrooveKind::OutsideDiameter},
      // One arc between two points of the chord: only its extreme point tells the side.
      {{Element::Arc({30, 28}, {40, 28}, {35, 28}, 1)}, GrooveKind::OutsideDiameter},
      {{Element::Arc({30, 28}, {40, 28}, {35, 28}, -1)}, GrooveKind::Bore},
      {{Element::Arc({50, 20}, {50, 30}, {50, 25}, -1)}, GrooveKind::FrontFace},
      {{Element::Arc({50, 20}, {50, 30}, {50, 25}, 1)}, GrooveKind::BackFace},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(values::KindOfProfile(cases[i].profile), cases[i].expected) << "case " << i;
  }
}

GrooveRequest BarRequest() {
  GrooveRequest request;
  request.blank = Polyline({{0, 0}, {80, 0}, {80, 25}, {0, 25}, {0, 0}});
  request.profile = Polyline({{30, 28}, {30, 20}, {40, 20}, {40, 28}});
  return request;
}

TEST(RunGroove, RefusalsAndMalformedRequestsSayWhy) {
  struct Case {
    std::string name;
    std::function<void(GrooveRequest&)> change;
    GrooveStatus status;
    std::string message;
    std::string detail = "";
  };
  const std::vector<Case> cases = {
      {"tool wider than the groove", [](GrooveRequest& r) { r.tool.width = 12; },
       GrooveStatus::Refused,
       "Sulkor function cannot be performed.: Groove-Turn operation can not be performed for "
       "selected work area",
       "insert 12.000 wide, groove 10.000 wide at its narrowest (x 35.000)"},
      {"profile missing the blank",
       [](GrooveRequest& r) { r.profile = Polyline({{30, 128}, {30, 120}, {40, 120}, {40, 128}}); },
       GrooveStatus::Refused,
       "Sulkor function cannot be performed.: Work contour doesn't intersect current Blank "
       "contour",
       "the work contour crosses the stock's outline 0 times; a groove crosses it twice"},
      {"empty profile", [](GrooveRequest& r) { r.profile.clear(); }, GrooveStatus::InvalidRequest,
       "the profile has no elements"},
      {"open blank", [](GrooveRequest& r) { r.blank.pop_back(); }, GrooveStatus::InvalidRequest,
       "the blank is not closed"},
      {"closed profile",
       [](GrooveRequest& r) { r.profile.push_back(Element::Line({40, 28}, {30, 28})); },
       GrooveStatus::InvalidRequest, "the profile must be an open chain, not a closed one"},
      {"gap", [](GrooveRequest& r) { r.profile[1].start.x += 1e-5; }, GrooveStatus::InvalidRequest,
       "element 2 of the profile starts at (30.00001, 20), not where element 1 ends (30, 20)"},
      {"not finite", [](GrooveRequest& r) { r.blank[0].start.y = NAN; },
       GrooveStatus::InvalidRequest,
       "element 1 of the blank has a coordinate that is not a finite number"},
      {"arc without radius",
       [](GrooveRequest& r) { r.profile[1] = Element::Arc({30, 20}, {40, 20}, {30, 20}, 1); },
       GrooveStatus::InvalidRequest, "arc 2 of the profile needs a radius and a direction of 1 or -1"},
      {"no tool width", [](GrooveRequest& r) { r.tool.width = 0; }, GrooveStatus::InvalidRequest,
       "the tool width must be a number above zero, not 0"},
      {"corner too large", [](GrooveRequest& r) { r.tool.cornerRadius = 1.6; },
       GrooveStatus::InvalidRequest,
       "the corner radius must be from 0 to half the tool width 3, not 1.6"},
  };
  for (const Case& c : cases) {
    GrooveRequest request = BarRequest();
    c.change(request);
    const GrooveResult result = RunGroove(request);
    EXPECT_EQ(result.status, c.status) << c.name;
    EXPECT_EQ(result.message, c.message) << c.name;
    EXPECT_EQ(result.detail, c.detail) << c.name;
    EXPECT_TRUE(result.moves.empty()) << c.name;
    EXPECT_THROW(PostProgram(result), Error) << c.name;
    EXPECT_THROW(DrawingText(result), Error) << c.name;
  }
}

TEST(RunGroove, CuttingDataReachTheOperationAndItsProgram) {
  GrooveRequest request = BarRequest();
  request.tool.number = 4;
  request.cutting = {80.0, 900.0, 2.0, 0.1, 40.0, 1200.0};
  request.start = StartPoint{60, 90};
  const GrooveResult result = RunGroove(request);
  ASSERT_TRUE(result.Ok()) << result.message;
  const GrooveSettings& s = result.settings;
  EXPECT_EQ(std::vector<double>({s.feed, s.speed, s.depthPerPass, s.finishAllowance, s.finishFeed,
                                 s.finishSpeed, s.start.diameter, s.start.z}),
            std::vector<double>({80, 900, 2, 0.1, 40, 1200, 60, 90}));
  const std::string program = PostProgram(result, "linuxcnc");
  EXPECT_THAT(program, HasSubstr("T4 M6 G43\n"));
  EXPECT_THAT(program, HasSubstr("G0 X60 Z90\n"));
  EXPECT_THAT(program, HasSubstr("F80\n"));
  EXPECT_THAT(program, HasSubstr("S1200"));
  EXPECT_THAT(PostProgram(result, "fanuc"), StartsWith("%\nO0001"));
  EXPECT_THROW(PostProgram(result, "heidenhain"), Error);
}

TEST(RunGroove, DrawingAndPicturesOfTheRun) {
  const GrooveResult result = RunGroove(RequestOf(ExampleRuns().front()));
  ASSERT_TRUE(result.Ok());
  const std::string dxf = DrawingText(result);
  for (const char* name : {"Trajectory", "RemovedMaterial", "LastPartBlank", "ANSI36"}) {
    EXPECT_THAT(dxf, HasSubstr(name));
  }
  EXPECT_THAT(RenderPreview(result, "svg"), HasSubstr("<svg"));
  EXPECT_THAT(RenderPreview(result, "png", 300), StartsWith("\x89PNG"));
  EXPECT_THAT(RenderPreview(result, "pdf"), StartsWith("%PDF"));
  try {
    RenderPreview(result, "bmp");
    ADD_FAILURE() << "a bmp picture";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "unknown picture format \"bmp\"; use \"png\", \"svg\" or \"pdf\"");
  }
  EXPECT_THROW(ReadDrawing(Example("no_such.dxf")), Error);
}

// The lowest end point of the chain's elements strictly between x = from and x = to; 1e9 when
// none lies there.
double LowestBetween(const Chain& chain, double from, double to) {
  double lowest = 1e9;
  for (const Element& e : chain) {
    for (Point p : {e.start, e.end}) {
      if (p.x > from && p.x < to) lowest = std::min(lowest, p.y);
    }
  }
  return lowest;
}

TEST(RunGroove, TheNextOperationStartsFromTheStockTheEarlierLeft) {
  const GrooveResult first = RunGroove(BarRequest());
  ASSERT_TRUE(first.Ok()) << first.message;
  GrooveRequest second = BarRequest();
  second.profile = Polyline({{55, 28}, {55, 21}, {62, 21}, {62, 28}});
  const GrooveResult fresh = RunGroove(second);
  second.stock = first.remaining;
  const GrooveResult chained = RunGroove(second);
  ASSERT_TRUE(fresh.Ok() && chained.Ok()) << fresh.message << chained.message;
  // Only the stock the first groove left has its floor between x 30 and 40.
  EXPECT_EQ(chained.moves, fresh.moves);
  EXPECT_LT(LowestBetween(chained.remaining, 30, 40), 21.0);
  EXPECT_GT(LowestBetween(fresh.remaining, 30, 40), 21.0);
}

TEST(RunGroove, EightThreadsGiveWhatOneThreadGives) {
  std::vector<GrooveRequest> requests;
  std::vector<GrooveResult> alone;
  for (const ExampleRun& run : ExampleRuns()) {
    requests.push_back(RequestOf(run));
    alone.push_back(RunGroove(requests.back()));
  }
  constexpr int kThreads = 8;
  std::vector<std::vector<GrooveResult>> together(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (size_t i = 0; i < requests.size(); ++i) {
        together[t].push_back(RunGroove(requests[(i + t) % requests.size()]));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    for (size_t i = 0; i < requests.size(); ++i) {
      const GrooveResult& mine = together[t][i];
      const GrooveResult& expected = alone[(i + t) % requests.size()];
      EXPECT_EQ(mine.moves, expected.moves) << "thread " << t << " request " << i;
      EXPECT_EQ(mine.remaining, expected.remaining) << "thread " << t << " request " << i;
    }
  }
}

}  // namespace
}  // namespace sulkor
