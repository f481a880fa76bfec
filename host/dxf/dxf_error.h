// The one failure of reading or writing a DXF file: a message that names the file and the
// problem, e.g. "part.dxf: line 120: group code 'x1' is not a number".
#pragma once

#include <string>
#include <string_view>

#include "sulkor/error.h"

namespace sulkor::host {

class DxfError : public Error {
 public:
  using Error::Error;
};

// "file: line N: problem" (line 0 leaves the line out).
[[noreturn]] void ThrowDxfError(std::string_view file, int line, std::string_view problem);

}  // namespace sulkor::host
