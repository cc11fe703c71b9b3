// ProductSymbol in Python: the reading of a product symbol from any argument, its text, and the
// members of the ProductSymbol class.
#include "python/classes/values/product_symbol_class.hpp"

#include "python/classes/core/exceptions.hpp"
#include "values/debug_shapes.hpp"

namespace qzr::py {

PyResult<ProductSymbol> extract_product_symbol(PyObject* object) {
  if (is_instance<ProductSymbol>(object))
    return to_py_result(reparse_product_symbol(instance_of<ProductSymbol>(object)->value()));
  auto text = extract_string(object);
  if (!text) return fail(std::move(text.error()));
  return to_py_result(product_symbol_from_text(*text));
}

namespace {

// NOLINTNEXTLINE(performance-unnecessary-value-param): a binding body, the frame converts into it
Result<ProductSymbol> construct(std::string symbol) { return product_symbol_from_text(symbol); }
Result<std::string> text(const ProductSymbol& self) { return unpack_product_symbol(self); }
std::string repr(const ProductSymbol& self) {
  return debug_struct("ProductSymbol", {{"inner", debug_text(self)}});
}
std::size_t length(const ProductSymbol&) { return ProductSymbol::size; }
std::int64_t hash(const ProductSymbol& self) { return self.hash_value(); }
ProductSymbol deep_copy(const ProductSymbol& self, Dict) { return self; }
bool equals(const ProductSymbol& self, const ProductSymbol& other) { return self == other; }

}  // namespace

void ClassDef<ProductSymbol>::add_members(TypeBuilder& builder) {
  Members<Constructor<&construct, "symbol">, Str<&text>, Repr<&repr>, Len<&length>, Hash<&hash>,
          Method<"__deepcopy__", &deep_copy, "_memo">,
          Comparisons<Eq<&equals>>>::add_to<ProductSymbol>(builder);
}

}  // namespace qzr::py
