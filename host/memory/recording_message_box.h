// A message box that shows nothing and records every (prompt, title) it was asked to show: the
// message sink of tests, and of hosts that collect messages to show them later.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sulkor/environment.h"

namespace sulkor::host {

class RecordingMessageBox : public MessageBox {
 public:
  struct Shown {
    std::string prompt;
    std::string title;
    friend bool operator==(const Shown&, const Shown&) = default;
  };

  void Show(std::string_view prompt, std::string_view title) override {
    shown_.push_back({std::string(prompt), std::string(title)});
  }

  const std::vector<Shown>& Messages() const { return shown_; }
  void Clear() { shown_.clear(); }

 private:
  std::vector<Shown> shown_;
};

}  // namespace sulkor::host
