#include "workarea/work_area.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "contour/primitives.h"
#include "contour/segment_build.h"
#include "contour/tolerances.h"
#include "testing/scenes.h"
#include "testing/scripted_geometry.h"

namespace sulkor {
namespace {

using testing::A;
using testing::AllFrames;
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

// Every shape in the four kinds of work, drawn both ways: the work area comes back in the
// direction it was drawn in, its ends 1e-4 past the blank outline.
TEST(BuildWorkArea, ShapesInEveryKindOfWork) {
  const double vA = -5.0 + 0.5 * 7.0;  // the V-slot's walls at depth 7, where it is 3 wide
  const auto [vStartA, vStartD] = Before(-5.0, 0.0, 0.0, 10.0);
  const double arcA = -2.0 + 3.0 * std::cos(200.0 * kPi / 180.0);
  const double arcD = 7.0 - 3.0 * std::sin(200.0 * kPi / 180.0);
  // The line from (-5, -1) to the arc start, trimmed at the surface and lengthened.
  const auto [chamferA, chamferD] = Before(-5.0 + (arcA + 5.0) / (arcD + 1.0), 0.0, arcA, arcD);
  const std::vector<ExpectedSegment> rect = {L(-5, -kExt, -5, 10), L(-5, 10, 5, 10),
                                             L(5, 10, 5, -kExt)};
  struct Case {
    std::string name;
    std::function<Contour(const GrooveFrame&)> profile;
    std::vector<ExpectedSegment> expected;  // for the profile as drawn
  };
  const std::vector<Case> cases = {
      {"rectangular: unchanged but for its ends",
       [](const GrooveFrame& f) { return testing::Rectangular(f, 10, 10, 1); }, rect},
      {"dovetail: becomes rectangular",
       [](const GrooveFrame& f) {
         return Profile(f, -4.8, -1).LineTo(-7, 10).LineTo(7, 10).LineTo(4.8, -1).Build();
       },
       rect},
      {"hump from angle 0 to pi: split once at its top",
       [](const GrooveFrame& f) {
         return Profile(f, 10, -1).LineTo(10, 10).LineTo(5, 10).ArcTo(-5, 10, 0, 10, 1)
             .LineTo(-10, 10).LineTo(-10, -1).Build();
       },
       {L(10, -kExt, 10, 10), L(10, 10, 5, 10), A(5, 10, 0, 5, 0, 10, 1),
        A(0, 5, -5, 10, 0, 10, 1), L(-5, 10, -10, 10), L(-10, 10, -10, -kExt)}},
      {"arc from 200 to 270 degrees ending at a quadrant point: not split",
       [=](const GrooveFrame& f) {
         return Profile(f, -5, -1).LineTo(arcA, arcD).ArcTo(-2, 10, -2, 7, 1).LineTo(5, 10)
             .LineTo(5, -1).Build();
       },
       {L(chamferA, chamferD, arcA, arcD), A(arcA, arcD, -2, 10, -2, 7, 1), L(-2, 10, 5, 10),
        L(5, 10, 5, -kExt)}},
      {"V-slot: closed once where it is as wide as the tool",
       [](const GrooveFrame& f) { return Profile(f, -5.5, -1).LineTo(0, 10).LineTo(5.5, -1).Build(); },
       {L(vStartA, vStartD, vA, 7), L(vA, 7, -vA, 7), L(-vA, 7, -vStartA, vStartD)}},
      {"narrow pocket below a ledge: closed at the ledge",
       [](const GrooveFrame& f) {
         return Profile(f, -5, -1).LineTo(-5, 4).LineTo(-0.5, 4).LineTo(-0.5, 10).LineTo(0.5, 10)
             .LineTo(0.5, 4).LineTo(5, 4).LineTo(5, -1).Build();
       },
       {L(-5, -kExt, -5, 4), L(-5, 4, -0.5, 4), L(-0.5, 4, 0.5, 4), L(0.5, 4, 5, 4),
        L(5, 4, 5, -kExt)}},
  };
  for (const Case& c : cases) {
    for (const GrooveFrame& frame : AllFrames()) {
      for (bool reversed : {false, true}) {
        SCOPED_TRACE(c.name + " / " + frame.name + (reversed ? " / drawn backwards" : ""));
        OperationState state = MakeState(frame, 3.0);
        state.contours.work = c.profile(frame);
        if (reversed) ReverseContour(state.contours.work);
        ASSERT_TRUE(BuildWorkArea(state));
        testing::ExpectContour(frame, state.contours.work, reversed ? Reversed(c.expected) : c.expected);
        if (&c != &cases[0]) continue;
        // The closed work area left behind: the run towards +a closed by a line back, before
        // the ends were lengthened.
        testing::ExpectContour(frame, state.contours.toClear,
                               {L(-5, 0, -5, 10), L(-5, 10, 5, 10), L(5, 10, 5, 0), L(-5, 0, 5, 0)});
      }
    }
  }
}

TEST(BuildWorkArea, Failures) {
  const GrooveFrame& frame = AllFrames()[0];
  OperationState empty = MakeState(frame, 3.0);
  EXPECT_FALSE(BuildWorkArea(empty));
  OperationState missing = MakeState(frame, 3.0);
  missing.contours.work = MakeContour({MakeLine(10, 60, 10, 70), MakeLine(10, 70, 20, 70)});
  EXPECT_FALSE(BuildWorkArea(missing));
  EXPECT_EQ(missing.contours.work.Count(), 2);
  OperationState noServices = MakeState(frame, 3.0);
  noServices.contours.work = testing::Rectangular(frame, 10, 10, 1);
  noServices.host->geometry.reset();
  EXPECT_FALSE(BuildWorkArea(noServices));
}

// An overhang whose removal never settles (the probe's landing point alternates between two
// points of the last segment) gives up when its sweep has started more than 3 * Count + 1
// times, Count taken anew (2 after the first removal); arcs whose quadrant probes keep
// reporting fresh crossings give up after 3 * Count + 1 sweeps, Count as the step began.
TEST(BuildWorkArea, StepsGiveUpAtTheirAttemptLimits) {
  const GrooveFrame& frame = AllFrames()[0];
  OperationState overhang = MakeState(frame, 3.0);
  auto services = std::make_shared<testing::ScriptedGeometry>();
  int calls = 0;
  services->intersect = [&calls](const Contour& first, const Contour& second, IntersectionResult& r) {
    const Segment& probe = second.First();
    if (!(second.Count() == 1 && probe.IsLine() && probe.Tangent[0] == 3 * kPi / 2 &&
          probe.Length == 50.0)) {
      return false;
    }
    const double x = ++calls % 2 == 1 ? 46.0 : 47.0;
    r.Points.push_back({x, x - 5.0, first.Count() - 1, 0, 0.0, 0.0});
    return true;
  };
  overhang.host->geometry = services;
  overhang.contours.work =
      MakeContour({MakeLine(50, 50, 45, 45), MakeLine(45, 45, 45, 40), MakeLine(45, 40, 55, 50)});
  EXPECT_FALSE(BuildWorkArea(overhang));
  EXPECT_EQ(calls, 7);
  ASSERT_EQ(overhang.contours.work.Count(), 2);
  testing::ExpectPoint(overhang.contours.work.Last().StartPt, 46.0, 41.0, "last landing point");

  OperationState quadrants = MakeState(frame, 3.0);
  auto splitting = std::make_shared<testing::ScriptedGeometry>();
  calls = 0;
  splitting->intersect = [&calls](const Contour& first, const Contour& second, IntersectionResult& r) {
    if (!(first.Count() == 1 && first.First().IsArc() && second.Count() == 1)) return false;
    r.Points.push_back({40.0, 49.5 - 0.25 * calls++, 0, 0, 0.0, 0.0});  // fresh points down a wall
    return true;
  };
  quadrants.host->geometry = splitting;
  quadrants.contours.work = MakeContour(
      {MakeLine(40, 50, 40, 40), MakeArc(40, 40, 50, 40, 45, 40, 1), MakeLine(50, 40, 50, 50)});
  EXPECT_FALSE(BuildWorkArea(quadrants));
  EXPECT_EQ(calls, 20);  // sweeps 0 to 9 each split at the two quadrant points
  EXPECT_EQ(quadrants.contours.work.Count(), 3 + 20);
}

}  // namespace
}  // namespace sulkor
