#include "workarea/validation.h"

#include <gtest/gtest.h>

#include "contour/segment_build.h"

namespace sulkor {
namespace {

TEST(ValidationTest, ClosednessDiffersForBlankAndWorkAtTheTolerance) {
  struct Case {
    double gapX, gapY;
    bool blankClosed, workClosed;
  };
  const Case cases[] = {
      {0.0, 0.0, true, true},        {1e-5, 0.0, true, true},
      {2e-5, 0.0, false, false},     {0.0, 2e-5, false, false},
      {1e-5, 1e-5, true, true},      {1.6e-5, 0.0, false, false},
  };
  for (const Case& c : cases) {
    Contour contour = MakePolyline({0, 0, 10, 0, 10, 10, c.gapX, c.gapY});
    EXPECT_EQ(IsContourClosed(contour, ContourRole::Blank), c.blankClosed) << c.gapX << "," << c.gapY;
    EXPECT_EQ(IsContourClosed(contour, ContourRole::Work), c.workClosed) << c.gapX << "," << c.gapY;
  }
}

TEST(ValidationTest, GapOfExactlyTheToleranceClosesABlankButNotAWork) {
  // Build the ends so that the difference is exactly 1.5e-5 in floating point.
  const double x0 = 0.0;
  const double x1 = 1.5e-5;
  ASSERT_EQ(x1 - x0, 1.5e-5);
  Contour contour = MakePolyline({x0, 0, 10, 0, 10, 10, x1, 0});
  EXPECT_TRUE(IsContourClosed(contour, ContourRole::Blank));
  EXPECT_FALSE(IsContourClosed(contour, ContourRole::Work));
}

TEST(ValidationTest, EmptyContourHasNoEnds) {
  EXPECT_THROW(IsContourClosed(Contour{}, ContourRole::Blank), GeometryError);
}

TEST(ValidationTest, SelfIntersectionCases) {
  struct Case {
    const char* name;
    Contour contour;
    bool crosses;
  };
  const Case cases[] = {
      {"rectangle", MakePolygon({0, 0, 10, 0, 10, 5, 0, 5}), false},
      {"bow tie", MakePolygon({0, 0, 10, 10, 10, 0, 0, 10}), true},
      {"T junction: end of a wall on the middle of another", MakePolyline({0, 0, 10, 0, 10, 5, 5, 5, 5, 0}),
       true},
      {"collinear overlap: a spike running back along a line", MakePolyline({0, 0, 10, 0, 5, 0, 5, 5}),
       false},
      {"single segment", MakePolyline({0, 0, 1, 1}), false},
      {"line crossing an arc",
       MakeContour({MakeLine(-2, 0.5, 2, 0.5), MakeLine(2, 0.5, 2, 3), MakeLine(2, 3, 1, 3),
                    MakeArc(1, 3, 1, -1, 1, 1, 1)}),
       true},
      {"line tangent to an arc",
       MakeContour({MakeLine(-2, 1, 2, 1), MakeLine(2, 1, 2, 3), MakeArc(2, 3, -2, 3, 0, 3, -1),
                    MakeLine(-2, 3, -2, 1)}),
       false},
      {"two arcs crossing",
       MakeContour({MakeArc(-2, 0, 2, 0, 0, 0, -1), MakeLine(2, 0, 3, 0),
                    MakeArc(3, 0, 1, 2, 3, 2, -1)}),
       true},
  };
  for (const Case& c : cases) {
    Contour contour = c.contour;
    EXPECT_EQ(FindSelfIntersections(contour), c.crosses) << c.name;
  }
}

TEST(ValidationTest, CrossingsAreGatheredOnceWithOrderedIndices) {
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
