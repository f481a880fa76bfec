// The message box of a command-line program: each message is printed as "TITLE: PROMPT" (line
// breaks of the prompt kept) on a stream, standard error in the `sulkor` command, and counted,
// so that the command can end with the status of a run that showed a message.
#pragma once

#include <ostream>
#include <string_view>

#include "sulkor/environment.h"
#include "sulkor/groove.h"

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

// The reason of the operation's last failure, when it has one, on a line of its own after the
// message: the line a user reads to know what to change.
void PrintFailureDetail(std::ostream& stream, const Groove& groove);

}  // namespace sulkor::cli
