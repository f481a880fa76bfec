#include "workarea/work_area.h"

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "contour/primitives.h"
#include "contour/segment_build.h"
#include "contour/tolerances.h"
#include "testing/test_grooves.h"

namespace sulkor {
namespace {

using testing::A;
using testing::AllFrames;
using testing::ExpectContour;
using testing::ExpectedSegment;
using testing::GrooveFrame;
using testing::L;
using testing::MakeState;
using testing::Profile;

constexpr double kExt = 1e-4;  // how far the work area's ends reach past the blank outline

// The point 1e-4 before (a1, d1) on the way to (a2, d2): where a lengthened start ends up.
std::pair<double, double> Before(double a1, double d1, double a2, double d2) {
  const double n = std::hypot(a2 - a1, d2 - d1);
  return {a1 - kExt * (a2 - a1) / n, d1 - kExt * (d2 - d1) / n};
}

std::vector<ExpectedSegment> Reversed(std::vector<ExpectedSegment> segments) {
  std::vector<ExpectedSegment> out(segments.rbegin(), segments.rend());
  for (ExpectedSegment& s : out) {
    std::swap(s.a1, s.a2);
    std::swap(s.d1, s.d2);
    s.direction = static_cast<int16_t>(-s.direction);
  }
  return out;
}

struct WorkAreaCase {
  std::string name;
  double toolWidth;
  std::function<Contour(const GrooveFrame&)> profile;
  std::vector<ExpectedSegment> expected;  // for the profile as drawn
};

// Every case runs in the four kinds of work, drawn in both directions; the work area must come
// back in the direction it was drawn in.
TEST(BuildWorkAreaTest, ShapesInEveryKindOfWork) {
  const double vA = -5.0 + 0.5 * 7.0;  // the V-slot's walls at depth 7, where it is 3 wide
  const auto [vStartA, vStartD] = Before(-5.0, 0.0, 0.0, 10.0);
  const double arcStartA = -2.0 + 3.0 * std::cos(200.0 * kPi / 180.0);
  const double arcStartD = 7.0 - 3.0 * std::sin(200.0 * kPi / 180.0);
  // The chamfer-like line from (-5, -1) to the arc start, trimmed at the surface and lengthened.
  const double chamferA = -5.0 + (arcStartA + 5.0) / (arcStartD + 1.0);
  const auto [chamferExtA, chamferExtD] = Before(chamferA, 0.0, arcStartA, arcStartD);

  const std::vector<WorkAreaCase> cases = {
      {"rectangular groove: unchanged but for its ends", 3.0,
       [](const GrooveFrame& f) {
         return Profile(f, -5, -1).LineTo(-5, 10).LineTo(5, 10).LineTo(5, -1).Build();
       },
       {L(-5, -kExt, -5, 10), L(-5, 10, 5, 10), L(5, 10, 5, -kExt)}},
      {"rectangular groove ending on the blank outline", 3.0,
       [](const GrooveFrame& f) {
         return Profile(f, -5, 0).LineTo(-5, 10).LineTo(5, 10).LineTo(5, 0).Build();
       },
       {L(-5, -kExt, -5, 10), L(-5, 10, 5, 10), L(5, 10, 5, -kExt)}},
      {"hump from angle 0 to pi: split once at its top", 3.0,
       [](const GrooveFrame& f) {
         return Profile(f, 10, -1)
             .LineTo(10, 10)
             .LineTo(5, 10)
             .ArcTo(-5, 10, 0, 10, 1)
             .LineTo(-10, 10)
             .LineTo(-10, -1)
             .Build();
       },
       {L(10, -kExt, 10, 10), L(10, 10, 5, 10), A(5, 10, 0, 5, 0, 10, 1),
        A(0, 5, -5, 10, 0, 10, 1), L(-5, 10, -10, 10), L(-10, 10, -10, -kExt)}},
      {"corner radii ending at quadrant points: not split", 3.0,
       [](const GrooveFrame& f) {
         return Profile(f, -5, -1)
             .LineTo(-5, 7)
             .ArcTo(-2, 10, -2, 7, 1)
             .LineTo(2, 10)
             .ArcTo(5, 7, 2, 7, 1)
             .LineTo(5, -1)
             .Build();
       },
       {L(-5, -kExt, -5, 7), A(-5, 7, -2, 10, -2, 7, 1), L(-2, 10, 2, 10),
        A(2, 10, 5, 7, 2, 7, 1), L(5, 7, 5, -kExt)}},
      {"arc from 200 to 270 degrees, its end a quadrant point: not split", 3.0,
       [=](const GrooveFrame& f) {
         return Profile(f, -5, -1)
             .LineTo(arcStartA, arcStartD)
             .ArcTo(-2, 10, -2, 7, 1)
             .LineTo(5, 10)
             .LineTo(5, -1)
             .Build();
       },
       {L(chamferExtA, chamferExtD, arcStartA, arcStartD),
        A(arcStartA, arcStartD, -2, 10, -2, 7, 1), L(-2, 10, 5, 10), L(5, 10, 5, -kExt)}},
      {"dovetail: becomes rectangular", 3.0,
       [](const GrooveFrame& f) {
         return Profile(f, -4.8, -1).LineTo(-7, 10).LineTo(7, 10).LineTo(4.8, -1).Build();
       },
       {L(-5, -kExt, -5, 10), L(-5, 10, 5, 10), L(5, 10, 5, -kExt)}},
      {"V-slot: closed once where it is as wide as the tool", 3.0,
       [](const GrooveFrame& f) {
         return Profile(f, -5.5, -1).LineTo(0, 10).LineTo(5.5, -1).Build();
       },
       {L(vStartA, vStartD, vA, 7), L(vA, 7, -vA, 7), L(-vA, 7, -vStartA, vStartD)}},
      {"parallel slot narrower than the tool: unchanged", 3.0,
       [](const GrooveFrame& f) {
         return Profile(f, -1, -1).LineTo(-1, 10).LineTo(1, 10).LineTo(1, -1).Build();
       },
       {L(-1, -kExt, -1, 10), L(-1, 10, 1, 10), L(1, 10, 1, -kExt)}},
      {"narrow pocket below a ledge: closed at the ledge", 3.0,
       [](const GrooveFrame& f) {
         return Profile(f, -5, -1)
             .LineTo(-5, 4)
             .LineTo(-0.5, 4)
             .LineTo(-0.5, 10)
             .LineTo(0.5, 10)
             .LineTo(0.5, 4)
             .LineTo(5, 4)
             .LineTo(5, -1)
             .Build();
       },
       {L(-5, -kExt, -5, 4), L(-5, 4, -0.5, 4), L(-0.5, 4, 0.5, 4), L(0.5, 4, 5, 4),
        L(5, 4, 5, -kExt)}},
  };

  for (const WorkAreaCase& c : cases) {
    for (const GrooveFrame& frame : AllFrames()) {
      for (bool reversed : {false, true}) {
        SCOPED_TRACE(c.name + " / " + frame.name + (reversed ? " / drawn backwards" : ""));
        OperationState state = MakeState(frame, c.toolWidth);
        state.contours.work = c.profile(frame);
        if (reversed) ReverseContour(state.contours.work);
        ASSERT_TRUE(BuildWorkArea(state));
        ExpectContour(frame, state.contours.work, reversed ? Reversed(c.expected) : c.expected);
      }
    }
  }
}

// The closed work area left behind: the work contour running towards +u, closed by a line from
// its end back to its start, before the ends were lengthened.
TEST(BuildWorkAreaTest, LeavesTheClosedWorkArea) {
  for (const GrooveFrame& frame : AllFrames()) {
    for (bool reversed : {false, true}) {
      SCOPED_TRACE(std::string(frame.name) + (reversed ? " / drawn backwards" : ""));
      OperationState state = MakeState(frame, 3.0);
      state.contours.work =
          Profile(frame, -5, -1).LineTo(-5, 10).LineTo(5, 10).LineTo(5, -1).Build();
      if (reversed) ReverseContour(state.contours.work);
      ASSERT_TRUE(BuildWorkArea(state));
      ExpectContour(frame, state.contours.toClear,
                    {L(-5, 0, -5, 10), L(-5, 10, 5, 10), L(5, 10, 5, 0), L(-5, 0, 5, 0)});
    }
  }
}

TEST(BuildWorkAreaTest, LengthenedEndsKeepTheirDirectionAndGrowTheirLength) {
  const GrooveFrame& frame = AllFrames()[0];
  OperationState state = MakeState(frame, 3.0);
  state.contours.work = Profile(frame, -5, 0).LineTo(-5, 10).LineTo(5, 10).LineTo(5, 0).Build();
  const Contour before = state.contours.work;
  ASSERT_TRUE(BuildWorkArea(state));
  const Contour& work = state.contours.work;
  EXPECT_NEAR(work.First().Length, before.First().Length + kExt, 1e-12);
  EXPECT_NEAR(work.Last().Length, before.Last().Length + kExt, 1e-12);
  EXPECT_DOUBLE_EQ(work.First().Tangent[0], before.First().Tangent[0]);
  EXPECT_DOUBLE_EQ(work.Last().Tangent[1], before.Last().Tangent[1]);
  EXPECT_DOUBLE_EQ(work.Seg(1).Length, 10.0);
}

TEST(BuildWorkAreaTest, FailuresAnswerFalse) {
  const GrooveFrame& frame = AllFrames()[0];
  {
    SCOPED_TRACE("empty work contour");
    OperationState state = MakeState(frame, 3.0);
    EXPECT_FALSE(BuildWorkArea(state));
  }
  {
    SCOPED_TRACE("work contour that misses the blank");
    OperationState state = MakeState(frame, 3.0);
    state.contours.work = MakeContour({MakeLine(10, 60, 10, 70), MakeLine(10, 70, 20, 70)});
    EXPECT_FALSE(BuildWorkArea(state));
    EXPECT_EQ(state.contours.work.Count(), 2);
  }
  {
    SCOPED_TRACE("no geometry services");
    OperationState state = MakeState(frame, 3.0);
    state.contours.work = Profile(frame, -5, -1).LineTo(-5, 10).LineTo(5, -1).Build();
    state.host->geometry.reset();
    EXPECT_FALSE(BuildWorkArea(state));
  }
}

// Exact services, except that one kind of intersection is answered from a script.
class ScriptedServices : public ExactGeometryServices {
 public:
  using Script = std::function<bool(const Contour&, const Contour&, IntersectionResult&)>;
  explicit ScriptedServices(Script script) : script_(std::move(script)) {}

