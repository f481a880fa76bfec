#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "contour/segment_build.h"
#include "kernel/contour_services.h"
#include "testing/test_shapes.h"

namespace sulkor {
namespace {

namespace ts = testing_shapes;
namespace bg = boost::geometry;

enum class Op { Merge, Clip, Common };

bool Combined(Op op, const Contour& a, const Contour& b, ContourList& out) {
  const IntersectionResult none;
  switch (op) {
    case Op::Merge: return MergeContours(a, b, none, out);
    case Op::Clip: return ClipContours(a, b, none, out);
    case Op::Common: return CommonContours(a, b, none, out);
  }
  return false;
}

constexpr double kSag = 1e-5;

// Every contour of the answer is closed and continuous.
void ExpectClosedLoops(const ContourList& out, const std::string& what) {
  for (const Contour& c : out.Contours) {
    ASSERT_FALSE(c.Empty()) << what;
    for (int i = 0; i < c.Count(); ++i) {
      const Segment& s = c.Seg(i);
      const Segment& t = c.Seg((i + 1) % c.Count());
      EXPECT_NEAR(s.EndPt.x, t.StartPt.x, 1e-9) << what << " joint " << i;
      EXPECT_NEAR(s.EndPt.y, t.StartPt.y, 1e-9) << what << " joint " << i;
    }
  }
}

// The area of the answer in the sense of A: outer loops count positive, holes negative.
double ResultArea(const ContourList& out, bool aClockwise) {
  double area = 0.0;
  for (const Contour& c : out.Contours) area += ts::DensifiedArea(c, kSag);
  return aClockwise ? -area : area;
}

double OracleArea(Op op, const ts::BPolygon& a, const ts::BPolygon& b) {
  ts::BMulti out;
  switch (op) {
    case Op::Merge: bg::union_(a, b, out); break;
    case Op::Clip: bg::difference(a, b, out); break;
    case Op::Common: bg::intersection(a, b, out); break;
  }
  return bg::area(out);
}

const char* Name(Op op) {
  return op == Op::Merge ? "merge" : op == Op::Clip ? "clip" : "common";
}

// Generated pairs: star shapes with arcs, lathe-like skylines on a grid that share walls and
// vertices, and mixtures; every pair also runs with A, B or both reversed.
TEST(CombineProperty, AreasAgreeWithBoostGeometryOnDensifiedContours) {
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> kind(0, 2), shift(-6, 6);
  std::uniform_real_distribution<double> u(-3.0, 3.0);
  int cases = 0, runs = 0, emptyAnswers = 0;
  const auto t0 = std::chrono::steady_clock::now();
  while (cases < 300) {
    Contour a, b;
    switch (kind(rng)) {
      case 0:
        a = ts::StarContour(rng, 0.0, 0.0);
        b = ts::StarContour(rng, u(rng), u(rng));
        break;
      case 1:
        a = ts::SkylineContour(rng, 0.0, 0.0);
        b = ts::SkylineContour(rng, 0.5 * shift(rng), 0.5 * shift(rng));
        break;
      default:
        a = ts::SkylineContour(rng, -2.0, -1.0);
        b = ts::StarContour(rng, u(rng), u(rng));
        break;
    }
    if (!ts::IsSimpleClosed(a, kSag) || !ts::IsSimpleClosed(b, kSag)) continue;
    ++cases;
    const ts::BPolygon pa = ts::ToPolygon(a, kSag), pb = ts::ToPolygon(b, kSag);
    const double tol = 4.0 * kSag * (ts::ArcLengthOf(a) + ts::ArcLengthOf(b)) + 1e-6;
    for (Op op : {Op::Merge, Op::Clip, Op::Common}) {
      const double expected = OracleArea(op, pa, pb);
      for (int variant = 0; variant < 4; ++variant) {
        const Contour ra = variant & 1 ? ts::Reverse(a) : a;
        const Contour rb = variant & 2 ? ts::Reverse(b) : b;
        const std::string what = std::string(Name(op)) + " case " + std::to_string(cases) +
                                 " variant " + std::to_string(variant);
        ContourList out;
        const bool ok = Combined(op, ra, rb, out);
        ++runs;
        if (!ok) {
          ++emptyAnswers;
          EXPECT_LT(expected, 1e-6) << what;
          EXPECT_EQ(out.Count(), 0) << what;
          continue;
        }
        ExpectClosedLoops(out, what);
        const bool aClockwise = ts::DensifiedArea(ra, kSag) < 0.0;
        EXPECT_NEAR(ResultArea(out, aClockwise), expected, tol) << what;
        // The first loop is an outer one running like A, and none is larger.
        const double first = ts::DensifiedArea(out.Contours[0], kSag) * (aClockwise ? -1 : 1);
        EXPECT_GT(first, 0.0) << what;
        for (const Contour& c : out.Contours) {
          EXPECT_LE(std::fabs(ts::DensifiedArea(c, kSag)), first + 1e-9) << what;
        }
      }
    }
  }
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  std::printf("combine property: %d cases, %d runs, %d empty answers, %.0f ms\n", cases, runs,
              emptyAnswers, ms);
}

Contour Rect(double x0, double y0, double x1, double y1) {
  return MakePolygon({x0, y0, x1, y0, x1, y1, x0, y1});
}

Contour Moved(const Contour& c, double dx, double dy) {
  Contour m = c;
  for (Segment& s : m.Segs) {
    for (Point3* p : {&s.StartPt, &s.EndPt, &s.Center, &s.MidPt}) {
      p->x += dx;
      p->y += dy;
    }
  }
  return m;
}

// A groove's removed material: a rectangle with a round-cornered slot hanging from its top.
Contour GrooveOutline() {
  return ts::FilletedPolygon({0, 0, 3, 0, 3, 5, 2, 5, 2, 8, 1, 8, 1, 5, 0, 5},
                             {0.4, 0.4, 0, 0.2, 0.2, 0, 0.2, 0});
}

// The touching and overlapping cases grooves produce. Areas are exact (arcs included), so the
// tolerance is that of the arithmetic.
TEST(CombineTable, TouchingAndOverlappingOutlines) {
  const double w = 4.0, r = 0.4, d = w - 2.0 * r;
  const Contour rect = Rect(0, 0, 10, 6);
  const Contour shifted = Moved(rect, -d, 1e-6);
  const Contour circle = MakeContour({MakeCircle(5, 3, 2)});
  struct Case {
    const char* name;
    Op op;
    Contour a, b;
    bool ok;
    double area;  // total, holes negative
    int loops;
  };
  const double pi = ts::kPi;
  const std::vector<Case> cases = {
      {"rectangle merged with its copy shifted by -(w - 2r), 1e-6", Op::Merge, rect, shifted,
       true, 2 * 60 - (10 - d) * (6 - 1e-6), 1},
      {"rectangle in common with that copy", Op::Common, rect, shifted, true,
       (10 - d) * (6 - 1e-6), 1},
      {"rectangle clipped by that copy", Op::Clip, rect, shifted, true,
       60 - (10 - d) * (6 - 1e-6), 1},
      {"copy shifted by 1e-6 along x, merge", Op::Merge, rect, Moved(rect, 1e-6, 0), true,
       60 + 6e-6, 1},
      {"copy shifted by 1e-6 along x, common", Op::Common, rect, Moved(rect, 1e-6, 0), true,
       60 - 6e-6, 1},
      {"copy shifted by 1e-6 along x, clip leaves a sliver", Op::Clip, rect,
       Moved(rect, 1e-6, 0), true, 6e-6, 1},
      {"identical contours, merge", Op::Merge, rect, rect, true, 60, 1},
      {"identical contours, common", Op::Common, rect, rect, true, 60, 1},
      {"identical contours, clip is empty", Op::Clip, rect, rect, false, 0, 0},
      {"identical but reversed, common", Op::Common, rect, ts::Reverse(rect), true, 60, 1},
      {"neighbour sharing a whole wall, merge", Op::Merge, rect, Rect(10, 0, 14, 6), true,
       84, 1},
      {"neighbour sharing a whole wall, common is empty", Op::Common, rect, Rect(10, 0, 14, 6),
       false, 0, 0},
      {"neighbour sharing part of a wall (collinear walls)", Op::Merge, rect,
       Rect(10, 2, 12, 8), true, 72, 1},
      {"running along the outline inside, clip", Op::Clip, rect, Rect(0, 0, 4, 6), true, 36,
       1},
      {"running along the outline outside, merge", Op::Merge, rect, Rect(-3, 0, 0, 6), true,
       78, 1},
      {"one inside the other, merge", Op::Merge, rect, Rect(2, 2, 4, 4), true, 60, 1},
      {"one inside the other, common", Op::Common, rect, Rect(2, 2, 4, 4), true, 4, 1},
      {"one inside the other, clip makes a hole", Op::Clip, rect, Rect(2, 2, 4, 4), true, 56,
       2},
      {"inner clipped by outer is empty", Op::Clip, Rect(2, 2, 4, 4), rect, false, 0, 0},
      {"touching at a corner, merge gives two loops", Op::Merge, rect, Rect(10, 6, 12, 9),
       true, 66, 2},
      {"touching at a corner, common is empty", Op::Common, rect, Rect(10, 6, 12, 9), false,
       0, 0},
      {"apart, merge", Op::Merge, rect, Rect(20, 0, 21, 1), true, 61, 2},
      {"apart, clip keeps A", Op::Clip, rect, Rect(20, 0, 21, 1), true, 60, 1},
      {"circle inside touching two walls, clip", Op::Clip, Rect(3, 1, 7, 5), circle, true,
       16 - 4 * pi, 4},
      {"circle crossing a rectangle, merge", Op::Merge, Rect(5, 0, 10, 6), circle, true,
       30 + 2 * pi, 1},
      {"circle crossing a rectangle, common", Op::Common, Rect(5, 0, 10, 6), circle, true,
       2 * pi, 1},
      {"removed material clipped by a rectangle below the path", Op::Clip, GrooveOutline(),
       Rect(-1, -1, 4, 6), true, 2 - 0.2 * 0.2 * (1 - pi / 4), 1},
  };
  for (const Case& c : cases) {
    for (int variant = 0; variant < 4; ++variant) {
      const Contour a = variant & 1 ? ts::Reverse(c.a) : c.a;
      const Contour b = variant & 2 ? ts::Reverse(c.b) : c.b;
      ContourList out;
      const std::string what = std::string(c.name) + " variant " + std::to_string(variant);
      ASSERT_EQ(Combined(c.op, a, b, out), c.ok) << what;
      if (!c.ok) {
        EXPECT_EQ(out.Count(), 0) << what;
        continue;
      }
      ExpectClosedLoops(out, what);
      EXPECT_EQ(out.Count(), c.loops) << what;
      double area = 0.0;
      for (const Contour& k : out.Contours) {
        double exact = 0.0;  // Green's theorem over lines and arcs
        for (const Segment& s : k.Segs) {
          exact += 0.5 * (s.StartPt.x * s.EndPt.y - s.EndPt.x * s.StartPt.y);
          if (s.IsArc()) {
            const double rad = std::hypot(s.StartPt.x - s.Center.x, s.StartPt.y - s.Center.y);
            const double sw = ts::ArcSweep(s);
            // The circular segment between chord and arc.
            exact += 0.5 * rad * rad * (sw - std::sin(sw));
          }
        }
        area += exact;
      }
      if (variant & 1) area = -area;
      EXPECT_NEAR(area, c.area, 1e-9) << what;
    }
  }
}

TEST(CombineTable, ArcsStayArcs) {
  const Contour a = Rect(5, 0, 10, 6);
  const Contour b = MakeContour({MakeCircle(5, 3, 2)});
  ContourList out;
  ASSERT_TRUE(MergeContours(a, b, IntersectionResult{}, out));
  int arcs = 0;
  for (const Segment& s : out.Contours[0].Segs) arcs += s.IsArc() ? 1 : 0;
  EXPECT_EQ(arcs, 1);  // the left half of the circle, one arc
  EXPECT_EQ(out.Contours[0].Count(), 6);
}

TEST(CombineTable, RefusesWhatIsNoClosedOutline) {
  const Contour rect = Rect(0, 0, 1, 1);
  Contour open = rect;
  open.Segs.pop_back();
  Contour gap = rect;
  gap.Segs[3] = MakeLine(0, 1, 0, 2e-5);
  const Contour flat = MakePolygon({0, 0, 1, 0, 2, 0});
  for (const Contour* bad : std::vector<const Contour*>{&open, &gap, &flat}) {
    for (Op op : {Op::Merge, Op::Clip, Op::Common}) {
      ContourList out;
      out.Contours.push_back(rect);  // stale content is cleared
      EXPECT_FALSE(Combined(op, *bad, rect, out)) << Name(op);
      EXPECT_EQ(out.Count(), 0);
      EXPECT_FALSE(Combined(op, rect, *bad, out)) << Name(op);
      EXPECT_FALSE(Combined(op, Contour{}, rect, out)) << Name(op);
    }
  }
  // A gap within the closedness tolerance (1.5e-5) still counts as closed.
  Contour nearly = rect;
  nearly.Segs[3] = MakeLine(0, 1, 0, 1e-5);
  ContourList out;
  EXPECT_TRUE(MergeContours(nearly, Rect(0.5, 0.5, 2, 2), IntersectionResult{}, out));
}

}  // namespace
}  // namespace sulkor
