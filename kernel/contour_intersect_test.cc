#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "kernel/contour_services.h"
#include "testing/test_segments.h"

namespace sulkor {
namespace {

using testing::TestArc;
using testing::TestArcPts;
using testing::TestCircle;
using testing::TestContour;
using testing::TestLine;
using testing::TestPolygon;

constexpr double kPiD = std::numbers::pi;
const double kS2 = std::sqrt(2.0);

struct Want {
  double x, y;
  int32_t seg1;
  double along1;
  int32_t seg2;
  double along2;
};

struct Case {
  std::string name;
  Contour first, second;
  std::vector<Want> want;
};

const Contour kSquare = TestPolygon({0, 0, 10, 0, 10, 10, 0, 10});

TEST(IntersectContours, ReportsEachSharedPointOnceInOrder) {
  const std::vector<Case> cases = {
      {"probe across a square: order along the first", kSquare,
       TestContour({TestLine(-5, 5, 15, 5)}),
       {{10, 5, 1, 5, 0, 15}, {0, 5, 3, 5, 0, 5}}},
      {"the same with the probe first", TestContour({TestLine(-5, 5, 15, 5)}), kSquare,
       {{0, 5, 0, 5, 3, 5}, {10, 5, 0, 15, 1, 5}}},
      {"diagonal through two corners: each corner once, on the segment leaving it", kSquare,
       TestContour({TestLine(-5, -5, 15, 15)}),
       {{0, 0, 0, 0, 0, 5 * kS2}, {10, 10, 2, 0, 0, 15 * kS2}}},
      {"line touching a corner from outside", kSquare, TestContour({TestLine(-5, 5, 5, 15)}),
       {{0, 10, 3, 0, 0, 5 * kS2}}},
      {"probe ending on the outline (a trimmed work contour)",
       TestContour({TestLine(5, 0, 5, 5), TestLine(5, 5, 8, 10)}), kSquare,
       {{5, 0, 0, 0, 0, 5}, {8, 10, 1, 5 * std::sqrt(34.0) / 5, 2, 2}}},
      {"work running along the blank outline: the ends of the shared stretch", kSquare,
       TestContour({TestLine(-5, 0, 15, 0)}), {{0, 0, 0, 0, 0, 5}, {10, 0, 1, 0, 0, 15}}},
      {"shared stretch over a vertex of the work: the vertex too", kSquare,
       TestContour({TestLine(-5, 0, 5, 0), TestLine(5, 0, 15, 0)}),
       {{0, 0, 0, 0, 0, 5}, {5, 0, 0, 5, 1, 0}, {10, 0, 1, 0, 1, 5}}},
      {"copy shifted by (3, 1e-6): two crossings, parallel edges apart", kSquare,
       TestPolygon({3, 1e-6, 13, 1e-6, 13, 10 + 1e-6, 3, 10 + 1e-6}),
       {{10, 1e-6, 1, 1e-6, 0, 7}, {3, 10, 2, 7, 3, 1e-6}}},
      {"copy shifted by (0, 1e-6): collinear walls", kSquare,
       TestPolygon({0, 1e-6, 10, 1e-6, 10, 10 + 1e-6, 0, 10 + 1e-6}),
       {{10, 1e-6, 1, 1e-6, 1, 0},
        {10, 10, 2, 0, 1, 10 - 1e-6},
        {0, 10, 3, 0, 3, 1e-6},
        {0, 1e-6, 3, 10 - 1e-6, 0, 0}}},
      {"rectangle against a wall", kSquare, TestPolygon({10, 2, 20, 2, 20, 8, 10, 8}),
       {{10, 2, 1, 2, 0, 0}, {10, 8, 1, 8, 3, 0}}},
      {"no contact", kSquare, TestContour({TestLine(11, 0, 11, 10)}), {}},
      {"a vertex whose segments miss each other by 1e-7",
       TestContour({TestLine(0, 0, 10, 0), TestLine(10, 1e-7, 10, 10), TestLine(10, 10, 0, 0)}),
       TestContour({TestLine(5, -5, 15, 5)}), {{10, 0, 1, 0, 0, 5 * kS2}}},
      {"the start of a closed contour", kSquare, TestContour({TestLine(-1, 1, 1, -1)}),
       {{0, 0, 0, 0, 0, kS2}}},
      {"the end of an open contour stays on its last segment",
       TestContour({TestLine(0, 0, 10, 0), TestLine(10, 0, 10, 10)}),
       TestContour({TestLine(5, 10, 15, 10)}), {{10, 10, 1, 10, 0, 5}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IntersectionResult result;
    const bool found = IntersectContours(c.first, c.second, result);
    EXPECT_EQ(found, !c.want.empty());
    ASSERT_EQ(result.Count(), static_cast<int16_t>(c.want.size()));
    for (size_t k = 0; k < c.want.size(); ++k) {
      SCOPED_TRACE(k);
      const Crossing& got = result.Points[k];
      EXPECT_NEAR(got.X, c.want[k].x, 1e-12);
      EXPECT_NEAR(got.Y, c.want[k].y, 1e-12);
      EXPECT_EQ(got.Seg1, c.want[k].seg1);
      EXPECT_NEAR(got.Along1, c.want[k].along1, 1e-9);
      EXPECT_EQ(got.Seg2, c.want[k].seg2);
      EXPECT_NEAR(got.Along2, c.want[k].along2, 1e-9);
    }
  }
}

TEST(IntersectContours, ArcsTouchingAndSharingACircle) {
  // A round-ended slot: two lines and two half circles of radius 5.
  const Contour slot = TestContour({TestLine(0, 0, 20, 0), TestArc(20, 5, 5, -kPiD / 2, kPiD),
                                    TestLine(20, 10, 0, 10),
                                    TestArc(0, 5, 5, kPiD / 2, kPiD)});
  const std::vector<Case> cases = {
      {"line tangent to the end arc: one touch", slot, TestContour({TestLine(25, -5, 25, 15)}),
       {{25, 5, 1, 5 * kPiD / 2, 0, 10}}},
      {"line tangent at the joint of a line and an arc: one point", slot,
       TestContour({TestLine(10, 10, 30, 10)}),
       {{20, 10, 2, 0, 0, 10}, {10, 10, 2, 10, 0, 0}}},
      {"circle sharing the end arc", slot, TestContour({TestCircle(20, 5, 5)}),
       {{20, 0, 1, 0, 0, 5 * 3 * kPiD / 2}, {20, 10, 2, 0, 0, 5 * kPiD / 2}}},
      {"arc on the same circle, half inside the slot's arc", slot,
       TestContour({TestArc(20, 5, 5, 0, kPiD)}),
       {{25, 5, 1, 5 * kPiD / 2, 0, 0}, {20, 10, 2, 0, 0, 5 * kPiD / 2}}},
      {"full circle through the slot", TestContour({TestCircle(0, 0, 10)}),
       TestContour({TestLine(-20, 0, 20, 0)}),
       {{10, 0, 0, 0, 0, 30}, {-10, 0, 0, 10 * kPiD, 0, 10}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IntersectionResult result;
    IntersectContours(c.first, c.second, result);
    ASSERT_EQ(result.Count(), static_cast<int16_t>(c.want.size()));
    for (size_t k = 0; k < c.want.size(); ++k) {
      SCOPED_TRACE(k);
      const Crossing& got = result.Points[k];
      EXPECT_NEAR(got.X, c.want[k].x, 1e-9);
      EXPECT_NEAR(got.Y, c.want[k].y, 1e-9);
      EXPECT_EQ(got.Seg1, c.want[k].seg1);
      EXPECT_NEAR(got.Along1, c.want[k].along1, 1e-9);
      EXPECT_EQ(got.Seg2, c.want[k].seg2);
      EXPECT_NEAR(got.Along2, c.want[k].along2, 1e-9);
    }
  }
}

// The count is a 16-bit number: more points than it holds is a failure, not a wrapped count.
TEST(IntersectContours, MorePointsThanASixteenBitCountFails) {
  Contour zigzag;
  for (int k = 0; k < 32768; ++k) {
    zigzag.Segs.push_back(TestLine(k, k % 2 == 0 ? -1 : 1, k + 1, k % 2 == 0 ? 1 : -1));
  }
  const Contour axis = TestContour({TestLine(-1, 0, 40000, 0)});
  IntersectionResult result;
  EXPECT_THROW(IntersectContours(zigzag, axis, result), GeometryError);
  zigzag.Segs.pop_back();
  EXPECT_TRUE(IntersectContours(zigzag, axis, result));
  EXPECT_EQ(result.Count(), 32767);
}

// Random contours of lines and arcs in general position, against a reference that intersects
// every pair of segments by other means: the quadratic of a line against a circle, and a
// sampled, bisected distance function for two circles.
using testing::AngleInSweep;
using testing::ArcParams;
using testing::MakeRandomContour;
using testing::RandomContour;

struct RefPoint {
  double x, y;
  int32_t seg1, seg2;
  double along1;
};

void ReferencePair(const Segment& a, const ArcParams& pa, const Segment& b, const ArcParams& pb,
                   int32_t i, int32_t j, std::vector<RefPoint>& out) {
  auto along_a = [&](double x, double y) {
    return pa.arc ? pa.r * AngleInSweep(pa, x, y)
                  : std::hypot(x - a.StartPt.x, y - a.StartPt.y);
  };
  auto on_arc = [](const ArcParams& p, double x, double y) {
    return AngleInSweep(p, x, y) <= std::fabs(p.sweep);
  };
  if (!pa.arc && !pb.arc) {
    const double dx1 = a.EndPt.x - a.StartPt.x, dy1 = a.EndPt.y - a.StartPt.y;
    const double dx2 = b.EndPt.x - b.StartPt.x, dy2 = b.EndPt.y - b.StartPt.y;
    const double den = dx1 * dy2 - dy1 * dx2;
    const double ox = b.StartPt.x - a.StartPt.x, oy = b.StartPt.y - a.StartPt.y;
    const double t = (ox * dy2 - oy * dx2) / den;
    const double u = (ox * dy1 - oy * dx1) / den;
    if (t >= 0 && t <= 1 && u >= 0 && u <= 1) {
      const double x = a.StartPt.x + t * dx1, y = a.StartPt.y + t * dy1;
      out.push_back({x, y, i, j, along_a(x, y)});
    }
    return;
  }
  if (pa.arc != pb.arc) {
    const Segment& line = pa.arc ? b : a;
    const ArcParams& arc = pa.arc ? pa : pb;
    const double dx = line.EndPt.x - line.StartPt.x, dy = line.EndPt.y - line.StartPt.y;
    const double fx = line.StartPt.x - arc.cx, fy = line.StartPt.y - arc.cy;
    const double qa = dx * dx + dy * dy, qb = 2 * (fx * dx + fy * dy);
    const double qc = fx * fx + fy * fy - arc.r * arc.r;
    const double disc = qb * qb - 4 * qa * qc;
    if (disc <= 0) return;
    for (double sgn : {-1.0, 1.0}) {
      const double t = (-qb + sgn * std::sqrt(disc)) / (2 * qa);
      if (t < 0 || t > 1) continue;
      const double x = line.StartPt.x + t * dx, y = line.StartPt.y + t * dy;
      if (on_arc(arc, x, y)) out.push_back({x, y, i, j, along_a(x, y)});
    }
    return;
  }
  const double d = std::hypot(pa.cx - pb.cx, pa.cy - pb.cy);
  if (d > pa.r + pb.r || d < std::fabs(pa.r - pb.r)) return;  // the circles do not meet
  const int steps = 1000;
  auto f = [&](double th) {
    const double x = pa.cx + pa.r * std::cos(th), y = pa.cy + pa.r * std::sin(th);
    return std::hypot(x - pb.cx, y - pb.cy) - pb.r;
  };
  double prev = f(pa.a0);
  for (int s = 1; s <= steps; ++s) {
    const double lo0 = pa.a0 + pa.sweep * (s - 1) / steps;
    const double hi0 = pa.a0 + pa.sweep * s / steps;
    const double cur = f(hi0);
    if ((prev < 0) != (cur < 0)) {
      double lo = lo0, hi = hi0, flo = prev;
      for (int it = 0; it < 60; ++it) {
        const double mid = (lo + hi) / 2;
        const double fm = f(mid);
        if ((fm < 0) == (flo < 0)) {
          lo = mid;
          flo = fm;
        } else {
          hi = mid;
        }
      }
      const double th = (lo + hi) / 2;
      const double x = pa.cx + pa.r * std::cos(th), y = pa.cy + pa.r * std::sin(th);
      if (on_arc(pb, x, y)) out.push_back({x, y, i, j, pa.r * std::fabs(th - pa.a0)});
    }
    prev = cur;
  }
}

// Checks IntersectContours(a, b) against the reference; answers the number of crossings.
int CheckAgainstReference(const RandomContour& a, const RandomContour& b, int trial) {
  std::vector<RefPoint> ref;
  for (int32_t i = 0; i < a.contour.Count(); ++i) {
    for (int32_t j = 0; j < b.contour.Count(); ++j) {
      ReferencePair(a.contour.Seg(i), a.params[static_cast<size_t>(i)], b.contour.Seg(j),
                    b.params[static_cast<size_t>(j)], i, j, ref);
    }
  }
  std::sort(ref.begin(), ref.end(), [](const RefPoint& l, const RefPoint& r) {
    return l.seg1 != r.seg1 ? l.seg1 < r.seg1 : l.along1 < r.along1;
  });
  IntersectionResult result;
  IntersectContours(a.contour, b.contour, result);
  EXPECT_EQ(static_cast<size_t>(result.Count()), ref.size()) << "trial " << trial;
  if (static_cast<size_t>(result.Count()) != ref.size()) return 0;
  for (size_t k = 0; k < ref.size(); ++k) {
    const Crossing& got = result.Points[k];
    EXPECT_EQ(got.Seg1, ref[k].seg1) << trial << " " << k;
    EXPECT_EQ(got.Seg2, ref[k].seg2) << trial << " " << k;
    EXPECT_NEAR(got.X, ref[k].x, 1e-8) << trial << " " << k;
    EXPECT_NEAR(got.Y, ref[k].y, 1e-8) << trial << " " << k;
    EXPECT_NEAR(got.Along1, ref[k].along1, 1e-8) << trial << " " << k;
  }
  return result.Count();
}

RandomContour Shifted(RandomContour rc, double dx, double dy) {
  for (Segment& s : rc.contour.Segs) {
    for (Point3* p : {&s.StartPt, &s.EndPt, &s.Center, &s.MidPt}) {
      p->x += dx;
      p->y += dy;
    }
  }
  for (ArcParams& p : rc.params) {
    p.cx += dx;
    p.cy += dy;
  }
  return rc;
}

TEST(IntersectContours, AgreesWithAReferenceOnRandomContours) {
  std::mt19937 rng(20261205);
  std::uniform_int_distribution<int> size(3, 90);
  int total = 0;
  int indexed = 0;
  for (int trial = 0; trial < 100; ++trial) {
    const RandomContour a = MakeRandomContour(rng, size(rng), true);
    const RandomContour b = MakeRandomContour(rng, size(rng), trial % 3 != 0);
    if (a.contour.Count() * b.contour.Count() > 1024) ++indexed;
    total += CheckAgainstReference(a, b, trial);
    total += CheckAgainstReference(b, a, trial);
  }
  EXPECT_GT(total, 1000);
  EXPECT_GT(indexed, 30);  // the packed index is exercised, not only the plain loop
}

// A contour against a copy of itself shifted by 1e-6 in y (and a little in x): parallel
// stretches 1e-6 apart report nothing, every other crossing once.
TEST(IntersectContours, AgreesWithAReferenceOnShiftedCopies) {
  std::mt19937 rng(99);
  std::uniform_int_distribution<int> size(3, 60);
  std::uniform_real_distribution<double> shift(0.01, 0.5);
  int total = 0;
  for (int trial = 0; trial < 60; ++trial) {
    const RandomContour a = MakeRandomContour(rng, size(rng), true);
    total += CheckAgainstReference(a, Shifted(a, shift(rng), 1e-6), trial);
  }
  EXPECT_GT(total, 100);
}

}  // namespace
}  // namespace sulkor