  bool Intersect(const Contour& first, const Contour& second,
                 IntersectionResult& result) override {
    result = IntersectionResult{};
    if (script_(first, second, result)) {
      ++scripted;
      return result.Count() > 0;
    }
    return ExactGeometryServices::Intersect(first, second, result);
  }

  int scripted = 0;

 private:
  Script script_;
};

// An overhang whose removal never settles: the probe's landing point alternates between two
// points of the last segment. Step 2 gives up when its sweep has started more than 3 * Count + 1
// times, Count taken anew (2 after the first removal).
TEST(BuildWorkAreaTest, OverhangRemovalGivesUpAtItsAttemptLimit) {
  const GrooveFrame& frame = AllFrames()[0];
  OperationState state = MakeState(frame, 3.0);
  int calls = 0;
  auto services = std::make_shared<ScriptedServices>(
      [&calls](const Contour& first, const Contour& second, IntersectionResult& result) {
        const bool overhangProbe = second.Count() == 1 && second.First().IsLine() &&
                                   second.First().Tangent[0] == 3 * kPi / 2 &&
                                   second.First().Length == 50.0;
        if (!overhangProbe) return false;
        ++calls;
        const double x = calls % 2 == 1 ? 46.0 : 47.0;
        result.Points.push_back({x, x - 5.0, first.Count() - 1, 0, 0.0, 0.0});
        return true;
      });
  state.host->geometry = services;
  state.contours.work = MakeContour(
      {MakeLine(50, 50, 45, 45), MakeLine(45, 45, 45, 40), MakeLine(45, 40, 55, 50)});
  EXPECT_FALSE(BuildWorkArea(state));
  EXPECT_EQ(calls, 7);
  ASSERT_EQ(state.contours.work.Count(), 2);
  testing::ExpectPoint(state.contours.work.First().EndPt, 46.0, 41.0, "last landing point");
  testing::ExpectPoint(state.contours.work.Last().StartPt, 46.0, 41.0, "last landing point");
}

// An arc whose quadrant probes keep reporting crossings elsewhere on the contour, so that every
// sweep of step 1 splits something: step 1 gives up after 3 * Count + 1 sweeps, Count being the
// number of segments when the step began.
TEST(BuildWorkAreaTest, QuadrantSplittingGivesUpAtItsAttemptLimit) {
  const GrooveFrame& frame = AllFrames()[0];
  OperationState state = MakeState(frame, 3.0);
  int calls = 0;
  auto services = std::make_shared<ScriptedServices>(
      [&calls](const Contour& first, const Contour& second, IntersectionResult& result) {
        if (!(first.Count() == 1 && first.First().IsArc() && second.Count() == 1)) return false;
        // Fresh points down the left wall, each one a new vertex.
        result.Points.push_back({40.0, 49.5 - 0.25 * calls, 0, 0, 0.0, 0.0});
        ++calls;
        return true;
      });
  state.host->geometry = services;
  state.contours.work = MakeContour(
      {MakeLine(40, 50, 40, 40), MakeArc(40, 40, 50, 40, 45, 40, 1), MakeLine(50, 40, 50, 50)});
  EXPECT_FALSE(BuildWorkArea(state));
  // Sweeps 0 to 9 each test the two quadrant points inside the arc and split twice.
  EXPECT_EQ(calls, 20);
  EXPECT_EQ(state.contours.work.Count(), 3 + 20);
}

}  // namespace
}  // namespace sulkor

