// Tree keys decoded by item kind.
#include "state/item_key.hpp"

#include <array>
#include <utility>

#include "keys/tree_key_codec.hpp"

namespace qzr {

namespace {

template <std::size_t I>
Result<TreeKey> parse_alternative(const H256& key) {
  using Key = std::variant_alternative_t<I, TreeKey>;
  Result<Key> decoded = TreeKeyCodec<Key>::parse(key);
  if (!decoded) return fail(std::move(decoded.error()));
  return TreeKey(std::in_place_index<I>, std::move(*decoded));
}

using KeyDecoder = Result<TreeKey> (*)(const H256&);

constexpr auto key_decoders = []<std::size_t... I>(std::index_sequence<I...>) {
  return std::array<KeyDecoder, sizeof...(I)>{&parse_alternative<I>...};
}
(std::make_index_sequence<std::variant_size_v<TreeKey>>{});

}  // namespace

Result<TreeKey> parse_tree_key(ItemKind kind, const H256& key) {
  if (kind == ItemKind::Empty) return fail(CommonError::other(std::string(empty_kind_key_text)));
  return key_decoders[item_kind_number(kind) - 1](key);
}

ItemKind tree_key_kind(const TreeKey& key) noexcept { return static_cast<ItemKind>(key.index() + 1); }

}  // namespace qzr
