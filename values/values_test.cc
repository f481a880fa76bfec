// The value interface on the example drawings and on coordinates: the four kinds of work, inch,
// refusals and malformed requests, the same moves as DoGroove run the way `sulkor groove` runs
// it, the drawing, program and picture functions, chained stock. Requests on eight threads at
// once, the picture formats and a drawing that is missing are python/sulkor_test.py's: the
// package runs this interface.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "groove/groove_state.h"
#include "host/dxf/dxf_file.h"
#include "host/dxf/part_from_drawing.h"
#include "host/memory/memory_graphic_set.h"
#include "host/memory/scene.h"
#include "sulkor/groove.h"
#include "sulkor/values.h"
#include "values/groove_kind.h"

namespace sulkor {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string Example(const std::string& name) { return std::string(SULKOR_SOURCE_DIR) + "/examples/" + name; }

struct ExampleRun {
  std::string file, type, direction;  // as `sulkor groove --type --direction`
  std::optional<StartPoint> start;
  GroovingTool tool;
  GrooveKind kind;
  int32_t plunges, pecks, moves;
  double cuttingLength, cycleMinutes;
};

// The figures are those `sulkor groove --json` prints for the same drawings and options.
const std::vector<ExampleRun> kRuns = {
    {"outside_groove.dxf", "Turn", "External", {}, {3, 0.2, 1}, GrooveKind::OutsideDiameter, 3, 3, 31, 40.420951, 0.366568},
    {"bore_groove.dxf", "Turn", "Internal", StartPoint{10, 65}, {3, 0.2, 1}, GrooveKind::Bore, 2, 2, 20, 25.764152, 0.235634},
    {"face_groove.dxf", "Face", "Internal", StartPoint{20, 60}, {3, 0.2, 1}, GrooveKind::FrontFace, 2, 2, 20, 21.764152, 0.196386},
    {"back_face_groove.dxf", "Face", "External", StartPoint{100, -10}, {3, 0.2, 1}, GrooveKind::BackFace, 2, 2, 20, 18.764152, 0.172765},
    {"outside_groove_inch.dxf", "Turn", "External", {}, {0.118, 0.008, 1}, GrooveKind::OutsideDiameter, 3, 3, 41, 1.818893, 0.429157},
};

GrooveRequest RequestOf(const ExampleRun& run) {
  GrooveRequest request = RequestFor(ReadDrawing(Example(run.file)));
  request.tool = run.tool;
  request.start = run.start;
  return request;
}

// The tool path of the drawing run as `sulkor groove` runs it: the DXF imported into a memory
// host, the tool into the tool table, the parameters set by name, then DoGroove.
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
  EXPECT_TRUE(groove.DoGroove(groove.CreateBlockSet(Handle<GraphicSet>(selection)))) << run.file;
  return StateOf(groove).toolPath.Segs;
}

bool Near(Point a, const Point3& b) { return std::fabs(a.x - b.x) < 1e-9 && std::fabs(a.y - b.y) < 1e-9; }

TEST(RunGroove, ExampleDrawingsGiveTheKindAndTheMovesOfDoGroove) {
  for (const ExampleRun& run : kRuns) {
    SCOPED_TRACE(run.file);
    GrooveRequest request = RequestOf(run);
    if (run.kind == GrooveKind::Bore) request.kind = GrooveKind::Bore;  // given: taken as given
    const GrooveResult result = RunGroove(request);
    ASSERT_EQ(result.status, GrooveStatus::Done) << result.message;
    EXPECT_EQ(result.kind, run.kind);
    EXPECT_EQ(std::vector<int32_t>({result.summary.plunges, result.summary.pecks, result.summary.moves}),
              std::vector<int32_t>({run.plunges, run.pecks, run.moves}));
    EXPECT_NEAR(result.summary.cuttingLength, run.cuttingLength, 1e-6);
    EXPECT_NEAR(result.summary.cycleMinutes, run.cycleMinutes, 1e-6);
    EXPECT_EQ(result.units, run.file.find("inch") != std::string::npos ? Units::Inch : Units::Millimetre);
    const std::vector<Segment> expected = DoGrooveMoves(run);
    ASSERT_EQ(result.moves.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      const Segment& s = expected[i];
      const Move& m = result.moves[i];
      EXPECT_EQ(m.element.kind == ElementKind::Arc, s.IsArc()) << "move " << i;
      EXPECT_TRUE(Near(m.element.start, s.StartPt) && Near(m.element.end, s.EndPt)) << "move " << i;
      if (s.IsArc()) {
        EXPECT_TRUE(Near(m.element.center, s.Center) && m.element.direction == s.Direction) << "move " << i;
      }
      EXPECT_EQ(m.kind == MoveKind::Cutting, s.MoveType != 0) << "move " << i;
      EXPECT_EQ(static_cast<int>(m.phase), s.Phase) << "move " << i;
    }
    EXPECT_FALSE(result.removed.empty() || result.remaining.empty());
  }
}

