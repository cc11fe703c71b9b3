// UTF-8 validation and lossy decoding.
#include "core/utf8.hpp"

namespace qzr {
namespace {

constexpr bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The allowed range of the byte after a lead byte; the later continuation bytes are 80..BF.
// These ranges exclude overlong forms, surrogates and values above U+10FFFF.
struct LeadRule {
  std::size_t length;  // 0 for a byte that cannot start a sequence
  unsigned char second_min;
  unsigned char second_max;
};

constexpr LeadRule lead_rule(unsigned char lead) {
  if (lead < 0x80) return {1, 0, 0};
  if (lead >= 0xC2 && lead <= 0xDF) return {2, 0x80, 0xBF};
  if (lead == 0xE0) return {3, 0xA0, 0xBF};
  if (lead == 0xED) return {3, 0x80, 0x9F};
  if (lead >= 0xE1 && lead <= 0xEF) return {3, 0x80, 0xBF};
  if (lead == 0xF0) return {4, 0x90, 0xBF};
  if (lead >= 0xF1 && lead <= 0xF3) return {4, 0x80, 0xBF};
  if (lead == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

}  // namespace

Utf8Sequence decode_utf8_sequence_unchecked(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  const LeadRule rule = lead_rule(lead);
  using enum Utf8Sequence::Status;
  if (rule.length == 1) return {lead, 1, valid};
  if (rule.length == 0) return {replacement_character, 1, invalid};

  char32_t code_point = lead & (0x7F >> rule.length);
  for (std::size_t i = 1; i < rule.length; ++i) {
    if (i == bytes.size()) return {replacement_character, i, truncated};
    const auto byte = static_cast<unsigned char>(bytes[i]);
    const bool allowed = i == 1 ? byte >= rule.second_min && byte <= rule.second_max : is_continuation(byte);
    if (!allowed) return {replacement_character, i, invalid};
    code_point = (code_point << 6) | (byte & 0x3F);
  }
  return {code_point, rule.length, valid};
}

std::optional<Utf8Error> find_utf8_error(std::string_view bytes) {
  std::size_t position = 0;
  while (position < bytes.size()) {
    const Utf8Sequence sequence = decode_utf8_sequence_unchecked(bytes.substr(position));
    switch (sequence.status) {
      case Utf8Sequence::Status::valid: position += sequence.length; break;
      case Utf8Sequence::Status::invalid:
        return Utf8Error{position, static_cast<std::uint8_t>(sequence.length)};
      case Utf8Sequence::Status::truncated: return Utf8Error{position, std::nullopt};
    }
  }
  return std::nullopt;
}

std::string utf8_lossy(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t position = 0;
  while (position < bytes.size()) {
    const Utf8Sequence sequence = decode_utf8_sequence_unchecked(bytes.substr(position));
    if (sequence.status == Utf8Sequence::Status::valid) {
      out.append(bytes.substr(position, sequence.length));
    } else {
      append_utf8(out, replacement_character);
    }
    position += sequence.length;
  }
  return out;
}

void append_utf8(std::string& out, char32_t code_point) {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code_point >> 18));
    out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

}  // namespace qzr
