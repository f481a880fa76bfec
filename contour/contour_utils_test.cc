#include "contour/contour_utils.h"

#include <gtest/gtest.h>

#include <cmath>

#include "contour/segment_build.h"
#include "kernel/contour_services.h"

namespace sulkor {
namespace {

// An arc from (0, 0) to (10, 0) whose mid point lies `sagitta` above the chord.
Segment ShallowArc(double sagitta) {
  const double half = 5.0;
  const double r = (half * half + sagitta * sagitta) / (2.0 * sagitta);
  return MakeArc(10, 0, 0, 0, 5, sagitta - r, 1);
}

TEST(ContourUtilsTest, SimplifyTurnsNearlyStraightArcsIntoLines) {
  struct Case {
    double sagitta;
    bool becomesLine;
  };
  const Case cases[] = {{0.0009, true}, {0.00099, true}, {0.00100001, false}, {0.5, false}};
  for (const Case& c : cases) {
    Segment arc = ShallowArc(c.sagitta);
    ASSERT_NEAR(std::fabs(arc.MidPt.y), c.sagitta, 1e-9);
    Contour contour = MakeContour({arc});
    SimplifyContour(contour);
    ASSERT_EQ(contour.Count(), 1);
    EXPECT_EQ(contour.First().IsLine(), c.becomesLine) << c.sagitta;
    if (c.becomesLine) {
      EXPECT_NEAR(contour.First().Length, 10.0, 1e-12);
      EXPECT_NEAR(contour.First().Tangent[0], kPi, 1e-12);
    }
  }
}

TEST(ContourUtilsTest, SimplifyDropsDegenerateSegments) {
  Contour contour = MakeContour({MakeLine(0, 0, 5, 0), MakeLine(5, 0, 5, 5e-7),
                                 MakeLine(5, 5e-7, 5, 5)});
  SimplifyContour(contour);
  ASSERT_EQ(contour.Count(), 2);
  EXPECT_EQ(contour.Seg(1).EndPt.y, 5.0);
}

TEST(ContourUtilsTest, DropShortLinesAtTheirLimit) {
  Contour contour = MakeContour({MakeLine(0, 0, 0.000009, 0), MakeLine(0.000009, 0, 0.000009, 0.00001),
                                 MakeLine(0.000009, 0.00001, 3, 3)});
  DropShortLines(contour);
  ASSERT_EQ(contour.Count(), 2);
  EXPECT_DOUBLE_EQ(contour.First().EndPt.y, 0.00001);
}

TEST(ContourUtilsTest, OrientationOfARectangleAndItsReverse) {
  ExactGeometryServices geometry;
  Contour ccw = MakePolygon({0, 0, 10, 0, 10, 5, 0, 5});
  Contour cw = MakePolygon({0, 0, 0, 5, 10, 5, 10, 0});
  EXPECT_EQ(ContourOrientation(geometry, ccw), 1);
  EXPECT_EQ(ContourOrientation(geometry, cw), -1);
  Contour circle = MakeContour({MakeCircle(0, 0, 2)});
  EXPECT_EQ(ContourOrientation(geometry, circle), 1);
  Contour disc = MakeContour({MakeArc(2, 0, -2, 0, 0, 0, -1), MakeArc(-2, 0, 2, 0, 0, 0, -1)});
  EXPECT_EQ(ContourOrientation(geometry, disc), -1);
}

TEST(ContourUtilsTest, MergeJoinsCollinearLinesAndArcsOfOneCircle) {
  Contour lines = MakeContour({MakeLine(0, 0, 4, 0), MakeLine(4, 0, 10, 0.00005),
                               MakeLine(10, 0.00005, 10, 5)});
  MergeSegments(lines);
  ASSERT_EQ(lines.Count(), 2);
  EXPECT_DOUBLE_EQ(lines.First().EndPt.x, 10.0);
  EXPECT_NEAR(lines.First().Length, std::hypot(10.0, 0.00005), 1e-12);

  Contour bent = MakeContour({MakeLine(0, 0, 4, 0), MakeLine(4, 0, 10, 0.001)});
  MergeSegments(bent);
  EXPECT_EQ(bent.Count(), 2);  // 1e-4 off the joined line is too far

  Contour arcs = MakeContour({MakeArc(2, 0, 0, 2, 0, 0, 1), MakeArc(0, 2, -2, 0, 0, 0, 1)});
  MergeSegments(arcs);
  ASSERT_EQ(arcs.Count(), 1);
  EXPECT_NEAR(arcs.First().MidPt.x, 0.0, 1e-12);
  EXPECT_NEAR(arcs.First().MidPt.y, 2.0, 1e-12);
  EXPECT_NEAR(arcs.First().Length, 2.0 * kPi, 1e-9);
}

TEST(ContourUtilsTest, AFullTurnIsKeptAsTwoHalfArcs) {
  Contour quarters = MakeContour({MakeArc(2, 0, 0, 2, 0, 0, 1), MakeArc(0, 2, -2, 0, 0, 0, 1),
                                  MakeArc(-2, 0, 0, -2, 0, 0, 1), MakeArc(0, -2, 2, 0, 0, 0, 1)});
  MergeSegments(quarters);
  ASSERT_EQ(quarters.Count(), 2);
  EXPECT_NEAR(quarters.Seg(0).EndPt.x, -2.0, 1e-12);
  EXPECT_NEAR(quarters.Seg(1).StartPt.x, -2.0, 1e-12);
  EXPECT_NEAR(quarters.Seg(1).EndPt.x, 2.0, 1e-12);

  Contour single = MakeContour({MakeArc(2, 0, 2, 0, 0, 0, -1)});
  MergeSegments(single);
  ASSERT_EQ(single.Count(), 2);
  EXPECT_EQ(single.Seg(0).Direction, -1);
  EXPECT_NEAR(single.Seg(0).EndPt.x, -2.0, 1e-12);
}

TEST(ContourUtilsTest, RecenterArcPutsTheCentreOnTheBisector) {
  Segment arc = MakeArc(1, 0, -1, 0, 0, 0, 1);  // upper half circle
  arc.EndPt.x = -1.2;                           // an end point moved along the chord
  RecenterArc(arc);
  EXPECT_NEAR(arc.Center.x, -0.1, 1e-12);
  EXPECT_NEAR(arc.Center.y, 0.0, 1e-12);
  EXPECT_NEAR(arc.Radius, 1.1, 1e-12);
  EXPECT_NEAR(arc.Length, 2.2, 1e-12);
  EXPECT_NEAR(arc.MidPt.x, -0.1, 1e-12);
  EXPECT_NEAR(arc.MidPt.y, 1.1, 1e-12);
}

}  // namespace
}  // namespace sulkor
