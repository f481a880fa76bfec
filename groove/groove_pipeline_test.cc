// The operation end to end through the public interface, as a host drives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "testing/scenes.h"
#include "contour/segment_build.h"
#include "kernel/contour_services.h"
#include "host/memory/scene.h"
#include "sulkor/groove.h"

namespace sulkor {
namespace {

// What the default insert (corner radius 0.2) sweeps out of each 10 x 5 groove.
const double kGroove = testing::SweptRectangle(10.0, 5.0, 0.2);

int CountNamed(const Handle<Graphic>& group, const std::string& name) {
  int n = 0;
  Handle<Graphics> children = group->Children();
  for (int32_t i = 0; i < children->Count(); ++i) n += children->Item(i)->Name() == name;
  return n;
}

// A bar 50 long of radius 20 with one rectangular groove 10 wide and 5 deep drawn at x0.
Contour GrooveAt(double x0) { return MakePolyline({x0, 25, x0, 15, x0 + 10, 15, x0 + 10, 25}); }

class GroovePipelineTest : public ::testing::Test {
 protected:
  host::GrooveScene scene_ = host::BuildGrooveScene(MakePolygon({0, 0, 50, 0, 50, 20, 0, 20}),
                                                    GrooveAt(20), host::SceneTool{});

  Handle<GraphicSet> Selection(const Handle<Graphic>& work) {
    auto set = std::make_shared<host::MemoryGraphicSet>();
    set->Add(work);
    return Handle<GraphicSet>(set);
  }

  Handle<Graphic> AddWork(double x0) {
    return host::AddContourPolyline(*scene_.host.Drawing()->TopGraphics(), GrooveAt(x0),
                                    "WorkContour");
  }

