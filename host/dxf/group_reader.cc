#include "host/dxf/group_reader.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "host/dxf/binary_groups.h"
#include "host/dxf/dxf_error.h"
#include "host/dxf/dxf_names.h"
#include "host/text/printable_text.h"

namespace sulkor::host {
namespace {

// A value of the file as a message quotes it: at most 60 bytes, printable.
std::string Shown(std::string_view value) { return PrintableText(value, 60); }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

bool ParseInt(std::string_view s, int& out) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return !s.empty() && ec == std::errc() && end == s.data() + s.size();
}

}  // namespace

void ThrowDxfError(std::string_view file, int line, std::string_view problem) {
  std::string message(file);
  message += ": ";
  if (line > 0) message += "line " + std::to_string(line) + ": ";
  // The problem may quote the file's bytes: binary bytes are escaped (Shown cuts long values).
  message += PrintableText(problem, 1000);
  throw DxfError(message);
}

GroupReader::GroupReader(std::string_view text, std::string_view file) : file_(file) {
  if (text.starts_with(kBinaryDxfSentinel)) {
    pairs_ = ReadBinaryPairs(text, file);
    return;
  }
  if (const std::string_view kind = BinaryKind(text); !kind.empty()) {
    ThrowDxfError(file_, 0, "is " + std::string(kind) + ", not a DXF drawing");
  }
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a UTF-8 byte order mark
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  lastLine_ = static_cast<int>(lines.size());
  for (std::size_t i = 0; i < lines.size(); i += 2) {
    const int line = static_cast<int>(i) + 1;
    const std::string_view codeText = Trim(lines[i]);
    if (codeText.empty() && i + 1 == lines.size()) break;  // blank last line
    int code = 0;
    if (!ParseInt(codeText, code)) {
      ThrowDxfError(file_, line, "group code '" + Shown(codeText) + "' is not a number");
    }
    if (i + 1 >= lines.size()) {
      ThrowDxfError(file_, line, "the file ends after group code " + std::to_string(code));
    }
    if (code == 999) continue;  // a comment, as many CAD programs write in the first line
    pairs_.push_back({code, std::string(Trim(lines[i + 1])), line});
  }
}

const GroupPair& GroupReader::Peek() const {
  if (AtEnd()) ThrowDxfError(file_, lastLine_, "unexpected end of file");
  return pairs_[next_];
}

const GroupPair& GroupReader::Take() {
  const GroupPair& pair = Peek();
  ++next_;
  return pair;
}

int GroupReader::Line() const {
  if (next_ == 0 || pairs_.empty()) return lastLine_;
  return pairs_[next_ - 1].line;
}

double GroupReader::Number(const GroupPair& pair) const {
  std::string_view s = pair.value;
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double value = 0.0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (s.empty() || end != s.data() + s.size() || (ec != std::errc() && ec != std::errc::result_out_of_range)) {
    Fail(pair, "value '" + Shown(pair.value) + "' of group code " + std::to_string(pair.code) +
                   " is not a number");
  }
  if (ec == std::errc::result_out_of_range || !std::isfinite(value) ||
      std::fabs(value) > kDxfMaxCoordinate) {
    Fail(pair, "value '" + Shown(pair.value) + "' of group code " + std::to_string(pair.code) +
                   " is not a finite number of reasonable size");
  }
  return value;
}

int GroupReader::Integer(const GroupPair& pair) const {
  int value = 0;
  if (!ParseInt(pair.value, value)) {
    Fail(pair, "value '" + Shown(pair.value) + "' of group code " + std::to_string(pair.code) +
                   " is not an integer");
  }
  return value;
}

void GroupReader::Fail(const GroupPair& pair, std::string_view problem) const {
  ThrowDxfError(file_, pair.line, problem);
}

}  // namespace sulkor::host
