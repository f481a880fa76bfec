#include "host/memory/memory_host.h"

#include <gtest/gtest.h>

#include <string>

#include "kernel/contour_services.h"

namespace sulkor::host {
namespace {

TEST(MemoryHost, RegistryCreatesTheHostsObjects) {
  MemoryHost host = BuildMemoryHost();
  const ObjectRegistry& registry = host.environment->registry;
  Handle<Application> app = registry.CreateAs<Application>("Zentrix.Application.4");

  for (const char* unknown : {"Zentrix.Graphic", "zentrix.graphic.4", "", "Sulkor.Groove"}) {
    EXPECT_FALSE(registry.Knows(unknown)) << unknown;
    EXPECT_THROW(registry.Create(unknown), HostError) << unknown;
    EXPECT_FALSE(app->CreateObject(unknown)) << unknown;
  }
  // Asking for an interface the object does not have is an error too.
  EXPECT_THROW(registry.CreateAs<DataStore>("Zentrix.Application.4"), HostError);

  // Every way to create the data store reaches the one store.
  Handle<DataStore> fromRegistry = registry.CreateAs<DataStore>("Ordrel.CAMDataStoreImpl");
  Handle<DataStore> again = registry.CreateAs<DataStore>("Ordrel.CAMDataStoreImpl");
  Handle<DataStore> fromApp = app->CreateObject("Ordrel.CAMDataStoreImpl").As<DataStore>();
  EXPECT_TRUE(fromRegistry == Handle<DataStore>(host.store));
  EXPECT_TRUE(again == fromRegistry);
  EXPECT_TRUE(fromApp == fromRegistry);
  EXPECT_TRUE(app == Handle<Application>(host.application));
  EXPECT_TRUE(registry.CreateAs<EventsSite>("Tinlow.DataStoreEventsSite") ==
              Handle<EventsSite>(host.eventsSite));

  EXPECT_TRUE(host.environment->messageBox == host.messages);
  EXPECT_NE(dynamic_cast<ExactGeometryServices*>(host.environment->geometry.get()), nullptr);
  EXPECT_EQ(host.Drawing()->Property("LinearUnitName").ToText(), "mm");
}

TEST(MemoryHost, BlockSetsByProgIdJoinTheOneStore) {
  MemoryHost host = BuildMemoryHost();
  Handle<Application> app(host.application);
  Handle<BlockSet> b1 = app->CreateObject("Ordrel.CAMBlockSetImpl").As<BlockSet>();
  Handle<BlockSet> b2 = host.environment->registry.CreateAs<BlockSet>("Ordrel.CAMBlockSetImpl");
  ASSERT_TRUE(b1);
  EXPECT_FALSE(b1 == b2);
  EXPECT_EQ(host.store->BlockSetCount(), 0);
  b2->Initialize();
  b1->Initialize();
  EXPECT_EQ(host.store->BlockSetCount(), 2);
  EXPECT_TRUE(host.store->BlockSetAt(0) == b2);
  EXPECT_EQ(b1->Index(), 1);

  // Their groups stand among the active drawing's top-level graphics.
  Handle<Graphics> top = host.Drawing()->TopGraphics();
  ASSERT_EQ(top->Count(), 2);
  EXPECT_TRUE(top->ItemByName("Operation " + std::to_string(b1->Identifier())) ==
              b1->GraphicGroup());
  EXPECT_TRUE(b2->GraphicGroup()->App() == app);
  EXPECT_TRUE(b2->GraphicGroup()->Children()->OwnerDrawing() == app->ActiveDrawing());
}

TEST(MemoryHost, ScratchGraphicIsAFactory) {
  MemoryHost host = BuildMemoryHost();
  Handle<Graphic> scratch = host.application->CreateObject("Zentrix.Graphic.4").As<Graphic>();
  ASSERT_TRUE(scratch);
  EXPECT_FALSE(scratch == host.environment->registry.CreateAs<Graphic>("Zentrix.Graphic.4"));
  EXPECT_THROW(scratch->Index(), HostError);
  EXPECT_TRUE(scratch->OwnerDrawing() == Handle<Drawing>(host.Drawing()));
  EXPECT_TRUE(scratch->App() == Handle<Application>(host.application));
  EXPECT_EQ(host.Drawing()->TopGraphics()->Count(), 0);  // not in the drawing

  // Make a polyline in the scratch collection and take it out again, as the builders do.
  Handle<Graphics> factory = scratch->Children();
  Handle<Graphic> polyline = factory->Add("QVL50Polyline");
  polyline->VertexCollection()->Add(0, 0, 0);
  factory->Remove(factory->Count() - 1);
  EXPECT_EQ(factory->Count(), 0);
  EXPECT_TRUE(polyline->OwnerDrawing() == Handle<Drawing>(host.Drawing()));
  host.Drawing()->TopGraphics()->AddGraphic(polyline);
  EXPECT_EQ(polyline->Index(), 0);
}

TEST(MemoryHost, HostsAreIndependent) {
  std::shared_ptr<HostEnvironment> a = MakeMemoryHost();
  std::shared_ptr<HostEnvironment> b = MakeMemoryHost();
  Handle<DataStore> storeA = a->registry.CreateAs<DataStore>("Ordrel.CAMDataStoreImpl");
  Handle<DataStore> storeB = b->registry.CreateAs<DataStore>("Ordrel.CAMDataStoreImpl");
  EXPECT_FALSE(storeA == storeB);
  a->registry.CreateAs<BlockSet>("Ordrel.CAMBlockSetImpl")->Initialize();
  EXPECT_EQ(storeA->BlockSetCount(), 1);
  EXPECT_EQ(storeB->BlockSetCount(), 0);
  // The registry keeps the application alive when only the environment is held.
  Handle<Application> app = a->registry.CreateAs<Application>("Zentrix.Application.4");
  EXPECT_TRUE(app->ActiveDrawing());
  EXPECT_EQ(app->ActiveDrawing()->TopGraphics()->Count(), 1);  // the block set's group
}

}  // namespace
}  // namespace sulkor::host
