// What the `sulkor` command returns to the shell, and the error that ends a command because its
// input or its usage is wrong.
#pragma once

#include "sulkor/error.h"

namespace sulkor::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitMessage = 1;  // the operation showed a message box: it did not run
inline constexpr int kExitUsage = 2;    // bad usage, or an input that cannot be read

// Bad usage or unreadable input; the text names the file or the option and the problem.
class UsageError : public Error {
 public:
  using Error::Error;
};

}  // namespace sulkor::cli
