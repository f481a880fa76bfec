#include "kernel/segment_intersect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <utility>
#include <algorithm>
#include <vector>

#include "contour/segment_build.h"
#include "testing/test_segments.h"

namespace sulkor {
namespace {

using testing::TestArc;
using testing::TestArcPts;
using testing::TestCircle;
using testing::TestLine;

constexpr double kPiD = std::numbers::pi;
const double kS2 = std::sqrt(2.0);

struct Want {
  double x, y, along1, along2;
  bool touch, overlap;
};

struct Case {
  std::string name;
  Segment a, b;
  std::vector<Want> want;
};

void Expect(const Case& c) {
  SCOPED_TRACE(c.name);
  const std::vector<SegmentHit> hits = IntersectSegments(c.a, c.b);
  ASSERT_EQ(hits.size(), c.want.size());
  for (size_t k = 0; k < hits.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_NEAR(hits[k].X, c.want[k].x, 1e-9);
    EXPECT_NEAR(hits[k].Y, c.want[k].y, 1e-9);
    EXPECT_NEAR(hits[k].Along1, c.want[k].along1, 1e-9);
    EXPECT_NEAR(hits[k].Along2, c.want[k].along2, 1e-9);
    EXPECT_EQ(hits[k].Touch, c.want[k].touch);
    EXPECT_EQ(hits[k].Overlap, c.want[k].overlap);
  }
}

TEST(IntersectSegments, LinesWithLines) {
  const std::vector<Case> cases = {
      {"crossing", TestLine(0, 0, 10, 10), TestLine(0, 10, 10, 0),
       {{5, 5, 5 * kS2, 5 * kS2, false, false}}},
      {"T-junction: end of the second on the first", TestLine(0, 0, 10, 0),
       TestLine(5, 0, 5, 5), {{5, 0, 5, 0, true, false}}},
      {"T-junction: end of the first on the second", TestLine(5, 5, 5, 0),
       TestLine(0, 0, 10, 0), {{5, 0, 5, 5, true, false}}},
      {"end on end at a corner", TestLine(0, 0, 10, 0), TestLine(10, 0, 10, 5),
       {{10, 0, 10, 0, true, false}}},
      {"collinear end on end", TestLine(0, 0, 10, 0), TestLine(10, 0, 20, 0),
       {{10, 0, 10, 0, true, false}}},
      {"collinear overlap, opposite senses", TestLine(0, 0, 10, 0), TestLine(15, 0, 5, 0),
       {{5, 0, 5, 10, true, true}, {10, 0, 10, 5, true, true}}},
      {"collinear, one inside the other", TestLine(0, 0, 10, 0), TestLine(2, 0, 8, 0),
       {{2, 0, 2, 0, true, true}, {8, 0, 8, 6, true, true}}},
      {"identical", TestLine(0, 0, 10, 0), TestLine(0, 0, 10, 0),
       {{0, 0, 0, 0, true, true}, {10, 0, 10, 10, true, true}}},
      {"collinear and apart", TestLine(0, 0, 10, 0), TestLine(11, 0, 20, 0), {}},
      {"parallel 1e-6 apart", TestLine(0, 0, 10, 0), TestLine(0, 1e-6, 10, 1e-6), {}},
      {"collinear within 5e-10", TestLine(0, 0, 10, 0), TestLine(5, 5e-10, 15, 5e-10),
       {{5, 5e-10, 5, 0, true, true}, {10, 0, 10, 5, true, true}}},
      {"end 2e-9 short of the other", TestLine(0, 0, 10, 0), TestLine(5, 2e-9, 5, 5), {}},
      {"end 5e-10 short of the other", TestLine(0, 0, 10, 0), TestLine(5, 5e-10, 5, 5),
       {{5, 5e-10, 5, 0, true, false}}},
      {"carriers cross outside", TestLine(0, 0, 1, 1), TestLine(3, 0, 2, 1), {}},
      {"shallow crossing", TestLine(0, 0, 100, 0), TestLine(0, -1e-5, 100, 1e-5),
       {{50, 0, 50, std::hypot(50, 1e-5), false, false}}},
      {"line of zero length on the other", TestLine(0, 0, 10, 0), TestLine(4, 0, 4, 0),
       {{4, 0, 4, 0, true, false}}},
      {"line of 1e-10 off the other", TestLine(0, 0, 10, 0), TestLine(4, 1e-8, 4, 1.0001e-8),
       {}},
  };
  for (const Case& c : cases) Expect(c);
}

TEST(IntersectSegments, LinesWithArcs) {
  const Segment upper = TestArcPts(10, 0, -10, 0, 0, 0, 1);  // upper half, counterclockwise
  const std::vector<Case> cases = {
      {"line through a circle, in order along the line", TestLine(20, 0, -20, 0),
       TestCircle(0, 0, 10), {{10, 0, 10, 0, false, false}, {-10, 0, 30, 10 * kPiD, false,
                                                              false}}},
      {"tangent on top", TestLine(-20, 10, 20, 10), upper,
       {{0, 10, 20, 5 * kPiD, true, false}}},
      {"tangent within 5e-10", TestLine(-20, 10 - 5e-10, 20, 10 - 5e-10), upper,
       {{0, 10 - 5e-10, 20, 5 * kPiD, true, false}}},
      {"1e-9 beyond tangent misses", TestLine(-20, 10 + 2e-9, 20, 10 + 2e-9), upper, {}},
      {"shallow secant 1e-8 deep crosses twice", TestLine(-20, 10 - 1e-8, 20, 10 - 1e-8), upper,
       {{-std::sqrt(2e-7), 10 - 1e-8, 20 - std::sqrt(2e-7), 10 * (kPiD / 2 + std::asin(
                                                                          std::sqrt(2e-9))),
         false, false},
        {std::sqrt(2e-7), 10 - 1e-8, 20 + std::sqrt(2e-7),
         10 * (kPiD / 2 - std::asin(std::sqrt(2e-9))), false, false}}},
      {"line ending on the arc", TestLine(0, 0, 0, 10), upper,
       {{0, 10, 10, 5 * kPiD, true, false}}},
      {"arc ending on the line", upper, TestLine(-20, 0, -5, 0),
       {{-10, 0, 10 * kPiD, 10, true, false}}},
      {"arc ends on the line at both ends", upper, TestLine(-20, 0, 20, 0),
       {{10, 0, 0, 30, true, false}, {-10, 0, 10 * kPiD, 10, true, false}}},
      {"crossing only outside the sweep", TestLine(-20, -5, 20, -5), upper, {}},
      {"clockwise arc, along from its start", TestLine(0, 0, 20, 20),
       TestArcPts(0, 10, 10, 0, 0, 0, -1), {{10 / kS2, 10 / kS2, 10, 10 * kPiD / 4, false,
                                             false}}},
      {"line tangent at the arc's end, ending there", TestLine(-20, 10, 0, 10),
       TestArcPts(0, 10, -10, 0, 0, 0, 1), {{0, 10, 20, 0, true, false}}},
      {"full-turn arc from the builder: no ends, along from its start", TestLine(20, 0, -20, 0),
       MakeArc(10, 0, 10, 0, 0, 0, 1),
       {{10, 0, 10, 0, false, false}, {-10, 0, 30, 10 * kPiD, false, false}}},
      {"arc whose ends are 5e-7 apart is a full turn", TestLine(-20, 0, 20, 0),
       MakeArc(10, 0, 10 * std::cos(5e-8), 10 * std::sin(5e-8), 0, 0, 1),
       {{-10, 0, 10, 10 * kPiD, false, false}, {10, 0, 30, 0, false, false}}},
      {"circle from the builder, clockwise", TestLine(0, -20, 0, 20),
       [] {
         Segment c = MakeCircle(0, 0, 10);
         c.Direction = -1;
         return c;
       }(),
       {{0, -10, 10, 5 * kPiD, false, false}, {0, 10, 30, 15 * kPiD, false, false}}},
  };
  for (const Case& c : cases) Expect(c);
}

TEST(IntersectSegments, ArcsWithArcs) {
  const double h = std::sqrt(75.0);
  const std::vector<Case> cases = {
      {"two circles crossing", TestCircle(0, 0, 10), TestCircle(10, 0, 10),
       {{5, h, 10 * kPiD / 3, 10 * 2 * kPiD / 3, false, false},
        {5, -h, 10 * 5 * kPiD / 3, 10 * 4 * kPiD / 3, false, false}}},
      {"same circle, overlapping quarter", TestArc(0, 0, 10, 0, kPiD),
       TestArc(0, 0, 10, kPiD / 2, kPiD),
       {{0, 10, 5 * kPiD, 0, true, true}, {-10, 0, 10 * kPiD, 5 * kPiD, true, true}}},
      {"same circle, opposite senses", TestArc(0, 0, 10, 0, kPiD),
       TestArc(0, 0, 10, 3 * kPiD / 2, -kPiD),
       {{0, 10, 5 * kPiD, 10 * kPiD, true, true}, {-10, 0, 10 * kPiD, 5 * kPiD, true, true}}},
      {"same circle, two shared stretches", TestArc(0, 0, 10, 0, 5 * kPiD / 3),
       TestArc(0, 0, 10, 10 * kPiD / 9, 14 * kPiD / 9),
       {{10, 0, 0, 10 * 8 * kPiD / 9, true, true},
        {10 * std::cos(6 * kPiD / 9), 10 * std::sin(6 * kPiD / 9), 10 * 6 * kPiD / 9,
         10 * 14 * kPiD / 9, true, true},
        {10 * std::cos(10 * kPiD / 9), 10 * std::sin(10 * kPiD / 9), 10 * 10 * kPiD / 9, 0, true,
         true},
        {10 * std::cos(5 * kPiD / 3), 10 * std::sin(5 * kPiD / 3), 10 * 5 * kPiD / 3,
         10 * 5 * kPiD / 9, true, true}}},
      {"same circle, end on end both ways", TestArcPts(10, 0, -10, 0, 0, 0, 1),
       TestArcPts(-10, 0, 10, 0, 0, 0, 1),
       {{10, 0, 0, 10 * kPiD, true, false}, {-10, 0, 10 * kPiD, 0, true, false}}},
      {"concentric, radii apart", TestArc(0, 0, 10, 0, kPiD), TestArc(0, 0, 10.001, 0, kPiD),
       {}},
      {"two full circles on one circle", TestCircle(0, 0, 5), TestCircle(0, 0, 5), {}},
      {"arc on a full circle", TestCircle(0, 0, 10), TestArc(0, 0, 10, kPiD / 2, kPiD / 2),
       {{0, 10, 5 * kPiD, 0, true, true}, {-10, 0, 10 * kPiD, 5 * kPiD, true, true}}},
      {"internal tangency", TestCircle(0, 0, 10), TestArc(5, 0, 5, -kPiD / 2, kPiD),
       {{10, 0, 0, 5 * kPiD / 2, true, false}}},
      {"external tangency", TestArc(0, 0, 10, -kPiD / 2, kPiD),
       TestArc(15, 0, 5, kPiD / 2, kPiD), {{10, 0, 5 * kPiD, 5 * kPiD / 2, true, false}}},
      {"arc ending on the other", TestArc(0, 0, 10, 0, kPiD / 3), TestArc(10, 0, 10, kPiD / 2,
                                                                           kPiD / 2),
       {{5, h, 10 * kPiD / 3, 10 * kPiD / 6, true, false}}},
      {"tiny arc on the other", TestArc(0, 0, 10, 0, kPiD), TestArc(0, 10, 1e-11, 0, 1),
       {{0, 10, 5 * kPiD, 0, true, false}}},
  };
  for (const Case& c : cases) Expect(c);
}

// The point that lies at a distance along a segment from its start, computed independently.
std::pair<double, double> PointAlong(const Segment& s, double along) {
  if (s.IsLine()) {
    const double len = std::hypot(s.EndPt.x - s.StartPt.x, s.EndPt.y - s.StartPt.y);
    return {s.StartPt.x + (s.EndPt.x - s.StartPt.x) * along / len,
            s.StartPt.y + (s.EndPt.y - s.StartPt.y) * along / len};
  }
  const double a = std::atan2(s.StartPt.y - s.Center.y, s.StartPt.x - s.Center.x) +
                   s.Direction * along / s.Radius;
  return {s.Center.x + s.Radius * std::cos(a), s.Center.y + s.Radius * std::sin(a)};
}

// The same contacts whichever segment comes first, with the along values exchanged.
TEST(IntersectSegments, SymmetricInTheOrderOfTheSegments) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coord(-10, 10);
  std::uniform_real_distribution<double> angle(0, 2 * kPiD);
  std::uniform_real_distribution<double> sweep(-1.9 * kPiD, 1.9 * kPiD);
  auto random_segment = [&]() {
    if (rng() % 2 == 0) return TestLine(coord(rng), coord(rng), coord(rng), coord(rng));
    return TestArc(coord(rng), coord(rng), 1 + std::fabs(coord(rng)), angle(rng), sweep(rng));
  };
  int contacts = 0;
  for (int trial = 0; trial < 2000; ++trial) {
    const Segment a = random_segment();
    const Segment b = random_segment();
    const std::vector<SegmentHit> ab = IntersectSegments(a, b);
    std::vector<SegmentHit> ba = IntersectSegments(b, a);
    ASSERT_EQ(ab.size(), ba.size()) << trial;
    std::sort(ba.begin(), ba.end(),
              [](const SegmentHit& l, const SegmentHit& r) { return l.Along2 < r.Along2; });
    for (size_t k = 0; k < ab.size(); ++k) {
      EXPECT_NEAR(ab[k].X, ba[k].X, 1e-9);
      EXPECT_NEAR(ab[k].Y, ba[k].Y, 1e-9);
      EXPECT_NEAR(ab[k].Along1, ba[k].Along2, 1e-9);
      EXPECT_NEAR(ab[k].Along2, ba[k].Along1, 1e-9);
      // The along values lead back to the point on each segment.
      EXPECT_LE(ab[k].Along1, a.Length + 1e-9);
      EXPECT_LE(ab[k].Along2, b.Length + 1e-9);
      const auto [x1, y1] = PointAlong(a, ab[k].Along1);
      const auto [x2, y2] = PointAlong(b, ab[k].Along2);
      EXPECT_NEAR(std::hypot(x1 - ab[k].X, y1 - ab[k].Y), 0.0, 1e-9);
      EXPECT_NEAR(std::hypot(x2 - ab[k].X, y2 - ab[k].Y), 0.0, 1e-9);
      if (k > 0) {
        EXPECT_LT(ab[k - 1].Along1, ab[k].Along1);
      }
    }
    contacts += static_cast<int>(ab.size());
  }
  EXPECT_GT(contacts, 300);  // the generator does produce crossings
}

}  // namespace
}  // namespace sulkor
