// The Python class ProductSymbol (qzr_python.common.ProductSymbol) and the reading of a product
// symbol from any Python argument.
#pragma once

#include "python/classes/core/field_members.hpp"
#include "python/frame/frame.hpp"
#include "values/symbols.hpp"

namespace qzr::py {

template <>
struct ClassDef<ProductSymbol> {
  static constexpr const char* name = "ProductSymbol";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

// How every argument that names a product is read: a ProductSymbol object is unpacked, parsed and
// packed again (so stored '0' codes drop out); a str is parsed and packed (a parse failure is
// QzrCommonError); anything else is the string conversion's TypeError.
PyResult<ProductSymbol> extract_product_symbol(PyObject* object);

// A field or argument that names a product is read by extract_product_symbol; read back as a new
// ProductSymbol object.
template <>
struct FieldForm<ProductSymbol> {
  using Converted = ProductSymbol;
  static PyResult<ProductSymbol> convert(PyObject* object) { return extract_product_symbol(object); }
  static Ref to_python(const ProductSymbol& symbol) { return ToPython<ProductSymbol>::convert(symbol); }
};

// An argument read by extract_product_symbol: declare a body parameter of this type.
using ProductSymbolArgument = FieldArgument<ProductSymbol>;

}  // namespace qzr::py
