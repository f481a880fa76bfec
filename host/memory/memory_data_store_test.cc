#include "host/memory/memory_data_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/memory/memory_drawing.h"
#include "host/memory/memory_graphic_set.h"

namespace sulkor::host {
namespace {

std::vector<int32_t> Identifiers(MemoryDataStore& store) {
  std::vector<int32_t> ids;
  for (int32_t i = 0; i < store.BlockSetCount(); ++i) {
    ids.push_back(store.BlockSetAt(i)->Identifier());
  }
  return ids;
}

TEST(MemoryDataStore, BlockSetsJoinTheListWhenInitialized) {
  auto store = MemoryDataStore::Create();
  auto b1 = store->NewBlockSet();
  auto b2 = store->NewBlockSet();
  auto b3 = store->NewBlockSet();
  EXPECT_EQ(b1->Identifier(), 1);
  EXPECT_EQ(b3->Identifier(), 3);
  EXPECT_EQ(store->BlockSetCount(), 0);
  EXPECT_EQ(b1->Index(), -1);

  // Order of the list: order of initialization; a second initialization changes nothing.
  b2->Initialize();
  b1->Initialize();
  b2->Initialize();
  b3->Initialize();
  EXPECT_EQ(Identifiers(*store), (std::vector<int32_t>{2, 1, 3}));
  struct Case {
    std::shared_ptr<MemoryBlockSet> blockSet;
    int32_t index;
  } cases[] = {{b2, 0}, {b1, 1}, {b3, 2}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.blockSet->Index(), c.index);
    EXPECT_TRUE(store->BlockSetAt(c.index) == Handle<BlockSet>(c.blockSet));
  }
  EXPECT_FALSE(store->BlockSetAt(3));
  EXPECT_FALSE(store->BlockSetAt(-1));

