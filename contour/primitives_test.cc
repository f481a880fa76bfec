#include "contour/primitives.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "contour/segment_build.h"

namespace sulkor {
namespace {

constexpr double kHalfPi = kPi / 2.0;
constexpr double kThreeHalfPi = 3.0 * kPi / 2.0;

// Difference of two angles folded into (-pi, pi].
double AngleGap(double a, double b) {
  double d = std::fmod(a - b, kTwoPi);
  if (d > kPi) d -= kTwoPi;
  if (d <= -kPi) d += kTwoPi;
  return std::abs(d);
}

TEST(AngleFromSinCos, QuadrantsAxesAndDegenerateInput) {
  struct Case {
    double s, c, want;
  };
  const std::vector<Case> cases = {
      {0.0, 0.0, kThreeHalfPi},          // nothing to go by: 3pi/2
      {0.0, -1.0, kPi},
      {1e-14, 1.0, 0.0},                 // sine below 1e-13 counts as zero
      {-1e-14, 1.0, 0.0},
      {1.0, 0.0, kHalfPi},
      {-1.0, 0.0, kThreeHalfPi},
      {1.0, 5e-14, kHalfPi},             // cosine below 1e-13 counts as zero
      {1e-13, 0.0, kThreeHalfPi},        // s not greater than the tolerance
      {2e-13, 0.0, kHalfPi},
      {0.0, 1e-13, kPi},                 // c not greater than the tolerance: pi
      {std::sin(0.3), std::cos(0.3), 0.3},
      {std::sin(2.0), std::cos(2.0), 2.0},
      {std::sin(4.0), std::cos(4.0), 4.0},
      {std::sin(5.5), std::cos(5.5), 5.5},
  };
  for (const Case& k : cases) {
    EXPECT_NEAR(AngleFromSinCos(k.s, k.c), k.want, 1e-12) << "s=" << k.s << " c=" << k.c;
  }
  EXPECT_EQ(AngleFromSinCos(0.0, 0.0), kThreeHalfPi);
  EXPECT_EQ(AngleFromSinCos(0.0, -1.0), kPi);
  EXPECT_EQ(AngleFromSinCos(1e-14, 1.0), 0.0);
}

TEST(LineLengthAngle, LengthAngleAndZeroChords) {
  struct Case {
    double x1, y1, x2, y2, length, angle;
  };
  const std::vector<Case> cases = {
      {0, 0, 3, 4, 5, std::atan2(4.0, 3.0)},
      {1, 1, 1, 3, 2, kHalfPi},
      {1, 1, -1, 1, 2, kPi},
      {0, 0, 0, -2, 2, kThreeHalfPi},
      {0, 0, 1, -1, std::sqrt(2.0), 7.0 * kPi / 4.0},
      {2, 2, 2 + 9e-7, 2, 0, 0},          // shorter than 1e-6: both zero
      {2, 2, 2, 2 - 5e-7, 0, 0},
      {0, 0, 1.1e-6, 0, 1.1e-6, 0},
  };
  for (const Case& k : cases) {
    double length = -1.0;
    double angle = -1.0;
    LineLengthAngle(k.x1, k.y1, k.x2, k.y2, length, angle);
    EXPECT_NEAR(length, k.length, 1e-12) << k.x2 << "," << k.y2;
    EXPECT_NEAR(angle, k.angle, 1e-12) << k.x2 << "," << k.y2;
  }
}

TEST(ArcMidPoint, BothDirectionsWrapAndDegenerate) {
  struct Case {
    double cx, cy, sx, sy, ex, ey, r;
    int16_t dir;
    double mx, my;
  };
  const double h = std::sqrt(0.5);
  const std::vector<Case> cases = {
      {0, 0, 1, 0, 0, 1, 1, 1, h, h},            // quarter, counterclockwise
      {0, 0, 1, 0, 0, 1, 1, -1, -h, -h},         // same ends, clockwise: the long way
      {0, 0, 0, 1, 1, 0, 1, 1, -h, -h},          // start angle above end angle, wrapped
      {0, 0, 0, 1, 1, 0, 1, -1, h, h},
      {5, 5, 6, 5, 4, 5, 1, 1, 5, 6},            // half turn
      {5, 5, 6, 5, 4, 5, 1, -1, 5, 4},
      {0, 0, 1, 0, 0, 1, -1, 1, h, h},           // negative radius: same point
      {2, 3, 2.5, 3, 2, 3.5, 5e-7, 1, 2, 3},     // radius below 1e-6: the centre
      {0, 0, 1, 0, 1, 0, 1, 1, 1, 0},            // equal ends: the start point
      {0, 0, 1, 0, 1, 0, 1, 7, 1, 0},            // any direction but 1 is clockwise
  };
  for (const Case& k : cases) {
    double mx = 0.0;
    double my = 0.0;
    ArcMidPoint(k.cx, k.cy, k.sx, k.sy, k.ex, k.ey, k.r, k.dir, mx, my);
    EXPECT_NEAR(mx, k.mx, 1e-12) << k.sx << "," << k.sy << " dir " << k.dir;
    EXPECT_NEAR(my, k.my, 1e-12) << k.sx << "," << k.sy << " dir " << k.dir;
  }
}

TEST(ArcEndTangents, DirectionsNormalisationAndZeroRadius) {
  struct Case {
    double sx, sy, ex, ey, r;
    int16_t dir;
    double t0, t1;
  };
  const std::vector<Case> cases = {
      {1, 0, 0, 1, 1, 1, kHalfPi, kPi},
      {1, 0, 0, 1, 1, -1, kThreeHalfPi, kTwoPi},
      {0, -1, 1, 0, 1, 1, kTwoPi, kHalfPi},          // exactly 2pi stays 2pi
      {0, 1, -1, 0, 1, -1, kTwoPi, kPi / 2.0},       // pi/2 + 3pi/2 stays 2pi
      {-1, 0, 0, -1, 1, 1, kThreeHalfPi, kTwoPi},    // 3pi/2 + pi/2 for the end: 2pi
      {0, 1, 1, 0, -1, 1, kTwoPi, kThreeHalfPi},     // the radius keeps its sign
      {0, 1, -1, 0, 1, 3, kTwoPi, kPi / 2.0},        // any direction but 1 is clockwise
  };
  for (const Case& k : cases) {
    double t0 = -1.0;
    double t1 = -1.0;
    ArcEndTangents(k.sx, k.sy, k.ex, k.ey, 0.0, 0.0, k.r, k.dir, t0, t1);
    EXPECT_NEAR(t0, k.t0, 1e-12) << k.sx << "," << k.sy << " dir " << k.dir;
    EXPECT_NEAR(t1, k.t1, 1e-12) << k.ex << "," << k.ey << " dir " << k.dir;
  }
  double t0 = 0.0;
  double t1 = 0.0;
  ArcEndTangents(0, -1, -1, 0, 0, 0, 1, 1, t0, t1);
  EXPECT_EQ(t0, kTwoPi);  // not reduced to 0
  EXPECT_THROW(ArcEndTangents(1, 0, 0, 1, 0, 0, 0.0, 1, t0, t1), GeometryError);
}

TEST(NormalizeOnce, SubtractsOnceAboveTwoPi) {
  EXPECT_EQ(NormalizeOnce(kTwoPi), kTwoPi);
  EXPECT_EQ(NormalizeOnce(1.0), 1.0);
  EXPECT_EQ(NormalizeOnce(0.0), 0.0);
  EXPECT_NEAR(NormalizeOnce(kTwoPi + 0.5), 0.5, 1e-15);
  EXPECT_NEAR(NormalizeOnce(3.0 * kTwoPi), kTwoPi * 2.0, 1e-12);  // once only
  EXPECT_EQ(NormalizeOnce(-1.0), -1.0);
}

TEST(SideOfChord, SidesDirectionsAndShortChord) {
  struct Case {
    double px, py;
    int16_t dir, want;
  };
  // The chord runs from (0, 0) to (2, 0): left is +y.
  const std::vector<Case> cases = {
      {1, 1, 1, -1},   {1, 1, -1, 1},   {1, 1, 0, -1},  {1, 1, 5, -1},
      {1, -1, 1, 1},   {1, -1, -1, -1}, {1, -1, 2, 1},
      {1, 0, 1, 1},    {1, 0, -1, -1},  // on the chord: cross = 0 counts as right
      {5, 1e-9, 1, -1},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(SideOfChord(0, 0, 2, 0, k.px, k.py, k.dir), k.want)
        << k.px << "," << k.py << " dir " << k.dir;
  }
  EXPECT_EQ(SideOfChord(1, 1, 1 + 5e-7, 1, 0, 5, 1), 1);   // chord shorter than 1e-6
  EXPECT_EQ(SideOfChord(1, 1, 1 + 5e-7, 1, 0, 5, -1), 1);
  // The result of an arc's ends and mid point: both the quarter and the three-quarter arc lie
  // on the right of their chord when they run counterclockwise.
  EXPECT_EQ(SideOfChord(1, 0, 0, 1, std::sqrt(0.5), std::sqrt(0.5), 1), 1);
  EXPECT_EQ(SideOfChord(0, 1, 1, 0, -std::sqrt(0.5), -std::sqrt(0.5), 1), 1);
}

TEST(SignWithTolerance, ZeroBandIsOneMicron) {
  struct Case {
    double x, want;
  };
  const std::vector<Case> cases = {{0.0, 0.0},   {9.9e-7, 0.0}, {-9.9e-7, 0.0}, {1e-6, 1.0},
                                   {-1e-6, -1.0}, {3.0, 1.0},    {-0.5, -1.0}};
  for (const Case& k : cases) EXPECT_EQ(SignWithTolerance(k.x), k.want) << k.x;
}

TEST(IntersectLineCircle, PointsOrderAndToleranceBand) {
  struct Case {
    double px, py, angle, cx, cy, r;
    bool found;
    double x1, y1, x2, y2;
  };
  const std::vector<Case> cases = {
      {-5, 0, 0, 0, 0, 1, true, 1, 0, -1, 0},           // first point further along the line
      {0, -5, kHalfPi, 0, 0, 2, true, 0, 2, 0, -2},
      {3, 0, kPi, 0, 0, 1, true, -1, 0, 1, 0},          // reversed line: order flips
      {-5, 1, 0, 0, 0, 1, true, 0, 1, 0, 1},            // tangent: two coincident points
      {-5, 1, 0, 0, 0, -1, true, 0, 1, 0, 1},           // negative radius as its size
      {-5, 3, 0, 2, 0, 3, true, 2, 3, 2, 3},
      {-5, 1.5, 0, 0, 0, 1, false, 9, 9, 9, 9},
  };
  for (const Case& k : cases) {
    double x1 = 9, y1 = 9, x2 = 9, y2 = 9;
    EXPECT_EQ(IntersectLineCircle(k.px, k.py, k.angle, k.cx, k.cy, k.r, x1, y1, x2, y2), k.found)
        << k.px << "," << k.py;
    EXPECT_NEAR(x1, k.x1, 1e-7);
    EXPECT_NEAR(y1, k.y1, 1e-7);
    EXPECT_NEAR(x2, k.x2, 1e-7);
    EXPECT_NEAR(y2, k.y2, 1e-7);
  }
  // Distance from the centre just inside and at the edge of the 1e-9 band, for several radii.
  for (double r : {1.0, 2.0, 3.0, 10.0, 25.4}) {
    double x1 = 9, y1 = 9, x2 = 9, y2 = 9;
    EXPECT_TRUE(IntersectLineCircle(-50, r - 5e-10, 0, 0, 0, r, x1, y1, x2, y2)) << r;
    EXPECT_NEAR(y1, r - 5e-10, 1e-15);
    EXPECT_NEAR(x1, -x2, 1e-12);
    EXPECT_TRUE(IntersectLineCircle(-50, r + 5e-10, 0, 0, 0, r, x1, y1, x2, y2)) << r;
    x1 = y1 = x2 = y2 = 9;
    EXPECT_FALSE(IntersectLineCircle(-50, r + 1e-9, 0, 0, 0, r, x1, y1, x2, y2)) << r;
    EXPECT_FALSE(IntersectLineCircle(-50, -(r + 2e-9), 0, 0, 0, r, x1, y1, x2, y2)) << r;
    EXPECT_EQ(x1, 9);  // outputs untouched
    EXPECT_EQ(y2, 9);
  }
}

TEST(IntersectCircles, CrossingsOrderAndNoCrossingCases) {
  struct Case {
    double cx1, cy1, r1, cx2, cy2, r2;
    bool found;
    double x1, y1, x2, y2;
  };
  const double y = std::sqrt(3.0);
  const std::vector<Case> cases = {
      {0, 0, 2, 2, 0, 2, true, 1, y, 1, -y},        // first point to the left of c1 -> c2
      {2, 0, 2, 0, 0, 2, true, 1, -y, 1, y},
      {0, 0, 1, 2, 0, 1, true, 1, 0, 1, 0},         // touching outside
      {0, 0, 2, 1, 0, 1, true, 2, 0, 2, 0},         // touching inside
      {0, 0, -2, 2, 0, -2, true, 1, y, 1, -y},      // radii taken by size
      {0, 0, 1, 2 + 5e-10, 0, 1, true, 1, std::sqrt(5e-10), 1, -std::sqrt(5e-10)},
      {0, 0, 1, 2.1, 0, 1, false, 9, 9, 9, 9},      // apart
      {3, 3, 1, 3, 3, 1, false, 9, 9, 9, 9},        // the same circle
      {3, 3, 1, 3 + 5e-10, 3, 1 + 5e-10, false, 9, 9, 9, 9},
      {0, 0, 3, 0.5, 0, 1, false, 9, 9, 9, 9},      // one inside the other
      {0, 0, 3, 0, 0, 1, false, 9, 9, 9, 9},        // concentric, different radii
  };
  for (const Case& k : cases) {
    double x1 = 9, y1 = 9, x2 = 9, y2 = 9;
    EXPECT_EQ(IntersectCircles(k.cx1, k.cy1, k.r1, k.cx2, k.cy2, k.r2, x1, y1, x2, y2), k.found)
        << k.cx2 << "," << k.cy2 << " r " << k.r1 << " " << k.r2;
    EXPECT_NEAR(x1, k.x1, 1e-7);
    EXPECT_NEAR(y1, k.y1, 1e-7);
    EXPECT_NEAR(x2, k.x2, 1e-7);
    EXPECT_NEAR(y2, k.y2, 1e-7);
  }
  // Concentric circles whose radii differ by exactly the tolerance reach the division by the
  // distance of the centres: a failure, not an infinity.
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  EXPECT_THROW(IntersectCircles(0, 0, 0.0, 0, 0, kCircleEps, x1, y1, x2, y2), GeometryError);
}

TEST(PointInArcSweep, EndsInsideOutsideAndDirections) {
  const Segment ccw = MakeArc(1, 0, 0, 1, 0, 0, 1);   // quarter, counterclockwise
  const Segment cw = MakeArc(1, 0, 0, 1, 0, 0, -1);   // three quarters, clockwise
  const Segment big = MakeArc(0, 1, 1, 0, 0, 0, 1);   // three quarters, counterclockwise
  const double h = std::sqrt(0.5);
  struct Case {
    const Segment* arc;
    double px, py;
    bool want;
  };
  const std::vector<Case> cases = {
      {&ccw, 1, 0, false},  // the start is outside
      {&ccw, 0, 1, true},   // the end is inside
      {&ccw, h, h, true},
      {&ccw, -h, h, false},
      {&ccw, 5 * h, 5 * h, true},  // only the angle counts, not the distance
      {&ccw, 0.2 * h, 0.2 * h, true},
      {&ccw, std::cos(1e-11), std::sin(1e-11), false},
      {&ccw, std::cos(1e-9), std::sin(1e-9), true},
      {&ccw, std::cos(kHalfPi + 5e-11), std::sin(kHalfPi + 5e-11), true},  // within 1e-10
      {&ccw, std::cos(kHalfPi + 1e-9), std::sin(kHalfPi + 1e-9), false},
      {&cw, 1, 0, false},
      {&cw, 0, 1, true},
      {&cw, h, h, false},
      {&cw, -h, -h, true},
      {&cw, std::cos(-1e-9), std::sin(-1e-9), true},
      {&big, 0, 1, false},
      {&big, 1, 0, true},
      {&big, -1, 0, true},
      {&big, h, h, false},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(PointInArcSweep(*k.arc, k.px, k.py), k.want)
        << "dir " << k.arc->Direction << " at " << k.px << "," << k.py;
  }
  Segment zero = ccw;
  zero.Radius = 0.0;
  EXPECT_THROW(PointInArcSweep(zero, 0, 1), GeometryError);
}

Contour MixedContour() {
  Segment arc = MakeArc(4, 0, 6, 2, 4, 2, 1);
  arc.StartPt.z = 7.0;
  arc.EndPt.z = -3.0;
  Segment cw = MakeArc(6, 2, 6, 6, 6, 4, -1);
  Segment line = MakeLine(0, 0, 4, 0);
  line.StartPt.z = 1.5;
  return MakeContour({line, arc, cw, MakeLine(6, 6, 0, 6), MakeLine(0, 6, 0, 0)});
}

TEST(ReverseContour, OrderEndsTangentsDirectionAndTwice) {
  const Contour in = MixedContour();
  Contour out = in;
  ReverseContour(out);
  ASSERT_EQ(out.Count(), in.Count());
  for (int32_t i = 0; i < in.Count(); ++i) {
    const Segment& a = in.Seg(i);
    const Segment& b = out.Seg(in.Count() - 1 - i);
    EXPECT_EQ(b.Kind, a.Kind);
    EXPECT_EQ(b.StartPt.x, a.EndPt.x);
    EXPECT_EQ(b.StartPt.y, a.EndPt.y);
    EXPECT_EQ(b.EndPt.x, a.StartPt.x);
    EXPECT_EQ(b.EndPt.y, a.StartPt.y);
    EXPECT_EQ(b.StartPt.z, a.StartPt.z);  // z stays where it was
    EXPECT_EQ(b.EndPt.z, a.EndPt.z);
    EXPECT_EQ(b.SpanSign, a.SpanSign);
    EXPECT_EQ(b.Length, a.Length);
    if (a.IsArc()) {
      EXPECT_EQ(b.Direction, -a.Direction);
      EXPECT_NEAR(AngleGap(b.Tangent[0], a.Tangent[1] + kPi), 0.0, 1e-12);
      EXPECT_NEAR(AngleGap(b.Tangent[1], a.Tangent[0] + kPi), 0.0, 1e-12);
      EXPECT_EQ(b.MidPt, a.MidPt);
      EXPECT_EQ(b.Center, a.Center);
      EXPECT_EQ(b.Radius, a.Radius);
    } else {
      EXPECT_EQ(b.Direction, a.Direction);
      EXPECT_NEAR(AngleGap(b.Tangent[0], a.Tangent[0] + kPi), 0.0, 1e-12);
      EXPECT_EQ(b.Tangent[1], b.Tangent[0]);
    }
    EXPECT_LE(b.Tangent[0], kTwoPi);
    EXPECT_LE(b.Tangent[1], kTwoPi);
  }
  // The reversed tangents are those of the segments rebuilt the other way round.
  const Segment& arcBack = out.Seg(3);
  const Segment rebuilt = MakeArc(6, 2, 4, 0, 4, 2, -1);
  EXPECT_NEAR(AngleGap(arcBack.Tangent[0], rebuilt.Tangent[0]), 0.0, 1e-12);
  EXPECT_NEAR(AngleGap(arcBack.Tangent[1], rebuilt.Tangent[1]), 0.0, 1e-12);

  ReverseContour(out);
  ASSERT_EQ(out.Count(), in.Count());
  for (int32_t i = 0; i < in.Count(); ++i) {
    const Segment& a = in.Seg(i);
    const Segment& b = out.Seg(i);
    EXPECT_EQ(b.StartPt, a.StartPt);
    EXPECT_EQ(b.EndPt, a.EndPt);
    EXPECT_EQ(b.Direction, a.Direction);
    EXPECT_NEAR(AngleGap(b.Tangent[0], a.Tangent[0]), 0.0, 1e-12);
    EXPECT_NEAR(AngleGap(b.Tangent[1], a.Tangent[1]), 0.0, 1e-12);
  }

  Contour empty;
  ReverseContour(empty);
  EXPECT_TRUE(empty.Empty());

  // A line's reversed direction of exactly pi lands on 2pi and stays there.
  Contour left = MakeContour({MakeLine(1, 0, 0, 0)});
  ReverseContour(left);
  EXPECT_EQ(left.First().Tangent[0], kTwoPi);
}

TEST(RestartContourNearPoint, NearestStartTieAndFarPoint) {
  const Contour square = MakePolygon({0, 0, 2, 0, 2, 2, 0, 2});
  struct Case {
    double px, py;
    double firstX, firstY;
  };
  const std::vector<Case> cases = {
      {2.1, 1.9, 2, 2},
      {1.9, 0.1, 2, 0},
      {0.1, 2.2, 0, 2},
      {1.0, 0.0, 0, 0},      // equally near (0, 0) and (2, 0): the lower index
      {1.0, 2.0, 2, 2},      // equally near (2, 2) and (0, 2): the lower index
      {1.0, 1.0, 0, 0},      // all four equally near
      {2e7, 0.0, 0, 0},      // nothing nearer than 1e7: index 0 stays
  };
  for (const Case& k : cases) {
    Contour c = square;
    RestartContourNearPoint(c, k.px, k.py);
    ASSERT_EQ(c.Count(), 4);
    EXPECT_EQ(c.First().StartPt.x, k.firstX) << k.px << "," << k.py;
    EXPECT_EQ(c.First().StartPt.y, k.firstY) << k.px << "," << k.py;
    for (int32_t i = 0; i + 1 < c.Count(); ++i) {
      EXPECT_EQ(c.Seg(i).EndPt, c.Seg(i + 1).StartPt);  // still a chain, same order
    }
    EXPECT_EQ(c.Last().EndPt, c.First().StartPt);
  }
  Contour empty;
  RestartContourNearPoint(empty, 1, 1);
  EXPECT_TRUE(empty.Empty());
}

}  // namespace
}  // namespace sulkor