TEST(KindOfProfile, SideOfTheChordWhicheverWayTheProfileRuns) {
  const std::pair<Chain, GrooveKind> cases[] = {
      {Polyline({{30, 28}, {30, 20}, {40, 20}, {40, 28}}), GrooveKind::OutsideDiameter},
      {Polyline({{40, 28}, {40, 20}, {30, 20}, {30, 28}}), GrooveKind::OutsideDiameter},
      {Polyline({{25, 7}, {25, 14}, {33, 14}, {33, 7}}), GrooveKind::Bore},
      {Polyline({{33, 7}, {33, 14}, {25, 14}, {25, 7}}), GrooveKind::Bore},
      {Polyline({{53, 20}, {46, 20}, {46, 26}, {53, 26}}), GrooveKind::FrontFace},
      {Polyline({{53, 26}, {46, 26}, {46, 20}, {53, 20}}), GrooveKind::FrontFace},
      {Polyline({{-3, 20}, {4, 20}, {4, 26}, {-3, 26}}), GrooveKind::BackFace},
      {{Element::Line({30, 28}, {30, 20}), Element::Arc({30, 20}, {40, 20}, {35, 20}, 1),
        Element::Line({40, 20}, {40, 28})}, GrooveKind::OutsideDiameter},
      // One arc between two points of the chord: only its extreme point tells the side.
      {{Element::Arc({30, 28}, {40, 28}, {35, 28}, 1)}, GrooveKind::OutsideDiameter},
      {{Element::Arc({30, 28}, {40, 28}, {35, 28}, -1)}, GrooveKind::Bore},
      {{Element::Arc({50, 20}, {50, 30}, {50, 25}, -1)}, GrooveKind::FrontFace},
      {{Element::Arc({50, 20}, {50, 30}, {50, 25}, 1)}, GrooveKind::BackFace},
  };
  for (const auto& [profile, kind] : cases) EXPECT_EQ(values::KindOfProfile(profile), kind) << &profile - &cases[0].first;
}

GrooveRequest BarRequest() {
  GrooveRequest request;
  request.blank = Polyline({{0, 0}, {80, 0}, {80, 25}, {0, 25}, {0, 0}});
  request.profile = Polyline({{30, 28}, {30, 20}, {40, 20}, {40, 28}});
  return request;
}

