// Enumeration classes: a C++ enum V becomes a Python class from one declaration, EnumDef<V>,
// which holds a table of (member name, member) and the class's traits. From the table come one
// class attribute per member (in table order, each an instance made once), __int__ (the
// member's number), the repr "Class.Member" and the equality of the comparison family.
//
//   template <>
//   struct EnumDef<Shade> : SimpleEnum {
//     static constexpr const char* name = "Shade";
//     static constexpr EnumMember<Shade> table[] = {{"Light", Shade::Light}, {"Dark", Shade::Dark}};
//   };
//
// Declare EnumDef<V> in the class's header and include that header wherever the class is used
// from Python code (arguments, results), so every file sees the same class description.
//
// Traits, each with the simple-enum default of SimpleEnum, overridden by redeclaring it:
//   doc          the class docstring ("")
//   frozen       instances carry no borrow flag (false)
//   compared_as  the integer an operand is read as before a member of the same class (int64_t)
//   constructor  a member kind for __new__, or void for none (void): a name constructor is the
//                class's own Constructor<...>; NumberConstructor<"value"> reads the number
//   hash         a body `std::uint64_t (const V&)`, or nullptr for unhashable (nullptr)
//   own_members  Members<...> with what is truly the class's own (Members<>), for example
//                NumbersByName<"discriminants"> (a dict of the table) or methods
#pragma once

#include <array>
#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>

#include "core/enum_table.hpp"
#include "python/frame/type_object.hpp"

namespace qzr::py {

template <class V>
struct EnumMember {
  const char* name;
  V value;
};

// The frame's member table of a domain enumeration, made from its table (core/enum_table.hpp).
template <DeclaredEnum E>
constexpr auto enum_class_table() {
  std::array<EnumMember<E>, enum_members<E>().size()> table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    // The table's names are whole string literals, so their data is NUL-terminated.
    table[i] = {enum_members<E>()[i].name.data(), enum_members<E>()[i].value};
  }
  return table;
}

// Specialised once per enumeration class.
template <class V>
struct EnumDef;

template <class V>
concept EnumClass = std::is_enum_v<V> && requires {
  EnumDef<V>::name;
  EnumDef<V>::table;
};

// The simple-enum family: numbers compared as 64-bit signed integers through the index
// protocol, then members of the same class; orderings NotImplemented; no __index__, no truth
// value of its own (every member is true); unhashable; not frozen; no constructor.
struct SimpleEnum {
  static constexpr const char* doc = "";
  static constexpr bool frozen = false;
  using compared_as = std::int64_t;
  using constructor = void;
  static constexpr std::nullptr_t hash = nullptr;
  using own_members = Members<>;
};

template <EnumClass V>
constexpr std::int64_t enum_int64(V member) noexcept {
  return static_cast<std::int64_t>(member);
}

// The table row of `member`; a value outside the table is a broken invariant.
template <EnumClass V>
const EnumMember<V>& enum_row(V member) {
  for (const auto& row : EnumDef<V>::table)
    if (row.value == member) return row;
  fault(std::string("no member of ") + EnumDef<V>::name + " has the number " +
        std::to_string(enum_int64(member)));
}

// The integer an operand stands for through the index protocol (int, bool, any __index__), or
// nullopt when it has none or it does not fit N; an ordinary failure is dropped, any other
// (KeyboardInterrupt, SystemExit, a resumed PanicException) is raised unchanged.
template <std::integral N>
PyResult<std::optional<N>> index_value_as(PyObject* object) {
  // Without __index__ the conversion can only fail: skip making the error that would be dropped.
  if (!PyIndex_Check(object)) return std::optional<N>{};
  auto value = FromPython<N>::extract(object);
  if (!value) {
    if (auto dropped = drop_ordinary_error(std::move(value.error())); !dropped)
      return fail(std::move(dropped.error()));
    return std::optional<N>{};
  }
  return std::optional<N>{*value};
}

