#include "host/language_library.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace sulkor::host {
namespace {

// The test library answers some of the module's messages; the module name and the flags reach
// it as given. Without a library, or one without the entry point, there is no answer.
TEST(LanguageLibrary, AnswersWhatTheLibraryHoldsAndNothingElse) {
  const struct {
    const char* library;
    const char* module;
    int32_t id, flags;
    std::optional<std::string> expected;
  } cases[] = {
      {SULKOR_TEST_LANG_LIB, "Sulkor.dll", 104, 0,
       "Der Vorschub muss gr\xC3\xB6\xC3\x9F" "er als null sein."},
      {SULKOR_TEST_LANG_LIB, "Sulkor.dll", 200, 0, "Nur in der Bibliothek"},
      {SULKOR_TEST_LANG_LIB, "Sulkor.dll", 106, 0, std::nullopt},
      {SULKOR_TEST_LANG_LIB, "Sulkor.dll", 104, 1, std::nullopt},
      {SULKOR_TEST_LANG_LIB, "sulkor.dll", 104, 0, std::nullopt},
      {"/nonexistent/libLexmund.so", "Sulkor.dll", 104, 0, std::nullopt},
      {"libm.so.6", "Sulkor.dll", 104, 0, std::nullopt},
  };
  for (const auto& c : cases) {
    LanguageLibrary library(c.library);
    EXPECT_EQ(library.Available(), c.library == std::string(SULKOR_TEST_LANG_LIB)) << c.library;
    EXPECT_EQ(library.Load(c.module, c.id, c.flags), c.expected) << c.module << " " << c.id;
  }
  EXPECT_EQ(LanguageLibrary().Path(), "libLexmund.so");
}

}  // namespace
}  // namespace sulkor::host
