#include "cli/stream_message_box.h"

namespace sulkor::cli {

void StreamMessageBox::Show(std::string_view prompt, std::string_view title) {
  stream_ << title << ": " << prompt << '\n';
  stream_.flush();
  ++count_;
}

void PrintFailureDetail(std::ostream& stream, const Groove& groove) {
  const std::string detail = groove.LastFailureDetail();
  if (!detail.empty()) stream << detail << '\n';
}

}  // namespace sulkor::cli
