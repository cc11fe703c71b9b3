// Debug-text quoting: the escapes, and the Unicode classes behind \u{...}.
#include "core/debug_quote.hpp"

#include <gtest/gtest.h>

#include <string>

#include "core/unicode_printable.hpp"

namespace qzr {
namespace {

TEST(DebugQuote, Escapes) {
  struct Case {
    std::string text;
    std::string quoted;
  };
  // Expected texts from the quoting rule of debug texts.
  const Case cases[] = {
      {"", "\"\""},
      {"main", "\"main\""},
      {"tab\tcr\rlf\n", "\"tab\\tcr\\rlf\\n\""},
      {std::string("nul\0", 4), "\"nul\\0\""},
      {"back\\slash \"quote\" 'single'", "\"back\\\\slash \\\"quote\\\" 'single'\""},
      {"\x01\x1b\x7f\v\f", "\"\\u{1}\\u{1b}\\u{7f}\\u{b}\\u{c}\""},
      // Printable characters outside ASCII stand as they are.
      {"caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80",
       "\"caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80\""},
      // Not printable: C1 control, no-break space, soft hyphen, zero width space, line separator,
      // ideographic space, byte order mark, private use, unassigned, the last code point.
      {"\xc2\x85|\xc2\xa0|\xc2\xad|\xe2\x80\x8b|\xe2\x80\xa8|\xe3\x80\x80|\xef\xbb\xbf|\xee\x80\x80|\xcd\xb8|"
       "\xf4\x8f\xbf\xbf",
       "\"\\u{85}|\\u{a0}|\\u{ad}|\\u{200b}|\\u{2028}|\\u{3000}|\\u{feff}|\\u{e000}|\\u{378}|\\u{10ffff}\""},
      // Combining marks (Mn, Me) are escaped, spacing marks (Mc) are not.
      {"e\xcc\x81 \xe2\x83\x9d \xe0\xa4\xbe", "\"e\\u{301} \\u{20dd} \xe0\xa4\xbe\""},
      // Invalid UTF-8: one U+FFFD per invalid sequence, written as the character.
      {"a\xff"
       "b\xe2\x82",
       "\"a\xef\xbf\xbd"
       "b\xef\xbf\xbd\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.quoted);
    EXPECT_EQ(debug_quote(c.text), c.quoted);
  }
}

TEST(DebugQuote, UnicodeClasses) {
  struct Case {
    char32_t code_point;
    bool printable;
    bool combining_mark;
  };
  // printable: CPython's str.isprintable(); combining mark: unicodedata.category in Mn, Me.
  constexpr Case cases[] = {
      {0x20, true, false},     {0x7E, true, false},    {0x7F, false, false},     {0x85, false, false},
      {0xA0, false, false},    {0xAD, false, false},   {0xE9, true, false},      {0x301, true, true},
      {0x20DD, true, true},    {0x93E, true, false},   {0x1D165, true, false},   {0x200B, false, false},
      {0x2028, false, false},  {0x3000, false, false}, {0xE000, false, false},   {0x378, false, false},
      {0xFFFD, true, false},   {0x1F600, true, false}, {0x65E5, true, false},    {0xFEFF, false, false},
      {0xE0001, false, false}, {0xE0100, true, true},  {0x10FFFF, false, false}, {0x110000, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<std::uint32_t>(c.code_point));
    EXPECT_EQ(is_printable(c.code_point), c.printable);
    EXPECT_EQ(is_combining_mark(c.code_point), c.combining_mark);
  }
}

}  // namespace
}  // namespace qzr
