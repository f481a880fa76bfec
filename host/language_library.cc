#include "host/language_library.h"

#include <dlfcn.h>

#include <utility>

namespace sulkor::host {

LanguageLibrary::LanguageLibrary(std::string path) : path_(std::move(path)) {
  library_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library_ == nullptr) return;
  void* symbol = dlsym(library_, std::string(kLanguageEntryPoint).c_str());
  // dlsym answers an object pointer; the entry point is a function of the documented type.
  function_ = reinterpret_cast<LoadLangStringFunction>(symbol);
}

LanguageLibrary::~LanguageLibrary() {
  if (library_ != nullptr) dlclose(library_);
}

std::optional<std::string> LanguageLibrary::Load(std::string_view moduleName, int32_t id,
                                                  int32_t flags) {
  if (function_ == nullptr) return std::nullopt;
  const std::string module(moduleName);  // the library expects a NUL-terminated name
  const char* text = function_(module.c_str(), id, flags);
  if (text == nullptr) return std::nullopt;
  return std::string(text);
}

}  // namespace sulkor::host
