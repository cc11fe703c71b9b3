// H256 construction from slices and its text forms.
#include "values/h256.hpp"

#include <algorithm>

#include "values/debug_shapes.hpp"
#include "values/hex.hpp"

namespace qzr {

std::optional<H256> H256::from_slice(std::span<const std::uint8_t> bytes) noexcept {
  if (bytes.size() != size) return std::nullopt;
  Bytes value;
  std::copy(bytes.begin(), bytes.end(), value.begin());
  return H256(value);
}

std::string to_hex(const H256& value) { return to_hex_text(value.bytes()); }

std::string debug_text(const H256& value) { return debug_tuple("H256", debug_byte_list(value.bytes())); }

}  // namespace qzr
