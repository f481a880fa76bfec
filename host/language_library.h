// The host's language-string library, loaded at run time.
//
// The library is a shared object that exports one C function:
//
//   extern "C" const char* LoadLangBSTRString(const char* module, int32_t id, int32_t flags);
//
//   module  the file name of the asking component's module, e.g. "Sulkor.dll" (NUL-terminated)
//   id      the number of the text in that module's table
//   flags   0
//   result  the localized text, UTF-8 and NUL-terminated, or null when the library has no text
//           for (module, id). The text belongs to the library; it must stay valid until the next
//           call on the same thread. The caller copies it at once and never frees it.
//
// A library that cannot be opened, that lacks the entry point, or that answers null gives no
// text (std::nullopt); the caller then falls back to its own table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sulkor/environment.h"

namespace sulkor::host {

inline constexpr std::string_view kDefaultLanguageLibrary = "libLexmund.so";
inline constexpr std::string_view kLanguageEntryPoint = "LoadLangBSTRString";

extern "C" {
using LoadLangStringFunction = const char* (*)(const char* module, int32_t id, int32_t flags);
}

class LanguageLibrary : public LanguageStrings {
 public:
  // Opens the library at path (searched the way the dynamic loader searches when the path has
  // no slash). Failure to open it is not an error: the object then answers nothing.
  explicit LanguageLibrary(std::string path = std::string(kDefaultLanguageLibrary));
  ~LanguageLibrary() override;
  LanguageLibrary(const LanguageLibrary&) = delete;
  LanguageLibrary& operator=(const LanguageLibrary&) = delete;

  // Whether the library was opened and exports the entry point.
  bool Available() const { return function_ != nullptr; }
  const std::string& Path() const { return path_; }

  std::optional<std::string> Load(std::string_view moduleName, int32_t id,
                                  int32_t flags) override;

 private:
  std::string path_;
  void* library_ = nullptr;
  LoadLangStringFunction function_ = nullptr;
};

}  // namespace sulkor::host
