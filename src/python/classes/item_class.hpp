// The Python class Item (qzr_python.common.state.Item): the tagged state value, frozen and
// without a constructor; and the in-place `bytes` argument of the item ABI value decoders.
#pragma once

#include <cstdint>
#include <span>

#include "python/classes/item_kind_class.hpp"
#include "python/frame/frame.hpp"
#include "state/item.hpp"

namespace qzr::py {

template <>
struct ClassDef<Item> {
  static constexpr const char* name = "Item";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

// A `bytes` argument read in place: the call holds a reference to the object and bytes never
// change, so the view lives as long as the call. Anything else (bytearray, memoryview) is the
// conversion TypeError for "PyBytes".
struct BytesView {
  std::span<const std::uint8_t> data;
};

template <>
struct FromPython<BytesView> {
  using Stored = BytesView;
  static PyResult<Stored> extract(PyObject* object) {
    if (!PyBytes_Check(object)) return fail(PyErr::cannot_convert(object, "PyBytes"));
    return BytesView{{reinterpret_cast<const std::uint8_t*>(PyBytes_AS_STRING(object)),
                      static_cast<std::size_t>(PyBytes_GET_SIZE(object))}};
  }
  static BytesView get(Stored& stored) { return stored; }
};

}  // namespace qzr::py
