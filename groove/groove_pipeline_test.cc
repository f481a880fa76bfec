// The operation end to end through the public interface, as a host drives it: one run with
// everything it draws and writes, the subtype of each kind of work, and a chain of three
// operations handing the stock down on update.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "contour/segment_build.h"
#include "host/memory/scene.h"
#include "kernel/contour_services.h"
#include "sulkor/groove.h"
#include "testing/scenes.h"

namespace sulkor {
namespace {

const double kGroove = testing::SweptRectangle(10.0, 5.0, 0.2);  // the default insert's cut

// A bar 50 long of radius 20 with one rectangular groove 10 wide and 5 deep drawn at x0.
Contour GrooveAt(double x0) { return MakePolyline({x0, 25, x0, 15, x0 + 10, 15, x0 + 10, 25}); }

host::GrooveScene Bar() {
  return host::BuildGrooveScene(MakePolygon({0, 0, 50, 0, 50, 20, 0, 20}), GrooveAt(20), host::SceneTool{});
}

Handle<GraphicSet> Selection(const Handle<Graphic>& work) {
  auto set = std::make_shared<host::MemoryGraphicSet>();
  set->Add(work);
  return Handle<GraphicSet>(set);
}

Handle<Graphic> Child(const Handle<Graphic>& group, const std::string& name) {
  return group->Children()->ItemByName(name);
}

// Three operations on the bar, grooves at 5, 20 and 35, each run once.
std::vector<Handle<BlockSet>> ChainOfThree(host::GrooveScene& scene) {
  std::vector<Handle<BlockSet>> ops;
  Groove groove(scene.host.environment);
  for (double x0 : {5.0, 20.0, 35.0}) {
    const Handle<Graphic> work =
        x0 == 20.0 ? scene.workContour
                   : host::AddContourPolyline(*scene.host.Drawing()->TopGraphics(), GrooveAt(x0), "WorkContour");
    ops.push_back(groove.CreateBlockSet(Selection(work)));
    EXPECT_TRUE(groove.DoGroove(ops.back())) << x0;
  }
  return ops;
}

TEST(GroovePipeline, HostCreatesAndRunsAnOperation) {
  host::GrooveScene scene = Bar();
  Groove groove(scene.host.environment);
  groove.SetParameter("CAM_TurningFinishThickness", Variant(0.5));
  groove.SetParameter("Feed", Variant(80.0));
  Handle<BlockSet> op = groove.CreateBlockSet(Selection(scene.workContour));
  ASSERT_TRUE(op);
  EXPECT_EQ(op->Property("CAM_PartID"), Variant(scene.part->Identifier()));
  for (int run = 0; run < 2; ++run) ASSERT_TRUE(groove.DoGroove(op)) << run;  // run twice: one of each
  for (const auto& m : scene.host.messages->Messages()) ADD_FAILURE() << m.prompt;
  const Handle<Graphic> group = op->GraphicGroup();
  EXPECT_EQ(group->Children()->Count(), 3);
  EXPECT_EQ(op->Property("CAM_LatheTrajectorySubType"), Variant("External"));
  EXPECT_EQ(op->Property("OperationType"), Variant("Groove"));
  EXPECT_EQ(op->Property("Feed"), Variant(80.0));
  EXPECT_EQ(op->Property("ToolNumber"), Variant(int32_t{1}));
  // The trajectory: yellow positioning and red cutting moves.
  const Handle<Graphic> trajectory = Child(group, "Trajectory");
  ASSERT_TRUE(trajectory == op->Trajectory());
  std::vector<int32_t> colours;
  for (int32_t i = 0; i < trajectory->Children()->Count(); ++i) {
    colours.push_back(trajectory->Children()->Item(i)->Property("PenColor").ToLong());
  }
  EXPECT_NE(std::count(colours.begin(), colours.end(), 65535), 0);
  EXPECT_NE(std::count(colours.begin(), colours.end(), 255), 0);
  // The removed material hatched green, the starting stock blue, the part's blank replaced.
  const Handle<Graphic> removed = Child(group, "RemovedMaterial");
  EXPECT_EQ(removed->Property("PenColor"), Variant(int32_t{65280}));
  EXPECT_EQ(removed->Property("BrushScale"), Variant(25.0));
  EXPECT_EQ(removed->Layer(), "CAMOperations");
  EXPECT_EQ(removed->FillBrush()->Name(), "ANSI36");
  EXPECT_NEAR(EnclosedArea(removed), kGroove, 1e-3);
  EXPECT_EQ(Child(group, "LastPartBlank")->Property("PenColor"), Variant(int32_t{16711680}));
  EXPECT_NEAR(EnclosedArea(Child(group, "LastPartBlank")), 1000.0, 1e-6);
  ASSERT_EQ(scene.partGroup->Children()->Count(), 1);
  EXPECT_NEAR(EnclosedArea(Child(scene.partGroup, "Blank")), 1000.0 - kGroove, 1e-3);
  // An empty selection runs nothing and touches nothing; no block set answers false.
  Handle<BlockSet> empty = groove.CreateBlockSet(Handle<GraphicSet>(std::make_shared<host::MemoryGraphicSet>()));
  EXPECT_FALSE(groove.DoGroove(empty));
  EXPECT_TRUE(empty->Property("CAM_LatheTrajectorySubType").IsEmpty());
  EXPECT_FALSE(groove.DoGroove(nullptr));
  EXPECT_FALSE(groove.UpdateBlockSet(nullptr, true));
  EXPECT_TRUE(scene.host.messages->Messages().empty());
}

TEST(GroovePipeline, SubtypeOfEachKindOfWork) {
  struct Case {
    const char *trajectory, *direction;
    Contour blank, work;
    double startX, startZ;
    const char* subtype;
  };
  const Contour disc = MakePolygon({0, 0, 50, 0, 50, 40, 0, 40});
  for (const Case& c : std::vector<Case>{
           {"Turn", "Internal", MakePolygon({0, 5, 50, 5, 50, 20, 0, 20}), MakePolyline({20, 0, 20, 10, 30, 10, 30, 0}),
            4, 60, "Internal"},
           {"Face", "External", disc, MakePolyline({55, 20, 45, 20, 45, 10, 55, 10}), 90, 60, "Face"},
           {"Face", "External", disc, MakePolyline({-5, 10, 5, 10, 5, 20, -5, 20}), 90, -5, "BackFace"}}) {
    host::GrooveScene scene = host::BuildGrooveScene(c.blank, c.work, host::SceneTool{});
    Groove groove(scene.host.environment);
    groove.SetParameter("CAM_TurningTrajectoryType", Variant(c.trajectory));
    groove.SetParameter("CAM_TurningDirection", Variant(c.direction));
    groove.SetParameter("CAM_TurningStartPointX", Variant(c.startX));
    groove.SetParameter("CAM_TurningStartPointZ", Variant(c.startZ));
    Handle<BlockSet> op = groove.CreateBlockSet(Handle<GraphicSet>(scene.contourSet));
    EXPECT_TRUE(groove.DoGroove(op)) << c.subtype;
    for (const auto& m : scene.host.messages->Messages()) ADD_FAILURE() << c.subtype << ": " << m.prompt;
    EXPECT_EQ(op->Property("CAM_LatheTrajectorySubType"), Variant(c.subtype));
  }
}

// Updating the first of three hands its new stock to the second and the third in turn; an
// operation that was never run (no starting stock) is left alone; a following operation whose
// update fails is reported to the events site as deleted.
TEST(GroovePipeline, UpdatesHandTheStockDownTheChain) {
  host::GrooveScene scene = Bar();
  const std::vector<Handle<BlockSet>> ops = ChainOfThree(scene);
  ASSERT_TRUE(scene.host.messages->Messages().empty());
  std::vector<int32_t> updated;  // the host answers each request with a fresh operation object
  scene.host.store->SetUpdateHandler([&](const Handle<BlockSet>& bs, bool first, bool) {
    updated.push_back(bs->Identifier());
    return Groove(scene.host.environment).UpdateBlockSet(bs, first);
  });
  Groove groove(scene.host.environment);
  ASSERT_TRUE(groove.UpdateBlockSet(ops[0], true));
  EXPECT_EQ(updated, (std::vector<int32_t>{ops[1]->Identifier(), ops[2]->Identifier()}));
  const double expected[] = {1000.0, 1000.0 - kGroove, 1000.0 - 2 * kGroove};
  for (size_t i = 0; i < 3; ++i) {
    const Handle<Graphic> start = Child(ops[i]->GraphicGroup(), "LastPartBlank");
    EXPECT_NEAR(EnclosedArea(start), expected[i], 1e-3) << i;
    EXPECT_EQ(start->Layer(), "CAMOperations");
  }
  EXPECT_NEAR(EnclosedArea(Child(scene.partGroup, "Blank")), 1000.0 - 3 * kGroove, 1e-3);

  host::GrooveScene fresh = Bar();
  Groove second(fresh.host.environment);
  const Handle<BlockSet> first = second.CreateBlockSet(Selection(fresh.workContour));
  ASSERT_TRUE(second.DoGroove(first));
  const Handle<BlockSet> neverRun = second.CreateBlockSet(
      Selection(host::AddContourPolyline(*fresh.host.Drawing()->TopGraphics(), GrooveAt(35), "WorkContour")));
  int requests = 0;
  fresh.host.store->SetUpdateHandler([&](const Handle<BlockSet>&, bool, bool) {
    ++requests;
    return false;
  });
  ASSERT_TRUE(second.UpdateBlockSet(first, true));
  EXPECT_EQ(requests, 0);
  EXPECT_FALSE(Child(neverRun->GraphicGroup(), "LastPartBlank"));
  ASSERT_TRUE(second.DoGroove(neverRun));
  ASSERT_TRUE(second.UpdateBlockSet(first, true));
  EXPECT_EQ(requests, 1);
  EXPECT_EQ(fresh.host.eventsSite->DeletedBlockSets(), (std::vector<int32_t>{neverRun->Identifier()}));
}

}  // namespace
}  // namespace sulkor
