#include "workarea/nudge_work.h"

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "contour/segment_build.h"
#include "contour/tolerances.h"
#include "testing/test_grooves.h"

namespace sulkor {
namespace {

using testing::ExpectPoint;

// Stock from x 0 to 100 along the axis and from y 0 to 50 in radius.
OperationState StateWithWork(Contour work) {
  OperationState state = testing::MakeState(testing::AllFrames()[0], 3.0);
  state.contours.work = std::move(work);
  return state;
}

double DistanceToCenter(const Point3& p, const Segment& arc) {
  return std::hypot(p.x - arc.Center.x, p.y - arc.Center.y);
}

TEST(RefitArcToChordTest, MovesTheCentreAwayFromTheChord) {
  struct Case {
    const char* name;
    double cx, cy, extra;
    double expectX, expectY;
  };
  const Case cases[] = {
      {"semicircle keeps its centre", 5, 0, 1e-4, 5, 0},
      {"centre inside the dead band stays", 5, 5e-7, 1e-4, 5, 5e-7},
      {"centre left of the chord moves further left", 5, 3, 1e-4, 5, 3.0001},
      {"centre right of the chord moves further right", 5, -3, 1e-4, 5, -3.0001},
      {"centre off the bisector comes back onto it", 6, 3, 0.0, 5, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ArcRefit refit = RefitArcToChord(0, 0, 10, 0, c.cx, c.cy, 1, c.extra);
    EXPECT_NEAR(refit.CenterX, c.expectX, 1e-12);
    EXPECT_NEAR(refit.CenterY, c.expectY, 1e-12);
    EXPECT_NEAR(refit.Radius, std::hypot(c.expectX, c.expectY), 1e-12);
    EXPECT_NEAR(refit.Radius, std::hypot(10 - refit.CenterX, refit.CenterY), 1e-12);
  }
  // Tangents of the refitted counterclockwise arc: at (0, 0) around (5, 0) it leaves straight
  // down (3*pi/2) and arrives at (10, 0) straight up.
  const ArcRefit half = RefitArcToChord(0, 0, 10, 0, 5, 0, 1, 1e-4);
  EXPECT_NEAR(half.Tangent[0], 3 * kPi / 2, 1e-12);
  EXPECT_NEAR(half.Tangent[1], kPi / 2, 1e-12);
  EXPECT_THROW(RefitArcToChord(3, 4, 3, 4, 0, 0, 1, 1e-4), GeometryError);
}

TEST(NudgeWorkAtBlankTest, EndsOnTheOutlineReachPastIt) {
  struct Case {
    std::string name;
    Contour work;
    double startX, startY, endX, endY;
  };
  const double s = 1e-4 / std::hypot(5.0, 10.0);
  const std::vector<Case> cases = {
      {"vertical walls from the outline",
       MakeContour({MakeLine(40, 50, 40, 40), MakeLine(40, 40, 50, 40), MakeLine(50, 40, 50, 50)}),
       40, 50 + 1e-4, 50, 50 + 1e-4},
      {"slanted walls from the outline",
       MakeContour({MakeLine(35, 50, 40, 40), MakeLine(40, 40, 45, 40), MakeLine(45, 40, 50, 50)}),
       35 - 5 * s, 50 + 10 * s, 50 + 5 * s, 50 + 10 * s},
      {"walls starting and ending inside the blank",
       MakeContour({MakeLine(40, 45, 40, 40), MakeLine(40, 40, 50, 40), MakeLine(50, 40, 50, 45)}),
       40, 45 + 1e-4, 50, 45 + 1e-4},
      {"walls starting and ending outside the blank: unchanged",
       MakeContour({MakeLine(40, 51, 40, 40), MakeLine(40, 40, 50, 40), MakeLine(50, 40, 50, 51)}),
       40, 51, 50, 51},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OperationState state = StateWithWork(c.work);
    NudgeWorkAtBlank(state);
    const Contour& work = state.contours.work;
    ASSERT_EQ(work.Count(), 3);
    ExpectPoint(work.First().StartPt, c.startX, c.startY, "start");
    ExpectPoint(work.Last().EndPt, c.endX, c.endY, "end");
    EXPECT_NEAR(work.First().Length,
                std::hypot(work.First().EndPt.x - c.startX, work.First().EndPt.y - c.startY),
                1e-9);
    EXPECT_NEAR(work.Last().Length,
                std::hypot(c.endX - work.Last().StartPt.x, c.endY - work.Last().StartPt.y),
                1e-9);
    EXPECT_DOUBLE_EQ(work.First().Tangent[0], c.work.First().Tangent[0]);
    ExpectPoint(work.Seg(1).StartPt, c.work.Seg(1).StartPt.x, c.work.Seg(1).StartPt.y, "middle");
    ExpectPoint(work.Seg(1).EndPt, c.work.Seg(1).EndPt.x, c.work.Seg(1).EndPt.y, "middle");
  }
}

TEST(NudgeWorkAtBlankTest, LinesOnTheOutlineMoveOffItWithTheirNeighbours) {
  {
    SCOPED_TRACE("shoulder along the top of the stock, a line and an arc following");
    OperationState state = StateWithWork(MakeContour({
        MakeLine(30, 55, 30, 50),
        MakeLine(30, 50, 35, 50),
        MakeArc(35, 50, 40, 45, 35, 45, -1),
        MakeLine(40, 45, 45, 40),
        MakeLine(45, 40, 45, 55),
    }));
    const Contour before = state.contours.work;
    NudgeWorkAtBlank(state);
    const Contour& work = state.contours.work;
    const double y = 50 + 2e-5;
    ExpectPoint(work.Seg(1).StartPt, 30, y, "moved line start");
    ExpectPoint(work.Seg(1).EndPt, 35, y, "moved line end");
    EXPECT_DOUBLE_EQ(work.Seg(1).Length, 5.0);
    EXPECT_DOUBLE_EQ(work.Seg(1).Tangent[0], before.Seg(1).Tangent[0]);
    ExpectPoint(work.Seg(0).EndPt, 30, y, "line before");
    EXPECT_NEAR(work.Seg(0).Length, 5 - 2e-5, 1e-12);
    const Segment& arc = work.Seg(2);
    ExpectPoint(arc.StartPt, 35, y, "arc after");
    ExpectPoint(arc.EndPt, 40, 45, "arc after");
    EXPECT_NEAR(DistanceToCenter(arc.StartPt, arc), arc.Radius, 1e-12);
    EXPECT_NEAR(DistanceToCenter(arc.EndPt, arc), arc.Radius, 1e-12);
    EXPECT_NEAR(DistanceToCenter(arc.MidPt, arc), arc.Radius, 1e-12);
    EXPECT_NEAR(arc.Length, std::hypot(5.0, 5.0 + 2e-5), 1e-12);
    EXPECT_NEAR(arc.Radius, 5.0, 2e-5);
    ExpectPoint(work.Seg(3).StartPt, 40, 45, "untouched");
  }
  {
    SCOPED_TRACE("line down the left end of the stock");
    OperationState state = StateWithWork(MakeContour({
        MakeLine(-5, 30, 0, 30),
        MakeLine(0, 30, 0, 20),
        MakeLine(0, 20, -5, 20),
    }));
    NudgeWorkAtBlank(state);
    const Contour& work = state.contours.work;
    ExpectPoint(work.Seg(1).StartPt, -2e-5, 30, "moved line start");
    ExpectPoint(work.Seg(1).EndPt, -2e-5, 20, "moved line end");
    ExpectPoint(work.Seg(0).EndPt, -2e-5, 30, "line before");
    ExpectPoint(work.Seg(2).StartPt, -2e-5, 20, "line after");
    EXPECT_NEAR(work.Seg(0).Length, 5 - 2e-5, 1e-12);
    EXPECT_NEAR(work.Seg(2).Length, 5 - 2e-5, 1e-12);
  }
  {
    SCOPED_TRACE("a single line on the outline has no neighbour to follow it");
    OperationState state = StateWithWork(MakeContour({MakeLine(30, 50, 40, 50)}));
    EXPECT_THROW(NudgeWorkAtBlank(state), GeometryError);
  }
}

TEST(NudgeWorkAtBlankTest, ArcsAtTheEnds) {
  {
    SCOPED_TRACE("first arc from the outline: its start moves out along the circle");
    OperationState state = StateWithWork(MakeContour({
        MakeArc(40, 50, 45, 45, 45, 50, 1),
        MakeLine(45, 45, 55, 45),
        MakeLine(55, 45, 55, 55),
    }));
    const Segment before = state.contours.work.First();
    NudgeWorkAtBlank(state);
    const Segment& arc = state.contours.work.First();
    const double n = std::hypot(5.0, 1e-4);
    ExpectPoint(arc.StartPt, 45 - 25 / n, 50 + 5e-4 / n, "start");
    ExpectPoint(arc.Center, 45, 50, "centre");
    EXPECT_DOUBLE_EQ(arc.Radius, before.Radius);
    EXPECT_NEAR(arc.Tangent[0], std::atan2(5e-4 / n, -25 / n) + kPi / 2, 1e-12);
    ExpectPoint(arc.MidPt, before.MidPt.x, before.MidPt.y, "mid point");
  }
  {
    SCOPED_TRACE("first arc from inside the blank: refitted, flatter, then lengthened");
    OperationState state = StateWithWork(MakeContour({
        MakeArc(40, 45, 45, 40, 45, 45, 1),
        MakeLine(45, 40, 55, 40),
        MakeLine(55, 40, 55, 55),
    }));
    NudgeWorkAtBlank(state);
    const Segment& arc = state.contours.work.First();
    // The centre is 5 / sqrt(2) + 0.05 from the chord (40, 45) -> (45, 40), on its bisector.
    const double d = 5 / std::sqrt(2.0) + 0.05;
    ExpectPoint(arc.Center, 42.5 + d / std::sqrt(2.0), 42.5 + d / std::sqrt(2.0), "centre");
    EXPECT_NEAR(DistanceToCenter(arc.StartPt, arc), arc.Radius, 1e-12);
    EXPECT_NEAR(DistanceToCenter(arc.EndPt, arc), arc.Radius, 1e-12);
    EXPECT_NEAR(DistanceToCenter(arc.MidPt, arc), arc.Radius, 1e-12);
    ExpectPoint(arc.EndPt, 45, 40, "end");
    EXPECT_NEAR(std::hypot(arc.StartPt.x - 40, arc.StartPt.y - 45), 1e-4, 1e-8);
    EXPECT_GT(arc.StartPt.y, 45.0);
  }
  {
    SCOPED_TRACE("last arc to the outline: its end moves out along the circle");
    OperationState state = StateWithWork(MakeContour({
        MakeLine(35, 56, 35, 45),
        MakeLine(35, 45, 45, 45),
        MakeArc(45, 45, 50, 50, 45, 50, 1),
    }));
    NudgeWorkAtBlank(state);
    const Segment& arc = state.contours.work.Last();
    const double n = std::hypot(5.0, 1e-4);
    ExpectPoint(arc.EndPt, 45 + 25 / n, 50 + 5e-4 / n, "end");
    ExpectPoint(arc.Center, 45, 50, "centre");
    ExpectPoint(state.contours.work.First().StartPt, 35, 56, "start outside: unchanged");
  }
}

TEST(NudgeWorkAtBlankTest, ArcsInsideTheRun) {
  // 2e-8 above the outline: clear of the blank for the point test and the intersection alike
  // (both at 1e-9, wherever the point lies), so no arc here touches the outline.
  const double y = 50 + 2e-8;
  struct Case {
    const char* name;
    double y0;          // height of the arc's ends
    double centerY;     // of the arc as drawn
    double expectCenterY;
  };
  const Case cases[] = {
      {"arc with an end 2e-8 off the outline: left alone", y, y - 2, y - 2},
      {"semicircle with an end on the outline: keeps its centre", y, y, y},
      {"arc with both ends strictly inside: left alone", 45, 45 - 2, 45 - 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OperationState state = StateWithWork(MakeContour({
        MakeLine(35, 60, 40, c.y0),
        MakeArc(40, c.y0, 50, c.y0, 45, c.centerY, -1),
        MakeLine(50, c.y0, 50, 40),
        MakeLine(50, 40, 60, 40),
        MakeLine(60, 40, 60, 60),
    }));
    const Segment before = state.contours.work.Seg(1);
    NudgeWorkAtBlank(state);
    const Segment& arc = state.contours.work.Seg(1);
    ExpectPoint(arc.Center, 45, c.expectCenterY, "centre");
    EXPECT_NEAR(arc.Radius, std::hypot(5.0, c.y0 - c.expectCenterY), 1e-12);
    ExpectPoint(arc.StartPt, 40, c.y0, "start");
    ExpectPoint(arc.EndPt, 50, c.y0, "end");
    ExpectPoint(arc.MidPt, before.MidPt.x, before.MidPt.y, "mid point (not recomputed)");
    EXPECT_DOUBLE_EQ(arc.Length, before.Length);
    EXPECT_NEAR(DistanceToCenter(arc.StartPt, arc), arc.Radius, 1e-12);
  }
}

}  // namespace
}  // namespace sulkor
