// The Python members of a record made from its field list (core/field_list.hpp): a getter per
// field, a property (getter and setter) per field, the constructor of every field. One mechanism
// behind the state record classes, the request record classes and the key classes; each field
// crosses the boundary through FieldForm<T> of its type.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "core/field_list.hpp"
#include "python/classes/core/exceptions.hpp"
#include "python/frame/frame.hpp"

namespace qzr::py {

// How a field type crosses the boundary:
//   using Converted = ...;                         what the argument conversion gives
//   static PyResult<Converted> convert(PyObject*); the conversion: type checks, anything that
//       runs Python code (__index__, __float__), and a reading whose error must come in parameter
//       order wherever the type is read (the hex texts, product symbols, amounts); in a
//       constructor its TypeError is named after the parameter (other errors pass unchanged), in
//       a setter it is raised as it is
//   static Result<T> check(Converted&&);           optional, else Converted is T: a reading of the
//       converted value that runs no Python code (an account address's digits, a strategy id's
//       length), whose error is the class's own (QzrCommonError), raised when the family says
//   static Ref to_python(const T&);                the getter's new Python value
//   static constexpr bool runs_python_code;        optional, else true: whether convert can run
//       Python code (the frame's conversion traits say the same, frame/convert.hpp)
// A form used only by getters needs only to_python. The primary form is the frame's own
// conversion of T both ways. Every form of a type used by more than one class file is in a
// header (most in classes/values/field_forms.hpp), so that every file sees the same form.
//
// When the checks run, and so which error a bad call raises first:
//   - a state or sequencer record's constructor (FieldConstructor's default,
//     Checks::AfterConversions): the frame converts every argument in parameter order, then the
//     checks run in field order; a later argument's conversion error comes before an earlier
//     argument's failed check (Block, Strategy and the keys have constructors of their own);
//   - an intent's constructor (Checks::WithConversions): each argument is checked with its
//     conversion, so the arguments fail in parameter order;
//   - a setter (FieldProperties, the intents' signature setter): the conversion, then the
//     exclusive borrow of the object, then the check; a failure stores nothing.
// The first failure ends the call.
template <class T>
struct FieldForm {
  using Converted = T;
  static constexpr bool runs_python_code = conversion_runs_python_code<T>;
  static PyResult<T> convert(PyObject* object) {
    auto stored = FromPython<T>::extract(object);
    if (!stored) return fail(std::move(stored.error()));
    return FromPython<T>::get(*stored);
  }
  static Ref to_python(const T& value) { return ToPython<T>::convert(T(value)); }
};

// The Python class name of a record class: the record's name in its field list, which must be a C
// string (the name's characters are followed by a NUL, as a string literal's are).
template <FieldRecord R>
inline constexpr const char* record_class_name = [] {
  constexpr std::string_view name = FieldList<R>::name;
  // NOLINTNEXTLINE(readability-simplify-subscript-expr): the view's operator[] stops before index size()
  static_assert(name.data()[name.size()] == '\0', "the record's name is a C string");
  return name.data();
}();

// Whether FieldForm<T>::convert can run Python code: true unless the form says it cannot.
template <class T>
inline constexpr bool field_conversion_runs_python_code = trait_runs_python_code<FieldForm<T>>;

// An argument converted by FieldForm<T>::convert.
template <class T>
struct FieldArgument {
  typename FieldForm<T>::Converted value;
};

template <class T>
struct FromPython<FieldArgument<T>> {
  using Stored = FieldArgument<T>;
  static constexpr bool runs_python_code = field_conversion_runs_python_code<T>;
  static PyResult<Stored> extract(PyObject* object) {
    auto value = FieldForm<T>::convert(object);
    if (!value) return fail(std::move(value.error()));
    return Stored{std::move(*value)};
  }
  static Stored get(Stored& stored) { return std::move(stored); }
};

// Whether T's form checks a converted value.
template <class T>
inline constexpr bool has_field_check = requires {
  FieldForm<T>::check(std::declval<typename FieldForm<T>::Converted>());
};

// A converted value after the form's check.
template <class T>
requires has_field_check<T> PyResult<T> checked_field_value(typename FieldForm<T>::Converted&& value) {
  auto checked = FieldForm<T>::check(std::move(value));
  if (!checked) return fail(IntoPyErr<typename decltype(checked)::error_type>::convert(checked.error()));
  return std::move(*checked);
}

// An argument converted by FieldForm<T>::convert and then checked by the form's check at once (a
// form without a check: converted alone), so that a constructor's arguments fail in their order.
template <class T>
struct CheckedFieldArgument {
  T value;
};

template <class T>
struct FromPython<CheckedFieldArgument<T>> {
  using Stored = CheckedFieldArgument<T>;
  static constexpr bool runs_python_code = field_conversion_runs_python_code<T>;
  static PyResult<Stored> extract(PyObject* object) {
    auto value = FieldForm<T>::convert(object);
    if (!value) return fail(std::move(value.error()));
    if constexpr (has_field_check<T>) {
      auto checked = checked_field_value<T>(std::move(*value));
      if (!checked) return fail(std::move(checked.error()));
      return Stored{std::move(*checked)};
    } else {
      return Stored{std::move(*value)};
    }
  }
  static Stored get(Stored& stored) { return std::move(stored); }
};

// How a field constructor reads its arguments.
struct FieldConstructorOptions {
  enum class Checks {
    // Every argument is converted first (by the frame, in parameter order), then the forms' checks
    // run in field order: a record's constructor.
    AfterConversions,
    // Each argument's check runs with its conversion, so the arguments fail in parameter order.
    WithConversions,
  };
  Checks checks = Checks::AfterConversions;
  // How many of the last fields are optional parameters ("name=None"): one not given, or None,
  // leaves the field as the record's default value holds it.
  std::size_t optional_last = 0;
};

// Property docstrings in field order; "" (or a missing entry) for none.
template <FixedString... Docs>
struct FieldDocs {
  template <std::size_t I>
  static constexpr auto at() {
    if constexpr (I < sizeof...(Docs)) {
      return std::get<I>(std::tuple{Docs...});
    } else {
      return FixedString("");
    }
  }
};

namespace field_members {

// Field I's name as a template argument.
template <class R, std::size_t I>
inline constexpr auto name = fixed_string<field_at<R, I>.name.size()>(field_at<R, I>.name);

// Stores a converted value into `field` after the form's check.
template <class T>
PyResult<void> store_checked(T& field, typename FieldForm<T>::Converted&& value) {
  if constexpr (has_field_check<T>) {
    auto checked = checked_field_value<T>(std::move(value));
    if (!checked) return fail(std::move(checked.error()));
    field = std::move(*checked);
  } else {
    field = std::move(value);
  }
  return {};
}

template <class R, std::size_t I>
Ref get(const R& record) {
  return FieldForm<FieldType<R, I>>::to_python(record.*(field_at<R, I>.member));
}

template <class R, std::size_t I>
PyResult<void> set(R& record, FieldArgument<FieldType<R, I>> value) {
  return store_checked(record.*(field_at<R, I>.member), std::move(value.value));
}

template <class R, class Docs, class Indices = std::make_index_sequence<field_count<R>>>
struct Getters;

template <class R, class Docs, std::size_t... I>
struct Getters<R, Docs, std::index_sequence<I...>> {
  template <class V>
  static void add_to(TypeBuilder& builder) {
    Members<Getter<name<R, I>, &get<R, I>, Docs::template at<I>()>...>::template add_to<V>(builder);
  }
};

template <class R, class Docs, class Indices = std::make_index_sequence<field_count<R>>>
struct Properties;

template <class R, class Docs, std::size_t... I>
struct Properties<R, Docs, std::index_sequence<I...>> {
  template <class V>
  static void add_to(TypeBuilder& builder) {
    Members<Getter<name<R, I>, &get<R, I>, Docs::template at<I>()>...,
            Setter<name<R, I>, &set<R, I>, Docs::template at<I>()>...>::template add_to<V>(builder);
  }
};

template <class R, FieldConstructorOptions options, class Indices = std::make_index_sequence<field_count<R>>>
struct ConstructorOf;

template <class R, FieldConstructorOptions options, std::size_t... I>
struct ConstructorOf<R, options, std::index_sequence<I...>> {
  static_assert(options.optional_last <= field_count<R>);
  static constexpr bool checks_with_conversions =
      options.checks == FieldConstructorOptions::Checks::WithConversions;
  // Whether every argument is ready to store once converted: checked with its conversion, or of a
  // form without a check.
  static constexpr bool stores_as_converted =
      checks_with_conversions || (!has_field_check<FieldType<R, I>> && ...);

