// The index price hash.
#include "requests/sequencer_records.hpp"

#include <algorithm>

#include "abi/u256.hpp"
#include "abi/words.hpp"
#include "values/keccak.hpp"

namespace qzr {

std::array<std::uint8_t, 160> index_price_hash_preimage(const IndexPrice& price) {
  const abi::Word words[] = {
      product_symbol_to_bytes32(price.symbol).bytes,
      abi::signed_decimal_word_of(price.price.value).to_word(),
      abi::signed_decimal_word_of(price.prev_price.value).to_word(),
      abi::U256::from_u64(enum_number(price.metadata)).be_bytes(),
      abi::U256::from_u64(price.timestamp).be_bytes(),
  };
  std::array<std::uint8_t, 160> preimage{};
  for (std::size_t i = 0; i < std::size(words); ++i) std::ranges::copy(words[i], preimage.begin() + 32 * i);
  return preimage;
}

Bytes25 index_price_hash(const IndexPrice& price) {
  const Keccak256Digest digest = keccak256(index_price_hash_preimage(price));
  return Bytes25::prefix_of(std::span<const std::uint8_t, 32>(digest));
}

}  // namespace qzr
