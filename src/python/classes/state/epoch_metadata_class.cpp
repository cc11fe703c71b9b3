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
// are taken from a snapshot, so a value's __index__ that changes the dict changes nothing here.
// A symbol given twice (a ProductSymbol and its text) keeps the later ordinal. Read back as a new
// dict of ProductSymbol objects to ints, in the map's order.
template <>
struct FieldForm<NextBookOrdinals> {
  using Converted = NextBookOrdinals;

  static PyResult<NextBookOrdinals> convert(PyObject* object) {
    if (!PyDict_Check(object)) return fail(PyErr::cannot_convert(object, "PyDict"));
    Ref items = Ref::steal(PyDict_Items(object));
    if (!items) return fail(PyErr::fetch());
    const Py_ssize_t count = PyList_GET_SIZE(items.get());
    std::vector<NextBookOrdinals::Entry> pairs;
    pairs.reserve(static_cast<std::size_t>(count));
    for (Py_ssize_t i = 0; i < count; ++i) {
      PyObject* item = PyList_GET_ITEM(items.get(), i);
      auto symbol = extract_product_symbol(PyTuple_GET_ITEM(item, 0));
      if (!symbol) return fail(std::move(symbol.error()));
      auto ordinal = FromPython<std::uint64_t>::extract(PyTuple_GET_ITEM(item, 1));
      if (!ordinal) return fail(std::move(ordinal.error()));
      pairs.emplace_back(*symbol, *ordinal);
    }
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
