#include "contour/segment_build.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "contour/primitives.h"

namespace sulkor {
namespace {

// Every field of an arc from its ends, centre and direction: the same ends clockwise run the
// long way, equal ends make a full turn, a zero radius fails; a refreshed segment recomputes
// what an edit changed.
TEST(SegmentBuild, ArcsAndRefreshedSegments) {
  struct Case {
    double sx, sy, ex, ey;
    int16_t dir;
    double length, t0, t1, mx, my;
  };
  const double h = std::sqrt(0.5);
  for (const Case& k : std::vector<Case>{{3, 1, 1, 3, -1, 3 * kPi, 3 * kPi / 2, 2 * kPi, 1 - 2 * h, 1 - 2 * h},
                                         {2, 1, 0, 1, -1, kPi, 3 * kPi / 2, kPi / 2, 1, 0},
                                         {1, -1, 1, -1, 1, 4 * kPi, kTwoPi, kTwoPi, 1, -1}}) {
    const Segment arc = MakeArc(k.sx, k.sy, k.ex, k.ey, 1, 1, k.dir);
    SCOPED_TRACE(::testing::Message() << k.sx << "," << k.sy << " dir " << k.dir);
    EXPECT_NEAR(arc.Length, k.length, 1e-12);
    EXPECT_NEAR(arc.Tangent[0], k.t0, 1e-12);
    EXPECT_NEAR(arc.Tangent[1], k.t1, 1e-12);
    EXPECT_NEAR(arc.MidPt.x, k.mx, 1e-12);
    EXPECT_NEAR(arc.MidPt.y, k.my, 1e-12);
    EXPECT_EQ(arc.SpanSign, SideOfChord(k.sx, k.sy, k.ex, k.ey, k.mx, k.my, k.dir));
  }
  EXPECT_THROW(MakeArc(1, 1, 2, 2, 1, 1, 1), GeometryError);
  Segment arc = MakeArc(1, 0, 0, 1, 0, 0, 1);
  arc.EndPt = {-1, 0, 0};
  RefreshSegment(arc);
  const Segment fresh = MakeArc(1, 0, -1, 0, 0, 0, 1);
  EXPECT_NEAR(arc.Length, fresh.Length, 1e-12);
  EXPECT_NEAR(arc.MidPt.y, fresh.MidPt.y, 1e-12);
  EXPECT_EQ(arc.Tangent, fresh.Tangent);
  Segment circle = MakeCircle(2, -1, -3);
  EXPECT_EQ(circle.StartPt, (Point3{5, -1, 0}));
  circle.Radius = 2;
  RefreshSegment(circle);
  EXPECT_NEAR(circle.Length, 4 * kPi, 1e-12);
  Segment other;
  other.Length = 7;
  RefreshSegment(other);  // a kind the geometry does not know is left alone
  EXPECT_EQ(other.Length, 7);
}

TEST(SegmentBuild, PolygonsCloseBackAndRejectOddInput) {
  EXPECT_EQ(MakePolygon({0, 0, 4, 0, 4, 3}).Count(), 3);
  const Contour repeated = MakePolygon({0, 0, 4, 0, 4, 3, 0, 0});  // no extra line
  ASSERT_EQ(repeated.Count(), 3);
  EXPECT_EQ(repeated.Last().EndPt, repeated.First().StartPt);
  EXPECT_EQ(repeated.MaxX, -kBoxStart);  // the box is left empty
  EXPECT_EQ(MakePolygon({1, 1}).Count(), 0);
  EXPECT_THROW(MakePolygon({0, 0, 1}), GeometryError);
  EXPECT_EQ(MakePolyline({0, 0, 4, 0, 4, 3}).Count(), 2);
  EXPECT_THROW(MakePolyline({0, 0, 1}), GeometryError);
}

}  // namespace
}  // namespace sulkor