// == and != (op Py_EQ, Py_NE): an operand read as a number N is compared with the member's
// number first, then a member of the same class; anything else, and every ordering, is
// NotImplemented (Python then tries the reflected comparison and finally compares identities).
template <EnumClass V>
PyResult<Ref> compare_enum_member(const V& self, Object other, int op) {
  using N = typename EnumDef<V>::compared_as;
  if (op != Py_EQ && op != Py_NE) return Ref::borrow(Py_NotImplemented);
  auto number = index_value_as<N>(other.ptr);
  if (!number) return fail(std::move(number.error()));
  bool equal = false;
  if (*number) {
    equal = static_cast<std::int64_t>(**number) == enum_int64(self);
  } else if (auto member = SharedBorrow<V>::take(other.ptr)) {
    equal = member->get() == self;
  } else {
    return Ref::borrow(Py_NotImplemented);
  }
  return Ref::borrow(equal == (op == Py_EQ) ? Py_True : Py_False);
}

template <EnumClass V>
std::string enum_repr(const V& self) {
  return std::string(EnumDef<V>::name) + "." + enum_row(self).name;
}

// The member of the table with this number: ValueError "<number> is not a valid <Class>"
// for a number that names none.
template <EnumClass V>
PyResult<V> enum_from_python_number(std::underlying_type_t<V> number) {
  for (const auto& row : EnumDef<V>::table)
    if (enum_int64(row.value) == static_cast<std::int64_t>(number)) return row.value;
  return fail(PyErr::value_error(std::to_string(+number) + " is not a valid " + EnumDef<V>::name));
}

// The constructor from a number, read as the enum's underlying integer (so out of its range is
// the integer conversion's OverflowError, and a non-integer the argument's TypeError).
template <FixedString Parameter>
struct NumberConstructor {
  template <class V>
  static void add_to(TypeBuilder& builder) {
    Constructor<&enum_from_python_number<V>, Parameter>::template add_to<V>(builder);
  }
};

// A class attribute `Name` holding a dict of member name to number, in table order, made once.
template <FixedString Name>
struct NumbersByName {
  template <class V>
  static PyResult<Ref> make() {
    Ref numbers = Ref::steal(PyDict_New());
    if (!numbers) return fail(PyErr::fetch());
    for (const auto& row : EnumDef<V>::table) {
      Ref number = Ref::steal(PyLong_FromLongLong(enum_int64(row.value)));
      if (!number || PyDict_SetItemString(numbers.get(), row.name, number.get()) < 0)
        return fail(PyErr::fetch());
    }
    return numbers;
  }
  template <class V>
  static void add_to(TypeBuilder& builder) {
    builder.add_class_attribute(Name.c_str(), &make<V>);
  }
};

// The members that come from the table and the traits.
template <EnumClass V>
struct EnumMembers {
  using Def = EnumDef<V>;

  // Class attribute I: a new instance of table row I, made once when the type is built.
  template <std::size_t I>
  static PyResult<Ref> make_member() {
    return call_into_py([] { return Def::table[I].value; });
  }

  template <std::size_t... I>
  static void add_attributes(TypeBuilder& builder, std::index_sequence<I...>) {
    (builder.add_class_attribute(Def::table[I].name, &make_member<I>), ...);
  }

  static std::int64_t number(const V& self) { return enum_int64(self); }

  template <class W>
  static void add_to(TypeBuilder& builder) {
    static_assert(std::same_as<W, V>);
    if constexpr (!std::is_void_v<typename Def::constructor>) Def::constructor::template add_to<V>(builder);
    add_attributes(builder, std::make_index_sequence<std::size(Def::table)>{});
    Members<Repr<&enum_repr<V>>, Int<&number>, RichCompare<&compare_enum_member<V>>>::template add_to<V>(
        builder);
    if constexpr (!std::is_null_pointer_v<std::remove_cvref_t<decltype(Def::hash)>>)
      Hash<Def::hash>::template add_to<V>(builder);
    Def::own_members::template add_to<V>(builder);
  }
};

// An enumeration's class description comes from its EnumDef.
template <EnumClass V>
struct ClassDef<V> {
  static constexpr const char* name = EnumDef<V>::name;
  static constexpr const char* doc = EnumDef<V>::doc;
  static constexpr bool frozen = EnumDef<V>::frozen;
  using members = EnumMembers<V>;
};

}  // namespace qzr::py
