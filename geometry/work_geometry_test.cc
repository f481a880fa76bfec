#include "geometry/work_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geometry/segment_build.h"
#include "groove/tool.h"
#include "host/memory/scene.h"
#include "sulkor/groove.h"

namespace sulkor {
namespace {

double Area(const Contour& c) {
  // Shoelace over lines plus the circular segments of arcs.
  double a = 0.0;
  for (const Segment& s : c.Segs) {
    a += s.StartPt.x * s.EndPt.y - s.EndPt.x * s.StartPt.y;
    if (s.IsArc()) {
      const double r = s.Radius;
      const double sweep = s.Length / r;
      const double seg = r * r * (sweep - std::sin(sweep)) / 2.0;
      a += 2.0 * s.Direction * seg;
    }
  }
  return a / 2.0;
}

Contour OpenChain(const std::vector<double>& xy) {
  std::vector<Segment> segs;
  for (size_t i = 0; i + 3 < xy.size(); i += 2) {
    segs.push_back(MakeLine(xy[i], xy[i + 1], xy[i + 2], xy[i + 3]));
  }
  return MakeContour(segs);
}

TEST(WorkGeometryTest, RectangularOutsideGroove) {
  host::SceneTool tool;
  tool.width = 3.0;
  tool.cornerRadius = 0.2;
  host::GrooveScene scene = host::BuildGrooveScene(
      MakePolygon({0, 0, 50, 0, 50, 20, 0, 20}), OpenChain({20, 25, 20, 15, 30, 15, 30, 25}), tool);
  Groove groove(scene.host.environment);
  OperationState& state = groove.State();
  state.contours.ResetAll();
  ASSERT_TRUE(LoadTool(state, Handle<BlockSet>(scene.blockSet)));
  const bool ok = PrepareWorkGeometry(state, Handle<BlockSet>(scene.blockSet),
                                      Handle<GraphicSet>(scene.contourSet));
  for (const auto& m : scene.host.messages->Messages()) ADD_FAILURE() << m.prompt;
  ASSERT_TRUE(ok);
  EXPECT_EQ(state.directionSign, 1);
  EXPECT_NEAR(std::fabs(Area(state.contours.toMachine)), 50.0, 1e-3);
  EXPECT_NEAR(std::fabs(Area(state.contours.remaining)), 950.0, 1e-3);
  EXPECT_FALSE(state.contours.toClear.Empty());
}

}  // namespace
}  // namespace sulkor