namespace sulkor {
namespace {

// Random groove profiles (fixed seed) of lines and arcs, some with overhangs and narrow places,
// in every kind of work: the operation always answers, and a work area it builds is one
// connected run.
TEST(BuildWorkAreaTest, RandomGroovesAlwaysAnswer) {
  std::mt19937 random(20240611u);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int built = 0;
  for (int round = 0; round < 300; ++round) {
    const GrooveFrame& frame = AllFrames()[static_cast<size_t>(round % 4)];
    const int corners = 2 + static_cast<int>(unit(random) * 6);
    double a = -12.0 + 4.0 * unit(random);
    double d = -1.0;
    Profile profile(frame, a, d);
    for (int k = 0; k < corners; ++k) {
      const double nextA = a + (unit(random) * 6.0 - 1.0);
      const double nextD = 1.0 + unit(random) * 14.0;
      const double chord = std::hypot(nextA - a, nextD - d);
      if (k > 0 && unit(random) < 0.3 && chord > 0.1) {
        // An arc of less than half a turn or more, its centre off the chord's middle.
        const double off = (unit(random) * 2.0 - 1.0) * chord;
        const double centerA = (a + nextA) / 2 - off * (nextD - d) / chord;
        const double centerD = (d + nextD) / 2 + off * (nextA - a) / chord;
        profile.ArcTo(nextA, nextD, centerA, centerD, unit(random) < 0.5 ? 1 : -1);
      } else {
        profile.LineTo(nextA, nextD);
      }
      a = nextA;
      d = nextD;
    }
    profile.LineTo(a + 1.0 + unit(random) * 4.0, -1.0);
    OperationState state = MakeState(frame, 0.5 + unit(random) * 4.0);
    state.contours.work = profile.Build();
    if (unit(random) < 0.5) ReverseContour(state.contours.work);
    SCOPED_TRACE("round " + std::to_string(round));
    if (!BuildWorkArea(state)) continue;
    ++built;
    const Contour& work = state.contours.work;
    ASSERT_GT(work.Count(), 0);
    for (int32_t i = 0; i + 1 < work.Count(); ++i) {
      EXPECT_NEAR(work.Seg(i).EndPt.x, work.Seg(i + 1).StartPt.x, 1e-6);
      EXPECT_NEAR(work.Seg(i).EndPt.y, work.Seg(i + 1).StartPt.y, 1e-6);
    }
  }
  EXPECT_GT(built, 250) << built;
}

}  // namespace
}  // namespace sulkor
