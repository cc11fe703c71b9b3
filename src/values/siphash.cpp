// SipHash-1-3 with zero keys of one message.
#include "values/siphash.hpp"

namespace qzr {

std::uint64_t siphash13(std::span<const std::uint8_t> message) noexcept {
  SipHasher13 hasher;
  hasher.write(message);
  return hasher.finish();
}

}  // namespace qzr
