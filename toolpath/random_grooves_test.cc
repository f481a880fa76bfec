// Random groove drawings on random blanks (all four kinds of work, profiles drawn either way,
// inserts narrower than, as wide as and wider than the groove) through the whole operation: every
// success is a path that the machining guard passed, no path is ever refused by the guard (that
// would be a fault of the path), and every refusal says why. SULKOR_RANDOM_GROOVES sets the
// number of cases (2000 by default, about 20 s of one core).
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <string>

#include "contour/contour_ops.h"
#include "testing/test_random_grooves.h"
#include "operation/operation_state.h"
#include "host/memory/scene.h"
#include "sulkor/groove.h"

namespace sulkor {
namespace {

bool GuardRefusal(const std::string& detail) {
  for (const char* start : {"the path would", "a positioning move", "the machining check"}) {
    if (detail.rfind(start, 0) == 0) return true;
  }
  return false;
}

TEST(RandomGrooves, EverySuccessPassesTheGuardAndEveryRefusalSaysWhy) {
  const char* env = std::getenv("SULKOR_RANDOM_GROOVES");
  const int cases = env ? std::atoi(env) : 2000;
  testing::Random rnd(20261206u);
  std::map<std::string, int> outcomes;
  for (int i = 0; i < cases; ++i) {
    testing::GrooveFrame frame;
    const testing::SceneSetup setup = testing::RandomGroove(rnd, i, frame);
    SCOPED_TRACE("case " + std::to_string(i) + " " + frame.name);
    host::SceneTool tool;
    tool.width = setup.toolWidth;
    tool.cornerRadius = setup.cornerRadius;
    host::GrooveScene scene = host::BuildGrooveScene(setup.blank, setup.work, tool);
    Groove groove(scene.host.environment);
    // The start point beyond the blank's corner, clear of it by more than the insert.
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    for (size_t k = 0; k + 1 < setup.blank.Segs.size() + 1; ++k) {
      const Point3& p = setup.blank.Segs[k].StartPt;
      if (k == 0 || p.x < x0) x0 = p.x;
      if (k == 0 || p.x > x1) x1 = p.x;
      if (k == 0 || p.y < y0) y0 = p.y;
      if (k == 0 || p.y > y1) y1 = p.y;
    }
    const double clear = setup.toolWidth + 2.0;
    groove.SetParameter("CAM_TurningTrajectoryType", Variant(setup.trajectoryType));
    groove.SetParameter("CAM_TurningDirection", Variant(setup.direction));
    groove.SetParameter("CAM_TurningFinishThickness", Variant(setup.finish));
    groove.SetParameter("CAM_TurningDepthOnPass", Variant(1.0));
    groove.SetParameter("CAM_TurningStartPointZ", Variant(x1 + clear));
    groove.SetParameter("CAM_TurningStartPointX", Variant(2.0 * (y1 + clear)));
    const bool built = groove.DoGroove(Handle<BlockSet>(scene.blockSet));
    const std::string detail = groove.LastFailureDetail();
    if (built) {
      EXPECT_EQ(detail, "");
      ++outcomes["cut"];
      continue;
    }
    const auto& shown = scene.host.messages->Messages();
    EXPECT_FALSE(detail.empty()) << "a refusal without a reason: "
                                 << (shown.empty() ? std::string("no message") : shown[0].prompt);
    EXPECT_FALSE(GuardRefusal(detail)) << detail;
    ++outcomes[detail.substr(0, detail.find_first_of("0123456789("))];
  }
  for (const auto& [what, n] : outcomes) std::cout << "  " << n << "  " << what << "\n";
}

}  // namespace
}  // namespace sulkor
