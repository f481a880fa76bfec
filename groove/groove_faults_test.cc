// The operation against a host whose calls fail: for every n along a clean run, the same run is
// repeated with the n-th host call failing (a HostError from the host, a geometry service or an
// object creation), and what the caller gets back must be what the failure rules allow.
//
// The members are driven through the functions the public members wrap (DoGrooveOperation,
// UpdateGrooveBlockSet, CreateGrooveBlockSet, SetParameters), because the public boundary turns
// any exception into the fallback answer and would hide one that escapes the rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cmath>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "geometry/segment_build.h"
#include "groove/block_sets.h"
#include "groove/operation_state.h"
#include "groove/parameters.h"
#include "groove/run_pipeline.h"
#include "host/geometry/contour_services.h"
#include "host/memory/failing_host.h"
#include "host/memory/scene.h"
#include "sulkor/groove.h"

namespace sulkor {
namespace {

using host::FaultPlan;
using host::PlanPtr;

Contour OpenChain(const std::vector<double>& xy) {
  std::vector<Segment> segs;
  for (size_t i = 0; i + 3 < xy.size(); i += 2) {
    segs.push_back(MakeLine(xy[i], xy[i + 1], xy[i + 2], xy[i + 3]));
  }
  return MakeContour(segs);
}

// A bar 50 long of radius 20 with a rectangular groove 10 wide and 5 deep drawn at x0.
Contour GrooveAt(double x0) { return OpenChain({x0, 25, x0, 15, x0 + 10, 15, x0 + 10, 25}); }

double PolygonArea(const Handle<Graphic>& g) {
  Contour c;
  ConvertGraphicToContour(g, c);
  double a = 0.0;
  for (const Segment& s : c.Segs) a += s.StartPt.x * s.EndPt.y - s.EndPt.x * s.StartPt.y;
  return std::fabs(a / 2.0);
}

std::vector<Handle<Graphic>> Named(const Handle<Graphic>& group, const std::string& name) {
  std::vector<Handle<Graphic>> found;
  Handle<Graphics> children = group->Children();
  for (int32_t i = 0; i < children->Count(); ++i) {
    if (children->Item(i)->Name() == name) found.push_back(children->Item(i));
  }
  return found;
}

// 1-based number of the first call of the trace at or after `from` that matches.
int64_t FindCall(const std::vector<FaultPlan::Call>& trace, const std::string& method,
                 int64_t from = 1) {
  for (int64_t i = from; i <= static_cast<int64_t>(trace.size()); ++i) {
    if (trace[static_cast<size_t>(i - 1)].method == method) return i;
  }
  return 0;
}

// Runs body and reports any exception that escapes it.
template <class Body>
void NothingEscapes(int64_t n, Body&& body) {
  try {
    body();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "call " << n << ": " << typeid(e).name() << " escaped: " << e.what();
  } catch (...) {
    ADD_FAILURE() << "call " << n << ": an unknown exception escaped";
  }
}

// The n to fail: every call of a clean run of `calls` calls, and a few past its end. A run far
// longer than the tests expect is sampled (every call up to 500, then a fixed stride) so that
// the suite stays fast; the tests print what they ran.
std::vector<int64_t> CallsToFail(int64_t calls) {
  std::vector<int64_t> ns;
  const int64_t stride = calls <= 4000 ? 1 : calls / 3500 + 1;
  for (int64_t n = 1; n <= calls + 3; n += n < 500 ? 1 : stride) ns.push_back(n);
  if (ns.back() != calls) ns.push_back(calls);
  return ns;
}

// One memory host with the groove scene, seen through a failing environment.
struct FailingScene {
  host::GrooveScene scene = host::BuildGrooveScene(MakePolygon({0, 0, 50, 0, 50, 20, 0, 20}),
                                                   GrooveAt(20), host::SceneTool{});
  PlanPtr plan = std::make_shared<FaultPlan>();
  std::shared_ptr<HostEnvironment> env = host::MakeFailingEnvironment(scene.host.environment, plan);

