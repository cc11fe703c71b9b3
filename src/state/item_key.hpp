// Tree keys parsed by item kind: one entry point over the key parsers of the list of kinds
// (state/kinds.hpp), for callers that hold a kind and a 32-byte key (a Python caller's kind
// argument, a stored leaf).
#pragma once

#include <string_view>
#include <variant>

#include "core/common_error.hpp"
#include "keys/tree_keys.hpp"
#include "state/item_kind.hpp"
#include "state/kinds.hpp"
#include "values/h256.hpp"

namespace qzr {

// The key types of the list of kinds in kind-number order: alternative i is the key of kind i + 1.
using TreeKey = KeyTypes<std::variant>;

inline constexpr std::string_view empty_kind_key_text = "cannot decode key for empty item kind";

// The key of `kind` decoded from `key`, untrusted, with that kind's decoder
// (keys/tree_key_codec.hpp) and its errors. The empty kind has no key: Other empty_kind_key_text.
Result<TreeKey> parse_tree_key(ItemKind kind, const H256& key);

// The kind of a decoded key.
ItemKind tree_key_kind(const TreeKey& key) noexcept;

}  // namespace qzr
