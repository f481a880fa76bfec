// Text of unknown origin (a damaged file's bytes, a line of an input file) made fit for a
// message on a terminal.
#pragma once

#include <string>
#include <string_view>

namespace sulkor::host {

// text with every control character and every byte that is not part of a valid UTF-8 sequence
// written as \xNN; valid UTF-8 and backslashes stay as they are, so escaping twice changes
// nothing. Longer than `limit` bytes, it is cut there (at a character boundary) and ends in
// "..." followed by the full length.
std::string PrintableText(std::string_view text, size_t limit = 4096);

}  // namespace sulkor::host
