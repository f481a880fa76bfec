#include "contour/primitives.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "contour/segment_build.h"

namespace sulkor {
namespace {

constexpr double kHalfPi = kPi / 2.0;
constexpr double k3HalfPi = 3.0 * kPi / 2.0;
const double kH = std::sqrt(0.5);

// Difference of two angles folded into [0, pi].
double AngleGap(double a, double b) { return std::fabs(std::remainder(a - b, kTwoPi)); }

// The angle tolerances: 1e-13 on sine and cosine, 1e-6 on a chord, 1e-10 on an arc's sweep.
TEST(Primitives, AnglesAtTheirTolerances) {
  struct Sc { double s, c, want; };
  for (const Sc& k : std::vector<Sc>{
           {0, 0, k3HalfPi}, {0, -1, kPi}, {1e-14, 1, 0}, {-1e-14, 1, 0}, {1, 0, kHalfPi},
           {-1, 0, k3HalfPi}, {1, 5e-14, kHalfPi}, {1e-13, 0, k3HalfPi}, {2e-13, 0, kHalfPi},
           {0, 1e-13, kPi}, {std::sin(2.0), std::cos(2.0), 2.0}, {std::sin(5.5), std::cos(5.5), 5.5}}) {
    EXPECT_NEAR(AngleFromSinCos(k.s, k.c), k.want, 1e-12) << k.s << " " << k.c;
  }
  struct Ll { double x2, y2, length, angle; };
  for (const Ll& k : std::vector<Ll>{{3, 4, 5, std::atan2(4.0, 3.0)}, {-2, 0, 2, kPi},
                                     {0, -2, 2, k3HalfPi}, {1, -1, std::sqrt(2.0), 7 * kPi / 4},
                                     {9e-7, 0, 0, 0}, {0, -5e-7, 0, 0}, {1.1e-6, 0, 1.1e-6, 0}}) {
    double length = -1, angle = -1;
    LineLengthAngle(0, 0, k.x2, k.y2, length, angle);
    EXPECT_NEAR(length, k.length, 1e-12) << k.x2 << "," << k.y2;
    EXPECT_NEAR(angle, k.angle, 1e-12) << k.x2 << "," << k.y2;
  }
  EXPECT_EQ(NormalizeOnce(kTwoPi), kTwoPi);
  EXPECT_NEAR(NormalizeOnce(kTwoPi + 0.5), 0.5, 1e-15);
  EXPECT_NEAR(NormalizeOnce(3 * kTwoPi), 2 * kTwoPi, 1e-12);  // once only
  EXPECT_EQ(NormalizeOnce(-1.0), -1.0);
  for (double x : {0.0, 9.9e-7, -9.9e-7}) EXPECT_EQ(SignWithTolerance(x), 0.0) << x;
  EXPECT_EQ(SignWithTolerance(1e-6), 1.0);
  EXPECT_EQ(SignWithTolerance(-1e-6), -1.0);
}

TEST(Primitives, ArcMidPointTangentsAndSide) {
  struct Mid { double sx, sy, ex, ey, r; int16_t dir; double mx, my; };
  for (const Mid& k : std::vector<Mid>{
           {1, 0, 0, 1, 1, 1, kH, kH}, {1, 0, 0, 1, 1, -1, -kH, -kH},  // the long way clockwise
           {0, 1, 1, 0, 1, 1, -kH, -kH}, {1, 0, -1, 0, 1, -1, 0, -1},
           {1, 0, 0, 1, -1, 1, kH, kH},                                 // negative radius
           {0.5, 0, 0, 0.5, 5e-7, 1, 0, 0},                             // below 1e-6: the centre
           {1, 0, 1, 0, 1, 7, 1, 0}}) {                                 // equal ends: the start
    double mx = 0, my = 0;
    ArcMidPoint(0, 0, k.sx, k.sy, k.ex, k.ey, k.r, k.dir, mx, my);
    EXPECT_NEAR(mx, k.mx, 1e-12) << k.sx << "," << k.sy << " dir " << k.dir;
    EXPECT_NEAR(my, k.my, 1e-12) << k.sx << "," << k.sy << " dir " << k.dir;
  }
  struct Tan { double sx, sy, ex, ey, r; int16_t dir; double t0, t1; };
  for (const Tan& k : std::vector<Tan>{
           {1, 0, 0, 1, 1, 1, kHalfPi, kPi}, {1, 0, 0, 1, 1, -1, k3HalfPi, kTwoPi},
           {0, -1, 1, 0, 1, 1, kTwoPi, kHalfPi},      // exactly 2pi stays 2pi
           {-1, 0, 0, -1, 1, 1, k3HalfPi, kTwoPi},
           {0, 1, 1, 0, -1, 1, kTwoPi, k3HalfPi},     // the radius keeps its sign
           {0, 1, -1, 0, 1, 3, kTwoPi, kHalfPi}}) {   // any direction but 1 is clockwise
    double t0 = -1, t1 = -1;
    ArcEndTangents(k.sx, k.sy, k.ex, k.ey, 0, 0, k.r, k.dir, t0, t1);
    EXPECT_NEAR(t0, k.t0, 1e-12) << k.sx << "," << k.sy << " dir " << k.dir;
    EXPECT_NEAR(t1, k.t1, 1e-12) << k.ex << "," << k.ey << " dir " << k.dir;
  }
  double t0 = 0, t1 = 0;
  EXPECT_THROW(ArcEndTangents(1, 0, 0, 1, 0, 0, 0.0, 1, t0, t1), GeometryError);
  // The chord (0, 0) -> (2, 0): left is +y; on the chord counts as right.
  struct Side { double px, py; int16_t dir, want; };
  for (const Side& k : std::vector<Side>{{1, 1, 1, -1}, {1, 1, -1, 1}, {1, 1, 0, -1},
                                         {1, -1, 1, 1}, {1, -1, -1, -1}, {1, 0, 1, 1},
                                         {1, 0, -1, -1}, {5, 1e-9, 1, -1}}) {
    EXPECT_EQ(SideOfChord(0, 0, 2, 0, k.px, k.py, k.dir), k.want) << k.px << "," << k.py;
  }
  EXPECT_EQ(SideOfChord(1, 1, 1 + 5e-7, 1, 0, 5, -1), 1);  // chord shorter than 1e-6
}

TEST(Primitives, IntersectionsAtTheirTolerances) {
  struct Lc { double px, py, angle, r; bool found; double x1, y1, x2, y2; };
  for (const Lc& k : std::vector<Lc>{
           {-5, 0, 0, 1, true, 1, 0, -1, 0},           // the first point further along the line
           {3, 0, kPi, 1, true, -1, 0, 1, 0},          // reversed line: order flips
           {-5, 1, 0, -1, true, 0, 1, 0, 1},           // tangent, negative radius as its size
           {-5, 1.5, 0, 1, false, 9, 9, 9, 9}}) {      // outputs untouched
    double x1 = 9, y1 = 9, x2 = 9, y2 = 9;
    EXPECT_EQ(IntersectLineCircle(k.px, k.py, k.angle, 0, 0, k.r, x1, y1, x2, y2), k.found);
    EXPECT_NEAR(x1, k.x1, 1e-7);
    EXPECT_NEAR(y1, k.y1, 1e-7);
    EXPECT_NEAR(x2, k.x2, 1e-7);
    EXPECT_NEAR(y2, k.y2, 1e-7);
  }
  for (double r : {1.0, 25.4}) {  // the 1e-9 band beside the circle
    double x1 = 9, y1 = 9, x2 = 9, y2 = 9;
    EXPECT_TRUE(IntersectLineCircle(-50, r + 5e-10, 0, 0, 0, r, x1, y1, x2, y2)) << r;
    EXPECT_FALSE(IntersectLineCircle(-50, r + 1e-9, 0, 0, 0, r, x1, y1, x2, y2)) << r;
  }
  struct Cc { double cx2, cy2, r1, r2; bool found; double x1, y1, x2, y2; };
  const double y = std::sqrt(3.0);
  for (const Cc& k : std::vector<Cc>{
           {2, 0, 2, 2, true, 1, y, 1, -y},            // first point left of c1 -> c2
           {2, 0, 1, 1, true, 1, 0, 1, 0},             // touching outside
           {1, 0, 2, 1, true, 2, 0, 2, 0},             // touching inside
           {2, 0, -2, -2, true, 1, y, 1, -y},          // radii taken by size
           {2 + 5e-10, 0, 1, 1, true, 1, std::sqrt(5e-10), 1, -std::sqrt(5e-10)},
           {2.1, 0, 1, 1, false, 9, 9, 9, 9},          // apart
           {0, 0, 1, 1, false, 9, 9, 9, 9},            // the same circle
           {5e-10, 0, 1, 1 + 5e-10, false, 9, 9, 9, 9},
           {0.5, 0, 3, 1, false, 9, 9, 9, 9}}) {       // one inside the other
    double x1 = 9, y1 = 9, x2 = 9, y2 = 9;
    EXPECT_EQ(IntersectCircles(0, 0, k.r1, k.cx2, k.cy2, k.r2, x1, y1, x2, y2), k.found)
        << k.cx2 << " r " << k.r1 << " " << k.r2;
    EXPECT_NEAR(x1, k.x1, 1e-7);
    EXPECT_NEAR(y1, k.y1, 1e-7);
    EXPECT_NEAR(x2, k.x2, 1e-7);
    EXPECT_NEAR(y2, k.y2, 1e-7);
  }
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // concentric, radii kCircleEps apart: no infinity
  EXPECT_THROW(IntersectCircles(0, 0, 0.0, 0, 0, kCircleEps, x1, y1, x2, y2), GeometryError);
}

TEST(Primitives, PointInArcSweepAtItsEnds) {
  const Segment ccw = MakeArc(1, 0, 0, 1, 0, 0, 1);  // a quarter
  const Segment cw = MakeArc(1, 0, 0, 1, 0, 0, -1);  // three quarters the other way
  struct Case { const Segment* arc; double angle, radius; bool want; };
  for (const Case& k : std::vector<Case>{
           {&ccw, 0, 1, false}, {&ccw, kHalfPi, 1, true},  // start outside, end inside
           {&ccw, kPi / 4, 5, true}, {&ccw, kPi / 4, 0.2, true}, {&ccw, 3 * kPi / 4, 1, false},
           {&ccw, 1e-11, 1, false}, {&ccw, 1e-9, 1, true}, {&ccw, kHalfPi + 5e-11, 1, true},
           {&ccw, kHalfPi + 1e-9, 1, false}, {&cw, kPi / 4, 1, false}, {&cw, -kPi / 4, 1, true},
           {&cw, -1e-9, 1, true}}) {
    EXPECT_EQ(PointInArcSweep(*k.arc, k.radius * std::cos(k.angle), k.radius * std::sin(k.angle)),
              k.want)
        << "dir " << k.arc->Direction << " at " << k.angle;
  }
  Segment zero = ccw;
  zero.Radius = 0.0;
  EXPECT_THROW(PointInArcSweep(zero, 0, 1), GeometryError);
}

TEST(Primitives, ReverseAndRestartContours) {
  Segment arc = MakeArc(4, 0, 6, 2, 4, 2, 1);
  arc.StartPt.z = 7.0;
  const Contour in = MakeContour({MakeLine(0, 0, 4, 0), arc, MakeArc(6, 2, 6, 6, 6, 4, -1),
                                  MakeLine(6, 6, 0, 6), MakeLine(0, 6, 0, 0)});
  Contour out = in;
  ReverseContour(out);
  ASSERT_EQ(out.Count(), in.Count());
  for (int32_t i = 0; i < in.Count(); ++i) {
    const Segment& a = in.Seg(i);
    const Segment& b = out.Seg(in.Count() - 1 - i);
    EXPECT_EQ(b.StartPt.x, a.EndPt.x);
    EXPECT_EQ(b.EndPt.y, a.StartPt.y);
    EXPECT_EQ(b.StartPt.z, a.StartPt.z);  // z stays where it was
    EXPECT_EQ(b.Direction, a.IsArc() ? -a.Direction : a.Direction);
    EXPECT_NEAR(AngleGap(b.Tangent[0], a.Tangent[1] + kPi), 0.0, 1e-12) << i;
    EXPECT_NEAR(AngleGap(b.Tangent[1], a.Tangent[0] + kPi), 0.0, 1e-12) << i;
    EXPECT_LE(b.Tangent[0], kTwoPi);
    EXPECT_EQ(b.MidPt, a.MidPt);
  }
  ReverseContour(out);
  for (int32_t i = 0; i < in.Count(); ++i) {
    EXPECT_EQ(out.Seg(i).StartPt, in.Seg(i).StartPt);
    EXPECT_NEAR(AngleGap(out.Seg(i).Tangent[0], in.Seg(i).Tangent[0]), 0.0, 1e-12);
  }
  Contour left = MakeContour({MakeLine(1, 0, 0, 0)});
  ReverseContour(left);
  EXPECT_EQ(left.First().Tangent[0], kTwoPi);  // pi reversed lands on 2pi and stays there

  // The start nearest the point; of equally near ones the lower index; nothing within 1e7: 0.
  struct Restart { double px, py, x, y; };
  for (const Restart& k : std::vector<Restart>{{2.1, 1.9, 2, 2}, {1.9, 0.1, 2, 0}, {1, 0, 0, 0},
                                               {1, 2, 2, 2}, {1, 1, 0, 0}, {2e7, 0, 0, 0}}) {
    Contour c = MakePolygon({0, 0, 2, 0, 2, 2, 0, 2});
    RestartContourNearPoint(c, k.px, k.py);
    ASSERT_EQ(c.Count(), 4);
    EXPECT_EQ(c.First().StartPt, (Point3{k.x, k.y, 0})) << k.px << "," << k.py;
    EXPECT_EQ(c.Last().EndPt, c.First().StartPt);
  }
}

}  // namespace
}  // namespace sulkor
