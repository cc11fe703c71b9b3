// The members of BookOrderKey and PriceKey, the keys of one market: constructors from a symbol and
// a hash's hexadecimal text, field getters, then what every key class shares.
#include "python/classes/keys/key_class_members.hpp"
#include "python/classes/keys/keys_classes.hpp"
#include "python/classes/values/product_symbol_class.hpp"

namespace qzr::py {
namespace {

using Bytes25Text = HexText<Bytes25>;

BookOrderKey make_book_order_key(ProductSymbolArgument symbol, Bytes25Text order_hash) {
  return BookOrderKey{symbol.value, order_hash.value};
}

PriceKey make_price_key(ProductSymbolArgument symbol, Bytes25Text index_price_hash) {
  return PriceKey{symbol.value, index_price_hash.value};
}

}  // namespace

void ClassDef<BookOrderKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_book_order_key, "symbol", "order_hash">, FieldGetters<BookOrderKey>,
          KeyMembers<BookOrderKey>>::add_to<BookOrderKey>(builder);
}

void ClassDef<PriceKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_price_key, "symbol", "index_price_hash">, FieldGetters<PriceKey>,
          KeyMembers<PriceKey>>::add_to<PriceKey>(builder);
}

}  // namespace qzr::py
