#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "kernel/contour_services.h"
#include "testing/test_shapes.h"

namespace sulkor {
namespace {

namespace ts = testing_shapes;
using ts::AngleArc;
constexpr double kPiD = ts::kPi;

// Points near the outline at the 1e-9 band, rays through vertices, joints and tangent tops,
// full turns, open contours and gaps; every contour also run backwards.
TEST(LocatePoint, AnswersAtTheBoundaryAndOnSpecialRays) {
  const double c = std::cos(0.7), s = std::sin(0.7);
  const Contour slot = MakeContour({MakeLine(0, 0, 20, 0), AngleArc(20, 5, 5, -kPiD / 2, kPiD),
                                    MakeLine(20, 10, 0, 10), AngleArc(0, 5, 5, kPiD / 2, kPiD)});
  const Contour dome = MakeContour({MakeLine(0, 0, 10, 0), MakeLine(10, 0, 10, 5),
                                    MakeArc(10, 5, 0, 5, 5, 5, 1), MakeLine(0, 5, 0, 0)});
  const Contour diamond = MakePolygon({0, -5, 5, 0, 0, 5, -5, 0});
  const Contour notch = MakePolygon({0, 0, 10, 0, 10, 10, 6, 10, 5, 5, 4, 10, 0, 10});
  const Contour circle = MakeContour({MakeCircle(0, 0, 10)});
  const Contour turn = MakeContour({AngleArc(3, 4, 5, 1.0, 2 * kPiD)});  // a full-turn "Arc"
  Contour open = slot;  // closed by the chord from (0, 10) to (0, 0)
  open.Segs.pop_back();
  const Contour gap = MakeContour({MakeLine(0, 0, 10, 0), MakeLine(10, 1e-7, 10, 10),
                                   MakeLine(10, 10, 0, 10), MakeLine(0, 10, 0, 0)});
  struct Probe {
    std::string name;
    const Contour* contour;
    double x, y;
    int16_t want;
  };
  const std::vector<Probe> probes = {
      {"slot: middle", &slot, 10, 5, kInside},
      {"slot: right of it", &slot, 50, 5, kOutside},
      {"slot: on the bottom line", &slot, 10, 0, kOnOutline},
      {"slot: on the right arc", &slot, 20 + 5 * c, 5 + 5 * s, kOnOutline},
      {"slot: 1e-4 inside the arc, slanted", &slot, 20 + (5 - 1e-4) * c, 5 + (5 - 1e-4) * s,
       kInside},
      {"slot: 1e-4 outside the arc, slanted", &slot, 20 + (5 + 1e-4) * c, 5 + (5 + 1e-4) * s,
       kOutside},
      {"slot: 1e-4 outside the left arc", &slot, -5 - 1e-4, 5, kOutside},
      {"slot: within 5e-10 of the arc", &slot, 25 + 5e-10, 5, kOnOutline},
      {"slot: 2e-9 off the arc", &slot, 25 + 2e-9, 5, kOutside},
      {"slot: 2e-9 off a line", &slot, 10, -2e-9, kOutside},
      {"slot: at a vertex", &slot, 20, 0, kOnOutline},
      {"slot: ray along the bottom line", &slot, -10, 0, kOutside},
      {"slot: ray through the joints, from inside", &slot, 10, 1e-4, kInside},
      {"slot: on the arc's circle outside its sweep", &slot, 15, 5, kInside},
      {"dome: top of the arc", &dome, 5, 10, kOnOutline},
      {"dome: ray tangent to the top", &dome, -5, 10, kOutside},
      {"dome: 1e-4 below the top", &dome, 5, 10 - 1e-4, kInside},
      {"dome: ray through the arc's ends", &dome, -5, 5, kOutside},
      {"dome: ray through the arc's ends from inside", &dome, 1e-4, 5, kInside},
      {"diamond: ray through two side vertices", &diamond, -10, 0, kOutside},
      {"diamond: ray through a side vertex from inside", &diamond, 0, 0, kInside},
      {"diamond: ray touching the top vertex", &diamond, -10, 5, kOutside},
      {"notch: ray through its bottom vertex", &notch, -1, 5, kOutside},
      {"notch: inside, ray through its bottom", &notch, 2, 5, kInside},
      {"notch: in it", &notch, 5, 9, kOutside},
      {"circle: centre", &circle, 0, 0, kInside},
      {"circle: on it, left", &circle, -10, 0, kOnOutline},
      {"circle: 1e-4 above the bottom", &circle, 0, -10 + 1e-4, kInside},
      {"circle: ray tangent at the top", &circle, -20, 10, kOutside},
      {"full-turn arc: centre", &turn, 3, 4, kInside},
      {"full-turn arc: on it", &turn, 3, 9, kOnOutline},
      {"open: where the missing arc was", &open, -2, 5, kOutside},
      {"open: on the closing chord", &open, 0, 5, kOnOutline},
      {"gap of 1e-7: ray between its ends", &gap, 5, 5e-8, kInside},
      {"gap of 1e-7: right of it", &gap, 11, 5e-8, kOutside},
  };
  for (const Probe& p : probes) {
    EXPECT_EQ(LocatePoint(*p.contour, p.x, p.y), p.want) << p.name;
    EXPECT_EQ(LocatePoint(ts::Reverse(*p.contour), p.x, p.y), p.want) << p.name << ", reversed";
  }
  EXPECT_EQ(LocatePoint(Contour{}, 0, 0), kOutside);
}

// The even-odd rule on a polygon.
bool InsidePolygon(const std::vector<std::pair<double, double>>& poly, double x, double y) {
  bool inside = false;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const auto [xi, yi] = poly[i];
    const auto [xj, yj] = poly[j];
    if ((yi > y) != (yj > y) && x < xj + (y - yj) * (xi - xj) / (yi - yj)) inside = !inside;
  }
  return inside;
}

// Random contours (arcs may make them cross themselves) against the even-odd rule on the
// densified contour, points nearer the outline than the densification left aside; and the
// middle of every segment on the outline.
TEST(LocatePoint, AgreesWithTheDensifiedContourOnRandomContours) {
  std::mt19937 rng(4242);
  std::uniform_int_distribution<int> size(3, 40);
  std::uniform_real_distribution<double> coord(-15, 35);
  int inside = 0, outside = 0;
  for (int trial = 0; trial < 200; ++trial) {
    const Contour contour = ts::StarContour(rng, 10, 10, 5, 15, size(rng));
    const auto poly = ts::Densify(contour, 1e-5, true);
    for (int k = 0; k < 40; ++k) {
      const double x = coord(rng), y = coord(rng);
      if (ts::ContourDistance(contour, x, y) < 1e-3) continue;
      const int16_t want = InsidePolygon(poly, x, y) ? kInside : kOutside;
      ASSERT_EQ(LocatePoint(contour, x, y), want) << "trial " << trial << " point " << k;
      (want == kInside ? inside : outside) += 1;
    }
    for (const Segment& seg : contour.Segs) {
      const auto [mx, my] = ts::SegmentPoint(seg, 0.5);
      ASSERT_EQ(LocatePoint(contour, mx, my), kOnOutline) << "trial " << trial;
    }
  }
  EXPECT_GT(inside, 600);
  EXPECT_GT(outside, 1000);
}

}  // namespace
}  // namespace sulkor
