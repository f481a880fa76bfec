#include "workarea/nudge_work.h"

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "contour/segment_build.h"
#include "contour/tolerances.h"
#include "testing/scenes.h"

namespace sulkor {
namespace {

using testing::ExpectPoint;

// Stock from x 0 to 100 along the axis and from y 0 to 50 in radius.
OperationState Nudged(Contour work) {
  OperationState state = testing::MakeState(testing::AllFrames()[0], 3.0);
  state.contours.work = std::move(work);
  NudgeWorkAtBlank(state);
  return state;
}

void ExpectOnCircle(const Segment& arc) {
  for (const Point3& p : {arc.StartPt, arc.EndPt}) {
    EXPECT_NEAR(std::hypot(p.x - arc.Center.x, p.y - arc.Center.y), arc.Radius, 1e-12);
  }
}

// The centre moves away from the chord by `extra`, outside a dead band of 1e-6, and back onto
// the bisector.
TEST(NudgeWork, RefitArcToChord) {
  struct Case {
    double cx, cy, extra, x, y;
  };
  for (const Case& c : std::vector<Case>{{5, 0, 1e-4, 5, 0}, {5, 5e-7, 1e-4, 5, 5e-7},
                                         {5, 3, 1e-4, 5, 3.0001}, {5, -3, 1e-4, 5, -3.0001},
                                         {6, 3, 0.0, 5, 3}}) {
    const ArcRefit refit = RefitArcToChord(0, 0, 10, 0, c.cx, c.cy, 1, c.extra);
    EXPECT_NEAR(refit.CenterX, c.x, 1e-12) << c.cx << "," << c.cy;
    EXPECT_NEAR(refit.CenterY, c.y, 1e-12) << c.cx << "," << c.cy;
    EXPECT_NEAR(refit.Radius, std::hypot(10 - c.x, c.y), 1e-12);
  }
  EXPECT_NEAR(RefitArcToChord(0, 0, 10, 0, 5, 0, 1, 1e-4).Tangent[0], 3 * kPi / 2, 1e-12);
  EXPECT_THROW(RefitArcToChord(3, 4, 3, 4, 0, 0, 1, 1e-4), GeometryError);
}

// Ends on or inside the outline reach 1e-4 past it along their direction; ends outside stay.
TEST(NudgeWork, EndsReachPastTheOutline) {
  struct Case {
    std::string name;
    std::vector<double> xy;
    double startX, startY, endX, endY;
  };
  const double s = 1e-4 / std::hypot(5.0, 10.0);
  for (const Case& c : std::vector<Case>{
           {"walls from the outline", {40, 50, 40, 40, 50, 40, 50, 50}, 40, 50 + 1e-4, 50, 50 + 1e-4},
           {"slanted walls", {35, 50, 40, 40, 45, 40, 50, 50}, 35 - 5 * s, 50 + 10 * s, 50 + 5 * s, 50 + 10 * s},
           {"ends inside", {40, 45, 40, 40, 50, 40, 50, 45}, 40, 45 + 1e-4, 50, 45 + 1e-4},
           {"ends outside: unchanged", {40, 51, 40, 40, 50, 40, 50, 51}, 40, 51, 50, 51}}) {
    SCOPED_TRACE(c.name);
    const Contour before = MakePolyline(c.xy);
    const Contour work = Nudged(before).contours.work;
    ASSERT_EQ(work.Count(), 3);
    ExpectPoint(work.First().StartPt, c.startX, c.startY, "start");
    ExpectPoint(work.Last().EndPt, c.endX, c.endY, "end");
    EXPECT_DOUBLE_EQ(work.First().Tangent[0], before.First().Tangent[0]);
  }
  // The first arc from the outline: its start moves out along the circle.
  const Segment arc = Nudged(MakeContour({MakeArc(40, 50, 45, 45, 45, 50, 1), MakeLine(45, 45, 55, 45),
                                          MakeLine(55, 45, 55, 55)})).contours.work.First();
  const double n = std::hypot(5.0, 1e-4);
  ExpectPoint(arc.StartPt, 45 - 25 / n, 50 + 5e-4 / n, "arc start");
  ExpectPoint(arc.Center, 45, 50, "centre");
  EXPECT_NEAR(arc.Tangent[0], std::atan2(5e-4 / n, -25 / n) + kPi / 2, 1e-12);
  // The first arc from inside the blank: refitted 0.05 flatter, then lengthened by 1e-4.
  const Segment inside = Nudged(MakeContour({MakeArc(40, 45, 45, 40, 45, 45, 1), MakeLine(45, 40, 55, 40),
                                             MakeLine(55, 40, 55, 55)})).contours.work.First();
  const double d = (5 / std::sqrt(2.0) + 0.05) / std::sqrt(2.0);
  ExpectPoint(inside.Center, 42.5 + d, 42.5 + d, "refitted centre");
  ExpectOnCircle(inside);
  EXPECT_NEAR(std::hypot(inside.StartPt.x - 40, inside.StartPt.y - 45), 1e-4, 1e-8);
  EXPECT_GT(inside.StartPt.y, 45.0);
}

// A line on the outline moves 2e-5 off it, away from the stock, its neighbours following; a
// line alone there has no neighbour to follow it.
TEST(NudgeWork, LinesOnTheOutlineMoveOff) {
  const Contour shoulder = Nudged(MakeContour({MakeLine(30, 55, 30, 50), MakeLine(30, 50, 35, 50),
                                               MakeArc(35, 50, 40, 45, 35, 45, -1), MakeLine(40, 45, 45, 40),
                                               MakeLine(45, 40, 45, 55)})).contours.work;
  const double y = 50 + 2e-5;
  ExpectPoint(shoulder.Seg(1).StartPt, 30, y, "moved line");
  EXPECT_NEAR(shoulder.Seg(0).Length, 5 - 2e-5, 1e-12);
  const Segment& arc = shoulder.Seg(2);
  ExpectPoint(arc.StartPt, 35, y, "arc after");
  ExpectOnCircle(arc);
  EXPECT_NEAR(arc.Length, std::hypot(5.0, 5.0 + 2e-5), 1e-12);
  const Contour end = Nudged(MakePolyline({-5, 30, 0, 30, 0, 20, -5, 20})).contours.work;
  ExpectPoint(end.Seg(2).StartPt, -2e-5, 20, "line after");
  EXPECT_THROW(Nudged(MakeContour({MakeLine(30, 50, 40, 50)})), GeometryError);
}

// Arcs inside the run whose ends lie 2e-8 off the outline (clear of it for the point test and
// the intersection alike, both at 1e-9) or strictly inside the blank are left alone.
TEST(NudgeWork, ArcsInsideTheRun) {
  const double y = 50 + 2e-8;
  struct Case {
    double y0, centerY, expectCenterY;
  };
  for (const Case& c : std::vector<Case>{{y, y - 2, y - 2}, {y, y, y}, {45, 43, 43}}) {
    const Contour before = MakeContour({MakeLine(35, 60, 40, c.y0), MakeArc(40, c.y0, 50, c.y0, 45, c.centerY, -1),
                                        MakeLine(50, c.y0, 50, 40), MakeLine(50, 40, 60, 40),
                                        MakeLine(60, 40, 60, 60)});
    const Segment arc = Nudged(before).contours.work.Seg(1);
    SCOPED_TRACE(c.centerY);
    ExpectPoint(arc.Center, 45, c.expectCenterY, "centre");
    ExpectOnCircle(arc);
    ExpectPoint(arc.MidPt, before.Seg(1).MidPt.x, before.Seg(1).MidPt.y, "mid point");
    EXPECT_DOUBLE_EQ(arc.Length, before.Seg(1).Length);
  }
}

}  // namespace
}  // namespace sulkor
