// The named members a class lists in its add_members, each with one C entry on the call path
// (call_path.hpp):
//   Method<"name", Body, "param"...>              Body(const V& | V&, args...); the receiver's
//                                                 constness decides a shared or exclusive borrow
//   ExclusiveMethod<"name", Body, "param"...>     Body(const V&, args...) under an exclusive borrow
//   ClassMethod<"name", Body, ...>, StaticMethod<"name", Body, ...>   Body(args...)
//   Constructor<Body, "param", "opt=None"...>     __new__ and the class call; Body(args...) -> V or
//                                                 expected<V, E>; its parameter list is the class's
//                                                 text signature
//   Getter<"name", Body, "doc">, Setter<"name", Body, "doc">  Body(const V&) / Body(V&, T)
//   ClassAttribute<"name", Body>                  Body() -> value, made once when the type is built
// Parameters written "name=None" are optional and must be std::optional<T> (or `const V*`). A
// method's docstring is its text signature.
#pragma once

#include <array>
#include <string_view>

#include "python/frame/call_path.hpp"

namespace qzr::py {

// ---- methods --------------------------------------------------------------------------------

enum class MethodKind { Instance, Class, Static };

// The name a member's error texts give its owner V: the class's; none for `void`, the owner of a
// module function (module_tree.hpp's Function row, which shares a static method's entries).
template <class V>
inline constexpr std::string_view owner_name = ClassDef<V>::name;
template <>
inline constexpr std::string_view owner_name<void>{};

template <MethodKind Kind, BorrowOf Borrow, FixedString Name, auto Body, FixedString... Written>
struct MethodMember {
  using P = ParameterList<Written...>;
  static constexpr std::array<std::string_view, sizeof...(Written)> written{Written.view()...};
  static constexpr std::size_t receivers = Kind == MethodKind::Instance ? 1 : 0;
  static_assert(optional_parameters_are_optional<Body, receivers, P>(),
                "a parameter written \"name=None\" must be std::optional<T> or a pointer");
  static_assert(Kind == MethodKind::Instance || Borrow == BorrowOf::Body, "only a receiver is borrowed");
  static_assert(P::count <= max_parsed_parameters);

  // Converts `objects` (one per parameter), takes the receiver and calls the body.
  // Inlined into its one entry: a separate call costs the method call a tenth of its time.
  template <class V>
  [[gnu::always_inline]] static PyObject* call(PyObject* self, PyObject* const* objects) {
    if constexpr (Kind == MethodKind::Instance) {
      if (self == nullptr) api_call_failed();
      return call_on_receiver<V, Body, receiver_borrow<Body, Borrow>(), IntoObject, of_type>(self, objects,
                                                                                             P::names.data());
    } else {
      return call_without_receiver<Body>(objects, P::names.data());
    }
  }

  template <class V>
  static constexpr FunctionDescription description{owner_name<V>, Name.view(), P::names.data(), P::count,
                                                   P::required};

  // A call that gives every parameter by position converts the caller's array in place; any
  // other is parsed out of line, which then calls this entry that way.
  template <class V>
  static PyObject* fastcall_entry(PyObject* self, PyObject* const* args, Py_ssize_t positional_count,
                                  PyObject* keyword_names) noexcept {
    if (keyword_names != nullptr || positional_count != static_cast<Py_ssize_t>(P::count)) [[unlikely]]
      return call_with_parsed_arguments(description<V>, &fastcall_entry<V>, self, args, positional_count,
                                        keyword_names);
    return guarded_raw<PyObject*>(
        nullptr, [&]() __attribute__((always_inline)) { return call<V>(self, args); });
  }

  template <class V>
  static PyObject* noargs_entry(PyObject* self, PyObject*) noexcept {
    return guarded_raw<PyObject*>(
        nullptr, [&]() __attribute__((always_inline)) { return call<V>(self, nullptr); });
  }

