#include "contour/primitives.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "contour/segment_build.h"

namespace sulkor {
namespace {

constexpr double kHalfPi = kPi / 2.0, k3HalfPi = 3.0 * kPi / 2.0;

// The angle tolerances at their boundaries: 1e-13 on sine and cosine, 1e-6 on chords and signs,
// 2 pi kept as 2 pi, reduced once only.
TEST(Primitives, AnglesAtTheirTolerances) {
  struct Sc { double s, c, want; };
  for (const Sc& k : std::vector<Sc>{{0, 0, k3HalfPi}, {0, -1, kPi}, {-1e-14, 1, 0}, {1, 5e-14, kHalfPi},
                                     {1e-13, 0, k3HalfPi}, {2e-13, 0, kHalfPi}, {0, 1e-13, kPi},
                                     {std::sin(5.5), std::cos(5.5), 5.5}}) {
    EXPECT_NEAR(AngleFromSinCos(k.s, k.c), k.want, 1e-12) << k.s << " " << k.c;
  }
  struct Ll { double x2, y2, length, angle; };
  for (const Ll& k : std::vector<Ll>{{1, -1, std::sqrt(2.0), 7 * kPi / 4}, {9e-7, 0, 0, 0}, {0, -5e-7, 0, 0},
                                     {1.1e-6, 0, 1.1e-6, 0}}) {
    double length = -1, angle = -1;
    LineLengthAngle(0, 0, k.x2, k.y2, length, angle);
    EXPECT_NEAR(length, k.length, 1e-12) << k.x2 << "," << k.y2;
    EXPECT_NEAR(angle, k.angle, 1e-12) << k.x2 << "," << k.y2;
  }
  EXPECT_EQ(NormalizeOnce(kTwoPi), kTwoPi);
  EXPECT_NEAR(NormalizeOnce(3 * kTwoPi), 2 * kTwoPi, 1e-12);
  EXPECT_EQ(SignWithTolerance(9.9e-7), 0.0);
  EXPECT_EQ(SignWithTolerance(-1e-6), -1.0);
  double t0 = -1, t1 = -1;  // a quarter from (0, -1) to (1, 0) starts at exactly 2 pi
  ArcEndTangents(0, -1, 1, 0, 0, 0, 1, 1, t0, t1);
  EXPECT_EQ(t0, kTwoPi);
  ArcEndTangents(0, 1, -1, 0, 0, 0, 1, 3, t0, t1);  // any direction but 1 is clockwise
  EXPECT_NEAR(t1, kHalfPi, 1e-12);
  EXPECT_THROW(ArcEndTangents(1, 0, 0, 1, 0, 0, 0.0, 1, t0, t1), GeometryError);
}

TEST(Primitives, DegenerateArcsAndChords) {
  struct Mid { double sx, sy, ex, ey, r; int16_t dir; double mx, my; };
  const double h = std::sqrt(0.5);
  for (const Mid& k : std::vector<Mid>{{1, 0, 0, 1, 1, -1, -h, -h},          // the long way clockwise
                                       {1, 0, 0, 1, -1, 1, h, h},            // negative radius
                                       {0.5, 0, 0, 0.5, 5e-7, 1, 0, 0},      // below 1e-6: the centre
                                       {1, 0, 1, 0, 1, 7, 1, 0}}) {          // equal ends: the start
    double mx = 0, my = 0;
    ArcMidPoint(0, 0, k.sx, k.sy, k.ex, k.ey, k.r, k.dir, mx, my);
    EXPECT_NEAR(mx, k.mx, 1e-12) << k.r << " dir " << k.dir;
    EXPECT_NEAR(my, k.my, 1e-12) << k.r << " dir " << k.dir;
  }
  // The chord (0, 0) -> (2, 0): left is +y, on the chord counts as right, a chord shorter than
  // 1e-6 has every point on its right.
  EXPECT_EQ(SideOfChord(0, 0, 2, 0, 1, 1, 1), -1);
  EXPECT_EQ(SideOfChord(0, 0, 2, 0, 1, 1, 0), -1);
  EXPECT_EQ(SideOfChord(0, 0, 2, 0, 1, 0, 1), 1);
  EXPECT_EQ(SideOfChord(0, 0, 2, 0, 1, 0, -1), -1);
  EXPECT_EQ(SideOfChord(1, 1, 1 + 5e-7, 1, 0, 5, -1), 1);
  // The arc sweep: the start outside, the end inside, within 1e-10 of the end still inside.
  const Segment ccw = MakeArc(1, 0, 0, 1, 0, 0, 1);
  for (const auto& [angle, inside] : std::vector<std::pair<double, bool>>{
           {0, false}, {1e-11, false}, {1e-9, true}, {kHalfPi + 5e-11, true}, {kHalfPi + 1e-9, false}}) {
    EXPECT_EQ(PointInArcSweep(ccw, 5 * std::cos(angle), 5 * std::sin(angle)), inside) << angle;
  }
  EXPECT_TRUE(PointInArcSweep(MakeArc(1, 0, 0, 1, 0, 0, -1), std::cos(-1e-9), std::sin(-1e-9)));
  Segment zero = ccw;
  zero.Radius = 0.0;
  EXPECT_THROW(PointInArcSweep(zero, 0, 1), GeometryError);
}

// Crossings within 1e-9 of tangency count, in a fixed order; what is not found leaves the
// outputs as they were; concentric circles kCircleEps apart fail rather than divide by zero.
TEST(Primitives, IntersectionsAtTheirTolerances) {
  double x1 = 9, y1 = 9, x2 = 9, y2 = 9;
  ASSERT_TRUE(IntersectLineCircle(3, 0, kPi, 0, 0, 1, x1, y1, x2, y2));  // the first further along
  EXPECT_NEAR(x1, -1, 1e-9);
  EXPECT_TRUE(IntersectLineCircle(-50, 25.4 + 5e-10, 0, 0, 0, -25.4, x1, y1, x2, y2));
  x1 = 9;
  EXPECT_FALSE(IntersectLineCircle(-50, 25.4 + 1e-9, 0, 0, 0, 25.4, x1, y1, x2, y2));
  EXPECT_EQ(x1, 9);
  struct Cc { double cx2, r1, r2; bool found; double x1, y1; };
  const double y = std::sqrt(3.0);
  for (const Cc& k : std::vector<Cc>{{2, 2, 2, true, 1, y},              // first left of c1 -> c2
                                     {1, 2, 1, true, 2, 0},              // touching inside
                                     {2, -2, -2, true, 1, y},            // radii taken by size
                                     {2 + 5e-10, 1, 1, true, 1, std::sqrt(5e-10)},
                                     {2.1, 1, 1, false, 9, 9}, {0, 1, 1, false, 9, 9},
                                     {5e-10, 1, 1 + 5e-10, false, 9, 9}, {0.5, 3, 1, false, 9, 9}}) {
    x1 = y1 = 9;
    EXPECT_EQ(IntersectCircles(0, 0, k.r1, k.cx2, 0, k.r2, x1, y1, x2, y2), k.found) << k.cx2 << " " << k.r1;
    EXPECT_NEAR(x1, k.x1, 1e-7);
    EXPECT_NEAR(y1, k.y1, 1e-7);
  }
  EXPECT_THROW(IntersectCircles(0, 0, 0.0, 0, 0, kCircleEps, x1, y1, x2, y2), GeometryError);
}

TEST(Primitives, ReverseAndRestartContours) {
  Segment arc = MakeArc(4, 0, 6, 2, 4, 2, 1);
  arc.StartPt.z = 7.0;
  const Contour in = MakeContour({MakeLine(0, 0, 4, 0), arc, MakeArc(6, 2, 6, 6, 6, 4, -1), MakeLine(6, 6, 0, 0)});
  Contour out = in;
  ReverseContour(out);
  for (int32_t i = 0; i < in.Count(); ++i) {
    const Segment &a = in.Seg(i), &b = out.Seg(in.Count() - 1 - i);
    EXPECT_EQ(b.StartPt.x, a.EndPt.x);
    EXPECT_EQ(b.StartPt.z, a.StartPt.z);  // z stays where it was
    EXPECT_EQ(b.Direction, a.IsArc() ? -a.Direction : a.Direction);
    EXPECT_NEAR(std::fabs(std::remainder(b.Tangent[0] - a.Tangent[1] - kPi, kTwoPi)), 0.0, 1e-12) << i;
    EXPECT_LE(b.Tangent[0], kTwoPi);
  }
  Contour left = MakeContour({MakeLine(1, 0, 0, 0)});
  ReverseContour(left);
  EXPECT_EQ(left.First().Tangent[0], kTwoPi);  // pi reversed lands on 2 pi and stays there
  // The start nearest the point; of equally near ones the lower index; nothing within 1e7: 0.
  for (const auto& [px, x] : std::vector<std::pair<double, double>>{{1.9, 2}, {1, 0}, {2e7, 0}}) {
    Contour c = MakePolygon({0, 0, 2, 0, 2, 2, 0, 2});
    RestartContourNearPoint(c, px, 0);
    EXPECT_EQ(c.First().StartPt, (Point3{x, 0, 0})) << px;
    EXPECT_EQ(c.Last().EndPt, c.First().StartPt);
  }
}

}  // namespace
}  // namespace sulkor
