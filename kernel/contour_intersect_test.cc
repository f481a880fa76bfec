#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "kernel/contour_services.h"
#include "kernel/segment_intersect.h"
#include "testing/test_shapes.h"

namespace sulkor {
namespace {

namespace ts = testing_shapes;
constexpr double kPiD = ts::kPi;

TEST(IntersectContours, ReportsEachSharedPointOnceInOrder) {
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
  const double s2 = std::sqrt(2.0);
  const Contour square = MakePolygon({0, 0, 10, 0, 10, 10, 0, 10});
  const auto line = [](double x0, double y0, double x1, double y1) {
    return MakeContour({MakeLine(x0, y0, x1, y1)});
  };
  const Contour slot =
      MakeContour({MakeLine(0, 0, 20, 0), ts::AngleArc(20, 5, 5, -kPiD / 2, kPiD),
                   MakeLine(20, 10, 0, 10), ts::AngleArc(0, 5, 5, kPiD / 2, kPiD)});
  const std::vector<Case> cases = {
      {"probe across a square: order along the first", square, line(-5, 5, 15, 5),
       {{10, 5, 1, 5, 0, 15}, {0, 5, 3, 5, 0, 5}}},
      {"the same with the probe first", line(-5, 5, 15, 5), square,
       {{0, 5, 0, 5, 3, 5}, {10, 5, 0, 15, 1, 5}}},
      {"diagonal through two corners: each once, on the segment leaving it", square,
       line(-5, -5, 15, 15), {{0, 0, 0, 0, 0, 5 * s2}, {10, 10, 2, 0, 0, 15 * s2}}},
      {"line touching a corner from outside", square, line(-5, 5, 5, 15),
       {{0, 10, 3, 0, 0, 5 * s2}}},
      {"shared stretch over a vertex of the work: the vertex too", square,
       MakeContour({MakeLine(-5, 0, 5, 0), MakeLine(5, 0, 15, 0)}),
       {{0, 0, 0, 0, 0, 5}, {5, 0, 0, 5, 1, 0}, {10, 0, 1, 0, 1, 5}}},
      {"copy shifted by (3, 1e-6): parallel edges apart", square,
       MakePolygon({3, 1e-6, 13, 1e-6, 13, 10 + 1e-6, 3, 10 + 1e-6}),
       {{10, 1e-6, 1, 1e-6, 0, 7}, {3, 10, 2, 7, 3, 1e-6}}},
      {"copy shifted by (0, 1e-6): collinear walls", square,
       MakePolygon({0, 1e-6, 10, 1e-6, 10, 10 + 1e-6, 0, 10 + 1e-6}),
       {{10, 1e-6, 1, 1e-6, 1, 0}, {10, 10, 2, 0, 1, 10 - 1e-6}, {0, 10, 3, 0, 3, 1e-6},
        {0, 1e-6, 3, 10 - 1e-6, 0, 0}}},
      {"no contact", square, line(11, 0, 11, 10), {}},
      {"a vertex whose segments miss each other by 1e-7",
       MakeContour({MakeLine(0, 0, 10, 0), MakeLine(10, 1e-7, 10, 10), MakeLine(10, 10, 0, 0)}),
       line(5, -5, 15, 5), {{10, 0, 1, 0, 0, 5 * s2}}},
      {"the end of an open contour stays on its last segment",
       MakeContour({MakeLine(0, 0, 10, 0), MakeLine(10, 0, 10, 10)}), line(5, 10, 15, 10),
       {{10, 10, 1, 10, 0, 5}}},
      {"line tangent to the end arc: one touch", slot, line(25, -5, 25, 15),
       {{25, 5, 1, 5 * kPiD / 2, 0, 10}}},
      {"line along the top through the joint of a line and an arc", slot, line(10, 10, 30, 10),
       {{20, 10, 2, 0, 0, 10}, {10, 10, 2, 10, 0, 0}}},
      {"circle sharing the end arc", slot, MakeContour({MakeCircle(20, 5, 5)}),
       {{20, 0, 1, 0, 0, 5 * 3 * kPiD / 2}, {20, 10, 2, 0, 0, 5 * kPiD / 2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IntersectionResult result;
    EXPECT_EQ(IntersectContours(c.first, c.second, result), !c.want.empty());
    ASSERT_EQ(result.Count(), static_cast<int16_t>(c.want.size()));
    for (size_t k = 0; k < c.want.size(); ++k) {
      const Crossing& got = result.Points[k];
      EXPECT_NEAR(got.X, c.want[k].x, 1e-9) << k;
      EXPECT_NEAR(got.Y, c.want[k].y, 1e-9) << k;
      EXPECT_EQ(got.Seg1, c.want[k].seg1) << k;
      EXPECT_NEAR(got.Along1, c.want[k].along1, 1e-9) << k;
      EXPECT_EQ(got.Seg2, c.want[k].seg2) << k;
      EXPECT_NEAR(got.Along2, c.want[k].along2, 1e-9) << k;
    }
  }
  // The count is a 16-bit number: more points than it holds is a failure, not a wrapped count.
  Contour zigzag;
  for (int k = 0; k < 32768; ++k) {
    zigzag.Segs.push_back(MakeLine(k, k % 2 ? 1 : -1, k + 1, k % 2 ? -1 : 1));
  }
  IntersectionResult result;
  EXPECT_THROW(IntersectContours(zigzag, line(-1, 0, 40000, 0), result), GeometryError);
  zigzag.Segs.pop_back();
  EXPECT_TRUE(IntersectContours(zigzag, line(-1, 0, 40000, 0), result));
  EXPECT_EQ(result.Count(), 32767);
}

// Random contours of lines and arcs in general position, and contours against a copy shifted by
// 1e-6 in y and a little in x, against every pair of segments intersected on its own: each
// crossing once, in order along the first contour. Sizes go past the 1024 pairs from which the
// intersection indexes the larger contour instead of testing every pair.
TEST(IntersectContours, AgreesWithEveryPairOnRandomContours) {
  std::mt19937 rng(20261205);
  std::uniform_int_distribution<int> size(3, 90);
  std::uniform_real_distribution<double> unit(0, 1);
  int total = 0, indexed = 0;
  for (int trial = 0; trial < 160; ++trial) {
    const Contour a = ts::StarContour(rng, 20 * unit(rng), 20 * unit(rng), 5, 15, size(rng));
    Contour b =
        ts::StarContour(rng, 20 * unit(rng), 20 * unit(rng), 5, 15, size(rng), trial % 3 != 0);
    if (trial % 4 == 3) b = ts::Moved(a, 0.01 + 0.5 * unit(rng), 1e-6);
    indexed += a.Count() * b.Count() > 1024;
    for (const auto& [p, q] : {std::pair<const Contour*, const Contour*>{&a, &b}, {&b, &a}}) {
      std::vector<Crossing> ref;
      for (int32_t i = 0; i < p->Count(); ++i) {
        for (int32_t j = 0; j < q->Count(); ++j) {
          for (const SegmentHit& h : IntersectSegments(p->Seg(i), q->Seg(j))) {
            ref.push_back({h.X, h.Y, i, j, h.Along1, h.Along2});
          }
        }
      }
      std::stable_sort(ref.begin(), ref.end(), [](auto& l, auto& r) {
        return l.Seg1 != r.Seg1 ? l.Seg1 < r.Seg1 : l.Along1 < r.Along1 - 1e-9;
      });
      IntersectionResult result;
      IntersectContours(*p, *q, result);
      ASSERT_EQ(static_cast<size_t>(result.Count()), ref.size()) << "trial " << trial;
      for (size_t k = 0; k < ref.size(); ++k) {
        const Crossing& got = result.Points[k];
        EXPECT_EQ(got.Seg1, ref[k].Seg1) << trial << " " << k;
        EXPECT_EQ(got.Seg2, ref[k].Seg2) << trial << " " << k;
        EXPECT_NEAR(got.X, ref[k].X, 1e-9) << trial << " " << k;
        EXPECT_NEAR(got.Y, ref[k].Y, 1e-9) << trial << " " << k;
        EXPECT_NEAR(got.Along1, ref[k].Along1, 1e-9) << trial << " " << k;
      }
      total += result.Count();
    }
  }
  EXPECT_GT(total, 1000);
  EXPECT_GT(indexed, 30);
}

}  // namespace
}  // namespace sulkor
