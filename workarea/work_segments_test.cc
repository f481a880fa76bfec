#include "workarea/work_segments.h"

#include <gtest/gtest.h>

#include <vector>

#include "contour/segment_build.h"

namespace sulkor {
namespace {

// The same path within 1e-6, whatever its vertices.
TEST(WorkSegments, SameShapeComparesPathsNotVertices) {
  const Contour groove = MakePolyline({0, 10, 0, 0, 10, 0, 10, 10});
  struct Case {
    const char* name;
    Contour other;
    bool same;
  };
  for (const Case& c : std::vector<Case>{
           {"a vertex 1e-5 along the bottom", MakePolyline({0, 10, 0, 0, 1e-5, 0, 10, 0, 10, 10}), true},
           {"a zero-length line", MakePolyline({0, 10, 0, 0, 0, 0, 10, 0, 10, 10}), true},
           {"an end moved 2e-6", MakePolyline({0, 10, 0, 0, 10, 0, 10, 10 + 2e-6}), false},
           {"a bottom that turns back", MakePolyline({0, 10, 0, 0, 12, 0, 10, 0, 10, 10}), false},
           {"a bottom bent by 2e-6", MakePolyline({0, 10, 0, 0, 5, 2e-6, 10, 0, 10, 10}), false},
           {"one segment fewer", MakePolyline({0, 10, 0, 0, 10, 0}), false}}) {
    EXPECT_EQ(SameShape(groove, c.other), c.same) << c.name;
    EXPECT_EQ(SameShape(c.other, groove), c.same) << c.name;
  }
  const Contour arc = MakeContour({MakeArc(5, 0, -5, 0, 0, 0, 1)});
  EXPECT_TRUE(SameShape(arc, MakeContour({MakeArc(5, 0, 0, 5, 0, 0, 1), MakeArc(0, 5, -5, 0, 0, 0, 1)})));
  EXPECT_FALSE(SameShape(arc, MakeContour({MakeArc(5, 0, 0, -5, 0, 0, -1), MakeArc(0, -5, -5, 0, 0, 0, -1)})));
  // The top of a hump cut by a chord: 1e-5 long keeps within 1e-6 of the arc, 0.01 does not.
  const Contour hump =
      MakeContour({MakeArc(45, 40, 50, 45, 50, 40, -1), MakeArc(50, 45, 55, 40, 50, 40, -1)});
  for (const double chord : {1e-5, 1e-2}) {
    const Contour cut = MakeContour({MakeArc(45, 40, 50, 45, 50, 40, -1), MakeLine(50, 45, 50 + chord, 45),
                                     MakeArc(50 + chord, 45, 55, 40, 50, 40, -1)});
    EXPECT_EQ(SameShape(hump, cut), chord < 1e-3) << chord;
  }
}

// Runs of collinear lines and of arcs of one circle (joints within 1e-9 of the run's line or
// circle, arcs kept under half a turn) are joined; the ends stay where they were.
TEST(WorkSegments, JoinsStraightAndCircularRunsOnly) {
  struct Case {
    const char* name;
    std::vector<Segment> segs;
    int joined;  // segments left
  };
  for (const Case& c : std::vector<Case>{
           {"three collinear pieces", {MakeLine(0, 0, 1, 0), MakeLine(1, 0, 5, 0), MakeLine(5, 0, 9, 0)}, 1},
           {"a joint 5e-10 off the line", {MakeLine(0, 0, 5, 5e-10), MakeLine(5, 5e-10, 9, 0)}, 1},
           {"a joint 2e-9 off the line", {MakeLine(0, 0, 5, 2e-9), MakeLine(5, 2e-9, 9, 0)}, 2},
           {"a line turning back along itself", {MakeLine(0, 0, 5, 0), MakeLine(5, 0, 3, 0)}, 2},
           {"quarter arcs of one circle", {MakeArc(5, 0, 0, 5, 0, 0, 1), MakeArc(0, 5, -5, 0, 0, 0, 1)}, 2},
           {"arcs of one circle under half a turn", {MakeArc(5, 0, 0, 5, 0, 0, 1), MakeArc(0, 5, -4, 3, 0, 0, 1)}, 1},
           {"arcs turning opposite ways", {MakeArc(5, 0, 0, 5, 0, 0, 1), MakeArc(0, 5, -3, 4, 0, 0, -1)}, 2}}) {
    Contour contour = MakeContour(c.segs);
    JoinRuns(contour);
    ASSERT_EQ(contour.Count(), c.joined) << c.name;
    EXPECT_EQ(contour.First().StartPt, c.segs.front().StartPt) << c.name;
    EXPECT_EQ(contour.Last().EndPt, c.segs.back().EndPt) << c.name;
  }
}

TEST(WorkSegments, DivisionsTheSystemTreatsAsErrors) {
  EXPECT_DOUBLE_EQ(CheckedDivide(1.0, 4.0), 0.25);
  EXPECT_THROW(CheckedDivide(1.0, 0.0), GeometryError);
  EXPECT_THROW(CheckedDivide(1e308, 1e-308), GeometryError);
  double x = 0.0, y = 0.0;
  EXPECT_THROW(ProjectOntoCircle(1.0, 2.0, 3.0, 1.0, 2.0, x, y), GeometryError);
  ProjectOntoCircle(1.0, 2.0, 3.0, 1.0, 7.0, x, y);
  EXPECT_DOUBLE_EQ(y, 5.0);
}

}  // namespace
}  // namespace sulkor