  template <std::size_t J>
  static constexpr bool is_optional = J >= field_count<R> - options.optional_last;

  template <std::size_t J>
  using Argument = std::conditional_t<checks_with_conversions, CheckedFieldArgument<FieldType<R, J>>,
                                      FieldArgument<FieldType<R, J>>>;
  template <std::size_t J>
  using Parameter = std::conditional_t<is_optional<J>, std::optional<Argument<J>>, Argument<J>>;

  // The parameter as written: the field's name, "name=None" for an optional one.
  template <std::size_t J>
  static constexpr auto written = [] {
    if constexpr (is_optional<J>) {
      return optional_parameter(name<R, J>);
    } else {
      return name<R, J>;
    }
  }();

  // Stores an argument ready to store into its field; an optional one not given leaves the default.
  template <std::size_t J>
  static void store(R& record, Argument<J>&& argument) {
    record.*(field_at<R, J>.member) = std::move(argument.value);
  }
  template <std::size_t J>
  static void store(R& record, std::optional<Argument<J>>&& argument) {
    if (argument) store<J>(record, std::move(*argument));
  }
  // The same after the form's check, which may refuse the value.
  template <std::size_t J>
  static PyResult<void> store_after_check(R& record, Argument<J>&& argument) {
    return store_checked(record.*(field_at<R, J>.member), std::move(argument.value));
  }
  template <std::size_t J>
  static PyResult<void> store_after_check(R& record, std::optional<Argument<J>>&& argument) {
    if (!argument) return {};
    return store_after_check<J>(record, std::move(*argument));
  }

