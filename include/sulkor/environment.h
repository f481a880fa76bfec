// The running host, handed to every Groove object at construction: the registry that creates
// host objects by ProgID, the message-box sink, the language-string source and the geometry
// services. There are no globals: tests build as many independent hosts as they like.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "sulkor/handle.h"

namespace sulkor {

class GeometryServices;

// Creates host objects by ProgID ("Ordrel.CAMDataStoreImpl", "Zentrix.Graphic.4", ...).
class ObjectRegistry {
 public:
  using Factory = std::function<Handle<HostObject>()>;

  void Register(std::string_view progId, Factory factory);
  bool Knows(std::string_view progId) const;

  // Throws HostError for an unknown ProgID or a factory that fails.
  Handle<HostObject> Create(std::string_view progId) const;

  // Throws HostError as above, and when the object does not have interface T.
  template <class T>
  Handle<T> CreateAs(std::string_view progId) const {
    Handle<T> typed = Create(progId).template As<T>();
    if (!typed) throw HostError("object \"" + std::string(progId) + "\" has not the interface asked for");
    return typed;
  }

 private:
  std::map<std::string, Factory, std::less<>> factories_;
};

// A modal, OK-only message box: a prompt and a title, no icon, no help.
class MessageBox {
 public:
  virtual ~MessageBox() = default;
  virtual void Show(std::string_view prompt, std::string_view title) = 0;
};

// The host's language-string library: the localized text of a message id, or nothing when the
// library cannot answer (missing, no such entry point). A library that fails throws HostError.
class LanguageStrings {
 public:
  virtual ~LanguageStrings() = default;
  virtual std::optional<std::string> Load(std::string_view moduleName, int32_t id,
                                          int32_t flags) = 0;
};

struct HostEnvironment {
  ObjectRegistry registry;
  std::shared_ptr<MessageBox> messageBox;            // nothing: messages are dropped
  std::shared_ptr<LanguageStrings> languageStrings;  // nothing: the built-in table answers
  std::shared_ptr<GeometryServices> geometry;        // the contour services
};

}  // namespace sulkor
