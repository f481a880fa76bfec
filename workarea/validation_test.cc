#include "workarea/validation.h"

#include <gtest/gtest.h>

#include <vector>

#include "contour/segment_build.h"

namespace sulkor {
namespace {

// A blank closes within 1.5e-5 on each axis (the gap of exactly 1.5e-5 included), a work
// contour only strictly within it.
TEST(Validation, ClosednessAtTheTolerance) {
  struct Case {
    double gapX, gapY;
    bool blankClosed, workClosed;
  };
  for (const Case& c : std::vector<Case>{{0, 0, true, true}, {1e-5, 1e-5, true, true},
                                         {1.5e-5, 0, true, false}, {1.6e-5, 0, false, false},
                                         {0, 2e-5, false, false}}) {
    const Contour contour = MakePolyline({0, 0, 10, 0, 10, 10, c.gapX, c.gapY});
    EXPECT_EQ(IsContourClosed(contour, ContourRole::Blank), c.blankClosed) << c.gapX << "," << c.gapY;
    EXPECT_EQ(IsContourClosed(contour, ContourRole::Work), c.workClosed) << c.gapX << "," << c.gapY;
  }
  EXPECT_THROW(IsContourClosed(Contour{}, ContourRole::Blank), GeometryError);
}

TEST(Validation, SelfIntersections) {
  struct Case {
    const char* name;
    Contour contour;
    bool crosses;
  };
  for (const Case& c : std::vector<Case>{
           {"rectangle", MakePolygon({0, 0, 10, 0, 10, 5, 0, 5}), false},
           {"T junction", MakePolyline({0, 0, 10, 0, 10, 5, 5, 5, 5, 0}), true},
           {"a spike running back along a line", MakePolyline({0, 0, 10, 0, 5, 0, 5, 5}), false},
           {"thin X: each line starts behind the other's start", MakePolyline({-7, 0, 6, 0, 5, -0.5, -8, 0.8}), true},
           {"line crossing an arc",
            MakeContour({MakeLine(-2, 0.5, 2, 0.5), MakeLine(2, 0.5, 2, 3), MakeLine(2, 3, 1, 3),
                         MakeArc(1, 3, 1, -1, 1, 1, 1)}),
            true},
           {"line tangent to an arc",
            MakeContour({MakeLine(-2, 1, 2, 1), MakeLine(2, 1, 2, 3), MakeArc(2, 3, -2, 3, 0, 3, -1),
                         MakeLine(-2, 3, -2, 1)}),
            false},
           {"two arcs crossing",
            MakeContour({MakeArc(-2, 0, 2, 0, 0, 0, -1), MakeLine(2, 0, 3, 0), MakeArc(3, 0, 1, 2, 3, 2, -1)}),
            true}}) {
    Contour contour = c.contour;
    EXPECT_EQ(FindSelfIntersections(contour), c.crosses) << c.name;
  }
  // A bow tie: one crossing, gathered once with its indices in order; the marks are cleared.
  Contour bowTie = MakePolygon({0, 0, 10, 10, 10, 0, 0, 10});
  for (Segment& s : bowTie.Segs) s.Visited = true;
  std::vector<SelfIntersection> found;
  ASSERT_TRUE(FindSelfIntersections(bowTie, &found));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].iPrev, 0);
  EXPECT_EQ(found[0].iNext, 2);
  EXPECT_NEAR(found[0].xInt, 5.0, 1e-12);
  EXPECT_NEAR(found[0].yInt, 5.0, 1e-12);
  for (const Segment& s : bowTie.Segs) EXPECT_FALSE(s.Visited);
}

}  // namespace
}  // namespace sulkor
