// The operation against a host whose calls fail: for every n along a clean run, the same run is
// repeated with the n-th host call failing (a HostError from the host, a geometry service or an
// object creation), and what the caller gets back must be what the failure rules allow: nothing
// escapes, a failed member writes nothing, one failing call costs at most the step it belongs to.
//
// The members are driven through the functions the public members wrap (DoGrooveOperation,
// UpdateGrooveBlockSet, CreateGrooveBlockSet, SetParameters), because the public boundary turns
// any exception into the fallback answer and would hide one that escapes the rules.
#include <gtest/gtest.h>

#include <exception>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "contour/segment_build.h"
#include "groove/block_sets.h"
#include "groove/groove_state.h"
#include "groove/run_pipeline.h"
#include "kernel/contour_services.h"
#include "operation/parameters.h"
#include "sulkor/groove.h"
#include "testing/failing_host.h"
#include "testing/scenes.h"

namespace sulkor {
namespace {

using host::FaultPlan;

const double kRemoved = testing::SweptRectangle(10.0, 5.0, 0.2);  // the default insert's cut

// A bar 50 long of radius 20 with a rectangular groove 10 wide and 5 deep drawn at x0.
Contour GrooveAt(double x0) { return MakePolyline({x0, 25, x0, 15, x0 + 10, 15, x0 + 10, 25}); }

std::vector<Handle<Graphic>> Named(const Handle<Graphic>& group, const std::string& name) {
  std::vector<Handle<Graphic>> found;
  for (int32_t i = 0; i < group->Children()->Count(); ++i) {
    if (group->Children()->Item(i)->Name() == name) found.push_back(group->Children()->Item(i));
  }
  return found;
}

// 1-based number of the first call of the trace at or after `from` that matches.
int64_t FindCall(const std::vector<FaultPlan::Call>& trace, const std::string& method, int64_t from = 1) {
  for (int64_t i = from; i <= static_cast<int64_t>(trace.size()); ++i) {
    if (trace[static_cast<size_t>(i - 1)].method == method) return i;
  }
  return 0;
}

// Runs body with call n failing (and every later one, with andAfter) and reports any
// exception that escapes it.
void FailingCall(FaultPlan& plan, int64_t n, bool andAfter, const std::function<void()>& body) {
  plan.FailAt(n, andAfter);
  try {
    body();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "call " << n << ": " << e.what() << " escaped";
  }
  plan.Stop();
}

// Every call of a clean run of `calls` calls and a few past its end; a long run is sampled
// beyond its first 500 calls.
std::vector<int64_t> CallsToFail(int64_t calls) {
  std::vector<int64_t> ns;
  const int64_t stride = calls <= 4000 ? 1 : calls / 3500 + 1;
  for (int64_t n = 1; n <= calls + 3; n += n < 500 ? 1 : stride) ns.push_back(n);
  return ns;
}

// One memory host with the groove scene, seen through a failing environment.
struct FailingScene {
  host::GrooveScene scene = host::BuildGrooveScene(MakePolygon({0, 0, 50, 0, 50, 20, 0, 20}),
                                                   GrooveAt(20), host::SceneTool{});
  host::PlanPtr plan = std::make_shared<FaultPlan>();
  std::shared_ptr<HostEnvironment> env = host::MakeFailingEnvironment(scene.host.environment, plan);
  Handle<BlockSet> Wrapped(const std::shared_ptr<host::MemoryBlockSet>& op) const {
    return host::WrapObject(plan, Handle<BlockSet>(op), "operation");
  }
};

TEST(GrooveFaults, DoGrooveSurvivesEveryFailingCall) {
  // A clean run traced: where the run starts, where the trajectory output starts, where the
  // trajectory is attached and the subtype written.
  FailingScene clean;
  Groove cleanGroove(clean.env);
  clean.plan->FailAt(0);
  clean.plan->Tracing(true);
  ASSERT_TRUE(DoGrooveOperation(StateOf(cleanGroove), clean.Wrapped(clean.scene.blockSet)));
  const auto& trace = clean.plan->Trace();
  const int64_t calls = clean.plan->Calls(), runStart = FindCall(trace, "BlockSet.GraphicGroup");
  const int64_t attach = FindCall(trace, "BlockSet.AttachTrajectory");
  const int64_t subtype = FindCall(trace, "BlockSet.SetProperty", attach);
  int64_t trajectoryStart = attach;  // the output works only on the scratch graphic before
  while (trajectoryStart > 1 && trace[static_cast<size_t>(trajectoryStart - 2)].origin == kProgIdGraphic) {
    --trajectoryStart;
  }
  const int32_t moves = clean.scene.blockSet->Trajectory()->Children()->Count();
  ASSERT_TRUE(runStart > 1 && trajectoryStart < attach && attach < subtype && subtype < calls);

  int trueResults = 0;
  for (bool andAfter : {false, true}) {
    for (int64_t n : CallsToFail(calls)) {
      if (andAfter && n % 5 != 0) continue;  // every later call failing: a sample
      FailingScene fs;
      Groove groove(fs.env);
      const std::shared_ptr<host::MemoryBlockSet>& op = fs.scene.blockSet;
      bool result = false;
      FailingCall(*fs.plan, n, andAfter, [&] { result = DoGrooveOperation(StateOf(groove), fs.Wrapped(op)); });
      SCOPED_TRACE("call " + std::to_string(n) + (andAfter ? " and after" : ""));
      const Handle<Graphic> group = op->GraphicGroup();
      const auto trajectories = Named(group, "Trajectory"), removed = Named(group, "RemovedMaterial");
      const auto start = Named(group, "LastPartBlank"), blanks = Named(fs.scene.partGroup, "Blank");
      const size_t messages = fs.scene.host.messages->Messages().size();
      ASSERT_EQ(blanks.size(), 1u);  // the blank is replaced, never lost or doubled
      EXPECT_LE(trajectories.size() + removed.size() + start.size(), 3u);
      EXPECT_TRUE(n >= runStart || !result);
      EXPECT_TRUE(n <= calls || result);
      if (!result) {
        // A failed run writes nothing: no trajectory, subtype, parameters or stock.
        EXPECT_FALSE(op->Trajectory());
        EXPECT_TRUE(op->Property("CAM_LatheTrajectorySubType").IsEmpty());
        EXPECT_TRUE(op->Property("OperationType").IsEmpty());
        EXPECT_TRUE(trajectories.empty() && removed.empty() && start.empty());
        EXPECT_TRUE(blanks[0] == fs.scene.blank);
        EXPECT_LE(messages, 1u);
        continue;
      }
      ++trueResults;
      EXPECT_EQ(messages, 0u);  // every message belongs to a failure that ends the run
      if (andAfter) {
        EXPECT_GE(n, trajectoryStart);  // the tool path was computed before n
        continue;
      }
      ASSERT_TRUE((n >= trajectoryStart && n <= attach) || op->Trajectory());
      EXPECT_EQ(op->Trajectory() ? op->Trajectory()->Children()->Count() : moves, moves);
      EXPECT_TRUE(n == subtype || op->Property("CAM_LatheTrajectorySubType") == Variant("External"));
      EXPECT_TRUE(n > subtype || op->Property("OperationType") == Variant("Groove"));
      if (n <= attach || n >= subtype) {  // the removed-material output ran whole
        ASSERT_EQ(removed.size() + start.size(), 2u);
        EXPECT_EQ(removed[0]->FillBrush()->Name(), "ANSI36");
        EXPECT_NEAR(EnclosedArea(removed[0]), kRemoved, 1e-3);
        EXPECT_NEAR(EnclosedArea(start[0]), 1000.0, 1e-6);
        EXPECT_NEAR(EnclosedArea(blanks[0]), 1000.0 - kRemoved, 1e-3);
      }
    }
  }
  EXPECT_GT(trueResults, 0);
}

// Two operations run clean, the following one answering its update request with false (so that
// the events site is told), and the first one updated.
struct TwoOperations {
  FailingScene fs;
  std::shared_ptr<host::MemoryBlockSet> first = fs.scene.blockSet, second;
  std::vector<std::pair<bool, bool>> requests;
  Handle<Graphic> secondStart, firstTrajectory, partBlank;

