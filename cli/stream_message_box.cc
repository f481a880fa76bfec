#include "cli/stream_message_box.h"

namespace sulkor::cli {

void StreamMessageBox::Show(std::string_view prompt, std::string_view title) {
  stream_ << title << ": " << prompt << '\n';
  stream_.flush();
  ++count_;
}

}  // namespace sulkor::cli
