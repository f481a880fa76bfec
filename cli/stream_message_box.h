// The message box of a command-line program: each message is printed as "TITLE: PROMPT" (line
// breaks of the prompt kept) on a stream, standard error in the `sulkor` command, and counted,
// so that the command can end with the status of a run that showed a message.
#pragma once

#include <ostream>
#include <string_view>

#include "sulkor/environment.h"

namespace sulkor::cli {

class StreamMessageBox : public MessageBox {
 public:
  explicit StreamMessageBox(std::ostream& stream) : stream_(stream) {}

  void Show(std::string_view prompt, std::string_view title) override;

  int Count() const { return count_; }

 private:
  std::ostream& stream_;
  int count_ = 0;
};

}  // namespace sulkor::cli
