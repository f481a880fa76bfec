// The message table of the operation and the way its messages reach the user.
//
// Every problem the operation reports is one modal, OK-only message box whose prompt and title
// are built from the numbered texts 101 to 126. A text is looked up through the host's
// language-string library (module "Sulkor.dll", the id, 0), so that a localized build can
// replace it; when the library cannot answer, the built-in English table below is used, and an
// id that neither source knows gives the empty text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sulkor/environment.h"

namespace sulkor {

// The ids of the table.
inline constexpr int32_t kMsgCurrentToolPrefix = 101;
inline constexpr int32_t kMsgCantPerformGroove = 102;
inline constexpr int32_t kMsgTitleSulkor = 103;
inline constexpr int32_t kMsgFeedNotPositive = 104;
inline constexpr int32_t kMsgCheckParameters = 105;
inline constexpr int32_t kMsgTitleCannotPerform = 106;
inline constexpr int32_t kMsgSpeedNotPositive = 107;
inline constexpr int32_t kMsgFinishNegative = 108;
inline constexpr int32_t kMsgStartPointInside = 109;
inline constexpr int32_t kMsgCornerRadiusTooLarge = 110;
inline constexpr int32_t kMsgTurnNoWorkArea = 111;
inline constexpr int32_t kMsgFaceNoWorkArea = 112;
inline constexpr int32_t kMsgBlankSelfIntersects = 113;
inline constexpr int32_t kMsgBlankNotClosed = 114;
inline constexpr int32_t kMsgWorkContourName = 115;
inline constexpr int32_t kMsgWorkClosed = 116;
inline constexpr int32_t kMsgWorkSelfIntersects = 117;
inline constexpr int32_t kMsgWorkMissesBlank = 118;
inline constexpr int32_t kMsgWorkCrossesBlankTooOften = 119;
inline constexpr int32_t kMsgToolUsedForPrefix = 120;
inline constexpr int32_t kMsgToolUsedForMiddle = 121;
inline constexpr int32_t kMsgToolUsedForSuffix = 122;
inline constexpr int32_t kMsgGroovePrefix = 123;
inline constexpr int32_t kMsgGrooveCantBePerformed = 124;
inline constexpr int32_t kMsgTurnInternalNoWorkArea = 125;
inline constexpr int32_t kMsgCheckGeometry = 126;

inline constexpr int32_t kFirstMessageId = 101;
inline constexpr int32_t kLastMessageId = 126;

// The module name under which the language-string library keeps this component's texts.
inline constexpr std::string_view kMessageModule = "Sulkor.dll";

// The two-character line break that joins a message to its advice.
inline constexpr std::string_view kCrLf = "\r\n";

// The built-in English text of an id; the empty text for an id outside the table.
std::string_view BuiltInMessageText(int32_t id);

// The text of an id: the language-string library's answer, else the built-in text. host may be
// null (then only the built-in table answers).
std::string MessageText(const HostEnvironment* host, int32_t id);

// A prompt and a title, ready for the message box.
struct Message {
  std::string prompt;
  std::string title;
  friend bool operator==(const Message&, const Message&) = default;
};

// 101 + '"' + subtype + '"' + 102, title 103: the current tool is not a grooving tool.
Message ToolNotGrooveMessage(const HostEnvironment* host, std::string_view toolSubType);
// 110, title 103: the corner radius is larger than half the tool's width.
Message CornerRadiusMessage(const HostEnvironment* host);
// id + CRLF + CRLF + 105, title 106: a parameter out of range (ids 104, 107, 108, 109).
Message ParameterMessage(const HostEnvironment* host, int32_t id);
// One text with title 106 (ids 111 to 119, 125, 126).
Message OperationMessage(const HostEnvironment* host, int32_t id);
// 120 + orientation + 121 + kind of work + 122, title 106: the tool's orientation does not fit.
Message ToolOrientationMessage(const HostEnvironment* host, std::string_view toolOrientation,
                               std::string_view kindOfWork);
// 123 + direction + 124, title 106: no groove can be formed for the direction.
Message DirectionMessage(const HostEnvironment* host, std::string_view direction);

// Shows the message in the host's modal message box. Without a host or a message box nothing is
// shown; a failing box is ignored (the caller goes on to its failure path either way).
void ShowMessage(const HostEnvironment* host, const Message& message);

}  // namespace sulkor
