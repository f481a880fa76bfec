#include "kernel/segment_intersect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "testing/test_shapes.h"

namespace sulkor {
namespace {

namespace ts = testing_shapes;
using ts::AngleArc;
constexpr double kPiD = ts::kPi;

// Contacts of two segments: crossings, touches at ends and tangents, shared stretches, at the
// 1e-9 tolerance and around it; degenerate and full-turn records.
TEST(IntersectSegments, ContactsOfLinesAndArcs) {
  struct Want {
    double x, y, along1, along2;
    bool touch, overlap;
  };
  struct Case {
    std::string name;
    Segment a, b;
    std::vector<Want> want;
  };
  const double s2 = std::sqrt(2.0), h = std::sqrt(75.0), e = std::sqrt(2e-7);
  const Segment upper = MakeArc(10, 0, -10, 0, 0, 0, 1);  // upper half, counterclockwise
  Segment clockwiseCircle = MakeCircle(0, 0, 10);
  clockwiseCircle.Direction = -1;
  const std::vector<Case> cases = {
      {"crossing", MakeLine(0, 0, 10, 10), MakeLine(0, 10, 10, 0),
       {{5, 5, 5 * s2, 5 * s2, false, false}}},
      {"T: end of the second on the first", MakeLine(0, 0, 10, 0), MakeLine(5, 0, 5, 5),
       {{5, 0, 5, 0, true, false}}},
      {"T: end of the first on the second", MakeLine(5, 5, 5, 0), MakeLine(0, 0, 10, 0),
       {{5, 0, 5, 5, true, false}}},
      {"collinear end on end", MakeLine(0, 0, 10, 0), MakeLine(10, 0, 20, 0),
       {{10, 0, 10, 0, true, false}}},
      {"collinear overlap, opposite senses", MakeLine(0, 0, 10, 0), MakeLine(15, 0, 5, 0),
       {{5, 0, 5, 10, true, true}, {10, 0, 10, 5, true, true}}},
      {"identical", MakeLine(0, 0, 10, 0), MakeLine(0, 0, 10, 0),
       {{0, 0, 0, 0, true, true}, {10, 0, 10, 10, true, true}}},
      {"parallel 1e-6 apart", MakeLine(0, 0, 10, 0), MakeLine(0, 1e-6, 10, 1e-6), {}},
      {"collinear within 5e-10", MakeLine(0, 0, 10, 0), MakeLine(5, 5e-10, 15, 5e-10),
       {{5, 5e-10, 5, 0, true, true}, {10, 0, 10, 5, true, true}}},
      {"end 2e-9 short of the other", MakeLine(0, 0, 10, 0), MakeLine(5, 2e-9, 5, 5), {}},
      {"end 5e-10 short of the other", MakeLine(0, 0, 10, 0), MakeLine(5, 5e-10, 5, 5),
       {{5, 5e-10, 5, 0, true, false}}},
      {"line of 1e-10 lying 1e-8 off the other", MakeLine(0, 0, 10, 0),
       MakeLine(4, 1e-8, 4, 1.0001e-8), {}},
      {"carriers cross outside", MakeLine(0, 0, 1, 1), MakeLine(3, 0, 2, 1), {}},
      {"shallow crossing", MakeLine(0, 0, 100, 0), MakeLine(0, -1e-5, 100, 1e-5),
       {{50, 0, 50, std::hypot(50, 1e-5), false, false}}},
      {"line of zero length on the other", MakeLine(0, 0, 10, 0), MakeLine(4, 0, 4, 0),
       {{4, 0, 4, 0, true, false}}},
      {"line through a circle, in order along the line", MakeLine(20, 0, -20, 0),
       MakeCircle(0, 0, 10), {{10, 0, 10, 0, false, false}, {-10, 0, 30, 10 * kPiD, false, false}}},
      {"tangent on top", MakeLine(-20, 10, 20, 10), upper, {{0, 10, 20, 5 * kPiD, true, false}}},
      {"tangent within 5e-10", MakeLine(-20, 10 - 5e-10, 20, 10 - 5e-10), upper,
       {{0, 10 - 5e-10, 20, 5 * kPiD, true, false}}},
      {"2e-9 beyond tangent misses", MakeLine(-20, 10 + 2e-9, 20, 10 + 2e-9), upper, {}},
      {"secant 1e-8 deep crosses twice", MakeLine(-20, 10 - 1e-8, 20, 10 - 1e-8), upper,
       {{-e, 10 - 1e-8, 20 - e, 10 * (kPiD / 2 + std::asin(std::sqrt(2e-9))), false, false},
        {e, 10 - 1e-8, 20 + e, 10 * (kPiD / 2 - std::asin(std::sqrt(2e-9))), false, false}}},
      {"arc ends on the line at both ends", upper, MakeLine(-20, 0, 20, 0),
       {{10, 0, 0, 30, true, false}, {-10, 0, 10 * kPiD, 10, true, false}}},
      {"crossing only outside the sweep", MakeLine(-20, -5, 20, -5), upper, {}},
      {"clockwise arc, along from its start", MakeLine(0, 0, 20, 20),
       MakeArc(0, 10, 10, 0, 0, 0, -1), {{10 / s2, 10 / s2, 10, 10 * kPiD / 4, false, false}}},
      {"arc whose ends are 5e-7 apart is a full turn", MakeLine(-20, 0, 20, 0),
       MakeArc(10, 0, 10 * std::cos(5e-8), 10 * std::sin(5e-8), 0, 0, 1),
       {{-10, 0, 10, 10 * kPiD, false, false}, {10, 0, 30, 0, false, false}}},
      {"clockwise circle", MakeLine(0, -20, 0, 20), clockwiseCircle,
       {{0, -10, 10, 5 * kPiD, false, false}, {0, 10, 30, 15 * kPiD, false, false}}},
      {"two circles crossing", MakeCircle(0, 0, 10), MakeCircle(10, 0, 10),
       {{5, h, 10 * kPiD / 3, 10 * 2 * kPiD / 3, false, false},
        {5, -h, 10 * 5 * kPiD / 3, 10 * 4 * kPiD / 3, false, false}}},
      {"same circle, opposite senses", AngleArc(0, 0, 10, 0, kPiD),
       AngleArc(0, 0, 10, 3 * kPiD / 2, -kPiD),
       {{0, 10, 5 * kPiD, 10 * kPiD, true, true}, {-10, 0, 10 * kPiD, 5 * kPiD, true, true}}},
      {"same circle, two shared stretches", AngleArc(0, 0, 10, 0, 5 * kPiD / 3),
       AngleArc(0, 0, 10, 10 * kPiD / 9, 14 * kPiD / 9),
       {{10, 0, 0, 10 * 8 * kPiD / 9, true, true},
        {10 * std::cos(6 * kPiD / 9), 10 * std::sin(6 * kPiD / 9), 10 * 6 * kPiD / 9,
         10 * 14 * kPiD / 9, true, true},
        {10 * std::cos(10 * kPiD / 9), 10 * std::sin(10 * kPiD / 9), 10 * 10 * kPiD / 9, 0, true,
         true},
        {10 * std::cos(5 * kPiD / 3), 10 * std::sin(5 * kPiD / 3), 10 * 5 * kPiD / 3,
         10 * 5 * kPiD / 9, true, true}}},
      {"same circle, end on end both ways", upper, MakeArc(-10, 0, 10, 0, 0, 0, 1),
       {{10, 0, 0, 10 * kPiD, true, false}, {-10, 0, 10 * kPiD, 0, true, false}}},
      {"concentric, radii 1e-3 apart", AngleArc(0, 0, 10, 0, kPiD),
       AngleArc(0, 0, 10.001, 0, kPiD), {}},
      {"two full circles on one circle", MakeCircle(0, 0, 5), MakeCircle(0, 0, 5), {}},
      {"internal tangency", MakeCircle(0, 0, 10), AngleArc(5, 0, 5, -kPiD / 2, kPiD),
       {{10, 0, 0, 5 * kPiD / 2, true, false}}},
      {"external tangency", AngleArc(0, 0, 10, -kPiD / 2, kPiD), AngleArc(15, 0, 5, kPiD / 2, kPiD),
       {{10, 0, 5 * kPiD, 5 * kPiD / 2, true, false}}},
      {"arc ending on the other", AngleArc(0, 0, 10, 0, kPiD / 3),
       AngleArc(10, 0, 10, kPiD / 2, kPiD / 2),
       {{5, h, 10 * kPiD / 3, 10 * kPiD / 6, true, false}}},
      {"arc on a full circle", MakeCircle(0, 0, 10), AngleArc(0, 0, 10, kPiD / 2, kPiD / 2),
       {{0, 10, 5 * kPiD, 0, true, true}, {-10, 0, 10 * kPiD, 5 * kPiD, true, true}}},
      {"arc of radius 1e-11 on the other: a point", AngleArc(0, 0, 10, 0, kPiD),
       AngleArc(0, 10, 1e-11, 0, 1), {{0, 10, 5 * kPiD, 0, true, false}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<SegmentHit> hits = IntersectSegments(c.a, c.b);
    ASSERT_EQ(hits.size(), c.want.size());
    for (size_t k = 0; k < hits.size(); ++k) {
      const Want& w = c.want[k];
      EXPECT_NEAR(hits[k].X, w.x, 1e-9) << k;
      EXPECT_NEAR(hits[k].Y, w.y, 1e-9) << k;
      EXPECT_NEAR(hits[k].Along1, w.along1, 1e-9) << k;
      EXPECT_NEAR(hits[k].Along2, w.along2, 1e-9) << k;
      EXPECT_EQ(hits[k].Touch, w.touch) << k;
      EXPECT_EQ(hits[k].Overlap, w.overlap) << k;
    }
  }
}

// Random pairs: the same contacts whichever segment comes first, each on both segments at its
// along values, in order along the first.
TEST(IntersectSegments, SymmetricAndOnBothSegments) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coord(-10, 10), angle(0, 2 * kPiD),
      sweep(-1.9 * kPiD, 1.9 * kPiD);
  const auto random = [&] {
    if (rng() % 2 == 0) return MakeLine(coord(rng), coord(rng), coord(rng), coord(rng));
    return AngleArc(coord(rng), coord(rng), 1 + std::fabs(coord(rng)), angle(rng), sweep(rng));
  };
  int contacts = 0;
  for (int trial = 0; trial < 2000; ++trial) {
    const Segment a = random(), b = random();
    const std::vector<SegmentHit> ab = IntersectSegments(a, b);
    std::vector<SegmentHit> ba = IntersectSegments(b, a);
    ASSERT_EQ(ab.size(), ba.size()) << trial;
    std::sort(ba.begin(), ba.end(), [](auto& l, auto& r) { return l.Along2 < r.Along2; });
    for (size_t k = 0; k < ab.size(); ++k) {
      EXPECT_NEAR(ab[k].X, ba[k].X, 1e-9) << trial;
      EXPECT_NEAR(ab[k].Y, ba[k].Y, 1e-9) << trial;
      EXPECT_NEAR(ab[k].Along1, ba[k].Along2, 1e-9) << trial;
      const auto [x1, y1] = ts::SegmentPoint(a, ab[k].Along1 / ts::ExactLength(MakeContour({a})));
      const auto [x2, y2] = ts::SegmentPoint(b, ab[k].Along2 / ts::ExactLength(MakeContour({b})));
      EXPECT_NEAR(std::hypot(x1 - ab[k].X, y1 - ab[k].Y), 0.0, 1e-9) << trial;
      EXPECT_NEAR(std::hypot(x2 - ab[k].X, y2 - ab[k].Y), 0.0, 1e-9) << trial;
      if (k > 0) {
        EXPECT_LT(ab[k - 1].Along1, ab[k].Along1) << trial;
      }
    }
    contacts += static_cast<int>(ab.size());
  }
  EXPECT_GT(contacts, 300);  // the generator does produce contacts
}

}  // namespace
}  // namespace sulkor
