// The members of the Python class EpochMetadata, and how its map crosses the boundary.
#include "python/classes/state/epoch_metadata_class.hpp"

#include <cstdint>
#include <utility>
#include <vector>

#include "python/classes/state/record_members.hpp"
#include "python/classes/values/product_symbol_class.hpp"

namespace qzr::py {

// The map: a dict (or subclass; else the TypeError for "PyDict") whose keys are read by
// extract_product_symbol and whose values are unsigned 64-bit ints (OverflowError outside, the
// index conversion's TypeError for a non-integer); the first failure ends the reading. The items
// are taken from a snapshot (DictWalk::Snapshot), so a value's __index__ that changes the dict
// changes nothing here.
// A symbol given twice (a ProductSymbol and its text) keeps the later ordinal. Read back as a new
// dict of ProductSymbol objects to ints, in the map's order.
template <>
struct FieldForm<NextBookOrdinals> {
  using Converted = NextBookOrdinals;

  static PyResult<NextBookOrdinals> convert(PyObject* object) {
    auto read = FromPython<DictOf<ProductSymbolArgument, std::uint64_t, DictWalk::Snapshot>>::extract(object);
    if (!read) return fail(std::move(read.error()));
    std::vector<NextBookOrdinals::Entry> pairs;
    pairs.reserve(read->pairs.size());
    for (const auto& [symbol, ordinal] : read->pairs) pairs.emplace_back(symbol.value, ordinal);
    return NextBookOrdinals::from_pairs(pairs);
  }

  static Ref to_python(const NextBookOrdinals& map) {
    Ref dict = Ref::steal(expect_api(PyDict_New()));
    for (const auto& [symbol, ordinal] : map.entries()) {
      Ref key = ToPython<ProductSymbol>::convert(symbol);
      Ref value = ToPython<std::uint64_t>::convert(ordinal);
      if (PyDict_SetItem(dict.get(), key.get(), value.get()) < 0) api_call_failed();
    }
    return dict;
  }
};

void ClassDef<EpochMetadata>::add_members(TypeBuilder& builder) {
  Members<RecordMembers<EpochMetadata>>::add_to<EpochMetadata>(builder);
}

}  // namespace qzr::py