  Handle<BlockSet> Wrapped(const std::shared_ptr<host::MemoryBlockSet>& op) const {
    return host::WrapObject(plan, Handle<BlockSet>(op), "operation");
  }
  Handle<Graphic> Group(const std::shared_ptr<host::MemoryBlockSet>& op) const {
    return op->GraphicGroup();
  }
};

// What a clean DoGroove of the scene's operation does, and where its steps lie in the calls.
struct DoGrooveRun {
  int64_t calls = 0;
  int64_t runStart = 0;     // the run asks the block set for its group
  int64_t trajectoryStart = 0;  // the first call of the trajectory output
  int64_t attach = 0;       // the trajectory attached to the block set
  int64_t subtype = 0;      // the subtype written
  int32_t trajectoryMoves = 0;
};

DoGrooveRun TraceCleanDoGroove() {
  FailingScene fs;
  Groove groove(fs.env);
  fs.plan->FailAt(0);
  fs.plan->Tracing(true);
  EXPECT_TRUE(DoGrooveOperation(groove.State(), fs.Wrapped(fs.scene.blockSet)));
  const auto& trace = fs.plan->Trace();
  DoGrooveRun run;
  run.calls = fs.plan->Calls();
  run.runStart = FindCall(trace, "BlockSet.GraphicGroup");
  run.attach = FindCall(trace, "BlockSet.AttachTrajectory");
  run.subtype = FindCall(trace, "BlockSet.SetProperty", run.attach);
  // The trajectory output works only on the scratch graphic and what it hands out.
  run.trajectoryStart = run.attach;
  while (run.trajectoryStart > 1 &&
         trace[static_cast<size_t>(run.trajectoryStart - 2)].origin == kProgIdGraphic) {
    --run.trajectoryStart;
  }
  run.trajectoryMoves = fs.scene.blockSet->Trajectory()->Children()->Count();
  EXPECT_GT(run.runStart, 1);
  EXPECT_LT(run.trajectoryStart, run.attach);
  EXPECT_LT(run.attach, run.subtype);
  EXPECT_LT(run.subtype, run.calls);
  return run;
}

TEST(GrooveFaultsTest, DoGrooveSurvivesEveryFailingCall) {
  const auto started = std::chrono::steady_clock::now();
  const DoGrooveRun clean = TraceCleanDoGroove();
  const std::vector<int64_t> ns = CallsToFail(clean.calls);
  int trueResults = 0;
  for (bool andAfter : {false, true}) {
    for (int64_t n : ns) {
      if (andAfter && n % 5 != 0) continue;  // every later call failing: a sample
      FailingScene fs;
      Groove groove(fs.env);
      const std::shared_ptr<host::MemoryBlockSet>& op = fs.scene.blockSet;
      const Handle<Graphic> oldBlank = fs.scene.blank;
      fs.plan->FailAt(n, andAfter);
      bool result = false;
      NothingEscapes(n, [&] { result = DoGrooveOperation(groove.State(), fs.Wrapped(op)); });
      fs.plan->FailAt(0);
      SCOPED_TRACE("call " + std::to_string(n) + (andAfter ? " and after" : ""));

      const Handle<Graphic> group = fs.Group(op);
      const auto trajectories = Named(group, "Trajectory");
      const auto removed = Named(group, "RemovedMaterial");
      const auto start = Named(group, "LastPartBlank");
      const auto partChildren = Named(fs.scene.partGroup, "Blank");
      const size_t messages = fs.scene.host.messages->Messages().size();
      EXPECT_LE(trajectories.size(), 1u);
      EXPECT_LE(removed.size(), 1u);
      EXPECT_LE(start.size(), 1u);
      EXPECT_EQ(partChildren.size(), 1u);  // the blank is replaced, never lost or doubled
      if (n < clean.runStart) {
        EXPECT_FALSE(result);
      }
      if (n > clean.calls) {
        EXPECT_TRUE(result);
      }

      if (!result) {
        // A failed run writes nothing: no trajectory, subtype, parameters or stock.
        EXPECT_FALSE(op->Trajectory());
        EXPECT_TRUE(op->Property("CAM_LatheTrajectorySubType").IsEmpty());
        EXPECT_TRUE(op->Property("OperationType").IsEmpty());
        EXPECT_TRUE(trajectories.empty());
        EXPECT_TRUE(removed.empty());
        EXPECT_TRUE(start.empty());
        EXPECT_TRUE(partChildren.size() == 1 && partChildren[0] == oldBlank);
        EXPECT_LE(messages, 1u);
        continue;
      }
      ++trueResults;
      EXPECT_EQ(messages, 0u);  // every message belongs to a failure that ends the run
      EXPECT_GT(groove.State().toolPath.Count(), 0);
      if (andAfter) {
        // Everything from n on failed, so the tool path was computed before n.
        EXPECT_GT(n, clean.trajectoryStart - 1);
        continue;
      }
      // One failing call costs at most the step it belongs to.
      if (n < clean.trajectoryStart || n > clean.attach) {
        ASSERT_TRUE(op->Trajectory());
        EXPECT_EQ(op->Trajectory()->Name(), "Trajectory");
        EXPECT_EQ(op->Trajectory()->Children()->Count(), clean.trajectoryMoves);
        EXPECT_EQ(trajectories.size(), 1u);
      }
      if (op->Trajectory()) {
        EXPECT_EQ(op->Trajectory()->Children()->Count(), clean.trajectoryMoves);
      }
      if (n != clean.subtype) {
        EXPECT_EQ(op->Property("CAM_LatheTrajectorySubType"), Variant("External"));
      }
      if (n <= clean.subtype) {
        EXPECT_EQ(op->Property("OperationType"), Variant("Groove"));
        EXPECT_EQ(op->Property("ToolNumber"), Variant(int32_t{1}));
      }
      if (n <= clean.attach || n >= clean.subtype) {
        // The removed-material output ran whole.
        ASSERT_EQ(removed.size(), 1u);
        ASSERT_EQ(start.size(), 1u);
        EXPECT_EQ(removed[0]->Property("PenColor"), Variant(int32_t{65280}));
        ASSERT_TRUE(removed[0]->FillBrush());
        EXPECT_EQ(removed[0]->FillBrush()->Name(), "ANSI36");
        EXPECT_NEAR(PolygonArea(removed[0]), 50.0, 1e-3);
        EXPECT_EQ(start[0]->Property("PenColor"), Variant(int32_t{16711680}));
        EXPECT_NEAR(PolygonArea(start[0]), 1000.0, 1e-6);
        EXPECT_FALSE(partChildren[0] == oldBlank);
        EXPECT_NEAR(PolygonArea(partChildren[0]), 950.0, 1e-3);
      }
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("DoGroove: clean run %lld calls (run from %lld, trajectory %lld..%lld, subtype %lld);"
              " %zu n failing once, every fifth failing onward; %d true; %.1f s\n",
              static_cast<long long>(clean.calls), static_cast<long long>(clean.runStart),
              static_cast<long long>(clean.trajectoryStart), static_cast<long long>(clean.attach),
              static_cast<long long>(clean.subtype), ns.size(), trueResults, seconds);
  EXPECT_GT(trueResults, 0);
}

}  // namespace
}  // namespace sulkor
