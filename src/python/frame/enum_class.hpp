// Enumeration classes: a domain enum V with a table (core/enum_table.hpp) becomes a Python class
// whose members come from that table. V's ClassDef derives from EnumClassDef<V> (name, no
// docstring, frozen) and says only what is its own: a docstring where it has one, and add_members,
// which lists EnumMembers<V> with the class's own members:
//
//   template <>
//   struct ClassDef<Shade> : EnumClassDef<Shade> {
//     static constexpr const char* doc = "A shade.";  // where the class has one
//     static void add_members(TypeBuilder& builder);
//   };
//   // in the class's .cpp file:
//   void ClassDef<Shade>::add_members(TypeBuilder& builder) {
//     Members<EnumMembers<Shade>>::add_to<Shade>(builder);
//   }
//
// add_members is declared and defined by every class (the rule is stated beside ClassDef, in
// frame/instance.hpp): the enumeration classes are spread over the files of the layers they bind
// and most have members of their own, so EnumClassDef declares none, also for a class whose
// members are only EnumMembers<V>.
//
// EnumMembers<V, N> brings one class attribute per member (in number order, each an instance
// made once), __int__ (the member's number), the repr "Class.Member" and == and != of the
// simple-enum family (operands read as the integer N, int64_t by default). Without more, a class
// has no constructor, no __index__, no truth value of its own (every member is true) and no
// hash; it may add a Constructor<...> (or NumberConstructor<"value">), Hash<&body>,
// NumbersByName<"name"> and methods.
#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>

#include "core/enum_table.hpp"
#include "python/frame/members.hpp"
#include "python/frame/type_object.hpp"

namespace qzr::py {

// The class name of an enumeration: the name of its table (a string literal, so NUL-terminated).
template <DeclaredEnum V>
inline constexpr const char* enum_class_name = EnumTable<V>::name.data();

// The traits every enumeration class shares. Its Python name is its table's. It is frozen: a
// member's value never changes, so no member body takes it as `V&` and no exclusive borrow is
// ever taken; shared borrows, which nothing could then conflict with, are not counted, and the
// compiler refuses a member that would change the value.
template <DeclaredEnum V>
struct EnumClassDef {
  static constexpr const char* name = enum_class_name<V>;
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
};

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
template <DeclaredEnum V, std::integral N>
PyResult<Ref> compare_enum_member(const V& self, Object other, int op) {
  if (op != Py_EQ && op != Py_NE) return Ref::borrow(Py_NotImplemented);
  auto number = index_value_as<N>(other.ptr);
  if (!number) return fail(std::move(number.error()));
  bool equal = false;
  if (*number) {
    equal = static_cast<std::int64_t>(**number) == static_cast<std::int64_t>(enum_number(self));
  } else if (auto member = SharedBorrow<V>::take(other.ptr)) {
    equal = member->get() == self;
  } else {
    return Ref::borrow(Py_NotImplemented);
  }
  return Ref::borrow(equal == (op == Py_EQ) ? Py_True : Py_False);
}

// "<Class>.<member>", appended in place (a sum of temporaries draws GCC 12's false array-bounds
// warning once inlined).
template <DeclaredEnum V>
std::string enum_repr(const V& self) {
  std::string text(ClassDef<V>::name);
  text += '.';
  text += enum_name(self);
  return text;
}

// The member with this number: ValueError "<number> is not a valid <Class>" for a number that
// names none.
template <DeclaredEnum V>
PyResult<V> enum_from_python_number(std::underlying_type_t<V> number) {
  if (const std::optional<V> member = enum_from_number<V>(number)) return *member;
  return fail(PyErr::value_error(std::to_string(+number) + " is not a valid " + ClassDef<V>::name));
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

// A class attribute `Name` holding a dict of member name to number, in number order, made once.
template <FixedString Name>
struct NumbersByName {
  template <class V>
  static PyResult<Ref> make() {
    Ref numbers = Ref::steal(PyDict_New());
    if (!numbers) return fail(PyErr::fetch());
    for (const EnumMember<V>& member : enum_members<V>()) {
      Ref number = Ref::steal(PyLong_FromLongLong(enum_number(member.value)));
      // The names are whole string literals (core/enum_table.hpp), so NUL-terminated.
      // NOLINTNEXTLINE(bugprone-suspicious-stringview-data-usage): see above
      if (!number || PyDict_SetItemString(numbers.get(), member.name.data(), number.get()) < 0)
        return fail(PyErr::fetch());
    }
    return numbers;
  }
  template <class V>
  static void add_to(TypeBuilder& builder) {
    builder.add_class_attribute(Name.c_str(), &make<V>);
  }
};

// The members every enumeration class has, from V's table.
template <DeclaredEnum V, std::integral N = std::int64_t>
struct EnumMembers {
  // Class attribute I: a new instance of member I, made once when the type is built.
  template <std::size_t I>
  static PyResult<Ref> make_member() {
    return call_into_py([] { return enum_members<V>()[I].value; });
  }

  template <std::size_t... I>
  static void add_attributes(TypeBuilder& builder, std::index_sequence<I...>) {
    // The names are whole string literals (core/enum_table.hpp), so NUL-terminated.
    // NOLINTNEXTLINE(bugprone-suspicious-stringview-data-usage): see above
    (builder.add_class_attribute(enum_members<V>()[I].name.data(), &make_member<I>), ...);
  }

  static std::int64_t number(const V& self) { return enum_number(self); }

  template <class W>
  static void add_to(TypeBuilder& builder) {
    static_assert(std::same_as<W, V>);
    add_attributes(builder, std::make_index_sequence<enum_members<V>().size()>{});
    Members<Repr<&enum_repr<V>>, Int<&number>, RichCompare<&compare_enum_member<V, N>>>::template add_to<V>(
        builder);
  }
};

}  // namespace qzr::py
