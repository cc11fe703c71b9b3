// Debug-text quoting of strings: a double-quoted form with escapes, as record and error debug
// texts print their text fields.
#pragma once

#include <string>
#include <string_view>

namespace qzr {

// `text` is UTF-8. The result is `"`, the escaped characters and `"`:
// - \t \r \n \0 for tab, carriage return, line feed and NUL; \\ and \" for backslash and quote;
// - \u{hex} (lower case, no leading zeros) for every other character that is not printable or
//   is a combining mark (see core/unicode_printable.hpp);
// - every other character as it is, a single quote and non-ASCII letters included.
// Each invalid UTF-8 sequence stands for one U+FFFD, which is printable and so is written as it
// is: the result equals quoting the text's lossy decoding.
std::string debug_quote(std::string_view text);

}  // namespace qzr
