// Map tuples: two arrays side by side.
#include "state/map_tuple_token.hpp"

#include <algorithm>

namespace qzr {

void write_u64_word(std::uint8_t* word, std::uint64_t value) noexcept {
  std::fill_n(word, 24, 0);
  for (std::size_t i = 0; i < 8; ++i) word[31 - i] = static_cast<std::uint8_t>(value >> (8 * i));
}

Result<MapTuplePairs> map_tuple_from_token(const abi::Token& token) {
  const std::vector<abi::Token>* elements = token.if_tuple();
  if (elements == nullptr) return fail(CommonError::other("Not a tuple"));
  if (elements->size() != 2) return fail(CommonError::other("Map in tuple of two"));
  const std::vector<abi::Token>* values = (*elements)[1].if_array();
  const std::vector<abi::Token>* keys = (*elements)[0].if_array();
  if (values == nullptr || keys == nullptr) return fail(CommonError::other("Token array"));
  const std::size_t count = std::min(keys->size(), values->size());
  return MapTuplePairs{std::span(*keys).first(count), std::span(*values).first(count)};
}

}  // namespace qzr
