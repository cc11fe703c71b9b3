// U256's decimal digits, by schoolbook division over the big-endian bytes.
#include "abi/u256.hpp"

#include <algorithm>

namespace qzr::abi {

std::string U256::to_decimal() const {
  // Schoolbook division by 10 over the big-endian bytes; at most 78 digits.
  Word quotient = m_bytes;
  std::string digits;
  bool nonzero = !is_zero();
  while (nonzero) {
    unsigned remainder = 0;
    nonzero = false;
    for (std::uint8_t& byte : quotient) {
      unsigned current = (remainder << 8) | byte;
      byte = static_cast<std::uint8_t>(current / 10);
      remainder = current % 10;
      nonzero = nonzero || byte != 0;
    }
    digits.push_back(static_cast<char>('0' + remainder));
  }
  if (digits.empty()) return "0";
  std::reverse(digits.begin(), digits.end());
  return digits;
}

}  // namespace qzr::abi
