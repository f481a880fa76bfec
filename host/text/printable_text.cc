#include "host/text/printable_text.h"

#include <fmt/format.h>

namespace sulkor::host {
namespace {

// The length of the valid UTF-8 sequence starting at text[i], 0 when there is none.
size_t Utf8Length(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (size_t k = 2; k < length; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::string PrintableText(std::string_view text, size_t limit) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (i >= limit) {
      out += fmt::format("... ({} bytes)", text.size());
      break;
    }
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
      ++i;
    } else if (const size_t n = c >= 0x80 ? Utf8Length(text, i) : 0; n > 0) {
      out.append(text.substr(i, n));
      i += n;
    } else {
      out += fmt::format("\\x{:02X}", c);
      ++i;
    }
  }
  return out;
}

}  // namespace sulkor::host