  template <class V>
  static void add_to(TypeBuilder& builder) {
    constexpr int kind_flag = Kind == MethodKind::Class    ? METH_CLASS
                              : Kind == MethodKind::Static ? METH_STATIC
                                                           : 0;
    std::string_view receiver = Kind == MethodKind::Instance ? "$self"
                                : Kind == MethodKind::Class  ? "$cls"
                                                             : "";
    if constexpr (P::count == 0) {
      builder.add_method(Name.c_str(),
                         reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&noargs_entry<V>)),
                         METH_NOARGS | kind_flag, receiver, written.data(), written.size());
    } else {
      builder.add_method(Name.c_str(),
                         reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&fastcall_entry<V>)),
                         METH_FASTCALL | METH_KEYWORDS | kind_flag, receiver, written.data(), written.size());
    }
  }
};

template <FixedString Name, auto Body, FixedString... Written>
using Method = MethodMember<MethodKind::Instance, BorrowOf::Body, Name, Body, Written...>;
// A method whose body only reads its receiver (`const V&`) but that borrows it exclusively, so
// that it conflicts with every other borrow as a changing method would.
template <FixedString Name, auto Body, FixedString... Written>
using ExclusiveMethod = MethodMember<MethodKind::Instance, BorrowOf::Exclusive, Name, Body, Written...>;
template <FixedString Name, auto Body, FixedString... Written>
using ClassMethod = MethodMember<MethodKind::Class, BorrowOf::Body, Name, Body, Written...>;
template <FixedString Name, auto Body, FixedString... Written>
using StaticMethod = MethodMember<MethodKind::Static, BorrowOf::Body, Name, Body, Written...>;

// ---- constructor ----------------------------------------------------------------------------

// The tp_new of a constructor: parses the argument tuple and dictionary against `description`
// into strong references held for the call, then calls `construct(type, objects)` with one
// object per parameter (null for an optional parameter not given). Compiled once.
using ConstructFunction = PyObject* (*)(PyTypeObject*, PyObject* const*);
PyObject* construct_from_tuple_dict(const FunctionDescription& description, ConstructFunction construct,
                                    PyTypeObject* type, PyObject* args, PyObject* kwargs) noexcept;

template <auto Body, FixedString... Written>
struct Constructor {
  using P = ParameterList<Written...>;
  static constexpr std::array<std::string_view, sizeof...(Written)> written{Written.view()...};

  static constexpr bool checks_optional_parameters = optional_parameters_are_optional<Body, 0, P>();
  static_assert(checks_optional_parameters,
                "a parameter written \"name=None\" must be std::optional<T> or a pointer");
  static_assert(P::count <= max_parsed_parameters);

  template <class V>
  static constexpr FunctionDescription description{ClassDef<V>::name, "__new__", P::names.data(), P::count,
                                                   P::required};

  // Converts the objects (one per parameter), calls the body and puts its value in a new
  // instance of `type`. Returns the new reference, or null with the error raised.
  template <class V>
  static PyObject* construct(PyTypeObject* type, PyObject* const* objects) {
    BodyArguments<Body, 0> arguments;
    PyObject* refused_operand;
    if (!arguments.template load_or_refuse<RefuseInto<IntoObject, Refusal::Raise>>(
            objects, P::names.data(), refused_operand)) [[unlikely]]
      return refused_operand;
    auto result =
        arguments.apply([](auto&&... values) { return Body(std::forward<decltype(values)>(values)...); });
    if constexpr (IsExpected<decltype(result)>::value) {
      using E = typename decltype(result)::error_type;
      if (!result) [[unlikely]]
        return raised(IntoPyErr<E>::convert(std::move(result.error())));
      return instance_or_raised<V>(type, V(std::move(*result)));
    } else {
      return instance_or_raised<V>(type, V(std::move(result)));
    }
  }

  template <class V>
  static PyObject* instance_or_raised(PyTypeObject* type, V&& value) {
    // NOLINTNEXTLINE(bugprone-move-forwarding-reference): V is given, never deduced: V&& is an rvalue
    auto instance = new_instance_of_type<V>(type, std::move(value));
    if (!instance) [[unlikely]]
      return raised(std::move(instance.error()));
    return instance->release();
  }

