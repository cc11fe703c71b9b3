// The toy classes of the frame test module: their bodies and their declarations. Between them
// they use every member kind of the frame (see python/frame/members.hpp):
//   Toy     mutable, every kind: constructor with optional parameters, methods of 0 to 3
//           parameters, class and static methods, properties, unary, size, comparison, number
//           and mapping slots, a faulting method and one that calls back into Python; caches
//           its hash (forgotten by every change);
//   Point   frozen, separate comparison bodies (only ==); keeps a few freed cells for reuse and
//           caches its hash;
//   Color   hand-written members that are class attributes holding instances of itself (the
//           member kinds below the enumeration tables);
//   Unit    a constructor without parameters;
//   Opaque  no constructor, empty docstring, a length too large for a Python size;
//   Scratch no constructor and no __repr__ (its __new__ is replaced by the tests); keeps freed
//           cells for reuse, also those of instances the frame never constructed;
//   Broken  a docstring with a NUL inside, so its type object never builds;
//   Flaky   a class attribute that fails while `flaky_attributes_fail` is set;
//   BadAttribute  a class attribute that the type object refuses to store;
//   Shade   a simple enum declared as a table; Level an enum read as an unsigned byte;
//   DuplicateName, DuplicateSlot  a member name or a slot declared twice, so their types never build.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "python/frame/frame.hpp"
#include "toy_values.hpp"

namespace qzr::py {

template <>
struct IntoPyErr<frametest::ToyError> {
  static PyErr convert(frametest::ToyError error) { return PyErr::value_error(std::move(error.text)); }
};

}  // namespace qzr::py

namespace qzr::frametest {

namespace py = ::qzr::py;

inline py::PyErr index_error(std::string text) {
  return py::PyErr::lazy([] { return PyExc_IndexError; }, std::move(text));
}

// ---- Toy ------------------------------------------------------------------------------------

inline ToyValue make_toy(std::int64_t number, std::optional<std::string> label,
                         std::optional<std::vector<std::int64_t>> items) {
  return ToyValue(number, std::move(label).value_or(std::string()),
                  std::move(items).value_or(std::vector<std::int64_t>()));
}

inline std::string describe(const ToyValue& toy) { return toy.label + "=" + std::to_string(toy.number); }

inline std::int64_t add_to_number(ToyValue& toy, std::int64_t amount) {
  toy.number = wrapping_add(toy.number, amount);
  return toy.number;
}

inline std::vector<std::int64_t> triple(const ToyValue&, std::int64_t x, std::int64_t y, std::int64_t z) {
  return {x, y, z};
}

inline std::string optional_text(std::optional<std::int64_t> value) {
  return value ? std::to_string(*value) : std::string("None");
}

// "a=1 b=None c=3": which optional arguments arrived.
inline std::string options(const ToyValue&, std::int64_t a, std::optional<std::int64_t> b,
                           std::optional<std::int64_t> c) {
  return "a=" + std::to_string(a) + " b=" + optional_text(b) + " c=" + optional_text(c);
}

inline bool same_number(const ToyValue& toy, const ToyValue& other) { return toy.number == other.number; }

// None when `other` is absent or None.
inline std::optional<bool> same_or_none(const ToyValue& toy, const ToyValue* other) {
  if (other == nullptr) return std::nullopt;
  return toy.number == other->number;
}

inline void absorb(ToyValue& toy, const ToyValue& other) {
  toy.number = wrapping_add(toy.number, other.number);
}

// Takes a copy of `other`: later changes to `other` do not reach `toy`.
inline void adopt_items(ToyValue& toy, ToyValue other) { toy.items = std::move(other.items); }

inline void append(ToyValue& toy, std::int64_t item) { toy.items.push_back(item); }

// Takes the receiver exclusively, so tests can see that a fault releases the borrow.
inline void fail_with_fault(ToyValue& toy) { fault("toy fault: " + toy.label); }

// Calls `callable()` while the receiver is shared-borrowed and returns its result.
inline py::PyResult<py::Ref> call_back(const ToyValue&, py::Object callable) {
  py::Ref result = py::Ref::steal(PyObject_CallNoArgs(callable.ptr));
  if (!result) return py::fail(py::PyErr::fetch());
  return result;
}

inline ToyValue from_label(std::string label) { return ToyValue(0, std::move(label), {}); }
inline ToyValue default_toy() { return ToyValue(0, "default", {}); }
inline ToyValue zero_toy() { return ToyValue(0, "", {}); }
inline std::int64_t sum_of(std::int64_t a, std::int64_t b) { return wrapping_add(a, b); }

inline std::int64_t number_of(const ToyValue& toy) { return toy.number; }
inline void set_number(ToyValue& toy, std::int64_t number) { toy.number = number; }
inline std::string label_of(const ToyValue& toy) { return toy.label; }
inline std::vector<std::int64_t> items_of(const ToyValue& toy) { return toy.items; }

inline std::string toy_repr(const ToyValue& toy) {
  return "Toy(" + std::to_string(toy.number) + ", '" + toy.label + "')";
}
inline std::string toy_str(const ToyValue& toy) { return toy.label; }
inline std::int64_t toy_int(const ToyValue& toy) { return toy.number; }
inline double toy_float(const ToyValue& toy) { return static_cast<double>(toy.number) / 2; }
inline ToyValue toy_neg(const ToyValue& toy) {
  return ToyValue(wrapping_mul(toy.number, -1), toy.label, toy.items);
}
inline ToyValue toy_abs(const ToyValue& toy) {
  return ToyValue(toy.number < 0 ? wrapping_mul(toy.number, -1) : toy.number, toy.label, toy.items);
}
// The number itself, so that Toy(-1) computes the hash -1.
inline std::int64_t toy_hash(const ToyValue& toy) { return toy.number; }
inline std::size_t toy_len(const ToyValue& toy) { return toy.items.size(); }

inline bool toy_compare(const ToyValue& toy, const ToyValue& other, int op) {
  switch (op) {
    case Py_LT: return toy.number < other.number;
    case Py_LE: return toy.number <= other.number;
    case Py_EQ: return toy.number == other.number;
    case Py_NE: return toy.number != other.number;
    case Py_GT: return toy.number > other.number;
    default: return toy.number >= other.number;
  }
}

// `amount + toy`: marked so that tests can tell it from the forward `toy + amount`.
inline ToyValue reflected_plus(const ToyValue& toy, std::int64_t amount) {
  return ToyValue(wrapping_add(toy.number, amount), "reflected", toy.items);
}

// base ** exponent, reduced like Python's pow(base, exponent, modulo) when a modulo is given.
inline py::PyResult<std::int64_t> power(std::int64_t base, std::int64_t exponent,
                                        std::optional<std::int64_t> modulo) {
  if (exponent < 0) return py::fail(py::PyErr::value_error("negative exponent"));
  if (modulo && *modulo == 0) return py::fail(py::PyErr::value_error("zero modulo"));
  __int128 result = 1;
  for (std::int64_t i = 0; i < exponent; ++i) {
    result = modulo ? (result * base) % *modulo
                    : static_cast<__int128>(wrapping_mul(static_cast<std::int64_t>(result), base));
  }
  if (modulo && result != 0 && ((result < 0) != (*modulo < 0))) result += *modulo;
  return static_cast<std::int64_t>(result);
}

inline py::PyResult<std::int64_t> toy_pow(const ToyValue& toy, std::int64_t exponent,
                                          std::optional<std::int64_t> modulo) {
  return power(toy.number, exponent, modulo);
}
inline py::PyResult<std::int64_t> toy_reflected_pow(const ToyValue& toy, std::int64_t base,
                                                    std::optional<std::int64_t> modulo) {
  return power(base, toy.number, modulo);
}

inline py::PyResult<std::int64_t> toy_item(const ToyValue& toy, std::int64_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= toy.items.size())
    return py::fail(index_error("toy index out of range"));
  return toy.items[static_cast<std::size_t>(index)];
}

