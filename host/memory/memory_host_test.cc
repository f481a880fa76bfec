// The built-in host: objects by ProgID, block sets joining the one store, the collections'
// lookups, removals, re-parenting and armed replacement. The geometry graphics hold is read by
// the DXF writer and the previews and a solid blank's box by the operation; their tests compare
// it with what was drawn.
#include "host/memory/memory_host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "host/memory/memory_drawing.h"

namespace sulkor::host {
namespace {

TEST(MemoryHost, RegistryBlockSetsAndTheOneStore) {
  MemoryHost host = BuildMemoryHost();
  const ObjectRegistry& registry = host.environment->registry;
  Handle<Application> app = registry.CreateAs<Application>("Zentrix.Application.4");
  for (const char* unknown : {"Zentrix.Graphic", "zentrix.graphic.4", "", "Sulkor.Groove"}) {
    EXPECT_THROW(registry.Create(unknown), HostError) << unknown;
    EXPECT_FALSE(app->CreateObject(unknown)) << unknown;
  }
  EXPECT_THROW(registry.CreateAs<DataStore>("Zentrix.Application.4"), HostError);
  EXPECT_TRUE(registry.CreateAs<DataStore>("Ordrel.CAMDataStoreImpl") ==
              app->CreateObject("Ordrel.CAMDataStoreImpl").As<DataStore>());

  // Block sets join the store in the order they are initialised, once each; their groups stand
  // in the active drawing; taking one out moves the following ones up.
  Handle<BlockSet> b1 = app->CreateObject("Ordrel.CAMBlockSetImpl").As<BlockSet>();
  Handle<BlockSet> b2 = registry.CreateAs<BlockSet>("Ordrel.CAMBlockSetImpl");
  EXPECT_EQ(b1->Index(), -1);
  b2->Initialize();
  b1->Initialize();
  b2->Initialize();
  EXPECT_EQ(host.store->BlockSetCount(), 2);
  EXPECT_TRUE(host.store->BlockSetAt(0) == b2);
  EXPECT_FALSE(host.store->BlockSetAt(2));
  EXPECT_TRUE(host.Drawing()->TopGraphics()->ItemByName(
                  "Operation " + std::to_string(b1->Identifier())) == b1->GraphicGroup());
  host.store->RemoveBlockSet(0);
  EXPECT_EQ(b1->Index(), 0);
  EXPECT_THROW(host.store->RemoveBlockSet(1), HostError);

}

TEST(MemoryHost, BlockSetPartTrajectoryAndUpdateRequests) {
  auto app = MemoryApplication::Create({});
  auto store = MemoryDataStore::Create();
  auto part1 = store->NewPart(app->Active()->TopGraphics()->Add());
  auto part2 = store->NewPart(nullptr);
  auto b = store->NewBlockSet();
  // The block set's part: the one set for it, else the part its "CAM_PartID" names.
  const std::pair<Variant, int32_t> ids[] = {{Variant(), 0}, {Variant(int32_t{1}), 1},
                                             {Variant("2"), 2}, {Variant(int32_t{7}), 0},
                                             {Variant("two"), 0}};
  for (const auto& [id, expected] : ids) {
    b->SetProperty("CAM_PartID", id);
    EXPECT_EQ(b->OwnerPart() ? b->OwnerPart()->Identifier() : 0, expected) << id.ToText();
  }
  b->SetPart(Handle<Part>(part2));
  b->SetProperty("CAM_PartID", int32_t{1});
  EXPECT_EQ(b->OwnerPart()->Identifier(), 2);

  // A trajectory attached takes the place of the one before, which leaves the drawing.
  Handle<Graphic> group = app->Active()->TopGraphics()->Add();
  b->SetGraphicGroup(group);
  group->Children()->Add()->SetName("LastPartBlank");
  Handle<Graphic> first = app->Active()->TopGraphics()->Add();
  first->SetName("Trajectory");
  b->AttachTrajectory(first);
  EXPECT_EQ(first->Index(), 1);
  auto second = MemoryGraphic::Create("", {});
  second->SetName("Trajectory");
  b->AttachTrajectory(Handle<Graphic>(second));
  EXPECT_EQ(group->Children()->Count(), 2);
  EXPECT_TRUE(b->Trajectory() == Handle<Graphic>(second));
  EXPECT_THROW(first->Index(), HostError);

  EXPECT_FALSE(b->RequestUpdate(true, false));  // no handler
  store->SetUpdateHandler([](const Handle<BlockSet>&, bool, bool) { return true; });
  EXPECT_TRUE(b->RequestUpdate(true, false));
  EXPECT_EQ(b->UpdateRequests().size(), 2u);
}

std::vector<std::string> Names(MemoryGraphics& graphics) {
  std::vector<std::string> names;
  for (auto& g : graphics.All()) names.push_back(g->Name() + (g->Flag() ? "!" : ""));
  return names;
}

struct Abc {  // a drawing whose top level holds A, B, C
  std::shared_ptr<MemoryApplication> app = MemoryApplication::Create({});
  MemoryGraphics& top = app->Active()->TopList();
  Abc() {
    for (const char* name : {"A", "B", "C"}) top.Add()->SetName(name);
  }
};

Handle<Graphic> Named(const char* name, bool flag) {
  auto g = MemoryGraphic::Create("QVL50Polyline", {});
  g->SetName(name);
  g->SetFlag(flag);
  return Handle<Graphic>(g);
}

TEST(MemoryGraphics, RemoveDeleteReparentAndReplace) {
  const struct {
    const char* what;
    std::function<void(MemoryGraphics&)> act;
    std::vector<std::string> left;
  } cases[] = {
      {"remove first", [](MemoryGraphics& t) { t.Remove(0); }, {"B", "C"}},
      {"delete middle", [](MemoryGraphics& t) { t.ItemByName("B")->Delete(); }, {"A", "C"}},
      {"remove then delete", [](MemoryGraphics& t) { Handle<Graphic> b = t.ItemByName("B"); t.Remove(b->Index()); b->Delete(); },
       {"A", "C"}},
      {"delete twice", [](MemoryGraphics& t) { Handle<Graphic> a = t.Item(0); a->Delete(); a->Delete(); }, {"B", "C"}},
      {"into a group and back out",
       [](MemoryGraphics& t) {
         t.ItemByName("A")->Children()->AddGraphic(t.ItemByName("B"));
         t.AddGraphic(t.Item(0)->Children()->Item(0));
       },
       {"A", "C", "B"}},
      // Armed by operation 128, a flagged graphic replaces the first of its name in place, once.
      {"armed replacement",
       [](MemoryGraphics& t) { t.Operation(128); t.AddGraphic(Named("B", true)); t.AddGraphic(Named("A", true)); },
       {"A", "B!", "C", "A!"}},
      {"not flagged", [](MemoryGraphics& t) { t.Operation(128); t.AddGraphic(Named("B", false)); }, {"A", "B", "C", "B"}},
      {"not armed", [](MemoryGraphics& t) { t.AddGraphic(Named("B", true)); }, {"A", "B", "C", "B!"}},
  };
  for (const auto& c : cases) {
    Abc d;
    c.act(d.top);
    EXPECT_EQ(Names(d.top), c.left) << c.what;
    for (int32_t i = 0; i < d.top.Count(); ++i) EXPECT_EQ(d.top.Item(i)->Index(), i) << c.what;
  }
  Abc d;
  EXPECT_FALSE(d.top.ItemByName("b"));  // names are exact
  EXPECT_THROW(d.top.Remove(3), HostError);
  Handle<Graphic> a = d.top.ItemByName("A");
  Handle<Graphic> inner = a->Children()->Add();
  EXPECT_THROW(inner->Children()->AddGraphic(a), HostError);  // not below itself
  EXPECT_THROW(a->Children()->AddGraphic(nullptr), HostError);
}

}  // namespace
}  // namespace sulkor::host
