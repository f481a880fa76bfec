#include "sulkor/environment.h"

#include <exception>

namespace sulkor {

void ObjectRegistry::Register(std::string_view progId, Factory factory) {
  factories_[std::string(progId)] = std::move(factory);
}

bool ObjectRegistry::Knows(std::string_view progId) const {
  return factories_.find(progId) != factories_.end();
}

Handle<HostObject> ObjectRegistry::Create(std::string_view progId) const {
  auto it = factories_.find(progId);
  if (it == factories_.end()) {
    throw HostError("cannot create object \"" + std::string(progId) + "\": no such ProgID");
  }
  Handle<HostObject> object = it->second();
  if (!object) throw HostError("cannot create object \"" + std::string(progId) + "\"");
  return object;
}

}  // namespace sulkor
