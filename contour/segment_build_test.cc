#include "contour/segment_build.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "contour/primitives.h"

namespace sulkor {
namespace {

TEST(MakeLine, LengthAndBothTangents) {
  struct Case {
    double x1, y1, x2, y2, length, angle;
  };
  const std::vector<Case> cases = {
      {0, 0, 3, 4, 5, std::atan2(4.0, 3.0)},
      {2, 1, -1, 1, 3, kPi},
      {0, 0, 0, -1, 1, 3.0 * kPi / 2.0},
      {1, 1, 1, 1 + 5e-7, 0, 0},  // too short to have a direction
  };
  for (const Case& k : cases) {
    const Segment line = MakeLine(k.x1, k.y1, k.x2, k.y2);
    EXPECT_TRUE(line.IsLine());
    EXPECT_EQ(line.StartPt, (Point3{k.x1, k.y1, 0}));
    EXPECT_EQ(line.EndPt, (Point3{k.x2, k.y2, 0}));
    EXPECT_NEAR(line.Length, k.length, 1e-12);
    EXPECT_NEAR(line.Tangent[0], k.angle, 1e-12);
    EXPECT_EQ(line.Tangent[1], line.Tangent[0]);
  }
}

TEST(MakeArc, EveryFieldConsistent) {
  struct Case {
    double sx, sy, ex, ey, cx, cy;
    int16_t dir;
    double radius, length, t0, t1, mx, my;
  };
  const double h = std::sqrt(0.5);
  const std::vector<Case> cases = {
      // quarter counterclockwise, radius 2 around (1, 1)
      {3, 1, 1, 3, 1, 1, 1, 2, kPi, kPi / 2.0, kPi, 1 + 2 * h, 1 + 2 * h},
      // the same ends clockwise: three quarters the other way
      {3, 1, 1, 3, 1, 1, -1, 2, 3 * kPi, 3 * kPi / 2.0, 2 * kPi, 1 - 2 * h, 1 - 2 * h},
      // three quarters counterclockwise across angle 0
      {0, 1, 1, 0, 0, 0, 1, 1, 1.5 * kPi, kPi, kPi / 2.0, -h, -h},
      // half turn clockwise
      {1, 0, -1, 0, 0, 0, -1, 1, kPi, 3 * kPi / 2.0, kPi / 2.0, 0, -1},
      // full turn: equal ends
      {0, -1, 0, -1, 0, 0, 1, 1, 2 * kPi, 2 * kPi, 2 * kPi, 0, -1},
  };
  for (const Case& k : cases) {
    const Segment arc = MakeArc(k.sx, k.sy, k.ex, k.ey, k.cx, k.cy, k.dir);
    SCOPED_TRACE(testing::Message() << k.sx << "," << k.sy << " -> " << k.ex << "," << k.ey
                                    << " dir " << k.dir);
    EXPECT_TRUE(arc.IsArc());
    EXPECT_EQ(arc.Direction, k.dir);
    EXPECT_NEAR(arc.Radius, k.radius, 1e-12);
    EXPECT_NEAR(arc.Length, k.length, 1e-12);
    EXPECT_NEAR(arc.Tangent[0], k.t0, 1e-12);
    EXPECT_NEAR(arc.Tangent[1], k.t1, 1e-12);
    EXPECT_NEAR(arc.MidPt.x, k.mx, 1e-12);
    EXPECT_NEAR(arc.MidPt.y, k.my, 1e-12);
    EXPECT_EQ(arc.SpanSign, SideOfChord(k.sx, k.sy, k.ex, k.ey, arc.MidPt.x, arc.MidPt.y,
                                        k.dir));
    // The mid point lies inside the sweep, on the circle.
    if (k.length < 2 * kPi * k.radius) {
      EXPECT_TRUE(PointInArcSweep(arc, arc.MidPt.x, arc.MidPt.y));
    }
    EXPECT_NEAR(std::hypot(arc.MidPt.x - k.cx, arc.MidPt.y - k.cy), k.radius, 1e-12);
  }
  EXPECT_THROW(MakeArc(1, 1, 2, 2, 1, 1, 1), GeometryError);  // zero radius
}

TEST(MakeCircle, FullTurnFromPositiveX) {
  const Segment circle = MakeCircle(2, -1, -3);
  EXPECT_TRUE(circle.IsCircle());
  EXPECT_EQ(circle.Radius, 3.0);
  EXPECT_EQ(circle.StartPt, (Point3{5, -1, 0}));
  EXPECT_EQ(circle.EndPt, circle.StartPt);
  EXPECT_EQ(circle.Center, (Point3{2, -1, 0}));
  EXPECT_NEAR(circle.Length, 6 * kPi, 1e-12);
  EXPECT_NEAR(circle.Tangent[0], kPi / 2, 1e-12);
  EXPECT_NEAR(circle.Tangent[1], kPi / 2, 1e-12);
  EXPECT_EQ(circle.Direction, 1);
}

TEST(RefreshSegment, RecomputesDerivedFieldsAfterAnEdit) {
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
  EXPECT_NEAR(arc.MidPt.x, fresh.MidPt.x, 1e-12);
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

TEST(MakePolygon, ClosesBackAndRejectsOddInput) {
  struct Case {
    std::vector<double> xy;
    int32_t count;
    double length;
  };
  const std::vector<Case> cases = {
      {{0, 0, 4, 0, 4, 3}, 3, 12},
      {{0, 0, 4, 0, 4, 3, 0, 0}, 3, 12},  // the first point repeated: no extra line
      {{0, 0, 2, 0, 2, 2, 0, 2}, 4, 8},
      {{1, 1}, 0, 0},
      {{}, 0, 0},
  };
  for (const Case& k : cases) {
    const Contour c = MakePolygon(k.xy);
    ASSERT_EQ(c.Count(), k.count) << k.xy.size();
    double total = 0;
    for (int32_t i = 0; i < c.Count(); ++i) {
      EXPECT_TRUE(c.Seg(i).IsLine());
      EXPECT_EQ(c.Seg(i).EndPt, c.Seg((i + 1) % c.Count()).StartPt);
      total += c.Seg(i).Length;
    }
    EXPECT_NEAR(total, k.length, 1e-12);
    EXPECT_EQ(c.MaxX, -kBoxStart);  // the box is left empty
  }
  EXPECT_THROW(MakePolygon({0, 0, 1}), GeometryError);

  // The open chain: the same lines without the one back to the start.
  const Contour open = MakePolyline({0, 0, 4, 0, 4, 3});
  ASSERT_EQ(open.Count(), 2);
  EXPECT_EQ(open.Last().EndPt, (Point3{4, 3, 0}));
  EXPECT_EQ(MakePolyline({1, 1}).Count(), 0);
  EXPECT_THROW(MakePolyline({0, 0, 1}), GeometryError);
}

}  // namespace
}  // namespace sulkor
