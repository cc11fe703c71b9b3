// UTF-8 decoding with the error positions and replacement rules the system's texts report:
// strict validation (which names where the first invalid sequence starts and how long it is)
// and lossy decoding (each invalid sequence becomes one U+FFFD).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qzr {

// Where validation of a byte string stopped.
struct Utf8Error {
  // Length of the longest valid prefix.
  std::size_t valid_up_to;
  // Length (1 to 3) of the invalid sequence that starts at `valid_up_to`, or nullopt when the
  // input ends inside a sequence whose bytes were valid so far.
  std::optional<std::uint8_t> error_len;

  friend bool operator==(const Utf8Error&, const Utf8Error&) = default;
};

// One step of decoding at the start of a byte string.
struct Utf8Sequence {
  // The decoded code point, or U+FFFD for an invalid sequence.
  char32_t code_point;
  // Bytes consumed: the sequence's length, or for an invalid sequence the bytes one U+FFFD
  // replaces (the error length, or the rest of the input when it ends inside a sequence).
  std::size_t length;
  enum class Status { valid, invalid, truncated } status;
};

inline constexpr char32_t replacement_character = 0xFFFD;

// Decodes the sequence at the start of `bytes`. Precondition: `bytes` is not empty.
Utf8Sequence decode_utf8_sequence_unchecked(std::string_view bytes);

// nullopt when `bytes` is valid UTF-8, else the first error.
std::optional<Utf8Error> find_utf8_error(std::string_view bytes);

// `bytes` decoded with every invalid sequence replaced by U+FFFD.
std::string utf8_lossy(std::string_view bytes);

// Appends the UTF-8 encoding of `code_point` (at most U+10FFFF, not a surrogate) to `out`.
void append_utf8(std::string& out, char32_t code_point);

}  // namespace qzr
