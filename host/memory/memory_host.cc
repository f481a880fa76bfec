#include "host/memory/memory_host.h"

#include <string>

#include "kernel/contour_services.h"

namespace sulkor::host {

MemoryHost BuildMemoryHost() {
  MemoryHost host;
  host.environment = std::make_shared<HostEnvironment>();
  host.application = MemoryApplication::Create(host.environment);
  host.store = MemoryDataStore::Create();
  host.eventsSite = std::make_shared<MemoryEventsSite>();
  host.messages = std::make_shared<RecordingMessageBox>();
  host.environment->messageBox = host.messages;
  host.environment->geometry = std::make_shared<ExactGeometryServices>();

  // The factories hold the application weakly where the application would otherwise hold
  // itself through the registry; the environment owns everything else.
  std::weak_ptr<MemoryApplication> weakApp = host.application;
  std::weak_ptr<MemoryDataStore> weakStore = host.store;

  host.store->SetGroupMaker([weakApp](MemoryBlockSet& blockSet) -> Handle<Graphic> {
    auto app = weakApp.lock();
    if (!app || !app->Active()) return nullptr;
    Handle<Graphic> group = app->Active()->TopGraphics()->Add();
    group->SetName(std::string(kOperationGroupPrefix) + std::to_string(blockSet.Identifier()));
    return group;
  });

  ObjectRegistry& registry = host.environment->registry;
  registry.Register(kProgIdDataStore,
                    [store = host.store] { return Handle<HostObject>(store); });
  registry.Register(kProgIdBlockSet, [weakStore]() -> Handle<HostObject> {
    auto store = weakStore.lock();
    if (!store) return nullptr;
    return Handle<HostObject>(store->NewBlockSet());
  });
  registry.Register(kProgIdApplication,
                    [app = host.application] { return Handle<HostObject>(app); });
  registry.Register(kProgIdGraphic, [weakApp]() -> Handle<HostObject> {
    auto app = weakApp.lock();
    std::weak_ptr<Drawing> context;
    if (app && app->Active()) context = app->Active();
    return Handle<HostObject>(MemoryGraphic::Create("", context));
  });
  registry.Register(kProgIdEventsSite,
                    [site = host.eventsSite] { return Handle<HostObject>(site); });
  return host;
}

std::shared_ptr<HostEnvironment> MakeMemoryHost() { return BuildMemoryHost().environment; }

}  // namespace sulkor::host
