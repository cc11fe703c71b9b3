// Tree keys decoded by item kind.
#include "state/item_key.hpp"

#include <array>
#include <utility>

#include "keys/tree_key_codec.hpp"

namespace qzr {

namespace {

template <std::size_t I>
Result<TreeKey> decode_alternative(const H256& key) {
  using Key = std::variant_alternative_t<I, TreeKey>;
  Result<Key> decoded = TreeKeyCodec<Key>::decode(key);
  if (!decoded) return fail(std::move(decoded.error()));
  return TreeKey(std::in_place_index<I>, std::move(*decoded));
}

using KeyDecoder = Result<TreeKey> (*)(const H256&);

constexpr auto key_decoders = []<std::size_t... I>(std::index_sequence<I...>) {
  return std::array<KeyDecoder, sizeof...(I)>{&decode_alternative<I>...};
}
(std::make_index_sequence<std::variant_size_v<TreeKey>>{});

// Each alternative's key type names its own kind byte: the table above is in kind order.
template <std::size_t... I>
constexpr bool keys_in_kind_order(std::index_sequence<I...>) {
  return ((std::variant_alternative_t<I, TreeKey>::kind_byte == I + 1) && ...);
}
static_assert(keys_in_kind_order(std::make_index_sequence<std::variant_size_v<TreeKey>>{}));

}  // namespace

Result<TreeKey> decode_tree_key(ItemKind kind, const H256& key) {
  if (kind == ItemKind::Empty) return fail(CommonError::other(std::string(empty_kind_key_text)));
  return key_decoders[item_kind_number(kind) - 1](key);
}

ItemKind tree_key_kind(const TreeKey& key) noexcept { return static_cast<ItemKind>(key.index() + 1); }

}  // namespace qzr