inline py::PyResult<void> toy_set_item(ToyValue& toy, std::int64_t index, std::int64_t value) {
  if (index < 0 || static_cast<std::size_t>(index) >= toy.items.size()) {
    return py::fail(index_error("toy assignment index out of range"));
  }
  toy.items[static_cast<std::size_t>(index)] = value;
  return {};
}

// ---- Point ----------------------------------------------------------------------------------

inline PointValue make_point(std::int64_t x, std::int64_t y) { return PointValue{x, y}; }
inline std::int64_t point_x(const PointValue& point) { return point.x; }
inline std::int64_t point_y(const PointValue& point) { return point.y; }
inline PointValue moved(const PointValue& point, std::int64_t dx, std::int64_t dy) {
  return PointValue{wrapping_add(point.x, dx), wrapping_add(point.y, dy)};
}
inline bool point_eq(const PointValue& point, const PointValue& other) {
  return point.x == other.x && point.y == other.y;
}
inline std::int64_t point_hash(const PointValue& point) {
  return wrapping_add(wrapping_mul(point.x, 31), point.y);
}
inline std::string point_repr(const PointValue& point) {
  return "Point(" + std::to_string(point.x) + ", " + std::to_string(point.y) + ")";
}

// ---- Color ----------------------------------------------------------------------------------

