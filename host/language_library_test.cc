#include "host/language_library.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace sulkor::host {
namespace {

TEST(LanguageLibrary, PassesModuleIdAndFlagsAndCopiesTheAnswer) {
  LanguageLibrary library(SULKOR_TEST_LANG_LIB);
  ASSERT_TRUE(library.Available());
  struct Case {
    std::string module;
    int32_t id;
    int32_t flags;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"Sulkor.dll", 104, 0, "Der Vorschub muss gr\xC3\xB6\xC3\x9F" "er als null sein."},
      {"Sulkor.dll", 103, 0, "Sulkor (DE)"},
      {"Sulkor.dll", 200, 0, "Nur in der Bibliothek"},
      {"Sulkor.dll", 106, 0, std::nullopt},  // the library has no text: null
      {"Sulkor.dll", 104, 1, std::nullopt},  // the flags reach the library
      {"sulkor.dll", 104, 0, std::nullopt},  // so does the module name, case and all
      {"Other.dll", 104, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(library.Load(c.module, c.id, c.flags), c.expected) << c.module << " " << c.id;
  }
}

TEST(LanguageLibrary, AnswersNothingWithoutLibraryOrEntryPoint) {
  LanguageLibrary missing("/nonexistent/libLexmund.so");
  EXPECT_FALSE(missing.Available());
  EXPECT_EQ(missing.Load("Sulkor.dll", 104, 0), std::nullopt);

  // A library that opens but does not export the entry point.
  LanguageLibrary noEntry("libm.so.6");
  EXPECT_FALSE(noEntry.Available());
  EXPECT_EQ(noEntry.Load("Sulkor.dll", 104, 0), std::nullopt);

  LanguageLibrary byDefault;
  EXPECT_EQ(byDefault.Path(), "libLexmund.so");
}

}  // namespace
}  // namespace sulkor::host