  Handle<Graphic> PartBlank() { return scene_.partGroup->Children()->ItemByName("Blank"); }
};

TEST_F(GroovePipelineTest, HostCreatesAndRunsAnOperation) {
  Groove groove(scene_.host.environment);
  groove.SetParameter("CAM_TurningFinishThickness", Variant(0.5));
  groove.SetParameter("Feed", Variant(80.0));
  Handle<BlockSet> op = groove.CreateBlockSet(Selection(scene_.workContour));
  ASSERT_TRUE(op);
  EXPECT_EQ(op->Property("CAM_PartID"), Variant(scene_.part->Identifier()));
  EXPECT_EQ(op->Property("OperationType"), Variant("Groove"));

  for (int run = 0; run < 2; ++run) {
    ASSERT_TRUE(groove.DoGroove(op)) << run;
    for (const auto& m : scene_.host.messages->Messages()) ADD_FAILURE() << m.prompt;
  }
  Handle<Graphic> group = op->GraphicGroup();
  EXPECT_EQ(CountNamed(group, "Trajectory"), 1);
  EXPECT_EQ(CountNamed(group, "RemovedMaterial"), 1);
  EXPECT_EQ(CountNamed(group, "LastPartBlank"), 1);
  EXPECT_EQ(op->Property("CAM_LatheTrajectorySubType"), Variant("External"));
  EXPECT_EQ(op->Property("OperationType"), Variant("Groove"));
  EXPECT_EQ(op->Property("Feed"), Variant(80.0));
  EXPECT_EQ(op->Property("CAM_TurningFinishThickness"), Variant(0.5));
  EXPECT_EQ(op->Property("ToolNumber"), Variant(int32_t{1}));

  // The trajectory: yellow positioning and red cutting moves, over the part.
  Handle<Graphic> trajectory = group->Children()->ItemByName("Trajectory");
  ASSERT_TRUE(trajectory == op->Trajectory());
  std::vector<int32_t> colours;
  for (int32_t i = 0; i < trajectory->Children()->Count(); ++i) {
    colours.push_back(trajectory->Children()->Item(i)->Property("PenColor").ToLong());
  }
  EXPECT_NE(std::count(colours.begin(), colours.end(), 65535), 0);
  EXPECT_NE(std::count(colours.begin(), colours.end(), 255), 0);

  // The stock: removed material hatched green, the starting stock blue, the blank replaced.
  Handle<Graphic> removed = group->Children()->ItemByName("RemovedMaterial");
  EXPECT_EQ(removed->Property("PenColor"), Variant(int32_t{65280}));
  EXPECT_EQ(removed->Property("BrushScale"), Variant(25.0));
  EXPECT_EQ(removed->Layer(), "CAMOperations");
  ASSERT_TRUE(removed->FillBrush());
  EXPECT_EQ(removed->FillBrush()->Name(), "ANSI36");
  EXPECT_NEAR(EnclosedArea(removed), kGroove, 1e-3);
  Handle<Graphic> start = group->Children()->ItemByName("LastPartBlank");
  EXPECT_EQ(start->Property("PenColor"), Variant(int32_t{16711680}));
  EXPECT_NEAR(EnclosedArea(start), 1000.0, 1e-6);
  ASSERT_EQ(scene_.partGroup->Children()->Count(), 1);
  EXPECT_NEAR(EnclosedArea(PartBlank()), 1000.0 - kGroove, 1e-3);
}

TEST_F(GroovePipelineTest, SubtypeOfEachKindOfWork) {
  struct Case {
    const char* trajectory;
    const char* direction;
    Contour blank, work;
    const char* subtype;
  };
  const Case cases[] = {
      {"Turn", "Internal", MakePolygon({0, 5, 50, 5, 50, 20, 0, 20}),
       MakePolyline({20, 0, 20, 10, 30, 10, 30, 0}), "Internal"},
      {"Face", "External", MakePolygon({0, 0, 50, 0, 50, 40, 0, 40}),
       MakePolyline({55, 20, 45, 20, 45, 10, 55, 10}), "Face"},
      {"Face", "External", MakePolygon({0, 0, 50, 0, 50, 40, 0, 40}),
       MakePolyline({-5, 10, 5, 10, 5, 20, -5, 20}), "BackFace"},
  };
  for (const Case& c : cases) {
    host::GrooveScene scene = host::BuildGrooveScene(c.blank, c.work, host::SceneTool{});
    Groove groove(scene.host.environment);
    groove.SetParameter("CAM_TurningTrajectoryType", Variant(c.trajectory));
    groove.SetParameter("CAM_TurningDirection", Variant(c.direction));
    groove.SetParameter("CAM_TurningStartPointX", Variant(c.subtype == std::string("Internal") ? 4.0 : 90.0));
    groove.SetParameter("CAM_TurningStartPointZ", Variant(c.subtype == std::string("BackFace") ? -5.0 : 60.0));
    Handle<BlockSet> op = groove.CreateBlockSet(Handle<GraphicSet>(scene.contourSet));
    EXPECT_TRUE(groove.DoGroove(op)) << c.subtype;
    for (const auto& m : scene.host.messages->Messages()) ADD_FAILURE() << c.subtype << ": " << m.prompt;
    EXPECT_EQ(op->Property("CAM_LatheTrajectorySubType"), Variant(c.subtype));
  }
}

TEST_F(GroovePipelineTest, EmptyContourSetTouchesNothing) {
  Groove groove(scene_.host.environment);
  Handle<BlockSet> op = groove.CreateBlockSet(Handle<GraphicSet>(std::make_shared<host::MemoryGraphicSet>()));
  EXPECT_FALSE(groove.DoGroove(op));
  EXPECT_TRUE(op->Property("CAM_LatheTrajectorySubType").IsEmpty());
  EXPECT_TRUE(scene_.host.messages->Messages().empty());
  EXPECT_FALSE(groove.AddBodyToPart(op));
  EXPECT_FALSE(groove.DoGroove(nullptr));
  EXPECT_FALSE(groove.UpdateBlockSet(nullptr, true));
}

TEST_F(GroovePipelineTest, UpdatesHandTheStockDownAChainOfThree) {
  std::vector<Handle<BlockSet>> ops;
  {
    Groove groove(scene_.host.environment);
    for (double x0 : {5.0, 20.0, 35.0}) {
      ops.push_back(groove.CreateBlockSet(Selection(x0 == 20.0 ? scene_.workContour : AddWork(x0))));
      ASSERT_TRUE(groove.DoGroove(ops.back())) << x0;
    }
  }
  ASSERT_TRUE(scene_.host.messages->Messages().empty());
  EXPECT_NEAR(EnclosedArea(PartBlank()), 1000.0 - 3 * kGroove, 1e-3);

  // The host answers an update request with a fresh operation object, as a palette would.
  std::vector<int32_t> updated;
  scene_.host.store->SetUpdateHandler([&](const Handle<BlockSet>& bs, bool first, bool) {
    updated.push_back(bs->Index());
    Groove groove(scene_.host.environment);
    return groove.UpdateBlockSet(bs, first);
  });
  Groove groove(scene_.host.environment);
  ASSERT_TRUE(groove.UpdateBlockSet(ops[0], true));
  EXPECT_EQ(updated, (std::vector<int32_t>{ops[1]->Index(), ops[2]->Index()}));
  const double expected[] = {1000.0, 1000.0 - kGroove, 1000.0 - 2 * kGroove};
  for (int i = 0; i < 3; ++i) {
    Handle<Graphic> start = ops[static_cast<size_t>(i)]->GraphicGroup()->Children()->ItemByName("LastPartBlank");
    ASSERT_TRUE(start);
    EXPECT_NEAR(EnclosedArea(start), expected[i], 1e-3) << i;
    EXPECT_EQ(start->Property("PenColor"), Variant(int32_t{16711680}));
    EXPECT_EQ(start->Layer(), "CAMOperations");
  }
  EXPECT_NEAR(EnclosedArea(PartBlank()), 1000.0 - 3 * kGroove, 1e-3);
}

TEST_F(GroovePipelineTest, FollowingOperationWithoutStartingStockIsLeftAlone) {
  Groove groove(scene_.host.environment);
  Handle<BlockSet> first = groove.CreateBlockSet(Selection(scene_.workContour));
  ASSERT_TRUE(groove.DoGroove(first));
  Handle<BlockSet> second = groove.CreateBlockSet(Selection(AddWork(35)));  // never run
  int requests = 0;
  scene_.host.store->SetUpdateHandler([&](const Handle<BlockSet>&, bool, bool) {
    ++requests;
    return true;
  });
  ASSERT_TRUE(groove.UpdateBlockSet(first, true));
  EXPECT_EQ(requests, 0);
  EXPECT_EQ(CountNamed(second->GraphicGroup(), "LastPartBlank"), 0);
}

TEST_F(GroovePipelineTest, FailedUpdateOfTheFollowingOperationTellsTheEventsSite) {
  Groove groove(scene_.host.environment);
  Handle<BlockSet> first = groove.CreateBlockSet(Selection(scene_.workContour));
  Handle<BlockSet> second = groove.CreateBlockSet(Selection(AddWork(35)));
  ASSERT_TRUE(groove.DoGroove(first));
  ASSERT_TRUE(groove.DoGroove(second));
  scene_.host.store->SetUpdateHandler([](const Handle<BlockSet>&, bool, bool) { return false; });
  ASSERT_TRUE(groove.UpdateBlockSet(first, true));
  EXPECT_EQ(scene_.host.eventsSite->DeletedBlockSets(), (std::vector<int32_t>{second->Identifier()}));
}

}  // namespace
}  // namespace sulkor
