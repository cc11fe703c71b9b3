// UTF-8 validation and lossy decoding, against CPython's UTF-8 decoder (UnicodeDecodeError
// start/end and errors="replace"), which follows the same maximal-subpart rule.
#include "core/utf8.hpp"

#include <gtest/gtest.h>

#include <string>

namespace qzr {
namespace {

TEST(Utf8, ValidationAndLossyDecoding) {
  struct Case {
    std::string bytes;
    std::optional<Utf8Error> error;
    std::string lossy;
  };
  const std::string fffd = "\xef\xbf\xbd";
  // error_len is CPython's end - start for an invalid sequence, nullopt for "unexpected end of
  // data"; lossy is CPython's decode(errors="replace") re-encoded.
  const Case cases[] = {
      {"", std::nullopt, ""},
      {"plain ASCII", std::nullopt, "plain ASCII"},
      {"\xc3\xa9\xe6\x97\xa5\xf0\x9f\x98\x80", std::nullopt, "\xc3\xa9\xe6\x97\xa5\xf0\x9f\x98\x80"},
      {"\xf4\x8f\xbf\xbf", std::nullopt, "\xf4\x8f\xbf\xbf"},  // U+10FFFF
      {"\xff", Utf8Error{0, 1}, fffd},
      {"a\xe2\x82", Utf8Error{1, std::nullopt}, "a" + fffd},
      {"ab\xc3", Utf8Error{2, std::nullopt}, "ab" + fffd},
      {"\xf0\x9f\x98", Utf8Error{0, std::nullopt}, fffd},
      {"\xf0\x9f\x98"
       "A",
       Utf8Error{0, 3}, fffd + "A"},
      {"\xed\xa0\x80", Utf8Error{0, 1}, fffd + fffd + fffd},             // an encoded surrogate
      {"\xe0\x80\x80", Utf8Error{0, 1}, fffd + fffd + fffd},             // overlong
      {"\xf4\x90\x80\x80", Utf8Error{0, 1}, fffd + fffd + fffd + fffd},  // above U+10FFFF
      {"\xc0\xaf", Utf8Error{0, 1}, fffd + fffd},
      {"x\xe2(\xa1", Utf8Error{1, 1}, "x" + fffd + "(" + fffd},
      {"\xf0(\x8c\xbc", Utf8Error{0, 1}, fffd + "(" + fffd + fffd},
      {"ok\xe2\x82\xac\xe2\x82", Utf8Error{5, std::nullopt}, "ok\xe2\x82\xac" + fffd},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lossy);
    EXPECT_EQ(find_utf8_error(c.bytes), c.error);
    EXPECT_EQ(utf8_lossy(c.bytes), c.lossy);
  }
}

TEST(Utf8, AppendEncodesEveryLength) {
  struct Case {
    char32_t code_point;
    std::string encoded;
  };
  const Case cases[] = {
      {0x24, "\x24"},
      {0x7F, "\x7f"},
      {0x80, "\xc2\x80"},
      {0x7FF, "\xdf\xbf"},
      {0x800, "\xe0\xa0\x80"},
      {0xFFFD, "\xef\xbf\xbd"},
      {0x10000, "\xf0\x90\x80\x80"},
      {0x10FFFF, "\xf4\x8f\xbf\xbf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<std::uint32_t>(c.code_point));
    std::string out;
    append_utf8(out, c.code_point);
    EXPECT_EQ(out, c.encoded);
    const Utf8Sequence decoded = decode_utf8_sequence_unchecked(out);
    EXPECT_EQ(decoded.code_point, c.code_point);
    EXPECT_EQ(decoded.length, out.size());
    EXPECT_EQ(decoded.status, Utf8Sequence::Status::valid);
  }
}

}  // namespace
}  // namespace qzr
