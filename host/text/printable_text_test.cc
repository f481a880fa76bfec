#include "host/text/printable_text.h"

#include <gtest/gtest.h>

#include <string>

namespace sulkor::host {
namespace {

// Control bytes and broken UTF-8 escaped, valid UTF-8 kept, long text cut at a character
// boundary with its length.
TEST(PrintableText, EscapesWhatATerminalCannotShow) {
  const struct {
    std::string text;
    size_t limit;
    std::string shown;
  } cases[] = {
      {"plain, \\ and 'quotes'", 100, "plain, \\ and 'quotes'"},
      {std::string("nul\0tab\tnl\nbell\a del\x7f", 21), 100,
       "nul\\x00tab\\x09nl\\x0Abell\\x07 del\\x7F"},
      {"\xc3\xbc \xe2\x82\xac \xf0\x9f\x98\x80", 100, "\xc3\xbc \xe2\x82\xac \xf0\x9f\x98\x80"},
      {"\xff\xfe", 100, "\\xFF\\xFE"},
      {"cut \xe2\x82", 100, "cut \\xE2\\x82"},
      {"\xc0\x80", 100, "\\xC0\\x80"},                    // an overlong NUL
      {"\xed\xa0\x80", 100, "\\xED\\xA0\\x80"},           // a surrogate
      {"\xf4\x90\x80\x80", 100, "\\xF4\\x90\\x80\\x80"},  // beyond U+10FFFF
      {"abcdef", 3, "abc... (6 bytes)"},
      {"ab\xc3\xbc" "cd", 3, "ab\xc3\xbc... (6 bytes)"},
      {"abc", 3, "abc"},
  };
  for (const auto& c : cases) EXPECT_EQ(PrintableText(c.text, c.limit), c.shown) << c.shown;
}

}  // namespace
}  // namespace sulkor::host
