#include "contour/contour_utils.h"

#include <gtest/gtest.h>

#include <cmath>

#include "contour/segment_build.h"
#include "kernel/contour_services.h"

namespace sulkor {
namespace {

// Simplifying: an arc whose mid point lies within 1e-3 of its chord becomes a line, segments
// shorter than 1e-6 go; short lines go below 1e-5.
TEST(ContourUtils, SimplifyAndDropAtTheirLimits) {
  for (const double sagitta : {0.00099, 0.00100001, 0.5}) {
    const double r = (25 + sagitta * sagitta) / (2 * sagitta);
    Contour contour = MakeContour({MakeArc(10, 0, 0, 0, 5, sagitta - r, 1)});
    SimplifyContour(contour);
    ASSERT_EQ(contour.Count(), 1);
    EXPECT_EQ(contour.First().IsLine(), sagitta < 1e-3) << sagitta;
    if (sagitta < 1e-3) {
      EXPECT_NEAR(contour.First().Tangent[0], kPi, 1e-12);
    }
  }
  Contour tiny = MakeContour({MakeLine(0, 0, 5, 0), MakeLine(5, 0, 5, 5e-7), MakeLine(5, 5e-7, 5, 5)});
  SimplifyContour(tiny);
  ASSERT_EQ(tiny.Count(), 2);
  EXPECT_EQ(tiny.Seg(1).EndPt.y, 5.0);
  Contour shortLines = MakeContour({MakeLine(0, 0, 9e-6, 0), MakeLine(9e-6, 0, 9e-6, 1e-5),
                                    MakeLine(9e-6, 1e-5, 3, 3)});
  DropShortLines(shortLines);
  ASSERT_EQ(shortLines.Count(), 2);
  EXPECT_DOUBLE_EQ(shortLines.First().EndPt.y, 1e-5);
}

TEST(ContourUtils, OrientationMergeAndRecentre) {
  ExactGeometryServices geometry;
  EXPECT_EQ(ContourOrientation(geometry, MakePolygon({0, 0, 10, 0, 10, 5, 0, 5})), 1);
  EXPECT_EQ(ContourOrientation(geometry, MakePolygon({0, 0, 0, 5, 10, 5, 10, 0})), -1);
  EXPECT_EQ(ContourOrientation(geometry, MakeContour({MakeCircle(0, 0, 2)})), 1);
  EXPECT_EQ(ContourOrientation(geometry, MakeContour({MakeArc(2, 0, -2, 0, 0, 0, -1),
                                                      MakeArc(-2, 0, 2, 0, 0, 0, -1)})),
            -1);
  // Collinear lines within 1e-5 merge, 1e-4 off does not; arcs of one circle merge, a full
  // turn stays two halves.
  Contour lines = MakeContour({MakeLine(0, 0, 4, 0), MakeLine(4, 0, 10, 5e-5), MakeLine(10, 5e-5, 10, 5)});
  MergeSegments(lines);
  ASSERT_EQ(lines.Count(), 2);
  EXPECT_NEAR(lines.First().Length, std::hypot(10.0, 5e-5), 1e-12);
  Contour bent = MakeContour({MakeLine(0, 0, 4, 0), MakeLine(4, 0, 10, 0.001)});
  MergeSegments(bent);
  EXPECT_EQ(bent.Count(), 2);
  Contour arcs = MakeContour({MakeArc(2, 0, 0, 2, 0, 0, 1), MakeArc(0, 2, -2, 0, 0, 0, 1)});
  MergeSegments(arcs);
  ASSERT_EQ(arcs.Count(), 1);
  EXPECT_NEAR(arcs.First().MidPt.y, 2.0, 1e-12);
  EXPECT_NEAR(arcs.First().Length, 2 * kPi, 1e-9);
  Contour single = MakeContour({MakeArc(2, 0, 2, 0, 0, 0, -1)});
  MergeSegments(single);
  ASSERT_EQ(single.Count(), 2);
  EXPECT_EQ(single.Seg(0).Direction, -1);
  // An end moved along the chord: the centre goes back onto the bisector.
  Segment arc = MakeArc(1, 0, -1, 0, 0, 0, 1);
  arc.EndPt.x = -1.2;
  RecenterArc(arc);
  EXPECT_NEAR(arc.Center.x, -0.1, 1e-12);
  EXPECT_NEAR(arc.Radius, 1.1, 1e-12);
  EXPECT_NEAR(arc.Length, 2.2, 1e-12);
  EXPECT_NEAR(arc.MidPt.y, 1.1, 1e-12);
}

}  // namespace
}  // namespace sulkor
