#include "operation/work_frame.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "contour/segment_build.h"

namespace sulkor {
namespace {

void ExpectNear(const Point3& p, double x, double y, const char* what) {
  EXPECT_NEAR(p.x, x, 1e-12) << what;
  EXPECT_NEAR(p.y, y, 1e-12) << what;
}

// Each kind's axes agree with each other: the maps invert each other, the plunge runs towards -v
// and the cross axis towards +u in the frame, the angles point where the moves go, and an arc keeps
// its middle on itself through the map (a mirroring map turns its direction).
TEST(WorkFrame, AxesAgreeForEveryKind) {
  const struct {
    std::string type;
    int16_t sign;
    WorkKind kind;
  } cases[] = {{"Turn", 1, WorkKind::OutsideDiameter}, {"Turn", -1, WorkKind::Bore},
               {"Face", 1, WorkKind::FrontFace},       {"Face", -1, WorkKind::BackFace},
               {"turn", 1, WorkKind::FrontFace},       {"Turn", 0, WorkKind::OutsideDiameter}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type + " " + std::to_string(c.sign));
    const WorkFrame f(c.type, c.sign);
    ASSERT_EQ(f.Kind(), c.kind);
    const Point3 p{3.0, 7.0, 0.0};
    const Point3 q = f.ToFrame(p);
    ExpectNear(f.ToDrawing(q), p.x, p.y, "round trip");
    ExpectNear(f.ToFrame(f.Plunged(p, 2.0)), q.x, q.y - 2.0, "plunge");
    ExpectNear(f.ToFrame(f.AlongCross(p, 2.0)), q.x + 2.0, q.y, "cross");
    EXPECT_EQ(f.Cross(p), q.x);
    EXPECT_EQ(f.PlungeAxis(p) * -f.PlungeSense(), q.y);
    ExpectNear({p.x + 2.0 * std::cos(f.PlungeAngle()), p.y + 2.0 * std::sin(f.PlungeAngle()), 0.0},
               f.Plunged(p, 2.0).x, f.Plunged(p, 2.0).y, "plunge angle");
    for (const bool forward : {true, false}) {
      const double a = f.CrossAngle(forward);
      const Point3 e = f.AlongCross(p, forward ? 2.0 : -2.0);
      ExpectNear({p.x + 2.0 * std::cos(a), p.y + 2.0 * std::sin(a), 0.0}, e.x, e.y, "cross angle");
    }
    const Segment arc = MakeArc(5.0, 1.0, 1.0, 5.0, 1.0, 1.0, 1);
    const Segment mapped = f.ToFrame(arc);
    const Point3 mid = f.ToFrame(arc.MidPt);
    ExpectNear(mapped.MidPt, mid.x, mid.y, "arc middle");
    EXPECT_EQ(mapped.Direction, f.Mirrors() ? -1 : 1);
  }
  // The angles are formed from pi as it is: the outside diameter's plunge has a cosine that is
  // not exactly zero, and the work area's probes rely on it.
  EXPECT_NE(std::cos(WorkFrame(WorkKind::OutsideDiameter).PlungeAngle()), 0.0);
}

}  // namespace
}  // namespace sulkor
