#include "contour/segment_build.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "contour/primitives.h"

namespace sulkor {
namespace {

TEST(SegmentBuild, ArcsHaveEveryFieldConsistent) {
  struct Case {
    double sx, sy, ex, ey, cx, cy;
    int16_t dir;
    double radius, length, t0, t1, mx, my;
  };
  const double h = std::sqrt(0.5);
  for (const Case& k : std::vector<Case>{
           {3, 1, 1, 3, 1, 1, 1, 2, kPi, kPi / 2, kPi, 1 + 2 * h, 1 + 2 * h},  // a quarter
           {3, 1, 1, 3, 1, 1, -1, 2, 3 * kPi, 3 * kPi / 2, 2 * kPi, 1 - 2 * h, 1 - 2 * h},
           {0, 1, 1, 0, 0, 0, 1, 1, 1.5 * kPi, kPi, kPi / 2, -h, -h},  // across angle 0
           {1, 0, -1, 0, 0, 0, -1, 1, kPi, 3 * kPi / 2, kPi / 2, 0, -1},
           {0, -1, 0, -1, 0, 0, 1, 1, 2 * kPi, 2 * kPi, 2 * kPi, 0, -1}}) {  // equal ends
    const Segment arc = MakeArc(k.sx, k.sy, k.ex, k.ey, k.cx, k.cy, k.dir);
    SCOPED_TRACE(::testing::Message() << k.sx << "," << k.sy << " -> " << k.ex << "," << k.ey
                                      << " dir " << k.dir);
    EXPECT_NEAR(arc.Radius, k.radius, 1e-12);
    EXPECT_NEAR(arc.Length, k.length, 1e-12);
    EXPECT_NEAR(arc.Tangent[0], k.t0, 1e-12);
    EXPECT_NEAR(arc.Tangent[1], k.t1, 1e-12);
    EXPECT_NEAR(arc.MidPt.x, k.mx, 1e-12);
    EXPECT_NEAR(arc.MidPt.y, k.my, 1e-12);
    EXPECT_EQ(arc.SpanSign, SideOfChord(k.sx, k.sy, k.ex, k.ey, k.mx, k.my, k.dir));
  }
  EXPECT_THROW(MakeArc(1, 1, 2, 2, 1, 1, 1), GeometryError);  // zero radius
  const Segment circle = MakeCircle(2, -1, -3);
  EXPECT_EQ(circle.StartPt, (Point3{5, -1, 0}));
  EXPECT_NEAR(circle.Length, 6 * kPi, 1e-12);
  EXPECT_NEAR(circle.Tangent[1], kPi / 2, 1e-12);
  const Segment line = MakeLine(1, 1, 1, 1 + 5e-7);  // too short to have a direction
  EXPECT_EQ(line.Length, 0.0);
  EXPECT_EQ(line.Tangent[1], 0.0);
}

TEST(SegmentBuild, RefreshRecomputesWhatAnEditChanged) {
  Segment line = MakeLine(0, 0, 1, 0);
  line.EndPt = {0, 2, 0};
  RefreshSegment(line);
  EXPECT_NEAR(line.Length, 2, 1e-12);
  EXPECT_NEAR(line.Tangent[1], kPi / 2, 1e-12);
  Segment arc = MakeArc(1, 0, 0, 1, 0, 0, 1);
  arc.EndPt = {-1, 0, 0};
  RefreshSegment(arc);
  const Segment fresh = MakeArc(1, 0, -1, 0, 0, 0, 1);
  EXPECT_NEAR(arc.Length, fresh.Length, 1e-12);
  EXPECT_NEAR(arc.MidPt.y, fresh.MidPt.y, 1e-12);
  EXPECT_EQ(arc.Tangent, fresh.Tangent);
  EXPECT_EQ(arc.SpanSign, fresh.SpanSign);
  Segment circle = MakeCircle(0, 0, 1);
  circle.Radius = 2;
  RefreshSegment(circle);
  EXPECT_NEAR(circle.Length, 4 * kPi, 1e-12);
  Segment other;
  other.Length = 7;
  RefreshSegment(other);  // a kind the geometry does not know is left alone
  EXPECT_EQ(other.Length, 7);
}

TEST(SegmentBuild, PolygonsCloseBackAndRejectOddInput) {
  struct Case {
    std::vector<double> xy;
    int32_t count;
    double length;
  };
  for (const Case& k : std::vector<Case>{{{0, 0, 4, 0, 4, 3}, 3, 12},
                                         {{0, 0, 4, 0, 4, 3, 0, 0}, 3, 12},  // no extra line
                                         {{1, 1}, 0, 0}}) {
    const Contour c = MakePolygon(k.xy);
    ASSERT_EQ(c.Count(), k.count) << k.xy.size();
    double total = 0;
    for (int32_t i = 0; i < c.Count(); ++i) {
      EXPECT_EQ(c.Seg(i).EndPt, c.Seg((i + 1) % c.Count()).StartPt);
      total += c.Seg(i).Length;
    }
    EXPECT_NEAR(total, k.length, 1e-12);
    EXPECT_EQ(c.MaxX, -kBoxStart);  // the box is left empty
  }
  EXPECT_THROW(MakePolygon({0, 0, 1}), GeometryError);
  const Contour open = MakePolyline({0, 0, 4, 0, 4, 3});
  ASSERT_EQ(open.Count(), 2);
  EXPECT_EQ(open.Last().EndPt, (Point3{4, 3, 0}));
  EXPECT_THROW(MakePolyline({0, 0, 1}), GeometryError);
}

}  // namespace
}  // namespace sulkor