TEST(RunGroove, RefusalsAndMalformedRequestsSayWhy) {
  const std::string refused = "Sulkor function cannot be performed.: ";
  const struct {
    std::function<void(GrooveRequest&)> change;
    GrooveStatus status;
    std::string message, detail;
  } cases[] = {
      {[](GrooveRequest& r) { r.tool.width = 12; }, GrooveStatus::Refused,
       refused + "Groove-Turn operation can not be performed for selected work area",
       "insert 12.000 wide, groove 10.000 wide at its narrowest (x 35.000)"},
      {[](GrooveRequest& r) { r.profile = Polyline({{30, 128}, {30, 120}, {40, 120}, {40, 128}}); },
       GrooveStatus::Refused, refused + "Work contour doesn't intersect current Blank contour",
       "the work contour crosses the stock's outline 0 times; a groove crosses it twice"},
      {[](GrooveRequest& r) { r.profile.clear(); }, GrooveStatus::InvalidRequest, "the profile has no elements", ""},
      {[](GrooveRequest& r) { r.blank.pop_back(); }, GrooveStatus::InvalidRequest, "the blank is not closed", ""},
      {[](GrooveRequest& r) { r.profile.push_back(Element::Line({40, 28}, {30, 28})); },
       GrooveStatus::InvalidRequest, "the profile must be an open chain, not a closed one", ""},
      {[](GrooveRequest& r) { r.profile[1].start.x += 1e-5; }, GrooveStatus::InvalidRequest,
       "element 2 of the profile starts at (30.00001, 20), not where element 1 ends (30, 20)", ""},
      {[](GrooveRequest& r) { r.blank[0].start.y = NAN; }, GrooveStatus::InvalidRequest,
       "element 1 of the blank has a coordinate that is not a finite number", ""},
      {[](GrooveRequest& r) { r.profile[1] = Element::Arc({30, 20}, {40, 20}, {30, 20}, 1); },
       GrooveStatus::InvalidRequest, "arc 2 of the profile needs a radius and a direction of 1 or -1", ""},
      {[](GrooveRequest& r) { r.tool.width = 0; }, GrooveStatus::InvalidRequest,
       "the tool width must be a number above zero, not 0", ""},
      {[](GrooveRequest& r) { r.tool.cornerRadius = 1.6; }, GrooveStatus::InvalidRequest,
       "the corner radius must be from 0 to half the tool width 3, not 1.6", ""},
  };
  for (const auto& c : cases) {
    GrooveRequest request = BarRequest();
    c.change(request);
    const GrooveResult result = RunGroove(request);
    EXPECT_EQ(result.status, c.status) << c.message;
    EXPECT_EQ(result.message, c.message);
    EXPECT_EQ(result.detail, c.detail);
    EXPECT_TRUE(result.moves.empty()) << c.message;
    EXPECT_THROW(PostProgram(result), Error) << c.message;
    EXPECT_THROW(DrawingText(result), Error) << c.message;
  }
}

TEST(RunGroove, CuttingDataReachTheProgramTheDrawingAndThePictures) {
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
  for (const char* block : {"T4 M6 G43\n", "G0 X60 Z90\n", "F80\n", "S1200"}) EXPECT_THAT(program, HasSubstr(block));
  EXPECT_THAT(PostProgram(result, "fanuc"), StartsWith("%\nO0001"));
  for (const char* name : {"Trajectory", "RemovedMaterial", "LastPartBlank", "ANSI36"}) {
    EXPECT_THAT(DrawingText(result), HasSubstr(name));
  }
  try {
    RenderPreview(result, "bmp");
    ADD_FAILURE() << "a bmp picture";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "unknown picture format \"bmp\"; use \"png\", \"svg\" or \"pdf\"");
  }
}

TEST(RunGroove, TheNextOperationStartsFromTheStockTheEarlierLeft) {
  const GrooveResult first = RunGroove(BarRequest());
  GrooveRequest second = BarRequest();
  second.profile = Polyline({{55, 28}, {55, 21}, {62, 21}, {62, 28}});
  const GrooveResult fresh = RunGroove(second);
  second.stock = first.remaining;
  const GrooveResult chained = RunGroove(second);
  ASSERT_TRUE(first.Ok() && fresh.Ok() && chained.Ok()) << fresh.message << chained.message;
  // Only the stock the first groove left has its floor between x 30 and 40.
  const auto lowest = [](const Chain& chain) {
    double low = 1e9;
    for (const Element& e : chain) {
      for (Point p : {e.start, e.end}) low = p.x > 30 && p.x < 40 ? std::min(low, p.y) : low;
    }
    return low;
  };
  EXPECT_EQ(chained.moves, fresh.moves);
  EXPECT_LT(lowest(chained.remaining), 21.0);
  EXPECT_GT(lowest(fresh.remaining), 21.0);
}

}  // namespace
}  // namespace sulkor