inline std::expected<ColorValue, ToyError> color_from_name(std::string name) { return parse_color(name); }
inline ColorValue red() { return ColorValue::Red; }
inline ColorValue green() { return ColorValue::Green; }
inline ColorValue blue() { return ColorValue::Blue; }
inline std::string color_repr(const ColorValue& color) { return "Color." + std::string(color_name(color)); }
inline std::int64_t color_int(const ColorValue& color) { return static_cast<std::int64_t>(color); }
// Equality only; ordering gives NotImplemented.
inline py::Ref color_compare(const ColorValue& color, const ColorValue& other, int op) {
  if (op == Py_EQ) return py::Ref::borrow(color == other ? Py_True : Py_False);
  if (op == Py_NE) return py::Ref::borrow(color != other ? Py_True : Py_False);
  return py::Ref::borrow(Py_NotImplemented);
}

// ---- Conversions: each argument kind in, each result kind out ------------------------------

template <class T>
T echo(T value) {
  return value;
}
inline std::pair<std::int64_t, std::string> make_pair(std::int64_t number, std::string text) {
  return {number, std::move(text)};
}
inline void nothing() {}
inline py::NotImplementedT not_implemented() { return py::not_implemented; }
inline std::expected<std::int64_t, ToyError> checked_half(std::int64_t number) {
  if (number % 2 != 0) return std::unexpected(ToyError{"odd number: " + std::to_string(number)});
  return number / 2;
}
inline std::expected<void, ToyError> checked_even(std::int64_t number) {
  if (number % 2 != 0) return std::unexpected(ToyError{"odd number: " + std::to_string(number)});
  return {};
}

// ---- Unit, Opaque, Scratch, Broken, Flaky ---------------------------------------------------

inline UnitValue make_unit() { return UnitValue{}; }
inline std::string unit_repr(const UnitValue&) { return "Unit()"; }

inline std::string opaque_text(const OpaqueValue& opaque) { return opaque.text; }
inline std::size_t opaque_len(const OpaqueValue&) { return std::numeric_limits<std::size_t>::max(); }

inline std::int64_t scratch_number(const ScratchValue& scratch) { return scratch.toy.number; }
inline std::string scratch_label(const ScratchValue& scratch) { return scratch.toy.label; }

inline std::int64_t broken_number(const BrokenValue& broken) { return broken.number; }

// While set, Flaky's class attribute `answer` fails, so its type stays without class attributes.
inline bool flaky_attributes_fail = true;
inline py::PyResult<std::int64_t> flaky_answer() {
  if (flaky_attributes_fail) return py::fail(py::PyErr::value_error("flaky attribute refused"));
  return 42;
}
inline FlakyValue flaky_itself() { return FlakyValue{7}; }
inline std::int64_t flaky_number(const FlakyValue& flaky) { return flaky.number; }

inline std::int64_t duplicate_number(const DuplicateNameValue&) { return 1; }
inline std::int64_t duplicate_number_again(const DuplicateNameValue&) { return 2; }
inline std::string duplicate_repr(const DuplicateSlotValue&) { return "DuplicateSlot()"; }

// A class attribute the type refuses to store: __qualname__ must be a str.
inline std::int64_t bad_qualname() { return 5; }

}  // namespace qzr::frametest

namespace qzr::py {

template <>
struct ClassDef<frametest::ToyValue> {
  static constexpr const char* name = "Toy";
  static constexpr const char* doc = "A toy value with a number, a label and a list of items.";
  static constexpr bool frozen = false;
  static constexpr bool caches_hash = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<frametest::PointValue> {
  static constexpr const char* name = "Point";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static constexpr std::size_t free_cells = 4;
  static constexpr bool caches_hash = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<frametest::ColorValue> {
  static constexpr const char* name = "Color";
  static constexpr const char* doc = "";
  static constexpr bool frozen = false;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<frametest::UnitValue> {
  static constexpr const char* name = "Unit";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<frametest::ConversionsValue> {
  static constexpr const char* name = "Conversions";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<frametest::OpaqueValue> {
  static constexpr const char* name = "Opaque";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<frametest::ScratchValue> {
  static constexpr const char* name = "Scratch";
  static constexpr const char* doc = "Scratch values, made by make_scratch().";
  static constexpr bool frozen = false;
  static constexpr std::size_t free_cells = 2;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<frametest::BrokenValue> {
  static constexpr const char* name = "Broken";
  static constexpr std::string_view doc{"Broken\0doc", 10};
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<frametest::FlakyValue> {
  static constexpr const char* name = "Flaky";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<frametest::BadAttributeValue> {
  static constexpr const char* name = "BadAttribute";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<frametest::ShadeValue> : EnumClassDef<frametest::ShadeValue> {
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<frametest::LevelValue> : EnumClassDef<frametest::LevelValue> {
  static void add_members(TypeBuilder& builder);
};

// The same name as a property and as a method.
template <>
struct ClassDef<frametest::DuplicateNameValue> {
  static constexpr const char* name = "DuplicateName";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

// A shared member list that brings a __repr__ of its own, combined with the class's.
template <>
struct ClassDef<frametest::DuplicateSlotValue> {
  static constexpr const char* name = "DuplicateSlot";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