  // Taking one out moves the following ones up.
  store->RemoveBlockSet(0);
  EXPECT_EQ(Identifiers(*store), (std::vector<int32_t>{1, 3}));
  EXPECT_EQ(b3->Index(), 1);
  EXPECT_EQ(b2->Index(), -1);
  EXPECT_THROW(store->RemoveBlockSet(2), HostError);
}

TEST(MemoryDataStore, BlockSetPropertiesPartAndGroup) {
  auto app = MemoryApplication::Create({});
  auto store = MemoryDataStore::Create();
  Handle<Graphic> partGroup = app->Active()->TopGraphics()->Add();
  auto part1 = store->NewPart(partGroup);
  auto part2 = store->NewPart(nullptr);
  EXPECT_TRUE(store->ActivePart() == Handle<Part>(part1));  // the first part made
  EXPECT_TRUE(store->ActivePart()->PartGraphic() == partGroup);
  store->SetActivePart(part2);
  EXPECT_EQ(store->ActivePart()->Identifier(), 2);
  EXPECT_FALSE(store->ActivePart()->PartGraphic());

  int made = 0;
  store->SetGroupMaker([&](MemoryBlockSet& b) -> Handle<Graphic> {
    ++made;
    Handle<Graphic> g = app->Active()->TopGraphics()->Add();
    g->SetName("group " + std::to_string(b.Identifier()));
    return g;
  });
  auto b = store->NewBlockSet();
  EXPECT_FALSE(b->GraphicGroup());
  EXPECT_EQ(b->ContourSet()->Count(), 0);  // an empty set, not nothing
  b->Initialize();
  b->Initialize();
  EXPECT_EQ(made, 1);
  EXPECT_EQ(b->GraphicGroup()->Name(), "group 1");

  EXPECT_TRUE(b->Property("ToolNumber").IsEmpty());
  b->SetProperty("ToolNumber", int32_t{4});
  EXPECT_EQ(b->Property("ToolNumber").ToLong(), 4);

  // The block set's part: the one set for it, else the part its "CAM_PartID" names.
  struct Case {
    Variant partId;
    int32_t expected;  // 0: nothing
  } cases[] = {{Variant(), 0}, {Variant(int32_t{1}), 1}, {Variant("2"), 2},
               {Variant(int32_t{7}), 0}, {Variant("two"), 0}};
  for (const Case& c : cases) {
    b->SetProperty("CAM_PartID", c.partId);
    Handle<Part> part = b->OwnerPart();
    EXPECT_EQ(part ? part->Identifier() : 0, c.expected) << c.partId.ToText();
  }
  b->SetPart(Handle<Part>(part2));
  b->SetProperty("CAM_PartID", int32_t{1});
  EXPECT_EQ(b->OwnerPart()->Identifier(), 2);

  auto set = std::make_shared<MemoryGraphicSet>();
  set->Add(partGroup);
  b->SetContourSet(Handle<GraphicSet>(set));
  EXPECT_EQ(b->ContourSet()->Count(), 1);
  EXPECT_TRUE(b->ContourSet()->Item(0) == partGroup);
  EXPECT_FALSE(b->ContourSet()->Item(1));
  EXPECT_THROW(set->Add(nullptr), HostError);
  b->ContourSet()->Finish();
  EXPECT_EQ(set->Finishes(), 1);
}

TEST(MemoryDataStore, TrajectoryTakesThePlaceOfThePreviousOne) {
  auto app = MemoryApplication::Create({});
  auto store = MemoryDataStore::Create();
  auto b = store->NewBlockSet();
  Handle<Graphic> group = app->Active()->TopGraphics()->Add();
  b->SetGraphicGroup(group);
  group->Children()->Add()->SetName("LastPartBlank");

  Handle<Graphic> first = app->Active()->TopGraphics()->Add();
  first->SetName("Trajectory");
  b->AttachTrajectory(first);
  EXPECT_TRUE(b->Trajectory() == first);
  EXPECT_EQ(group->Children()->Count(), 2);
  EXPECT_EQ(app->Active()->TopGraphics()->Count(), 1);  // moved out of the top level
  EXPECT_EQ(first->Index(), 1);

  auto second = MemoryGraphic::Create("", {});
  second->SetName("Trajectory");
  b->AttachTrajectory(Handle<Graphic>(second));
  EXPECT_EQ(group->Children()->Count(), 2);
  EXPECT_TRUE(group->Children()->ItemByName("Trajectory") == Handle<Graphic>(second));
  EXPECT_THROW(first->Index(), HostError);  // the old one is out of the drawing
}

TEST(MemoryDataStore, UpdateRequestsGoToTheHandler) {
  auto store = MemoryDataStore::Create();
  auto b1 = store->NewBlockSet();
  auto b2 = store->NewBlockSet();
  EXPECT_FALSE(b1->RequestUpdate(true, false));  // no handler

  std::vector<int32_t> asked;
  store->SetUpdateHandler([&](const Handle<BlockSet>& b, bool first, bool second) {
    asked.push_back(b->Identifier());
    EXPECT_TRUE(first);
    EXPECT_FALSE(second);
    return b->Identifier() == 2;
  });
  EXPECT_FALSE(b1->RequestUpdate(true, false));
  EXPECT_TRUE(b2->RequestUpdate(true, false));
  EXPECT_EQ(asked, (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(b1->UpdateRequests().size(), 2u);
  EXPECT_EQ(b2->UpdateRequests(), (std::vector<std::pair<bool, bool>>{{true, false}}));
}

TEST(MemoryDataStore, ToolsSettingsAndEvents) {
  auto store = MemoryDataStore::Create();
  EXPECT_TRUE(store->Setting("CAM_UnitsSystem").IsEmpty());
  store->SetSetting("CAM_UnitsSystem", int16_t{1});
  EXPECT_EQ(store->Setting("CAM_UnitsSystem").ToLong(), 1);

  auto tool = std::make_shared<MemoryTool>();
  tool->SetProperty("CAM_ToolSubType", "Groove");
  tool->AllowOperation("Groove");
  store->ToolList().SetTool(3, tool);
  Handle<ToolTable> table = store->Tools();
  EXPECT_FALSE(table->ToolByNumber(1));
  Handle<Tool> t = table->ToolByNumber(3);
  ASSERT_TRUE(t);
  EXPECT_TRUE(t->CanPerform("Groove"));
  EXPECT_FALSE(t->CanPerform("groove"));
  EXPECT_FALSE(t->CanPerform("Turn"));
  EXPECT_EQ(t->Property("CAM_ToolSubType").ToText(), "Groove");
  EXPECT_TRUE(t->Property("CAM_ToolWidth").IsEmpty());
  EXPECT_FALSE(std::make_shared<MemoryTool>()->CanPerform("Groove"));

  MemoryEventsSite site;
  int32_t id = 5;
  site.OnDeleteBlockSet(id);
  id = 2;
  site.OnDeleteBlockSet(id);
  EXPECT_EQ(site.DeletedBlockSets(), (std::vector<int32_t>{5, 2}));
}

}  // namespace
}  // namespace sulkor::host