  template <class V>
  static PyObject* guarded_construct(PyTypeObject* type, PyObject* const* objects) noexcept {
    return guarded_raw<PyObject*>(
        nullptr, [&]() __attribute__((always_inline)) { return construct<V>(type, objects); });
  }

  // __new__, called with an argument tuple and a keyword dictionary.
  template <class V>
  static PyObject* entry(PyTypeObject* type, PyObject* args, PyObject* kwargs) noexcept {
    return construct_from_tuple_dict(description<V>, &guarded_construct<V>, type, args, kwargs);
  }

  // A call of the class itself, without building an argument tuple. While the class's __new__
  // is this constructor's and __init__ is object's, that is all the type call would do; once
  // either was replaced, the interpreter's type call runs.
  template <class V>
  static PyObject* construct_call(PyObject* callable, PyObject* const* args, std::size_t nargsf,
                                  PyObject* keyword_names) noexcept {
    auto* type = reinterpret_cast<PyTypeObject*>(callable);
    if (type->tp_new != &entry<V> || type->tp_init != PyBaseObject_Type.tp_init) [[unlikely]]
      return call_type_from_vector(callable, args, nargsf, keyword_names);
    return construct_fastcall<V>(callable, args, PyVectorcall_NARGS(nargsf), keyword_names);
  }

  // The class call once it is known to be this constructor's: every parameter by position is
  // converted in place, any other call parsed out of line first.
  template <class V>
  static PyObject* construct_fastcall(PyObject* callable, PyObject* const* args, Py_ssize_t positional_count,
                                      PyObject* keyword_names) noexcept {
    if (keyword_names != nullptr || positional_count != static_cast<Py_ssize_t>(P::count)) [[unlikely]]
      return call_with_parsed_arguments(description<V>, &construct_fastcall<V>, callable, args,
                                        positional_count, keyword_names);
    return guarded_construct<V>(reinterpret_cast<PyTypeObject*>(callable), args);
  }

  template <class V>
  static void add_to(TypeBuilder& builder) {
    builder.add_constructor(&entry<V>, &construct_call<V>, written.data(), written.size());
  }
};

// ---- properties and class attributes --------------------------------------------------------

template <FixedString Name, auto Body, FixedString Doc = "">
struct Getter {
  template <class V>
  static PyObject* entry(PyObject* self, void*) noexcept {
    return guarded_raw<PyObject*>(
        nullptr, [&]() __attribute__((always_inline)) {
          return call_on_receiver<V, Body, receiver_borrow<Body, BorrowOf::Body>(), IntoObject, of_type>(
              self, nullptr, nullptr);
        });
  }
  template <class V>
  static void add_to(TypeBuilder& builder) {
    builder.add_property(Name.c_str(), &entry<V>, nullptr, Doc.empty() ? nullptr : Doc.c_str());
  }
};

// Deleting the attribute: AttributeError "can't delete attribute", raised.
[[gnu::cold]] int refuse_attribute_deletion() noexcept;

template <FixedString Name, auto Body, FixedString Doc = "">
struct Setter {
  template <class V>
  static int entry(PyObject* self, PyObject* value, void*) noexcept {
    if (value == nullptr) return refuse_attribute_deletion();
    return guarded_raw<int>(
        -1, [&]() __attribute__((always_inline)) {
          return call_on_receiver<V, Body, receiver_borrow<Body, BorrowOf::Body>(), IntoStatus,
                                  CallOptions{.order = Order::OperandsFirst, .receiver = Known::OfType}>(
              self, &value, nullptr);
        });
  }
  template <class V>
  static void add_to(TypeBuilder& builder) {
    builder.add_property(Name.c_str(), nullptr, &entry<V>, Doc.empty() ? nullptr : Doc.c_str());
  }
};

template <FixedString Name, auto Body>
struct ClassAttribute {
  static PyResult<Ref> make() {
    return call_into_py([] { return Body(); });
  }
  template <class V>
  static void add_to(TypeBuilder& builder) {
    builder.add_class_attribute(Name.c_str(), &make);
  }
};

}  // namespace qzr::py
