#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "kernel/contour_services.h"
#include "testing/test_segments.h"

namespace sulkor {
namespace {

using testing::AngleInSweep;
using testing::ArcParams;
using testing::MakeRandomContour;
using testing::RandomContour;
using testing::TestArc;
using testing::TestArcPts;
using testing::TestCircle;
using testing::TestContour;
using testing::TestLine;
using testing::TestPolygon;

constexpr double kPiD = std::numbers::pi;

// Reverses a contour by hand: segments in the opposite order, ends exchanged, arcs turned.
Contour Reversed(const Contour& c) {
  Contour r;
  for (auto it = c.Segs.rbegin(); it != c.Segs.rend(); ++it) {
    Segment s = *it;
    std::swap(s.StartPt, s.EndPt);
    s.Direction = static_cast<int16_t>(-s.Direction);
    r.Segs.push_back(s);
  }
  return r;
}

struct Probe {
  std::string name;
  double x, y;
  int16_t want;
};

void ExpectAll(const Contour& contour, const std::vector<Probe>& probes) {
  for (const Probe& p : probes) {
    EXPECT_EQ(LocatePoint(contour, p.x, p.y), p.want) << p.name << " (" << p.x << ", " << p.y
                                                      << ")";
    EXPECT_EQ(LocatePoint(Reversed(contour), p.x, p.y), p.want) << p.name << ", reversed";
  }
}

TEST(LocatePoint, SlotOfLinesAndHalfCircles) {
  const Contour slot = TestContour({TestLine(0, 0, 20, 0), TestArc(20, 5, 5, -kPiD / 2, kPiD),
                                    TestLine(20, 10, 0, 10),
                                    TestArc(0, 5, 5, kPiD / 2, kPiD)});
  const double c = std::cos(0.7), s = std::sin(0.7);
  ExpectAll(slot, {
                      {"middle", 10, 5, kInside},
                      {"right of it", 50, 5, kOutside},
                      {"left of it", -10, 5, kOutside},
                      {"on the bottom line", 10, 0, kOnOutline},
                      {"on the top line", 3, 10, kOnOutline},
                      {"on the right arc at its extreme", 25, 5, kOnOutline},
                      {"on the right arc", 20 + 5 * c, 5 + 5 * s, kOnOutline},
                      {"1e-4 inside the right arc", 25 - 1e-4, 5, kInside},
                      {"1e-4 outside the right arc", 25 + 1e-4, 5, kOutside},
                      {"1e-4 inside, slanted", 20 + (5 - 1e-4) * c, 5 + (5 - 1e-4) * s, kInside},
                      {"1e-4 outside, slanted", 20 + (5 + 1e-4) * c, 5 + (5 + 1e-4) * s,
                       kOutside},
                      {"1e-4 inside the left arc", -5 + 1e-4, 5, kInside},
                      {"1e-4 outside the left arc", -5 - 1e-4, 5, kOutside},
                      {"within 5e-10 of the arc", 25 + 5e-10, 5, kOnOutline},
                      {"1e-7 off the arc", 25 + 1e-7, 5, kOutside},
                      {"1e-7 off a line", 10, -1e-7, kOutside},
                      {"at a vertex", 20, 0, kOnOutline},
                      {"ray along the bottom line", -10, 0, kOutside},
                      {"ray along the top line", -10, 10, kOutside},
                      {"ray through the joints, from inside", 10, 1e-4, kInside},
                      {"on the arc's circle but outside its sweep", 15, 5, kInside},
                  });
}

TEST(LocatePoint, RaysThroughVerticesAndTangentTops) {
  // A square with a half-circle on top: the ray at y = 10 touches the top of the arc.
  const Contour dome = TestContour({TestLine(0, 0, 10, 0), TestLine(10, 0, 10, 5),
                                    TestArcPts(10, 5, 0, 5, 5, 5, 1), TestLine(0, 5, 0, 0)});
  ExpectAll(dome, {
                      {"top of the arc", 5, 10, kOnOutline},
                      {"ray tangent to the top", -5, 10, kOutside},
                      {"1e-4 below the top", 5, 10 - 1e-4, kInside},
                      {"1e-4 above the top", 5, 10 + 1e-4, kOutside},
                      {"ray through the arc's ends", -5, 5, kOutside},
                      {"inside at the height of the arc's ends", 5, 5, kInside},
                      {"ray through the arc's ends from inside", 1e-4, 5, kInside},
                  });
  const Contour diamond = TestPolygon({0, -5, 5, 0, 0, 5, -5, 0});
  ExpectAll(diamond, {
                         {"ray through two side vertices", -10, 0, kOutside},
                         {"ray through a side vertex from inside", 0, 0, kInside},
                         {"just inside the left vertex", -5 + 1e-4, 0, kInside},
                         {"ray touching the top vertex", -10, 5, kOutside},
                         {"ray touching the bottom vertex", -10, -5, kOutside},
                         {"on the top vertex", 0, 5, kOnOutline},
                     });
  // A notch whose bottom vertex the ray passes: the outline turns back there.
  const Contour notch = TestPolygon({0, 0, 10, 0, 10, 10, 6, 10, 5, 5, 4, 10, 0, 10});
  ExpectAll(notch, {
                       {"ray through the notch's bottom vertex", -1, 5, kOutside},
                       {"inside, ray through the notch's bottom", 2, 5, kInside},
                       {"in the notch", 5, 9, kOutside},
                       {"below the notch", 5, 4, kInside},
                   });
}

TEST(LocatePoint, CirclesOpenContoursAndGaps) {
  ExpectAll(TestContour({TestCircle(0, 0, 10)}),
            {
                {"centre", 0, 0, kInside},
                {"on it", 10, 0, kOnOutline},
                {"on it, left", -10, 0, kOnOutline},
                {"1e-4 above the top", 0, 10 + 1e-4, kOutside},
                {"1e-4 above the bottom", 0, -10 + 1e-4, kInside},
                {"ray tangent at the top", -20, 10, kOutside},
                {"ray tangent at the bottom", -20, -10, kOutside},
            });
  ExpectAll(TestContour({TestArc(3, 4, 5, 1.0, 2 * kPiD)}),  // a full turn as an "Arc"
            {
                {"centre of a full-turn arc", 3, 4, kInside},
                {"outside it", 9, 4, kOutside},
                {"on it", 3, 9, kOnOutline},
            });
  // The slot without its left half circle: closed by the chord from (0, 10) to (0, 0).
  const Contour open = TestContour({TestLine(0, 0, 20, 0), TestArc(20, 5, 5, -kPiD / 2, kPiD),
                                    TestLine(20, 10, 0, 10)});
  ExpectAll(open, {
                      {"where the missing arc was", -2, 5, kOutside},
                      {"on the chord", 0, 5, kOnOutline},
                      {"inside", 1, 5, kInside},
                  });
  // A vertex whose segments miss each other by 1e-7: the gap is bridged.
  const Contour gap = TestContour({TestLine(0, 0, 10, 0), TestLine(10, 1e-7, 10, 10),
                                   TestLine(10, 10, 0, 10), TestLine(0, 10, 0, 0)});
  ExpectAll(gap, {
                     {"inside", 5, 5, kInside},
                     {"ray between the gap's ends", 5, 5e-8, kInside},
                     {"right of the gap", 11, 5e-8, kOutside},
                 });
  EXPECT_EQ(LocatePoint(Contour{}, 0, 0), kOutside);
}

// Distance from a point to one generated segment, from the generator's own parameters.
double DistanceTo(const Segment& s, const ArcParams& p, double x, double y) {
  if (p.arc) {
    if (AngleInSweep(p, x, y) <= std::fabs(p.sweep)) {
      return std::fabs(std::hypot(x - p.cx, y - p.cy) - p.r);
    }
    return std::min(std::hypot(x - s.StartPt.x, y - s.StartPt.y),
                    std::hypot(x - s.EndPt.x, y - s.EndPt.y));
  }
  const double dx = s.EndPt.x - s.StartPt.x, dy = s.EndPt.y - s.StartPt.y;
  double t = ((x - s.StartPt.x) * dx + (y - s.StartPt.y) * dy) / (dx * dx + dy * dy);
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(s.StartPt.x + t * dx - x, s.StartPt.y + t * dy - y);
}

// The reference: the contour densified into a polygon (arcs in steps of 1e-3 rad) and the
// plain even-odd test on it.
using Polygon = std::vector<std::pair<double, double>>;

Polygon Densify(const RandomContour& rc) {
  Polygon poly;
  for (size_t k = 0; k < rc.params.size(); ++k) {
    const Segment& s = rc.contour.Segs[k];
    const ArcParams& p = rc.params[k];
    poly.push_back({s.StartPt.x, s.StartPt.y});
    if (p.arc) {
      const int steps = static_cast<int>(std::fabs(p.sweep) / 1e-3) + 1;
      for (int i = 1; i < steps; ++i) {
        const double a = p.a0 + p.sweep * i / steps;
        poly.push_back({p.cx + p.r * std::cos(a), p.cy + p.r * std::sin(a)});
      }
    }
  }
  return poly;
}

bool InsideDensified(const Polygon& poly, double x, double y) {
  bool inside = false;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const auto [xi, yi] = poly[i];
    const auto [xj, yj] = poly[j];
    if ((yi > y) != (yj > y) && x < xj + (y - yj) * (xi - xj) / (yi - yj)) inside = !inside;
  }
  return inside;
}

TEST(LocatePoint, AgreesWithADensifiedPolygonOnRandomContours) {
  std::mt19937 rng(4242);
  std::uniform_int_distribution<int> size(3, 40);
  std::uniform_real_distribution<double> coord(-15, 35);
  int inside = 0, outside = 0, on = 0;
  for (int trial = 0; trial < 200; ++trial) {
    const RandomContour rc = MakeRandomContour(rng, size(rng), true);
    const Polygon poly = Densify(rc);
    for (int k = 0; k < 40; ++k) {
      const double x = coord(rng), y = coord(rng);
      double dist = HUGE_VAL;
      for (size_t s = 0; s < rc.params.size(); ++s) {
        dist = std::min(dist, DistanceTo(rc.contour.Segs[s], rc.params[s], x, y));
      }
      if (dist < 1e-3) continue;  // leave the densification error aside
      const int16_t want = InsideDensified(poly, x, y) ? kInside : kOutside;
      ASSERT_EQ(LocatePoint(rc.contour, x, y), want) << "trial " << trial << " point " << k;
      (want == kInside ? inside : outside) += 1;
    }
    // Points on the outline: the middle of every segment.
    for (size_t s = 0; s < rc.params.size(); ++s) {
      const ArcParams& p = rc.params[s];
      const Segment& seg = rc.contour.Segs[s];
      const double mx = p.arc ? p.cx + p.r * std::cos(p.a0 + p.sweep / 2)
                              : (seg.StartPt.x + seg.EndPt.x) / 2;
      const double my = p.arc ? p.cy + p.r * std::sin(p.a0 + p.sweep / 2)
                              : (seg.StartPt.y + seg.EndPt.y) / 2;
      ASSERT_EQ(LocatePoint(rc.contour, mx, my), kOnOutline) << "trial " << trial;
      ++on;
    }
  }
  EXPECT_GT(inside, 600);
  EXPECT_GT(outside, 1000);
  EXPECT_GT(on, 1000);
}

}  // namespace
}  // namespace sulkor
