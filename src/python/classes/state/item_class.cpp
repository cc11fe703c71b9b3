// Members of the Python class Item.
#include "python/classes/state/item_class.hpp"

#include "python/classes/core/exceptions.hpp"
#include "python/classes/keys/keys_classes.hpp"
#include "python/classes/values/h256_class.hpp"
#include "state/item_abi.hpp"
#include "state/item_key.hpp"

namespace qzr::py {
namespace {

ItemKind item_kind(const Item& item) { return item.kind(); }

Bytes abi_encoded_value(const Item& item) { return Bytes{item_abi_encoded_value(item)}; }

// The kind only selects the schemas; the kind word in the bytes decides the item's kind.
Result<Item> abi_decode_value_into_item(const ItemKind& kind, BytesView abi_encoded_value) {
  return parse_item_abi_value(kind, abi_encoded_value.data);
}

// A new object of the kind's key class.
PyResult<Ref> decode_key(const ItemKind& kind, const H256& encoded_key) {
  Result<TreeKey> key = parse_tree_key(kind, encoded_key);
  if (!key) return fail(IntoPyErr<CommonError>::convert(key.error()));
  return std::visit([]<class K>(K& value) { return ToPython<K>::convert(std::move(value)); }, *key);
}

std::string repr(const Item& item) { return "Item { inner: " + item.debug_text() + " }"; }

bool equals(const Item& item, const Item& other) { return item == other; }

}  // namespace

void ClassDef<Item>::add_members(TypeBuilder& builder) {
  Members<Method<"item_kind", &item_kind>, Method<"abi_encoded_value", &abi_encoded_value>,
          ClassMethod<"abi_decode_value_into_item", &abi_decode_value_into_item, "kind", "abi_encoded_value">,
          ClassMethod<"decode_key", &decode_key, "kind", "encoded_key">, Repr<&repr>,
          Comparisons<Eq<&equals>>>::add_to<Item>(builder);
}

}  // namespace qzr::py
