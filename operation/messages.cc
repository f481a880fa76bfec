#include "operation/messages.h"

#include <array>
#include <exception>
#include <utility>

#include "sulkor/error.h"

namespace sulkor {
namespace {

// The built-in table, language 1033 (English). The texts are exact, edge blanks included.
constexpr std::array<std::string_view, kLastMessageId - kFirstMessageId + 1> kBuiltInTexts = {
    "Current Tool - ",                                                              // 101
    " can't perform Groove function",                                               // 102
    "Sulkor",                                                                       // 103
    "Feed value must be more than zero.",                                           // 104
    "Please, check parameters.",                                                    // 105
    "Sulkor function cannot be performed.",                                         // 106
    "Speed value must be more than zero.",                                          // 107
    "Finish Amount value must be more or equal to zero.",                           // 108
    "Start Point  must be located outside Part contour.",                           // 109
    "Current Tool has too large Corner Radius",                                     // 110
    "Groove-Turn operation can not be performed for selected work area",            // 111
    "Groove-Face operation can not be performed for selected work area",            // 112
    "Blank Contour has SelfIntersections",                                          // 113
    "Blank Contour is NonClosed",                                                   // 114
    "WorkContour",                                                                  // 115
    "Work Contour is Closed",                                                       // 116
    "Work Contour has selfintersections",                                           // 117
    "Work contour doesn't intersect current Blank contour",                         // 118
    "Work contour intersects current Blank contour at more than two points",        // 119
    "Current Tool was used for ",                                                   // 120
    " operation and can't be used for ",                                            // 121
    " operation",                                                                   // 122
    "Groove ",                                                                      // 123
    " operation can't be performed",                                                // 124
    "Groove-Turn Internal operation can not be performed for selected work area",   // 125
    "Check initial geometry and operation's parameters",                            // 126
};

constexpr std::string_view kQuote = "\"";

}  // namespace

std::string_view BuiltInMessageText(int32_t id) {
  if (id < kFirstMessageId || id > kLastMessageId) return {};
  return kBuiltInTexts[static_cast<size_t>(id - kFirstMessageId)];
}

std::string MessageText(const HostEnvironment* host, int32_t id) {
  if (host != nullptr && host->languageStrings) {
    // A library that fails (it is outside the component) sends us to the table.
    std::optional<std::string> text;
    WithErrorsSuppressed([&] { text = host->languageStrings->Load(kMessageModule, id, 0); });
    if (text) return *std::move(text);
  }
  return std::string(BuiltInMessageText(id));
}

Message ToolNotGrooveMessage(const HostEnvironment* host, std::string_view toolSubType) {
  std::string prompt = MessageText(host, kMsgCurrentToolPrefix);
  prompt.append(kQuote).append(toolSubType).append(kQuote);
  prompt += MessageText(host, kMsgCantPerformGroove);
  return {std::move(prompt), MessageText(host, kMsgTitleSulkor)};
}

Message CornerRadiusMessage(const HostEnvironment* host) {
  return {MessageText(host, kMsgCornerRadiusTooLarge), MessageText(host, kMsgTitleSulkor)};
}

Message ParameterMessage(const HostEnvironment* host, int32_t id) {
  std::string prompt = MessageText(host, id);
  prompt.append(kCrLf).append(kCrLf);
  prompt += MessageText(host, kMsgCheckParameters);
  return {std::move(prompt), MessageText(host, kMsgTitleCannotPerform)};
}

Message OperationMessage(const HostEnvironment* host, int32_t id) {
  return {MessageText(host, id), MessageText(host, kMsgTitleCannotPerform)};
}

Message ToolOrientationMessage(const HostEnvironment* host, std::string_view toolOrientation,
                               std::string_view kindOfWork) {
  std::string prompt = MessageText(host, kMsgToolUsedForPrefix);
  prompt += toolOrientation;
  prompt += MessageText(host, kMsgToolUsedForMiddle);
  prompt += kindOfWork;
  prompt += MessageText(host, kMsgToolUsedForSuffix);
  return {std::move(prompt), MessageText(host, kMsgTitleCannotPerform)};
}

Message DirectionMessage(const HostEnvironment* host, std::string_view direction) {
  std::string prompt = MessageText(host, kMsgGroovePrefix);
  prompt += direction;
  prompt += MessageText(host, kMsgGrooveCantBePerformed);
  return {std::move(prompt), MessageText(host, kMsgTitleCannotPerform)};
}

void ShowMessage(const HostEnvironment* host, const Message& message) {
  if (host == nullptr || !host->messageBox) return;
  WithErrorsSuppressed([&] { host->messageBox->Show(message.prompt, message.title); });
}

}  // namespace sulkor
