#include "operation/messages.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/language_library.h"
#include "host/memory/recording_message_box.h"
#include "sulkor/error.h"

namespace sulkor {
namespace {

// Records every box it is asked to show.

// A language library that fails in the two ways a library outside the component can.
class FailingStrings : public LanguageStrings {
 public:
  explicit FailingStrings(bool hostError) : hostError_(hostError) {}
  std::optional<std::string> Load(std::string_view, int32_t, int32_t) override {
    if (hostError_) throw HostError("library failed");
    throw std::runtime_error("library crashed");
  }

 private:
  bool hostError_;
};

const std::string kFeed = "Feed value must be more than zero.";
const std::string kCheck = "Please, check parameters.";
const std::string kCannot = "Sulkor function cannot be performed.";

TEST(Messages, BuiltInTableWordForWord) {
  const char* const expected[] = {
      "Current Tool - ",
      " can't perform Groove function",
      "Sulkor",
      "Feed value must be more than zero.",
      "Please, check parameters.",
      "Sulkor function cannot be performed.",
      "Speed value must be more than zero.",
      "Finish Amount value must be more or equal to zero.",
      "Start Point  must be located outside Part contour.",
      "Current Tool has too large Corner Radius",
      "Groove-Turn operation can not be performed for selected work area",
      "Groove-Face operation can not be performed for selected work area",
      "Blank Contour has SelfIntersections",
      "Blank Contour is NonClosed",
      "WorkContour",
      "Work Contour is Closed",
      "Work Contour has selfintersections",
      "Work contour doesn't intersect current Blank contour",
      "Work contour intersects current Blank contour at more than two points",
      "Current Tool was used for ",
      " operation and can't be used for ",
      " operation",
      "Groove ",
      " operation can't be performed",
      "Groove-Turn Internal operation can not be performed for selected work area",
      "Check initial geometry and operation's parameters",
  };
  for (int32_t id = 101; id <= 126; ++id) {
    EXPECT_EQ(BuiltInMessageText(id), expected[id - 101]) << id;
    EXPECT_EQ(MessageText(nullptr, id), expected[id - 101]) << id;
  }
  for (int32_t id : {-1, 0, 100, 127, 1000}) EXPECT_EQ(MessageText(nullptr, id), "") << id;
}

TEST(Messages, CompositionsKeepEveryBlank) {
  HostEnvironment host;  // no language library: the built-in table answers
  struct Case {
    Message actual;
    Message expected;
  };
  const Case cases[] = {
      {ToolNotGrooveMessage(&host, "Turn"),
       {"Current Tool - \"Turn\" can't perform Groove function", "Sulkor"}},
      {ToolNotGrooveMessage(&host, ""),
       {"Current Tool - \"\" can't perform Groove function", "Sulkor"}},
      {CornerRadiusMessage(&host), {"Current Tool has too large Corner Radius", "Sulkor"}},
      {ParameterMessage(&host, kMsgFeedNotPositive), {kFeed + "\r\n\r\n" + kCheck, kCannot}},
      {ParameterMessage(&host, kMsgSpeedNotPositive),
       {"Speed value must be more than zero.\r\n\r\n" + kCheck, kCannot}},
      {ParameterMessage(&host, kMsgFinishNegative),
       {"Finish Amount value must be more or equal to zero.\r\n\r\n" + kCheck, kCannot}},
      {ParameterMessage(&host, kMsgStartPointInside),
       {"Start Point  must be located outside Part contour.\r\n\r\n" + kCheck, kCannot}},
      {OperationMessage(&host, kMsgTurnInternalNoWorkArea),
       {"Groove-Turn Internal operation can not be performed for selected work area", kCannot}},
      {ToolOrientationMessage(&host, "Face", "TurnExternal"),
       {"Current Tool was used for Face operation and can't be used for TurnExternal operation",
        kCannot}},
      {DirectionMessage(&host, "Internal"),
       {"Groove Internal operation can't be performed", kCannot}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.actual.prompt, c.expected.prompt);
    EXPECT_EQ(c.actual.title, c.expected.title);
  }
}

TEST(Messages, LanguageLibraryWinsWhereItAnswers) {
  HostEnvironment host;
  host.languageStrings = std::make_shared<host::LanguageLibrary>(SULKOR_TEST_LANG_LIB);
  const std::string germanFeed = "Der Vorschub muss gr\xC3\xB6\xC3\x9F" "er als null sein.";
  const std::string germanCheck = "Bitte Parameter pr\xC3\xBC" "fen.";

  EXPECT_EQ(MessageText(&host, 104), germanFeed);
  EXPECT_EQ(MessageText(&host, 200), "Nur in der Bibliothek");  // beyond the built-in table
  EXPECT_EQ(MessageText(&host, 106), kCannot);                  // the library has none: table
  EXPECT_EQ(MessageText(&host, 999), "");                       // neither source knows it

  // Each piece of a composition is looked up on its own.
  const Message feed = ParameterMessage(&host, kMsgFeedNotPositive);
  EXPECT_EQ(feed.prompt, germanFeed + "\r\n\r\n" + germanCheck);
  EXPECT_EQ(feed.title, kCannot);
  const Message tool = ToolNotGrooveMessage(&host, "Turn");
  EXPECT_EQ(tool.prompt, "Current Tool - \"Turn\" can't perform Groove function");
  EXPECT_EQ(tool.title, "Sulkor (DE)");
}

TEST(Messages, BrokenOrAbsentLibraryFallsBackToTheTable) {
  std::vector<std::shared_ptr<LanguageStrings>> libraries = {
      std::make_shared<host::LanguageLibrary>("/nonexistent/libLexmund.so"),
      std::make_shared<host::LanguageLibrary>("libm.so.6"),  // no entry point
      std::make_shared<FailingStrings>(true),
      std::make_shared<FailingStrings>(false),
  };
  for (const auto& library : libraries) {
    HostEnvironment host;
    host.languageStrings = library;
    EXPECT_EQ(MessageText(&host, 104), kFeed);
    EXPECT_EQ(MessageText(&host, 127), "");
    EXPECT_EQ(ParameterMessage(&host, kMsgFeedNotPositive).prompt, kFeed + "\r\n\r\n" + kCheck);
  }
}

TEST(Messages, ShownOnceInTheHostsBox) {
  HostEnvironment host;
  ShowMessage(&host, {"p", "t"});  // no box: nothing happens
  ShowMessage(nullptr, {"p", "t"});

  auto box = std::make_shared<host::RecordingMessageBox>();
  host.messageBox = box;
  ShowMessage(&host, CornerRadiusMessage(&host));
  ASSERT_EQ(box->Messages().size(), 1u);
  EXPECT_EQ(box->Messages()[0].prompt, "Current Tool has too large Corner Radius");
  EXPECT_EQ(box->Messages()[0].title, "Sulkor");
}

}  // namespace
}  // namespace sulkor
