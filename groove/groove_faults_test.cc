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
#include <map>
#include <utility>
#include <string>
#include <vector>

#include "contour/segment_build.h"
#include "groove/block_sets.h"
#include "operation/operation_state.h"
#include "operation/parameters.h"
#include "groove/run_pipeline.h"
#include "kernel/contour_services.h"
#include "testing/failing_host.h"
#include "host/memory/scene.h"
#include "sulkor/groove.h"
#include "testing/scenes.h"
#include "groove/groove_state.h"

namespace sulkor {
namespace {

// What the default insert (corner radius 0.2) sweeps out of the 10 x 5 groove.
const double kRemoved = testing::SweptRectangle(10.0, 5.0, 0.2);

using host::FaultPlan;
using host::PlanPtr;

// A bar 50 long of radius 20 with a rectangular groove 10 wide and 5 deep drawn at x0.
Contour GrooveAt(double x0) { return MakePolyline({x0, 25, x0, 15, x0 + 10, 15, x0 + 10, 25}); }

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
  std::vector<FaultPlan::Call> trace;
};

DoGrooveRun TraceCleanDoGroove() {
  FailingScene fs;
  Groove groove(fs.env);
  fs.plan->FailAt(0);
  fs.plan->Tracing(true);
  EXPECT_TRUE(DoGrooveOperation(StateOf(groove), fs.Wrapped(fs.scene.blockSet)));
  const auto& trace = fs.plan->Trace();
  DoGrooveRun run;
  run.calls = fs.plan->Calls();
  run.trace = trace;
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
  EXPECT_EQ(trace.at(static_cast<size_t>(run.runStart)).method, "Graphic.Children");
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
      NothingEscapes(n, [&] { result = DoGrooveOperation(StateOf(groove), fs.Wrapped(op)); });
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
      EXPECT_GT(StateOf(groove).toolPath.Count(), 0);
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
        EXPECT_NEAR(EnclosedArea(removed[0]), kRemoved, 1e-3);
        EXPECT_EQ(start[0]->Property("PenColor"), Variant(int32_t{16711680}));
        EXPECT_NEAR(EnclosedArea(start[0]), 1000.0, 1e-6);
        EXPECT_FALSE(partChildren[0] == oldBlank);
        EXPECT_NEAR(EnclosedArea(partChildren[0]), 1000.0 - kRemoved, 1e-3);
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


// Two operations run clean, the following one asked to update answering false (so that the
// events site is told), and the first one to be updated.
struct TwoOperations {
  FailingScene fs;
  std::shared_ptr<host::MemoryBlockSet> first = fs.scene.blockSet;
  std::shared_ptr<host::MemoryBlockSet> second;
  std::vector<std::pair<bool, bool>> requests;
  Handle<Graphic> secondStart;      // the following operation's "LastPartBlank" before
  Handle<Graphic> firstTrajectory;  // the first operation's trajectory before
  Handle<Graphic> partBlank;

  TwoOperations() {
    Handle<Graphic> work = host::AddContourPolyline(*fs.scene.host.Drawing()->TopGraphics(),
                                                    GrooveAt(35), "WorkContour");
    second = host::AddOperation(fs.scene, work, 1);
    Groove groove(fs.env);
    EXPECT_TRUE(DoGrooveOperation(StateOf(groove), fs.Wrapped(first)));
    EXPECT_TRUE(DoGrooveOperation(StateOf(groove), fs.Wrapped(second)));
    EXPECT_TRUE(fs.scene.host.messages->Messages().empty());
    secondStart = Named(fs.Group(second), "LastPartBlank").at(0);
    firstTrajectory = first->Trajectory();
    partBlank = Named(fs.scene.partGroup, "Blank").at(0);
    fs.scene.host.store->SetUpdateHandler([this](const Handle<BlockSet>&, bool a, bool b) {
      requests.emplace_back(a, b);
      return false;
    });
  }
};

TEST(GrooveFaultsTest, UpdateBlockSetSurvivesEveryFailingCall) {
  int64_t calls = 0;
  int64_t canPerform = 0;
  int64_t closeUpdate = 0;
  std::vector<FaultPlan::Call> trace;
  int64_t stockBuilt = 0;
  {
    TwoOperations ops;
    Groove groove(ops.fs.env);
    ops.fs.plan->FailAt(0);
    ops.fs.plan->Tracing(true);
    EXPECT_TRUE(UpdateGrooveBlockSet(StateOf(groove), ops.fs.Wrapped(ops.first), true));
    calls = ops.fs.plan->Calls();
    canPerform = FindCall(ops.fs.plan->Trace(), "Tool.CanPerform");
    closeUpdate = FindCall(ops.fs.plan->Trace(), "Graphic.CloseUpdate");
    trace = ops.fs.plan->Trace();
    // The new stock is built when the polyline builder takes it out of the scratch collection.
    const int64_t request = FindCall(trace, "BlockSet.RequestUpdate", closeUpdate);
    for (int64_t i = closeUpdate; i < request; ++i) {
      if (trace[static_cast<size_t>(i - 1)].method == "Graphics.Remove") stockBuilt = i;
    }
    ASSERT_GT(stockBuilt, closeUpdate);
    ASSERT_GT(canPerform, 0);
    ASSERT_GT(closeUpdate, canPerform);
    EXPECT_EQ(ops.requests.size(), 1u);
  }
  const std::vector<int64_t> ns = CallsToFail(calls);
  int trueResults = 0;
  int handedOn = 0;
  for (int64_t n : ns) {
    TwoOperations ops;
    Groove groove(ops.fs.env);
    const int32_t secondGraphics = ops.fs.Group(ops.second)->Children()->Count();
    ops.fs.plan->FailAt(n);
    bool result = false;
    NothingEscapes(n, [&] {
      result = UpdateGrooveBlockSet(StateOf(groove), ops.fs.Wrapped(ops.first), true);
    });
    ops.fs.plan->FailAt(0);
    SCOPED_TRACE("call " + std::to_string(n));

    const auto starts = Named(ops.fs.Group(ops.second), "LastPartBlank");
    const auto& deleted = ops.fs.scene.host.eventsSite->DeletedBlockSets();
    const auto trajectories = Named(ops.fs.Group(ops.first), "Trajectory");
    EXPECT_LE(starts.size(), 1u);
    EXPECT_LE(ops.requests.size(), 1u);
    EXPECT_LE(deleted.size(), 1u);  // a request that fails counts as not updated
    EXPECT_EQ(Named(ops.fs.scene.partGroup, "Blank").size(), 1u);
    if (n <= canPerform) {
      EXPECT_FALSE(result);
    }
    if (n > calls) {
      EXPECT_TRUE(result);
    }
    if (!result) {
      // This operation was not recomputed: nothing is handed on, the following one is untouched.
      EXPECT_TRUE(ops.requests.empty());
      EXPECT_TRUE(deleted.empty());
      EXPECT_TRUE(starts.size() == 1 && starts[0] == ops.secondStart);
      EXPECT_TRUE(ops.first->Trajectory() == ops.firstTrajectory);
      EXPECT_TRUE(Named(ops.fs.scene.partGroup, "Blank").at(0) == ops.partBlank);
      EXPECT_LE(ops.fs.scene.host.messages->Messages().size(), 1u);
      continue;
    }
    ++trueResults;
    EXPECT_TRUE(ops.fs.scene.host.messages->Messages().empty());
    ASSERT_EQ(trajectories.size(), 1u);
    EXPECT_TRUE(ops.first->Trajectory() == trajectories[0]);
    if (!starts.empty() && !(starts[0] == ops.secondStart)) {
      ++handedOn;
      EXPECT_NEAR(EnclosedArea(starts[0]), 1000.0 - kRemoved, 1e-3);  // the first operation's remaining stock
    }
    const std::string failed = n <= calls ? trace[static_cast<size_t>(n - 1)].method : "";
    const bool settingStock =
        n > stockBuilt && (failed == "Graphic.SetName" || failed == "Graphic.SetProperty" ||
                           failed == "Graphic.SetLayer" || failed == "Graphic.SetFillBrush" ||
                           failed == "Graphic.SetState");
    if (n > closeUpdate && (failed == "BlockSet.Identifier" || settingStock)) {
      // A failing read of the identifier or setting of the new stock skips only itself: the stock
      // still takes the old one's place and the following operation is asked to update.
      EXPECT_EQ(ops.fs.Group(ops.second)->Children()->Count(), secondGraphics) << failed;
      EXPECT_EQ(ops.requests.size(), 1u) << failed;
    }
    if (n <= closeUpdate) {
      // The hand-on ran whole: the new stock in place, the update asked for, the failure told.
      ASSERT_EQ(starts.size(), 1u);
      EXPECT_FALSE(starts[0] == ops.secondStart);
      EXPECT_EQ(starts[0]->Property("PenColor"), Variant(int32_t{16711680}));
      EXPECT_EQ(starts[0]->Property("PenWidth"), Variant(int16_t{0}));
      EXPECT_EQ(starts[0]->Layer(), "CAMOperations");
      EXPECT_EQ(ops.requests, (std::vector<std::pair<bool, bool>>{{true, false}}));
      EXPECT_EQ(deleted, (std::vector<int32_t>{ops.second->Identifier()}));
    }
  }
  std::printf("UpdateBlockSet: clean run %lld calls (tool checked by %lld, bracket closed at %lld);"
              " %zu n; %d true, %d handed the stock on\n",
              static_cast<long long>(calls), static_cast<long long>(canPerform),
              static_cast<long long>(closeUpdate), ns.size(), trueResults, handedOn);
  EXPECT_GT(handedOn, 0);
}

TEST(GrooveFaultsTest, CreateBlockSetSurvivesEveryFailingCall) {
  auto selectionOf = [](FailingScene& fs) {
    auto set = std::make_shared<host::MemoryGraphicSet>();
    set->Add(fs.scene.workContour);
    return std::make_pair(set, host::WrapObject(fs.plan, Handle<GraphicSet>(set), "selection"));
  };
  std::map<std::string, Variant, std::less<>> written;
  std::vector<FaultPlan::Call> trace;
  {
    FailingScene fs;
    Groove groove(fs.env);
    groove.SetParameter("Feed", Variant(80.0));
    fs.plan->FailAt(0);
    fs.plan->Tracing(true);
    Handle<BlockSet> op = CreateGrooveBlockSet(StateOf(groove), selectionOf(fs).second);
    auto inner = std::dynamic_pointer_cast<host::MemoryBlockSet>(host::Unwrap(op).shared());
    ASSERT_TRUE(inner);
    written = inner->Properties();
    trace = fs.plan->Trace();
    EXPECT_EQ(written.at("CAM_PartID"), Variant(fs.scene.part->Identifier()));
    EXPECT_EQ(written.at("Feed"), Variant(80.0));
  }
  const int64_t calls = static_cast<int64_t>(trace.size());
  for (int64_t n : CallsToFail(calls)) {
    FailingScene fs;
    Groove groove(fs.env);
    groove.SetParameter("Feed", Variant(80.0));
    auto [set, selection] = selectionOf(fs);
    fs.plan->FailAt(n);
    Handle<BlockSet> op;
    NothingEscapes(n, [&] { op = CreateGrooveBlockSet(StateOf(groove), selection); });
    fs.plan->FailAt(0);
    SCOPED_TRACE("call " + std::to_string(n));
    const FaultPlan::Call failed =
        n <= calls ? trace[static_cast<size_t>(n - 1)] : FaultPlan::Call{"", ""};
    const bool creationFailed =
        failed.method == "Registry.Create" && failed.origin == kProgIdBlockSet;
    ASSERT_EQ(!op, creationFailed);
    if (!op) continue;
    auto inner = std::dynamic_pointer_cast<host::MemoryBlockSet>(host::Unwrap(op).shared());
    ASSERT_TRUE(inner);
    // What was written is what a clean creation writes; one failure skips one step at most.
    for (const auto& [key, value] : inner->Properties()) {
      ASSERT_TRUE(written.count(key)) << key;
      EXPECT_EQ(value, written.at(key)) << key;
    }
    EXPECT_EQ(inner->Initialized(), failed.method != "BlockSet.Initialize");
    EXPECT_EQ(inner->ContourSet() == Handle<GraphicSet>(set),
              failed.method != "BlockSet.SetContourSet");
    if (failed.method.empty()) {
      EXPECT_EQ(inner->Properties(), written);
    }
  }
}

TEST(GrooveFaultsTest, ConstructionFailsOnlyWithAHostError) {
  int64_t calls = 0;
  {
    FailingScene fs;
    fs.plan->FailAt(0);
    Groove groove(fs.env);
    calls = fs.plan->Calls();
  }
  int constructed = 0;
  for (int64_t n = 1; n <= calls + 3; ++n) {
    FailingScene fs;
    fs.plan->FailAt(n);
    try {
      Groove groove(fs.env);
      ++constructed;
      EXPECT_TRUE(StateOf(groove).scratch) << n;
      EXPECT_EQ(groove.GetParameter("Speed"), Variant(1300.0)) << n;
    } catch (const HostError&) {
      EXPECT_LE(n, calls);
    } catch (const std::exception& e) {
      ADD_FAILURE() << "call " << n << ": " << e.what();
    }
  }
  std::printf("Groove construction: %lld calls; constructed with call n failing: %d of %lld\n",
              static_cast<long long>(calls), constructed, static_cast<long long>(calls + 3));
  EXPECT_GE(constructed, 3);
}

TEST(GrooveFaultsTest, SetParametersSkipsOnlyTheFailingRead) {
  FailingScene fs;
  Groove writer(fs.env);
  writer.SetParameter("Feed", Variant(80.0));
  writer.SetParameter("CAM_TurningDepthOnPass", Variant(2.0));
  writer.SetParameter("CAM_TurningDirection", Variant("Internal"));
  const Handle<BlockSet> op = writer.CreateBlockSet(
      host::WrapObject(fs.plan, fs.scene.blockSet->ContourSet(), "selection"));
  const std::vector<std::string> names = {
      "CAM_TurningStartPointX", "CAM_TurningStartPointZ", "ToolNumber", "Speed", "Feed",
      "CAM_SpeedFactor", "CAM_FeedFactor", "CAM_TurningTrajectoryType", "CAM_TurningDepthOnPass",
      "CAM_TurningFinishThickness", "CAM_TurningFinishFeed", "CAM_TurningFinishSpeed",
      "CAM_TurningDirection"};
  const Groove fresh(fs.env);
  const Parameters defaults = StateOf(fresh).params;
  fs.plan->FailAt(0);
  Parameters clean = defaults;
  EXPECT_TRUE(SetParameters(clean, op));
  const int64_t calls = fs.plan->Calls();
  for (int64_t n = 1; n <= calls + 3; ++n) {
    Parameters p = defaults;
    fs.plan->FailAt(n);
    bool result = false;
    NothingEscapes(n, [&] { result = SetParameters(p, op); });
    EXPECT_TRUE(result) << n;
    int differing = 0;
    for (const std::string& name : names) {
      differing += !(GetParameter(p, name) == GetParameter(clean, name));
    }
    EXPECT_LE(differing, 1) << n;
  }
  EXPECT_EQ(GetParameter(clean, "Feed"), Variant(80.0));

  // The members that need no host make no call, so every call failing changes nothing for them.
  fs.plan->FailAt(1, true);
  EXPECT_FALSE(writer.AddBodyToPart(op));
  EXPECT_FALSE(writer.SetParameter("Speed", Variant(900.0)));  // false in every case
  EXPECT_EQ(writer.GetParameter("Speed"), Variant(900.0));
  writer.UseUndo(Variant::Boolean(false));
  EXPECT_EQ(writer.UseUndo(), Variant::Boolean(false));
  EXPECT_EQ(fs.plan->Calls(), 0);
}

}  // namespace
}  // namespace sulkor
