// Debug-text quoting of strings.
#include "core/debug_quote.hpp"

#include "core/unicode_printable.hpp"
#include "core/utf8.hpp"

namespace qzr {
namespace {

void append_unicode_escape(std::string& out, char32_t code_point) {
  static constexpr char digits[] = "0123456789abcdef";
  out += "\\u{";
  int shift = 20;
  while (shift > 0 && (code_point >> shift) == 0) shift -= 4;
  for (; shift >= 0; shift -= 4) out += digits[(code_point >> shift) & 0xF];
  out += '}';
}

}  // namespace

std::string debug_quote(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  std::size_t position = 0;
  while (position < text.size()) {
    const char c = text[position];
    switch (c) {
      case '\t':
        out += "\\t";
        ++position;
        continue;
      case '\r':
        out += "\\r";
        ++position;
        continue;
      case '\n':
        out += "\\n";
        ++position;
        continue;
      case '\0':
        out += "\\0";
        ++position;
        continue;
      case '\\':
        out += "\\\\";
        ++position;
        continue;
      case '"':
        out += "\\\"";
        ++position;
        continue;
      default: break;
    }
    if (c >= 0x20 && c < 0x7F) {
      out += c;
      ++position;
      continue;
    }
    const Utf8Sequence sequence = decode_utf8_sequence_unchecked(text.substr(position));
    if (!is_printable(sequence.code_point) || is_combining_mark(sequence.code_point)) {
      append_unicode_escape(out, sequence.code_point);
    } else if (sequence.status == Utf8Sequence::Status::valid) {
      out.append(text.substr(position, sequence.length));
    } else {
      append_utf8(out, sequence.code_point);
    }
    position += sequence.length;
  }
  out += '"';
  return out;
}

}  // namespace qzr