  TwoOperations() {
    second = host::AddOperation(
        fs.scene, host::AddContourPolyline(*fs.scene.host.Drawing()->TopGraphics(), GrooveAt(35), "WorkContour"), 1);
    Groove groove(fs.env);
    EXPECT_TRUE(DoGrooveOperation(StateOf(groove), fs.Wrapped(first)));
    EXPECT_TRUE(DoGrooveOperation(StateOf(groove), fs.Wrapped(second)));
    secondStart = Named(second->GraphicGroup(), "LastPartBlank").at(0);
    firstTrajectory = first->Trajectory();
    partBlank = Named(fs.scene.partGroup, "Blank").at(0);
    fs.scene.host.store->SetUpdateHandler([this](const Handle<BlockSet>&, bool a, bool b) {
      requests.emplace_back(a, b);
      return false;
    });
  }
};

TEST(GrooveFaults, UpdateBlockSetSurvivesEveryFailingCall) {
  TwoOperations clean;
  Groove cleanGroove(clean.fs.env);
  clean.fs.plan->FailAt(0);
  clean.fs.plan->Tracing(true);
  ASSERT_TRUE(UpdateGrooveBlockSet(StateOf(cleanGroove), clean.fs.Wrapped(clean.first), true));
  const auto trace = clean.fs.plan->Trace();
  const int64_t calls = clean.fs.plan->Calls(), canPerform = FindCall(trace, "Tool.CanPerform");
  const int64_t closeUpdate = FindCall(trace, "Graphic.CloseUpdate");
  ASSERT_TRUE(canPerform > 0 && closeUpdate > canPerform);
  int handedOn = 0;
  for (int64_t n : CallsToFail(calls)) {
    TwoOperations ops;
    Groove groove(ops.fs.env);
    bool result = false;
    FailingCall(*ops.fs.plan, n, false,
                [&] { result = UpdateGrooveBlockSet(StateOf(groove), ops.fs.Wrapped(ops.first), true); });
    SCOPED_TRACE("call " + std::to_string(n));
    const auto starts = Named(ops.second->GraphicGroup(), "LastPartBlank");
    const auto& deleted = ops.fs.scene.host.eventsSite->DeletedBlockSets();
    EXPECT_LE(starts.size(), 1u);
    EXPECT_LE(deleted.size(), 1u);  // a request that fails counts as not updated
    EXPECT_EQ(Named(ops.fs.scene.partGroup, "Blank").size(), 1u);
    EXPECT_TRUE(n > canPerform || !result);
    EXPECT_TRUE(n <= calls || result);
    if (!result) {
      // Not recomputed: nothing handed on, the following operation untouched.
      EXPECT_TRUE(ops.requests.empty() && deleted.empty());
      EXPECT_TRUE(starts.size() == 1 && starts[0] == ops.secondStart);
      EXPECT_TRUE(ops.first->Trajectory() == ops.firstTrajectory);
      EXPECT_TRUE(Named(ops.fs.scene.partGroup, "Blank").at(0) == ops.partBlank);
      continue;
    }
    EXPECT_TRUE(ops.fs.scene.host.messages->Messages().empty());
    ASSERT_EQ(Named(ops.first->GraphicGroup(), "Trajectory").size(), 1u);
    if (!starts.empty() && !(starts[0] == ops.secondStart)) {
      ++handedOn;
      EXPECT_NEAR(EnclosedArea(starts[0]), 1000.0 - kRemoved, 1e-3);  // the first's remaining stock
    }
    if (n <= closeUpdate) {  // the hand-on ran whole and the failed update was told
      ASSERT_EQ(starts.size(), 1u);
      EXPECT_FALSE(starts[0] == ops.secondStart);
      EXPECT_EQ(starts[0]->Property("PenColor"), Variant(int32_t{16711680}));
      EXPECT_EQ(starts[0]->Layer(), "CAMOperations");
      EXPECT_EQ(ops.requests, (std::vector<std::pair<bool, bool>>{{true, false}}));
      EXPECT_EQ(deleted, (std::vector<int32_t>{ops.second->Identifier()}));
    }
  }
  EXPECT_GT(handedOn, 0);
}

TEST(GrooveFaults, CreateBlockSetSurvivesEveryFailingCall) {
  std::map<std::string, Variant, std::less<>> written;
  std::vector<FaultPlan::Call> trace;
  for (int64_t n = 0; n == 0 || n <= static_cast<int64_t>(trace.size()) + 3; ++n) {
    FailingScene fs;
    Groove groove(fs.env);
    groove.SetParameter("Feed", Variant(80.0));
    auto set = std::make_shared<host::MemoryGraphicSet>();
    set->Add(fs.scene.workContour);
    fs.plan->Tracing(n == 0);  // n = 0: the clean run, traced
    Handle<BlockSet> op;
    FailingCall(*fs.plan, n, false, [&] {
      op = CreateGrooveBlockSet(StateOf(groove), host::WrapObject(fs.plan, Handle<GraphicSet>(set), "selection"));
    });
    SCOPED_TRACE("call " + std::to_string(n));
    const FaultPlan::Call failed =
        n > 0 && n <= static_cast<int64_t>(trace.size()) ? trace[static_cast<size_t>(n - 1)] : FaultPlan::Call{"", ""};
    ASSERT_EQ(!op, failed.method == "Registry.Create" && failed.origin == kProgIdBlockSet);
    if (!op) continue;
    auto inner = std::dynamic_pointer_cast<host::MemoryBlockSet>(host::Unwrap(op).shared());
    ASSERT_TRUE(inner);
    if (n == 0) {
      written = inner->Properties();
      trace = fs.plan->Trace();
      EXPECT_EQ(written.at("CAM_PartID"), Variant(fs.scene.part->Identifier()));
      EXPECT_EQ(written.at("Feed"), Variant(80.0));
      continue;
    }
    // What was written is what a clean creation writes; one failure skips one step at most.
    for (const auto& [key, value] : inner->Properties()) {
      EXPECT_EQ(value, written.at(key)) << key;
    }
    EXPECT_EQ(inner->Initialized(), failed.method != "BlockSet.Initialize");
    EXPECT_EQ(inner->ContourSet() == Handle<GraphicSet>(set), failed.method != "BlockSet.SetContourSet");
    EXPECT_TRUE(!failed.method.empty() || inner->Properties() == written);
  }
}

// Construction fails only with a HostError; reading the parameters skips only the failing read;
// the members that need no host make no call.
TEST(GrooveFaults, ConstructionAndParameterReads) {
  FailingScene quiet;
  quiet.plan->FailAt(0);
  { Groove groove(quiet.env); }
  const int64_t constructionCalls = quiet.plan->Calls();
  int constructed = 0;
  for (int64_t n = 1; n <= constructionCalls + 3; ++n) {
    FailingScene fs;
    fs.plan->FailAt(n);
    try {
      Groove groove(fs.env);
      ++constructed;
      EXPECT_TRUE(StateOf(groove).scratch) << n;
    } catch (const HostError&) {
      EXPECT_LE(n, constructionCalls);
    } catch (const std::exception& e) {
      ADD_FAILURE() << "call " << n << ": " << e.what();
    }
  }
  EXPECT_GE(constructed, 3);
  FailingScene fs;
  Groove writer(fs.env);
  writer.SetParameter("Feed", Variant(80.0));
  writer.SetParameter("CAM_TurningDirection", Variant("Internal"));
  const Handle<BlockSet> op = writer.CreateBlockSet(host::WrapObject(fs.plan, fs.scene.blockSet->ContourSet(), "selection"));
  const Groove fresh(fs.env);
  const Parameters defaults = StateOf(fresh).params;
  fs.plan->FailAt(0);
  Parameters clean = defaults;
  EXPECT_TRUE(SetParameters(clean, op));
  EXPECT_EQ(GetParameter(clean, "Feed"), Variant(80.0));
  const int64_t calls = fs.plan->Calls();
  for (int64_t n = 1; n <= calls + 3; ++n) {
    Parameters p = defaults;
    bool result = false;
    FailingCall(*fs.plan, n, false, [&] { result = SetParameters(p, op); });
    EXPECT_TRUE(result) << n;
    int differing = 0;
    for (const char* name : {"CAM_TurningStartPointX", "CAM_TurningStartPointZ", "ToolNumber", "Speed", "Feed",
                             "CAM_SpeedFactor", "CAM_FeedFactor", "CAM_TurningTrajectoryType",
                             "CAM_TurningDepthOnPass", "CAM_TurningFinishThickness", "CAM_TurningFinishFeed",
                             "CAM_TurningFinishSpeed", "CAM_TurningDirection"}) {
      differing += !(GetParameter(p, name) == GetParameter(clean, name));
    }
    EXPECT_LE(differing, 1) << n;
  }
  fs.plan->FailAt(1, true);
  EXPECT_FALSE(writer.AddBodyToPart(op));
  EXPECT_FALSE(writer.SetParameter("Speed", Variant(900.0)));
  EXPECT_EQ(writer.GetParameter("Speed"), Variant(900.0));
  writer.UseUndo(Variant::Boolean(false));
  EXPECT_EQ(writer.UseUndo(), Variant::Boolean(false));
  EXPECT_EQ(fs.plan->Calls(), 0);
}

}  // namespace
}  // namespace sulkor
