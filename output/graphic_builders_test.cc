#include "output/graphic_builders.h"

#include <gtest/gtest.h>

#include "contour/segment_build.h"
#include "host/memory/memory_host.h"
#include "sulkor/groove.h"
#include "groove/groove_state.h"

namespace sulkor {
namespace {

class GraphicBuildersTest : public ::testing::Test {
 protected:
  host::MemoryHost host_ = host::BuildMemoryHost();
  Groove groove_{host_.environment};
  OperationState& state_ = StateOf(groove_);

  static Segment Move(double x1, double y1, double x2, double y2, int16_t type) {
    Segment s = MakeLine(x1, y1, x2, y2);
    s.MoveType = type;
    return s;
  }
};

TEST_F(GraphicBuildersTest, TrajectoryColoursMovesByTypeAtHeight) {
  Contour path = MakeContour({Move(0, 0, 5, 0, 0), Move(5, 0, 5, -2, 1), Move(5, -2, 5, 5, 0),
                              Move(5, 5, 6, 5, 2), Move(6, 5, 7, 5, 7)});
  Handle<Graphic> group = BuildTrajectory(state_, path);
  ASSERT_TRUE(group);
  EXPECT_EQ(group->Name(), "Trajectory");
  EXPECT_EQ(ScratchCollection(state_)->Count(), 0);  // taken out of the scratch collection
  Handle<Graphics> children = group->Children();
  ASSERT_EQ(children->Count(), 5);
  const Variant expected[] = {Variant(kColorYellow), Variant(kColorRed), Variant(kColorYellow),
                              Variant(kColorCyan), Variant()};
  for (int32_t i = 0; i < 5; ++i) {
    Handle<Graphic> child = children->Item(i);
    EXPECT_EQ(child->Property(kPenColor), expected[i]) << i;
    EXPECT_EQ(child->Property(kPenWidth), Variant(int16_t{0}));
    EXPECT_EQ(child->Property(kPenStyle), Variant("CONTINUOUS"));
    Handle<Vertices> v = child->VertexCollection();
    ASSERT_EQ(v->Count(), 2);
    EXPECT_EQ(v->Item(0)->Z(), 1e-4);
    EXPECT_EQ(v->Item(1)->Z(), 1e-4);
    EXPECT_EQ(v->Item(0)->X(), path.Seg(i).StartPt.x);
    EXPECT_EQ(v->Item(1)->Y(), path.Seg(i).EndPt.y);
  }
}

TEST_F(GraphicBuildersTest, ClockwiseArcIsWrittenInTravelOrder) {
  Contour path = MakeContour({MakeArc(1, 0, 0, 1, 0, 0, -1), MakeArc(1, 0, 0, 1, 0, 0, 1)});
  Handle<Graphic> group = BuildTrajectory(state_, path);
  Handle<Vertices> cw = group->Children()->Item(0)->VertexCollection();
  EXPECT_NEAR(cw->Item(0)->X(), 1.0, 1e-12);
  EXPECT_NEAR(cw->Item(0)->Y(), 0.0, 1e-12);
  EXPECT_NEAR(cw->Item(1)->X(), 0.0, 1e-12);
  EXPECT_NEAR(cw->Item(1)->Y(), 1.0, 1e-12);
  EXPECT_NEAR(cw->Item(2)->X(), 0.0, 1e-12);
  EXPECT_NEAR(cw->Item(2)->Y(), -1.0, 1e-12);
  EXPECT_NEAR(cw->Item(0)->Z(), 1e-4, 1e-15);
  Handle<Graphic> ccw = group->Children()->Item(1);
  EXPECT_EQ(ccw->Property(kPenColor), Variant(kColorRed));
  EXPECT_NEAR(ccw->VertexCollection()->Item(2)->Y(), 1.0, 1e-12);  // a quarter turn ccw
}

TEST_F(GraphicBuildersTest, PolylineClosesWithinTheGapAndSkipsShortLines) {
  struct Case {
    double missX;
    bool closed;
  };
  for (const Case& c : {Case{5e-6, true}, Case{2e-5, false}}) {
    Contour contour = MakeContour({MakeLine(0, 0, 10, 0), MakeLine(10, 0, 10, 5),
                                   MakeLine(10, 5, c.missX, 0)});
    Handle<Graphic> polyline = BuildPolyline(state_, contour);
    EXPECT_EQ(polyline->Kind(), "QVL50Polyline");
    EXPECT_EQ(polyline->Closed(), c.closed) << c.missX;
    EXPECT_EQ(polyline->Property(kPenColor), Variant(kColorRed));
    Handle<Vertices> v = polyline->VertexCollection();
    ASSERT_EQ(v->Count(), 4);
    EXPECT_EQ(v->Item(3)->X(), c.closed ? 0.0 : c.missX);  // closed exactly
  }
  EXPECT_EQ(ScratchCollection(state_)->Count(), 0);

  struct Short {
    double length;
    int32_t vertices;
  };
  for (const Short& c : {Short{1e-5, 2}, Short{2e-5, 3}}) {
    Contour contour = MakeContour({MakeLine(0, 0, c.length, 0), MakeLine(c.length, 0, 3, 0)});
    EXPECT_EQ(BuildPolyline(state_, contour)->VertexCollection()->Count(), c.vertices) << c.length;
  }
}

TEST_F(GraphicBuildersTest, PolylineArcsAndCircles) {
  Contour contour = MakeContour({MakeLine(-1, -1, 1, -1), MakeArc(1, -1, 1, 1, 1, 0, 1),
                                 MakeLine(1, 1, -1, 1), MakeArc(-1, 1, -1, -1, -1, 0, 1)});
  Handle<Vertices> v = BuildPolyline(state_, contour)->VertexCollection();
  ASSERT_EQ(v->Count(), 1 + 1 + 3 + 1 + 3);
  EXPECT_TRUE(v->Item(2)->ArcMark());  // the centre
  EXPECT_EQ(v->Item(2)->X(), 1.0);
  EXPECT_TRUE(v->Item(3)->ArcMark());  // the quarter point, counterclockwise from the start
  EXPECT_NEAR(v->Item(3)->X(), 2.0, 1e-12);
  EXPECT_NEAR(v->Item(3)->Y(), 0.0, 1e-12);
  EXPECT_FALSE(v->Item(4)->ArcMark());

  Handle<Graphic> circle = BuildPolyline(state_, MakeContour({MakeCircle(2, 3, 1.5)}));
  EXPECT_EQ(circle->Kind(), "Circle");
  EXPECT_EQ(ScratchCollection(state_)->Count(), 0);
}

}  // namespace
}  // namespace sulkor
