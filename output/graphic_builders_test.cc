#include "output/graphic_builders.h"

#include <gtest/gtest.h>

#include "contour/segment_build.h"
#include "groove/groove_state.h"
#include "host/memory/memory_host.h"
#include "sulkor/groove.h"

namespace sulkor {
namespace {

Segment Move(double x1, double y1, double x2, double y2, int16_t type) {
  Segment s = MakeLine(x1, y1, x2, y2);
  s.MoveType = type;
  return s;
}

// Moves coloured by their type (positioning yellow, cutting red, 2 cyan, others none) at height
// 1e-4, clockwise arcs written in travel order, taken out of the scratch collection.
TEST(GraphicBuilders, TrajectoryColoursMovesByTypeAtHeight) {
  host::MemoryHost host = host::BuildMemoryHost();
  Groove groove(host.environment);
  OperationState& state = StateOf(groove);
  const Contour path = MakeContour({Move(0, 0, 5, 0, 0), Move(5, 0, 5, -2, 1), Move(5, -2, 6, -2, 2),
                                    Move(6, -2, 7, -2, 7), MakeArc(1, 0, 0, 1, 0, 0, -1)});
  Handle<Graphic> group = BuildTrajectory(state, path);
  ASSERT_TRUE(group);
  EXPECT_EQ(group->Name(), "Trajectory");
  EXPECT_EQ(ScratchCollection(state)->Count(), 0);
  ASSERT_EQ(group->Children()->Count(), 5);
  const Variant colours[] = {Variant(kColorYellow), Variant(kColorRed), Variant(kColorCyan), Variant(),
                             Variant(kColorRed)};
  for (int32_t i = 0; i < 4; ++i) {
    Handle<Graphic> child = group->Children()->Item(i);
    EXPECT_EQ(child->Property(kPenColor), colours[i]) << i;
    EXPECT_EQ(child->Property(kPenStyle), Variant("CONTINUOUS"));
    Handle<Vertices> v = child->VertexCollection();
    ASSERT_EQ(v->Count(), 2);
    EXPECT_EQ(v->Item(1)->Z(), 1e-4);
    EXPECT_EQ(v->Item(1)->Y(), path.Seg(i).EndPt.y);
  }
  Handle<Vertices> cw = group->Children()->Item(4)->VertexCollection();  // start, through, end
  EXPECT_NEAR(cw->Item(0)->X(), 1.0, 1e-12);
  EXPECT_NEAR(cw->Item(1)->Y(), 1.0, 1e-12);
  EXPECT_NEAR(cw->Item(2)->Y(), -1.0, 1e-12);
}

// A polyline closes when its ends meet within 1e-5 (exactly then), leaves out lines not longer
// than 1e-5, and writes an arc as its centre and quarter point, both marked.
TEST(GraphicBuilders, PolylineGapsShortLinesAndArcs) {
  host::MemoryHost host = host::BuildMemoryHost();
  Groove groove(host.environment);
  OperationState& state = StateOf(groove);
  for (const double miss : {5e-6, 2e-5}) {
    Handle<Graphic> polyline =
        BuildPolyline(state, MakeContour({MakeLine(0, 0, 10, 0), MakeLine(10, 0, 10, 5), MakeLine(10, 5, miss, 0)}));
    EXPECT_EQ(polyline->Closed(), miss < 1e-5) << miss;
    EXPECT_EQ(polyline->Property(kPenColor), Variant(kColorRed));
    ASSERT_EQ(polyline->VertexCollection()->Count(), 4);
    EXPECT_EQ(polyline->VertexCollection()->Item(3)->X(), miss < 1e-5 ? 0.0 : miss);
  }
  for (const double length : {1e-5, 2e-5}) {
    const Contour c = MakeContour({MakeLine(0, 0, length, 0), MakeLine(length, 0, 3, 0)});
    EXPECT_EQ(BuildPolyline(state, c)->VertexCollection()->Count(), length > 1e-5 ? 3 : 2) << length;
  }
  Handle<Vertices> v = BuildPolyline(state, MakeContour({MakeLine(-1, -1, 1, -1), MakeArc(1, -1, 1, 1, 1, 0, 1)}))
                           ->VertexCollection();
  ASSERT_EQ(v->Count(), 5);
  EXPECT_TRUE(v->Item(2)->ArcMark() && v->Item(3)->ArcMark() && !v->Item(4)->ArcMark());
  EXPECT_EQ(v->Item(2)->X(), 1.0);
  EXPECT_NEAR(v->Item(3)->X(), 2.0, 1e-12);
  EXPECT_EQ(BuildPolyline(state, MakeContour({MakeCircle(2, 3, 1.5)}))->Kind(), "Circle");
  EXPECT_EQ(ScratchCollection(state)->Count(), 0);
}

}  // namespace
}  // namespace sulkor
