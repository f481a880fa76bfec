#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "kernel/contour_services.h"
#include "testing/test_shapes.h"

namespace sulkor {
namespace {

namespace ts = testing_shapes;
namespace bg = boost::geometry;

enum class Op { Merge, Clip, Common };
constexpr const char* kNames[] = {"merge", "clip", "common"};

bool Combined(Op op, const Contour& a, const Contour& b, ContourList& out) {
  const IntersectionResult none;
  if (op == Op::Merge) return MergeContours(a, b, none, out);
  return op == Op::Clip ? ClipContours(a, b, none, out) : CommonContours(a, b, none, out);
}

// The answer's loops are closed, the first is an outer loop running like A and none is larger;
// answers their total area in the sense of A (holes negative).
double CheckedArea(const ContourList& out, bool aClockwise, const std::string& what) {
  double total = 0.0, first = 0.0;
  for (const Contour& c : out.Contours) {
    for (int i = 0; i < c.Count(); ++i) {
      EXPECT_NEAR(c.Seg(i).EndPt.x, c.Seg((i + 1) % c.Count()).StartPt.x, 1e-9) << what << i;
      EXPECT_NEAR(c.Seg(i).EndPt.y, c.Seg((i + 1) % c.Count()).StartPt.y, 1e-9) << what << i;
    }
    const double area = ts::ExactArea(c) * (aClockwise ? -1 : 1);
    if (&c == &out.Contours.front()) first = area;
    EXPECT_LE(std::fabs(area), first + 1e-9) << what;
    total += area;
  }
  EXPECT_GT(first, 0.0) << what;
  return total;
}

// Generated pairs: star shapes with arcs, lathe-like skylines on a grid that share walls and
// vertices, and mixtures; every pair also with A, B or both reversed. Areas agree with
// Boost.Geometry's on the densified contours.
TEST(CombineProperty, AreasAgreeWithBoostGeometryOnDensifiedContours) {
  constexpr double kSag = 1e-5;
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> shift(-6, 6);
  std::uniform_real_distribution<double> u(-3.0, 3.0);
  for (int cases = 0; cases < 300;) {
    const int kind = cases % 3;
    const Contour a = kind == 0 ? ts::StarContour(rng, 0, 0, 2, 6, 3 + cases % 10)
                                : ts::SkylineContour(rng, kind == 1 ? 0.0 : -2.0, kind - 1.0);
    const Contour b = kind == 1 ? ts::SkylineContour(rng, 0.5 * shift(rng), 0.5 * shift(rng))
                                : ts::StarContour(rng, u(rng), u(rng), 2, 6, 3 + cases % 7);
    const ts::BPolygon pa = ts::ToPolygon(a, kSag), pb = ts::ToPolygon(b, kSag);
    if (!bg::is_valid(pa) || !bg::is_valid(pb)) continue;
    ++cases;
    const double tol = 4.0 * kSag * (ts::ExactLength(a) + ts::ExactLength(b)) + 1e-6;
    for (Op op : {Op::Merge, Op::Clip, Op::Common}) {
      ts::BMulti oracle;
      if (op == Op::Merge) bg::union_(pa, pb, oracle);
      if (op == Op::Clip) bg::difference(pa, pb, oracle);
      if (op == Op::Common) bg::intersection(pa, pb, oracle);
      const double expected = bg::area(oracle);
      for (int variant = 0; variant < 4; ++variant) {
        const Contour ra = variant & 1 ? ts::Reverse(a) : a;
        const std::string what = std::string(kNames[static_cast<int>(op)]) + " case " +
                                 std::to_string(cases) + " variant " + std::to_string(variant);
        ContourList out;
        if (!Combined(op, ra, variant & 2 ? ts::Reverse(b) : b, out)) {
          EXPECT_LT(expected, 1e-6) << what;
          EXPECT_EQ(out.Count(), 0) << what;
          continue;
        }
        EXPECT_NEAR(CheckedArea(out, ts::ExactArea(ra) < 0, what), expected, tol) << what;
      }
    }
  }
}

Contour Rect(double x0, double y0, double x1, double y1) {
  return MakePolygon({x0, y0, x1, y0, x1, y1, x0, y1});
}

// The touching and overlapping cases grooves produce, every one also with A, B or both
// reversed. Areas are exact (arcs included), so the tolerance is that of the arithmetic.
TEST(CombineTable, TouchingAndOverlappingOutlines) {
  const double d = 4.0 - 2 * 0.4, pi = ts::kPi;  // tool width less two corner radii
  const Contour rect = Rect(0, 0, 10, 6), shifted = ts::Moved(rect, -d, 1e-6);
  const Contour alongX = ts::Moved(rect, 1e-6, 0);
  const Contour circle = MakeContour({MakeCircle(5, 3, 2)});
  // A groove's removed material: a rectangle with a round-cornered slot hanging from its top.
  const Contour removed = ts::FilletedPolygon({0, 0, 3, 0, 3, 5, 2, 5, 2, 8, 1, 8, 1, 5, 0, 5},
                                              {0.4, 0.4, 0, 0.2, 0.2, 0, 0.2, 0});
  struct Case {
    const char* name;
    Op op;
    Contour a, b;
    double area;  // total, holes negative; 0: refused
    int loops;
  };
  const std::vector<Case> cases = {
      {"merged with its copy shifted by -(w - 2r), 1e-6", Op::Merge, rect, shifted,
       2 * 60 - (10 - d) * (6 - 1e-6), 1},
      {"in common with that copy", Op::Common, rect, shifted, (10 - d) * (6 - 1e-6), 1},
      {"clipped by that copy", Op::Clip, rect, shifted, 60 - (10 - d) * (6 - 1e-6), 1},
      {"copy shifted by 1e-6 along x, merge", Op::Merge, rect, alongX, 60 + 6e-6, 1},
      {"copy shifted by 1e-6 along x, clip leaves a sliver", Op::Clip, rect, alongX, 6e-6, 1},
      {"identical contours, merge", Op::Merge, rect, rect, 60, 1},
      {"identical contours, clip is empty", Op::Clip, rect, rect, 0, 0},
      {"identical but reversed, common", Op::Common, rect, ts::Reverse(rect), 60, 1},
      {"neighbour sharing a whole wall, merge", Op::Merge, rect, Rect(10, 0, 14, 6), 84, 1},
      {"neighbour sharing a wall, common is empty", Op::Common, rect, Rect(10, 0, 14, 6), 0, 0},
      {"neighbour sharing part of a wall", Op::Merge, rect, Rect(10, 2, 12, 8), 72, 1},
      {"running along the outline inside, clip", Op::Clip, rect, Rect(0, 0, 4, 6), 36, 1},
      {"one inside the other, common", Op::Common, rect, Rect(2, 2, 4, 4), 4, 1},
      {"one inside the other, clip makes a hole", Op::Clip, rect, Rect(2, 2, 4, 4), 56, 2},
      {"inner clipped by outer is empty", Op::Clip, Rect(2, 2, 4, 4), rect, 0, 0},
      {"touching at a corner, merge gives two loops", Op::Merge, rect, Rect(10, 6, 12, 9), 66, 2},
      {"apart, merge", Op::Merge, rect, Rect(20, 0, 21, 1), 61, 2},
      {"apart, clip keeps A", Op::Clip, rect, Rect(20, 0, 21, 1), 60, 1},
      {"circle inside touching two walls, clip", Op::Clip, Rect(3, 1, 7, 5), circle, 16 - 4 * pi,
       4},
      {"circle crossing a rectangle, merge", Op::Merge, Rect(5, 0, 10, 6), circle, 30 + 2 * pi, 1},
      {"removed material clipped below the path", Op::Clip, removed, Rect(-1, -1, 4, 6),
       2 - 0.2 * 0.2 * (1 - pi / 4), 1},
  };
  for (const Case& c : cases) {
    for (int variant = 0; variant < 4; ++variant) {
      ContourList out;
      const std::string what = std::string(c.name) + " variant " + std::to_string(variant);
      ASSERT_EQ(Combined(c.op, variant & 1 ? ts::Reverse(c.a) : c.a,
                         variant & 2 ? ts::Reverse(c.b) : c.b, out),
                c.area > 0) << what;
      ASSERT_EQ(out.Count(), c.loops) << what;
      if (c.area > 0) {
        EXPECT_NEAR(CheckedArea(out, variant & 1, what), c.area, 1e-9) << what;
      }
    }
  }
  // Arcs stay arcs: the left half of the circle comes back as one arc.
  ContourList out;
  ASSERT_TRUE(MergeContours(Rect(5, 0, 10, 6), circle, IntersectionResult{}, out));
  EXPECT_EQ(out.Contours[0].Count(), 6);
  EXPECT_EQ(std::count_if(out.Contours[0].Segs.begin(), out.Contours[0].Segs.end(),
                          [](const Segment& s) { return s.IsArc(); }), 1);
}

TEST(CombineTable, RefusesWhatIsNoClosedOutline) {
  const Contour rect = Rect(0, 0, 1, 1);
  Contour open = rect, gap = rect, nearly = rect;
  open.Segs.pop_back();
  gap.Segs[3] = MakeLine(0, 1, 0, 2e-5);
  nearly.Segs[3] = MakeLine(0, 1, 0, 1e-5);  // within the closedness tolerance of 1.5e-5
  for (const Contour& bad : {open, gap, MakePolygon({0, 0, 1, 0, 2, 0}), Contour{}}) {
    for (Op op : {Op::Merge, Op::Clip, Op::Common}) {
      ContourList out;
      out.Contours.push_back(rect);  // stale content is cleared
      EXPECT_FALSE(Combined(op, bad, rect, out)) << kNames[static_cast<int>(op)];
      EXPECT_EQ(out.Count(), 0);
      EXPECT_FALSE(Combined(op, rect, bad, out)) << kNames[static_cast<int>(op)];
    }
  }
  ContourList out;
  EXPECT_TRUE(MergeContours(nearly, Rect(0.5, 0.5, 2, 2), IntersectionResult{}, out));
}

}  // namespace
}  // namespace sulkor
