// A small language-string library for the tests of the message lookup. It knows a few texts of
// the module "Sulkor.dll" (a German translation) and answers null for everything else, so that
// the tests see the library's text for some ids and the built-in table for the others.
#include <cstdint>
#include <cstring>

extern "C" __attribute__((visibility("default"))) const char* LoadLangBSTRString(
    const char* module, int32_t id, int32_t flags) {
  if (module == nullptr || std::strcmp(module, "Sulkor.dll") != 0 || flags != 0) return nullptr;
  switch (id) {
    case 103: return "Sulkor (DE)";
    case 104: return "Der Vorschub muss gr\xC3\xB6\xC3\x9F" "er als null sein.";
    case 105: return "Bitte Parameter pr\xC3\xBC" "fen.";
    case 200: return "Nur in der Bibliothek";  // an id outside the component's own table
    default: return nullptr;
  }
}
