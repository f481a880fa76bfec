#include "operation/messages.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/language_library.h"
#include "host/memory/recording_message_box.h"
#include "sulkor/error.h"

namespace sulkor {
namespace {

// A language library that fails, reported as the host reports its failures.
class FailingStrings : public LanguageStrings {
 public:
  std::optional<std::string> Load(std::string_view, int32_t, int32_t) override {
    throw HostError("library failed");
  }
};

const std::string kFeed = "Feed value must be more than zero.";
const std::string kCheck = "\r\n\r\nPlease, check parameters.";
const std::string kCannot = "Sulkor function cannot be performed.";

// The compositions that no scenario shows, word for word; ids outside the table have no text.
TEST(Messages, CompositionsAndTheTablesEnds) {
  HostEnvironment host;  // no language library: the built-in table answers
  struct Case {
    Message actual, expected;
  };
  for (const Case& c : std::vector<Case>{
           {DirectionMessage(&host, "Internal"),
            {"Groove Internal operation can't be performed", kCannot}},
           {OperationMessage(&host, kMsgFaceNoWorkArea),
            {"Groove-Face operation can not be performed for selected work area", kCannot}},
           {OperationMessage(&host, kMsgCheckGeometry),
            {"Check initial geometry and operation's parameters", kCannot}},
           {ToolNotGrooveMessage(&host, ""),
            {"Current Tool - \"\" can't perform Groove function", "Sulkor"}}}) {
    EXPECT_EQ(c.actual.prompt, c.expected.prompt);
    EXPECT_EQ(c.actual.title, c.expected.title);
  }
  EXPECT_EQ(MessageText(nullptr, 101), "Current Tool - ");
  EXPECT_EQ(MessageText(nullptr, 126), "Check initial geometry and operation's parameters");
  for (int32_t id : {-1, 0, 100, 127}) EXPECT_EQ(MessageText(nullptr, id), "") << id;
}

TEST(Messages, LanguageLibraryWinsWhereItAnswersAndFallsBackOtherwise) {
  HostEnvironment host;
  host.languageStrings = std::make_shared<host::LanguageLibrary>(SULKOR_TEST_LANG_LIB);
  const std::string germanFeed = "Der Vorschub muss gr\xC3\xB6\xC3\x9F" "er als null sein.";
  EXPECT_EQ(MessageText(&host, 104), germanFeed);
  EXPECT_EQ(MessageText(&host, 200), "Nur in der Bibliothek");  // beyond the built-in table
  EXPECT_EQ(MessageText(&host, 106), kCannot);                  // the library has none: table
  EXPECT_EQ(MessageText(&host, 999), "");
  // Each piece of a composition is looked up on its own.
  EXPECT_EQ(ParameterMessage(&host, kMsgFeedNotPositive).prompt,
            germanFeed + "\r\n\r\nBitte Parameter pr\xC3\xBC" "fen.");
  EXPECT_EQ(ToolNotGrooveMessage(&host, "Turn").title, "Sulkor (DE)");

  for (const auto& library : std::vector<std::shared_ptr<LanguageStrings>>{
           std::make_shared<host::LanguageLibrary>("/nonexistent/libLexmund.so"),
           std::make_shared<host::LanguageLibrary>("libm.so.6"),  // no entry point
           std::make_shared<FailingStrings>()}) {
    HostEnvironment broken;
    broken.languageStrings = library;
    EXPECT_EQ(MessageText(&broken, 127), "");
    EXPECT_EQ(ParameterMessage(&broken, kMsgFeedNotPositive).prompt, kFeed + kCheck);
  }
  // Without a box nothing is shown, and nothing fails.
  ShowMessage(&host, {"p", "t"});
  ShowMessage(nullptr, {"p", "t"});
}

}  // namespace
}  // namespace sulkor