  // Inlined into the constructor's entry, which then writes each field once. Arguments ready to
  // store are stored as they are: the record is then made without an error path.
  [[gnu::always_inline]] static auto construct(Parameter<I>... values) {
    R record{};
    if constexpr (stores_as_converted) {
      (store<I>(record, std::move(values)), ...);
      return record;
    } else {
      PyResult<void> stored;
      static_cast<void>(((stored = store_after_check<I>(record, std::move(values))) && ...));
      return stored ? PyResult<R>(std::move(record)) : PyResult<R>(fail(std::move(stored.error())));
    }
  }

  template <class V>
  static void add_to(TypeBuilder& builder) {
    Constructor<&construct, written<I>...>::template add_to<V>(builder);
  }
};

}  // namespace field_members

// A getter per field of R in declared order, named as the field, with the docstrings of Docs:
// each returns a new Python value made by the field type's form from the field.
template <FieldRecord R, class Docs = FieldDocs<>>
using FieldGetters = field_members::Getters<R, Docs>;

// A property per field: the getter as FieldGetters; the setter converts the value first (its
// errors name no argument), then borrows the object exclusively and stores it after the form's
// check; deleting is AttributeError "can't delete attribute".
template <FieldRecord R, class Docs = FieldDocs<>>
using FieldProperties = field_members::Properties<R, Docs>;

// The constructor of every field in declared order, the text signature "(field, ...)", read as
// `options` says (by default: every argument converted first, by the frame in parameter order,
// then the checks in field order); the first failure ends the call.
template <FieldRecord R, FieldConstructorOptions options = {}>
using FieldConstructor = field_members::ConstructorOf<R, options>;

}  // namespace qzr::py
