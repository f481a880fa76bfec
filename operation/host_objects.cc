#include "operation/host_objects.h"

#include "sulkor/error.h"

namespace sulkor {

std::string_view CamOperationsLayer() { return kLayerCamOperations; }

Handle<HostObject> CreateThroughCreator(const ObjectRegistry& registry,
                                        const Handle<Application>& creator,
                                        std::string_view progId) {
  Handle<HostObject> object;
  if (creator) WithErrorsSuppressed([&] { object = creator->CreateObject(progId); });
  if (!object) object = registry.Create(progId);
  return object;
}

}  // namespace sulkor
