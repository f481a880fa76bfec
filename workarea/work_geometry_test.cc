#include "workarea/work_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "contour/contour_area.h"
#include "contour/primitives.h"
#include "contour/segment_build.h"
#include "testing/scenes.h"

namespace sulkor {
namespace {

using testing::AllFrames;
using testing::Area;
using testing::Distance;
using testing::GrooveFrame;
using testing::Inside;
using testing::PreparedScene;
using testing::Profile;
using testing::RunPreparation;
using testing::SceneSetup;
using testing::SetupFor;

// A groove drawing with what it must give: the region to machine spans a from aMin to aMax and
// d from 0 to depth, with the given area; the outline to clear has clearArea when it is known by
// hand (else negative). Tool 3 wide, corner radius 0.2, finish 0.5.
struct GrooveShape {
  const char* name;
  std::function<Contour(const GrooveFrame&)> draw;
  double area, aMin, aMax, depth, clearArea = -1.0;
};

const std::vector<GrooveShape>& MachinistGrooves() {
  static const double quarter = 1.0 - std::numbers::pi / 4.0;  // a corner's fillet, radius 1
  static const std::vector<GrooveShape> shapes = {
      {"Rectangular", [](const GrooveFrame& f) { return testing::Rectangular(f, 10, 6, 3); }, 60, -5,
       5, 6, 8.6 * 5.3},
      {"CornerRadii",
       [](const GrooveFrame& f) {
         return Profile(f, -5, -3).LineTo(-5, 5).ArcTo(-4, 6, -4, 5, 1).LineTo(4, 6)
             .ArcTo(5, 5, 4, 5, 1).LineTo(5, -3).Build();
       },
       60 - 2 * quarter, -5, 5, 6, 8.6 * 5.3 - 2 * 0.09 * quarter},
      {"Chamfered",
       [](const GrooveFrame& f) {
         return Profile(f, -9, -3).LineTo(-5, 1).LineTo(-5, 6).LineTo(5, 6).LineTo(5, 1)
             .LineTo(9, -3).Build();
       },
       61, -6, 6, 6},
      {"Dovetail",  // walls leaning outwards going down: only the 8 wide mouth can be plunged
       [](const GrooveFrame& f) {
         return Profile(f, -3.5, -3).LineTo(-5, 6).LineTo(5, 6).LineTo(3.5, -3).Build();
       },
       48, -4, 4, 6, 6.6 * 5.3},
      {"SteppedBottom",
       [](const GrooveFrame& f) {
         return Profile(f, -5, -3).LineTo(-5, 6).LineTo(0, 6).LineTo(0, 4).LineTo(5, 4)
             .LineTo(5, -3).Build();
       },
       50, -5, 5, 6},
      {"VSlot",  // 8 wide at the surface, 3 (the tool) wide 5 deep: closed there
       [](const GrooveFrame& f) { return Profile(f, -5.5, -3).LineTo(0, 8).LineTo(5.5, -3).Build(); },
       27.5, -4, 4, 5},
      {"NarrowSpike",  // a spike of material 1 wide and 3 high stands on the bottom
       [](const GrooveFrame& f) {
         return Profile(f, -8, -3).LineTo(-8, 6).LineTo(-0.5, 6).LineTo(0, 3).LineTo(0.5, 6)
             .LineTo(8, 6).LineTo(8, -3).Build();
       },
       94.5, -8, 8, 6},
  };
  return shapes;
}

// What every successful preparation must leave: the direction sign of the kind of work, the
// region to machine and the remaining stock splitting the blank, the groove's side machined,
// and the outline to clear keeping the corner radius and the finish (`keep`) from the stock
// that stays while reaching everything farther than that from the stay and the blank outline
// (points within 0.02 of a boundary are not judged).
void ExpectPrepared(const GrooveFrame& f, const GrooveShape& g, const PreparedScene& p) {
  for (const auto& m : p.Messages()) ADD_FAILURE() << m.prompt;
  ASSERT_TRUE(p.ok);
  const OperationState& state = p.State();
  const WorkingContours& c = state.contours;
  EXPECT_EQ(state.directionSign, f.Sign());
  EXPECT_TRUE(testing::ClosedChain(c.toMachine) && testing::ClosedChain(c.toClear));
  EXPECT_NEAR(Area(c.toMachine), g.area, 2e-3);
  EXPECT_NEAR(Area(c.toMachine) + Area(c.remaining), Area(c.blank), 2e-3);
  if (g.clearArea > 0.0) {
    EXPECT_NEAR(Area(c.toClear), g.clearArea, 2e-3);
  }
  EXPECT_TRUE(Inside(c.toMachine, f.X(0, g.depth / 4), f.Y(0, g.depth / 4)));
  EXPECT_TRUE(Inside(c.remaining, f.X(g.aMax + 5, 2), f.Y(g.aMax + 5, 2)));
  // The region spans the drawn groove; the outline to clear reaches the surface and keeps `keep`
  // from the region's bottom and sides.
  const double keep = state.tool.GeomCornerRadius + state.params.FinishThickness;
  const Contour machine = testing::Boxed(c.toMachine), clear = testing::Boxed(c.toClear);
  const Point3 lo{machine.MinX, machine.MinY, 0}, hi{machine.MaxX, machine.MaxY, 0};
  const Point3 clo{clear.MinX, clear.MinY, 0}, chi{clear.MaxX, clear.MaxY, 0};
  EXPECT_NEAR(std::min(f.A(lo), f.A(hi)), g.aMin, 1e-3);
  EXPECT_NEAR(std::max(f.A(lo), f.A(hi)), g.aMax, 1e-3);
  EXPECT_NEAR(std::min(f.D(lo), f.D(hi)), 0.0, 1e-3);
  EXPECT_NEAR(std::max(f.D(lo), f.D(hi)), g.depth, 1e-3);
  EXPECT_NEAR(std::min(f.D(clo), f.D(chi)), 0.0, 1e-3);
  EXPECT_NEAR(std::max(f.D(clo), f.D(chi)), g.depth - keep, g.name == std::string("VSlot") ? 1.0 : 1e-3);
  EXPECT_GE(std::min(f.A(clo), f.A(chi)), g.aMin + keep - 1e-3);
  EXPECT_LE(std::max(f.A(clo), f.A(chi)), g.aMax - keep + 1e-3);
  constexpr double band = 0.02;
  const double h = std::max(machine.MaxX - machine.MinX, machine.MaxY - machine.MinY) / 120.0;
  int judged = 0, wrong = 0;
  for (double x = machine.MinX - 3 * h; x <= machine.MaxX + 3 * h; x += h) {
    for (double y = machine.MinY - 3 * h; y <= machine.MaxY + 3 * h; y += h) {
      if (Distance(c.toMachine, x, y) < band || Distance(c.toClear, x, y) < band) continue;
      const bool inClear = Inside(c.toClear, x, y);
      bool ok = !inClear;
      if (Inside(c.toMachine, x, y)) {
        const double d = Distance(c.remaining, x, y);
        if (std::fabs(d - keep) < band) continue;
        ok = inClear ? d > keep : !(d > keep && Distance(c.blank, x, y) > keep + band);
      }
      ++judged;
      if (!ok && wrong++ == 0) ADD_FAILURE() << "outline to clear wrong at " << x << ", " << y;
    }
  }
  EXPECT_GT(judged, 1000);
}

TEST(WorkGeometry, MachinistGroovesInEveryKindOfWork) {
  for (const GrooveShape& g : MachinistGrooves()) {
    for (const GrooveFrame& f : AllFrames()) {
      if (g.name == std::string("NarrowSpike") && f.name == std::string("BackFace")) continue;
      SCOPED_TRACE(std::string(g.name) + " / " + f.name);
      ExpectPrepared(f, g, RunPreparation(SetupFor(f, g.draw(f))));
    }
  }
  // In the back face the rule that lets a crossed segment of the shifted copy close a slot (end
  // x > start x - 1e-6, where the other kinds ask for more than +1e-6) also bridges the spike on
  // the bottom: the region is 96 where the drawing gives 94.5.
  const GrooveFrame& back = AllFrames()[3];
  const PreparedScene p = RunPreparation(SetupFor(back, MachinistGrooves()[6].draw(back)));
  ASSERT_TRUE(p.ok);
  EXPECT_NEAR(Area(p.State().contours.toMachine), 96.0, 1e-3);
}

// The rectangular groove drawn other ways gives the same preparation: backwards with the other
// direction parameter, running along the outline before and after (the lead-in pushed 2e-5 off
// the outline must not be taken for the crossing: the probe takes the nearest), and on a blank
// drawn clockwise (turned round after its run has been read).
TEST(WorkGeometry, RectangularGrooveDrawnOtherWays) {
  struct Drawing {
    const char* name;
    std::function<Contour(const GrooveFrame&)> draw;
    bool otherSide, clockwiseBlank;
  };
  for (const Drawing& d : std::vector<Drawing>{
           {"Backwards", [](const GrooveFrame& f) { return Profile(f, 5, -3).LineTo(5, 6).LineTo(-5, 6).LineTo(-5, -3).Build(); },
            true, false},
           {"RunsAlongOutline",
            [](const GrooveFrame& f) {
              return Profile(f, -8, 0).LineTo(-5, 0).LineTo(-5, 6).LineTo(5, 6).LineTo(5, 0).LineTo(8, 0).Build();
            },
            false, false},
           {"AlongOutlineOneEnd",
            [](const GrooveFrame& f) { return Profile(f, -8, 0).LineTo(-5, 0).LineTo(-5, 6).LineTo(5, 6).LineTo(5, -3).Build(); },
            false, false},
           {"ClockwiseBlank", [](const GrooveFrame& f) { return testing::Rectangular(f, 10, 6, 3); }, false, true}}) {
    const char* const orientations[] = {"TurnExternal", "TurnInternal", "Face", "BackFace"};
    for (size_t k = 0; k < AllFrames().size(); ++k) {
      const GrooveFrame& f = AllFrames()[k];
      SCOPED_TRACE(std::string(d.name) + " / " + f.name);
      SceneSetup setup = SetupFor(f, d.draw(f));
      if (d.otherSide) setup.direction = setup.direction == "External" ? "Internal" : "External";
      if (d.clockwiseBlank) ReverseContour(setup.blank);
      const PreparedScene p = RunPreparation(setup);
      ExpectPrepared(f, MachinistGrooves()[0], p);
      EXPECT_EQ(p.State().tool.Orientation, orientations[k]);
      EXPECT_GT(SignedArea(p.State().contours.blank), 0.0);
    }
  }
}

// Every way the preparation refuses a drawing, with its message word for word and, where the
// message alone does not say what to change, the reason beside it.
TEST(WorkGeometry, EveryFailureShowsItsMessage) {
  const GrooveFrame& od = AllFrames()[0];
  const auto odSetup = [&](Contour work) { return SetupFor(od, std::move(work)); };
  const Contour rect = testing::Rectangular(od, 10, 6, 3);
  struct Failure {
    const char* name;
    SceneSetup setup;
    std::string prompt, reason;
  };
  std::vector<Failure> failures;
  const auto add = [&](const char* name, SceneSetup s, std::string prompt, std::string reason = "") {
    failures.push_back({name, std::move(s), std::move(prompt), std::move(reason)});
  };
  SceneSetup s = odSetup(rect);
  s.blank = MakePolygon({0, 0, 100, 50, 100, 0, 0, 50});
  add("BlankCrossesItself", s, "Blank Contour has SelfIntersections");
  s.blank = MakePolyline({0, 0, 100, 0, 100, 50, 0, 50, 0, 0.001});
  add("BlankOpen", s, "Blank Contour is NonClosed");
  s.blank = Contour{};
  add("EmptyBlank", s, "");
  add("WorkClosed", odSetup(MakePolygon({45, 45, 55, 45, 55, 55, 45, 55})), "Work Contour is Closed");
  add("WorkCrossesItself",
      odSetup(Profile(od, -5, -3).LineTo(-5, 6).LineTo(5, 6).LineTo(-8, 2).LineTo(-8, -3).Build()),
      "Work Contour has selfintersections");
  const std::string misses = "Work contour doesn't intersect current Blank contour";
  s = odSetup(rect);
  s.workName = "Contour";
  add("NoGraphicNamedWorkContour", s, misses);
  // A single line on the outline is pushed off it before the missing neighbour fails the nudge;
  // the step is passed over and the line, now beside the blank, crosses it nowhere.
  add("LineAlongTheOutlineAlone", odSetup(MakeContour({MakeLine(20, 50, 80, 50)})), misses);
  add("WorkMissesBlank", odSetup(testing::Rectangular(od, 10, -2, 8)), misses,
      "the work contour crosses the stock's outline 0 times; a groove crosses it twice");
  add("WorkCrossesBlankFourTimes",
      odSetup(Profile(od, -8, -3).LineTo(-6, 4).LineTo(-4, -3).LineTo(4, -3).LineTo(6, 4).LineTo(8, -3).Build()),
      "Work contour intersects current Blank contour at more than two points",
      "the work contour crosses the stock's outline 4 times; a groove crosses it twice");
  const std::string turn = "Groove-Turn operation can not be performed for selected work area";
  add("PieceRunsBothWays", odSetup(Profile(od, 0, -3).LineTo(0, 55).Build()), turn,
      "the work contour runs the other way for External: the stock on that side of it is no groove");
  add("OtherSideOfTheRun", odSetup(Profile(od, 5, -3).LineTo(5, 6).LineTo(-5, 6).LineTo(-5, -3).Build()), turn);
  s = odSetup(rect);
  s.toolOrientation = "TurnInternal";
  add("ToolOfAnotherOrientation", s,
      "Current Tool was used for TurnInternal operation and can't be used for TurnExternal operation");
  s.toolOrientation = "BackFace";
  s.lastPartBlank = MakePolygon(od.blank);
  s.otherOperationWithTool = true;
  add("ToolThatAnotherOperationUses", s,
      "Current Tool was used for BackFace operation and can't be used for TurnExternal operation");
  // A tube of inner radius 2, a groove 6 deep: its region reaches lower than the tool's width 3.
  s = SetupFor(AllFrames()[1], MakePolyline({45, 0.5, 45, 8, 55, 8, 55, 0.5}));
  s.blank = MakePolygon({0, 2, 100, 2, 100, 50, 0, 50});
  add("BoreLowerThanTool", s, "Groove-Turn Internal operation can not be performed for selected work area");
  for (const Failure& failure : failures) {
    SCOPED_TRACE(failure.name);
    const PreparedScene p = RunPreparation(failure.setup);
    EXPECT_FALSE(p.ok);
    ASSERT_EQ(p.Messages().size(), failure.prompt.empty() ? 0u : 1u);
    if (failure.prompt.empty()) continue;
    EXPECT_EQ(p.Messages()[0].prompt, failure.prompt);
    EXPECT_EQ(p.Messages()[0].title, "Sulkor function cannot be performed.");
    if (!failure.reason.empty()) {
      EXPECT_EQ(p.State().failureDetail, failure.reason);
    }
  }
}

// A V-slot 3.00002 (or 3.00001) wide at the surface, the tool 3 wide: the work area closes it
// 5.3e-5 below the surface, and none of its test points (1e-4 beside its segments) lies inside
// the blank: both regions found, nothing to machine, message 118. 3.00004 wide is prepared.
TEST(WorkGeometry, SlotClosedAtTheSurfaceLeavesNothingToMachine) {
  for (const GrooveFrame& f : AllFrames()) {
    for (const double half : {1.5 + 1e-5, 1.5 + 5e-6, 1.5 + 2e-5}) {
      SCOPED_TRACE(std::string(f.name) + " " + std::to_string(2 * half));
      SceneSetup setup = SetupFor(f, Profile(f, -half * 11 / 8, -3).LineTo(0, 8).LineTo(half * 11 / 8, -3).Build());
      setup.cornerRadius = 0.0;
      setup.finish = 0.0;
      const PreparedScene p = RunPreparation(setup);
      const WorkingContours& c = p.State().contours;
      EXPECT_EQ(p.ok, half > 1.5 + 1.5e-5);
      if (p.ok) {
        EXPECT_GT(Area(c.toMachine), 0.0);
        EXPECT_LT(Area(c.toMachine), 1e-3);
        continue;
      }
      ASSERT_EQ(p.Messages().size(), 1u);
      EXPECT_EQ(p.Messages()[0].prompt, "Work contour doesn't intersect current Blank contour");
      EXPECT_TRUE(c.toMachine.Empty());
      ASSERT_EQ(c.workCopy.Count(), 3);
      EXPECT_NEAR(Area(c.blank) - Area(c.regionA) - Area(c.regionB), 0.0, 1e-6);
    }
  }
}

// A tool that no other operation uses takes this operation's orientation, whatever it held; one
// that another operation uses keeps its own when it fits.
TEST(WorkGeometry, ToolTakesTheOrientationOfItsOperation) {
  struct Case {
    size_t frame;
    std::string held;
    bool other;
    std::string after;
  };
  for (const Case& c : std::vector<Case>{{0, "", false, "TurnExternal"}, {1, "Sideways", false, "TurnInternal"},
                                         {2, "TurnInternal", false, "Face"}, {3, "BackFace", true, "BackFace"}}) {
    const GrooveFrame& f = AllFrames()[c.frame];
    SCOPED_TRACE(f.name);
    SceneSetup setup = SetupFor(f, testing::Rectangular(f, 10, 6, 3));
    setup.toolOrientation = c.held;
    setup.lastPartBlank = MakePolygon(f.blank);
    setup.otherOperationWithTool = c.other;
    const PreparedScene p = RunPreparation(setup);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.scene.tool->Property("CAM_ToolOrientation").ToText(), c.after);
    EXPECT_EQ(p.State().tool.Orientation, c.after);
  }
}

}  // namespace
}  // namespace sulkor
