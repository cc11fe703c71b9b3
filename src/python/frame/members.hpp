// The member kinds a class declares in ClassDef<V>::members, one trampoline per kind:
//   Constructor<Body, "param", "opt=None"...>     __new__; Body(args...) -> V or expected<V, E>;
//                                                 its parameter list is the class's text signature
//   Method<"name", Body, "param"...>              Body(const V& | V&, args...); the receiver's
//                                                 constness decides a shared or exclusive borrow
//   ClassMethod<"name", Body, ...>, StaticMethod<"name", Body, ...>   Body(args...)
//   Getter<"name", Body, "doc">, Setter<"name", Body, "doc">  Body(const V&) / Body(V&, T)
//   ClassAttribute<"name", Body>                  Body() -> value, made once when the type is built
//   Repr<Body>, Str<Body>, Int<Body>, Float<Body>, Neg<Body>, Abs<Body>, Hash<Body>, Len<Body>
//   RichCompare<Body>                             Body(const V&, Other, int op); failures -> NotImplemented
//   Comparisons<Eq<Body>, Lt<Body>, ...>          separate bodies, named by operator (Eq, Ne, Lt,
//                                                 Le, Gt, Ge); an operator not named is NotImplemented
//   Add<Forward, Reflected>, Sub, Mul, Mod, TrueDiv, Pow   forward/reflected number slots
//   GetItem<Body>, SetItem<Body>                  mapping slots
// Parameters written "name=None" are optional and must be std::optional<T> (or `const V*`).
#pragma once

#include <optional>
#include <tuple>

#include "python/frame/arguments.hpp"
#include "python/frame/convert.hpp"
#include "python/frame/function_traits.hpp"
#include "python/frame/guard.hpp"
#include "python/frame/type_builder.hpp"

namespace qzr::py {

template <class... M>
struct Members {
  template <class V>
  static void add_to(TypeBuilder& builder) {
    (M::template add_to<V>(builder), ...);
  }
};

// ---- receivers ------------------------------------------------------------------------------

// The borrow a member takes on its receiver: what the body's receiver parameter implies (shared
// for `const V&`, exclusive for `V&`), unless the declaration states another.
enum class BorrowOf { Body, Exclusive };

template <auto Body, BorrowOf Stated>
constexpr BorrowMode receiver_borrow() {
  if constexpr (Stated == BorrowOf::Exclusive) {
    return BorrowMode::Exclusive;
  } else {
    using Parameter = BodyArgument<Body, 0>;
    static_assert(std::is_reference_v<Parameter>, "a receiver is taken as const V& or V&");
    return std::is_const_v<std::remove_reference_t<Parameter>> ? BorrowMode::Shared : BorrowMode::Exclusive;
  }
}

// A nullable shared borrow: None is nullptr. (Stored is not an optional: GCC 12 misreports
// an optional<optional<SharedBorrow>> as maybe uninitialized.)
template <PyClass V>
struct FromPython<const V*> {
  using Stored = SharedBorrow<V>;
  static PyResult<Stored> extract(PyObject* object) {
    if (object == nullptr || object == Py_None) return SharedBorrow<V>::none();
    return SharedBorrow<V>::take(object);
  }
  static const V* get(Stored& stored) { return stored.get_if(); }
};

// ---- argument packs -------------------------------------------------------------------------

// What happens when the receiver or an operand cannot be taken: the member raises the error,
// or (comparison and number slots) answers NotImplemented and drops it, refusing a receiver of
// another type before any error is built.
enum class Refusal { Raise, NotImplemented };

// The C result of an object entry whose receiver or operand was refused with `error`: null with
// the error raised, or NotImplemented (a new reference) when `refusal` drops it.
[[gnu::cold]] PyObject* refused(PyErr error, Refusal refusal) noexcept;

// The same for an argument that failed to convert with `error`, its TypeError first wrapped
// under the parameter's name when `name` is not null. Compiled once.
[[gnu::cold]] PyObject* refused_argument(PyErr error, const std::string_view* name, Refusal refusal);
// Raises the error of an argument, wrapped as refused_argument wraps it. Compiled once.
[[gnu::cold]] void raise_argument_error(PyErr error, const std::string_view* name);

template <class Tuple>
struct ArgumentPack;

// Converts the parsed argument objects one by one in parameter order, keeping what must live
// during the call (borrows), then applies a function to the converted values.
template <class... A>
struct ArgumentPack<std::tuple<A...>> {
  static constexpr std::size_t count = sizeof...(A);
  std::tuple<std::optional<typename FromPython<A>::Stored>...> stored;

  // Converts the objects (a conversion failure is wrapped under the parameter's name when
  // `names` is given). On the first failure, sets `refused` to `Refuse::argument(error, name)`
  // (while the arguments converted before it are still held) and returns false. A refusal turns
  // the error of the receiver or of an argument into what the caller returns (see RefuseInto).
  // Nothing is kept for a failure on the way, so a call whose arguments convert carries nothing
  // for one.
  template <class Refuse>
  [[gnu::always_inline]] bool load_or_refuse([[maybe_unused]] PyObject* const* objects,
                                             [[maybe_unused]] const std::string_view* names,
                                             [[maybe_unused]] typename Refuse::Raw& refused) {
    return load_all<Refuse>(objects, names, refused, std::index_sequence_for<A...>{});
  }

  template <class F>
  decltype(auto) apply(F&& function) {
    return [&]<std::size_t... I>(std::index_sequence<I...>)->decltype(auto) {
      return function(FromPython<A>::get(*std::get<I>(stored))...);
    }
    (std::index_sequence_for<A...>{});
  }

 private:
  template <class Refuse, std::size_t... I>
  [[gnu::always_inline]] bool load_all([[maybe_unused]] PyObject* const* objects,
                                       [[maybe_unused]] const std::string_view* names,
                                       [[maybe_unused]] typename Refuse::Raw& refused,
                                       std::index_sequence<I...>) {
    return (load_one<I, Refuse>(objects[I], names, refused) && ...);
  }

  template <std::size_t I, class Refuse>
  [[gnu::always_inline]] bool load_one(PyObject* object, const std::string_view* names,
                                       typename Refuse::Raw& refused) {
    using T = std::tuple_element_t<I, std::tuple<A...>>;
    auto result = FromPython<T>::extract(object);
    if (!result) [[unlikely]] {
      refused = Refuse::argument(std::move(result.error()), names ? &names[I] : nullptr);
      return false;
    }
    std::get<I>(stored).emplace(std::move(*result));
    return true;
  }
};

template <auto Body, std::size_t Skip>
using BodyArguments = ArgumentPack<typename DropFront<Skip, typename BodyTraits<Body>::Arguments>::type>;

template <auto Body, std::size_t Skip, class P>
constexpr bool optional_parameters_are_optional() {
  using Arguments = typename DropFront<Skip, typename BodyTraits<Body>::Arguments>::type;
  static_assert(std::tuple_size_v<Arguments> == P::count, "one parameter name per body argument");
  return []<std::size_t... I>(std::index_sequence<I...>) {
    return ((!P::optional[I] || IsOptional<std::tuple_element_t<I, Arguments>>::value ||
             std::is_pointer_v<std::tuple_element_t<I, Arguments>>)&&...);
  }
  (std::make_index_sequence<P::count>{});
}

// The value a body returned as V, unwrapping std::expected (its error converted by IntoPyErr).
template <class V, class R>
PyResult<V> body_value(R&& result) {
  using Plain = std::remove_cvref_t<R>;
  if constexpr (IsExpected<Plain>::value) {
    // NOLINTNEXTLINE(bugprone-move-forwarding-reference): a body's result is handed over, never used again
    auto value = to_py_result(std::move(result));
    if (!value) return fail(std::move(value.error()));
    return V(std::move(*value));
  } else {
    return V(std::forward<R>(result));
  }
}

// ---- results --------------------------------------------------------------------------------

// How a member turns its body's result into what its C entry returns: `Raw` is that result,
// `failed()` what it returns once the error is raised.
struct IntoObject {  // a new reference (or NotImplemented) for slots and methods, null on error
  using Raw = PyObject*;
  static Raw failed() { return nullptr; }
  template <class Call>
  static Raw finish(Call&& call) {
    return call_into_object(std::forward<Call>(call));
  }
};
struct IntoStatus {  // 0 for setters, -1 on error: the body's result, if any, is dropped
  using Raw = int;
  static Raw failed() { return -1; }
  template <class Call>
  static Raw finish(Call&& call) {
    PyObject* result = call_into_object(std::forward<Call>(call));
    if (result == nullptr) return -1;
    Py_DECREF(result);
    return 0;
  }
};
template <class T>
struct IntoValue {  // the body's value as T (hash, length); nullopt once the error is raised
  using Raw = std::optional<T>;
  static Raw failed() { return std::nullopt; }
  template <class Call>
  static Raw finish(Call&& call) {
    auto value = body_value<T>(call());
    if (!value) {
      raise_error(std::move(value.error()));
      return std::nullopt;
    }
    return *value;
  }
};

// What an entry whose receiver or operand was refused with `error` returns: the error raised, or
// (object entries that answer NotImplemented) dropped for NotImplemented.
template <class Finish, Refusal refusal>
struct RefuseInto {
  using Raw = typename Finish::Raw;
  static Raw result(PyErr&& error) {
    if constexpr (std::is_same_v<Finish, IntoObject>) {
      return refused(std::move(error), refusal);
    } else {
      static_assert(refusal == Refusal::Raise, "only object entries answer NotImplemented");
      raise_error(std::move(error));
      return Finish::failed();
    }
  }
  static Raw argument(PyErr&& error, const std::string_view* name) {
    if constexpr (std::is_same_v<Finish, IntoObject>) {
      return refused_argument(std::move(error), name, refusal);
    } else {
      raise_argument_error(std::move(error), name);
      return Finish::failed();
    }
  }
};

// Whether operands are converted before the receiver is taken (property setters).
enum class Order { ReceiverFirst, OperandsFirst };

// How call_on_receiver treats its receiver and operands.
struct CallOptions {
  Refusal refusal = Refusal::Raise;
  Order order = Order::ReceiverFirst;
  // What the caller knows of the receiver's type (see Known).
  Known receiver = Known::Nothing;
};
// For a receiver the interpreter checked: the self of a method, property or slot of the class.
inline constexpr CallOptions of_type{.receiver = Known::OfType};

// The one sequence behind every member with a receiver: take the receiver (shared or exclusive
// as `borrow` says), convert the operands in parameter order (a conversion error is wrapped
// under its parameter's name when `names` is given), call the body and finish. Returns the C
// result; an error is raised by then. Only the typed steps are here: the refusals, the raising
// and the boxing of errors are compiled once.
template <class V, auto Body, BorrowMode borrow, class Finish = IntoObject, CallOptions options = {}>
[[gnu::always_inline]] inline typename Finish::Raw call_on_receiver(PyObject* self, PyObject* const* operands,
                                                                    const std::string_view* names) {
  using Refuse = RefuseInto<Finish, options.refusal>;
  constexpr bool decline = options.refusal == Refusal::NotImplemented;
  if constexpr (decline) {
    if (!is_instance_given<V, options.receiver>(self)) return Py_NewRef(Py_NotImplemented);
  }
  BodyArguments<Body, 1> arguments;
  typename Finish::Raw refused_operand;
  if constexpr (options.order == Order::OperandsFirst) {
    if (!arguments.template load_or_refuse<Refuse>(operands, names, refused_operand)) [[unlikely]]
      return refused_operand;
  }
  // A receiver that answers NotImplemented was checked above.
  constexpr Known receiver_known = decline ? Known::Instance : options.receiver;
  Instance<V>* instance = try_borrow<V, borrow, receiver_known>(self);
  if (instance == nullptr) [[unlikely]]
    return Refuse::result(borrow_refusal<V, borrow>(self));
  HeldBorrow<V, borrow> held(instance);
  if constexpr (options.order == Order::ReceiverFirst) {
    if (!arguments.template load_or_refuse<Refuse>(operands, names, refused_operand)) [[unlikely]]
      return refused_operand;
  }
  return Finish::finish([&]() -> decltype(auto) {
    return arguments.apply([&](auto&&... values) -> decltype(auto) {
      return Body(held.get(), std::forward<decltype(values)>(values)...);
    });
  });
}

// The same for a body without a receiver (class and static methods).
template <auto Body>
[[gnu::always_inline]] inline PyObject* call_without_receiver(PyObject* const* operands,
                                                              const std::string_view* names) {
  BodyArguments<Body, 0> arguments;
  PyObject* refused_operand;
  if (!arguments.template load_or_refuse<RefuseInto<IntoObject, Refusal::Raise>>(
          operands, names, refused_operand)) [[unlikely]]
    return refused_operand;
  return call_into_object([&]() -> decltype(auto) {
    return arguments.apply(
        [](auto&&... values) -> decltype(auto) { return Body(std::forward<decltype(values)>(values)...); });
  });
}

// The most parameters a member may declare: a call that is parsed holds its objects in an array
// of this size.
inline constexpr std::size_t max_parsed_parameters = 16;

// A fastcall entry: (self, args, positional count, keyword names).
using FastcallEntry = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);

// The general case of a fastcall entry, for a call that does not give exactly every parameter
// by position: parses the arguments against `description` and calls `entry` again with one
// object per parameter by position (null for an optional parameter not given). Compiled once.
PyObject* call_with_parsed_arguments(const FunctionDescription& description, FastcallEntry entry,
                                     PyObject* self, PyObject* const* args, Py_ssize_t positional_count,
                                     PyObject* keyword_names) noexcept;

// ---- methods --------------------------------------------------------------------------------

enum class MethodKind { Instance, Class, Static };

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
  static constexpr FunctionDescription description{ClassDef<V>::name, Name.view(), P::names.data(), P::count,
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

// ---- unary and size slots -------------------------------------------------------------------

template <int Slot, auto Body>
struct UnarySlot {
  template <class V>
  static PyObject* entry(PyObject* self) noexcept {
    return guarded_raw<PyObject*>(
        nullptr, [&]() __attribute__((always_inline)) {
          return call_on_receiver<V, Body, receiver_borrow<Body, BorrowOf::Body>(), IntoObject, of_type>(
              self, nullptr, nullptr);
        });
  }
  template <class V>
  static void add_to(TypeBuilder& builder) {
    builder.add_slot(Slot, reinterpret_cast<void*>(&entry<V>));
  }
};

template <auto Body>
using Repr = UnarySlot<Py_tp_repr, Body>;
template <auto Body>
using Str = UnarySlot<Py_tp_str, Body>;
template <auto Body>
using Int = UnarySlot<Py_nb_int, Body>;
template <auto Body>
using Float = UnarySlot<Py_nb_float, Body>;
template <auto Body>
using Neg = UnarySlot<Py_nb_negative, Body>;
template <auto Body>
using Abs = UnarySlot<Py_nb_absolute, Body>;

// __hash__: a 64-bit value taken as a signed size; -1 becomes -2. A class that caches its hash
// (CellTraits::caches_hash) computes it once per value; an instance that is exclusively borrowed
// is refused as before.
template <auto Body>
struct Hash {
  template <class V>
  static Py_hash_t entry(PyObject* self) noexcept {
    if constexpr (CellTraits<V>::caches_hash) {
      if (is_instance_given<V, Known::OfType>(self)) [[likely]] {
        Instance<V>* instance = instance_of<V>(self);
        if (instance->cached_hash != no_cached_hash && instance->borrow_flag != -1) [[likely]]
          return instance->cached_hash;
      }
    }
    return guarded_raw<Py_hash_t>(
        -1, [&]() __attribute__((always_inline))->Py_hash_t {
          auto hash = call_on_receiver<V, Body, receiver_borrow<Body, BorrowOf::Body>(),
                                       IntoValue<std::uint64_t>, of_type>(self, nullptr, nullptr);
          if (!hash) return -1;
          auto value = static_cast<Py_hash_t>(*hash);
          if (value == -1) value = -2;
          // The receiver was an instance, and the body read it under a shared borrow.
          if constexpr (CellTraits<V>::caches_hash) instance_of<V>(self)->cached_hash = value;
          return value;
        });
  }
  template <class V>
  static void add_to(TypeBuilder& builder) {
    builder.add_slot(Py_tp_hash, reinterpret_cast<void*>(&entry<V>));
  }
};

// The C result of __len__ for `length`: OverflowError (raised) above the largest signed size.
Py_ssize_t length_or_overflow(std::optional<std::size_t> length);

// __len__: an unsigned size; one above the largest signed size is OverflowError.
template <auto Body>
struct Len {
  template <class V>
  static Py_ssize_t entry(PyObject* self) noexcept {
    return guarded_raw<Py_ssize_t>(
        -1, [&]() __attribute__((always_inline)) {
          return length_or_overflow(
              call_on_receiver<V, Body, receiver_borrow<Body, BorrowOf::Body>(), IntoValue<std::size_t>,
                               of_type>(self, nullptr, nullptr));
        });
  }
  template <class V>
  static void add_to(TypeBuilder& builder) {
    builder.add_slot(Py_mp_length, reinterpret_cast<void*>(&entry<V>));
  }
};

// ---- operands that fall through to NotImplemented -------------------------------------------

// Calls Body(receiver, operands...) where a receiver or operand that cannot be taken gives
// NotImplemented (the error is dropped); errors of the body itself are raised.
// A receiver of another type is refused before any error is built for it.
template <class V, auto Body, Known receiver = Known::Nothing>
inline PyObject* call_or_not_implemented(PyObject* self, PyObject* const* operands) {
  return call_on_receiver<V, Body, receiver_borrow<Body, BorrowOf::Body>(), IntoObject,
                          CallOptions{.refusal = Refusal::NotImplemented, .receiver = receiver}>(
      self, operands, nullptr);
}

// A single comparison body: Body(const V&, Other, int op) with op 0..5 as Py_LT..Py_GE.
template <auto Body>
struct RichCompare {
  template <class V>
  static PyObject* compare(PyObject* self, PyObject* other, int op) {
    Instance<V>* instance = try_borrow<V, receiver_borrow<Body, BorrowOf::Body>(), Known::OfType>(self);
    if (instance == nullptr) return Py_NewRef(Py_NotImplemented);
    HeldBorrow<V, receiver_borrow<Body, BorrowOf::Body>()> held(instance);
    using Other = BodyArgument<Body, 1>;
    auto operand = FromPython<Other>::extract(other);
    if (!operand) [[unlikely]]
      return refused(std::move(operand.error()), Refusal::NotImplemented);
    return call_into_object([&] { return Body(held.get(), FromPython<Other>::get(*operand), op); });
  }
  template <class V>
  static PyObject* entry(PyObject* self, PyObject* other, int op) noexcept {
    if (op < Py_LT || op > Py_GE) return Py_NewRef(Py_NotImplemented);
    return guarded_raw<PyObject*>(
        nullptr, [&]() __attribute__((always_inline)) { return compare<V>(self, other, op); });
  }
  template <class V>
  static void add_to(TypeBuilder& builder) {
    builder.add_slot(Py_tp_richcompare, reinterpret_cast<void*>(&entry<V>));
  }
};

// One comparison body, named by its operator: Body(const V&, Other) for `self <op> other`.
template <int Op, auto Body>
struct ComparisonBody {
  static constexpr int op = Op;
  static constexpr auto body = Body;
};
template <auto Body>
using Eq = ComparisonBody<Py_EQ, Body>;
template <auto Body>
using Ne = ComparisonBody<Py_NE, Body>;
template <auto Body>
using Lt = ComparisonBody<Py_LT, Body>;
template <auto Body>
using Le = ComparisonBody<Py_LE, Body>;
template <auto Body>
using Gt = ComparisonBody<Py_GT, Body>;
template <auto Body>
using Ge = ComparisonBody<Py_GE, Body>;

// `self != other` for a class without a `!=` body: the negation of the interpreter's full `==`.
// Compiled once.
PyObject* not_equal_by_negation(PyObject* self, PyObject* other) noexcept;

// Separate comparison bodies, each named by its operator; an operator without a body is
// NotImplemented, except that `!=` without a body of its own negates the interpreter's full `==`.
template <class... Bodies>
struct Comparisons {
  static_assert(
      [] {
        int ops[] = {Bodies::op..., -1};
        for (std::size_t i = 0; i < sizeof...(Bodies); ++i)
          for (std::size_t j = i + 1; j < sizeof...(Bodies); ++j)
            if (ops[i] == ops[j]) return false;
        return true;
      }(),
      "one body per comparison operator");

  template <int Op>
  static constexpr bool defines = ((Bodies::op == Op) || ...);

  // Whether a body compares its receiver with a value of a class and returns a bool: it then runs
  // on the two values read in place (readable_in_place), without borrows. Taking the operand,
  // the body and the result run no Python code, so the borrows would be unobservable; such a
  // body must not run Python code itself (the bodies compare domain values).
  template <class V, auto Body>
  static constexpr bool compares_in_place = [] {
    using Operand = BodyArgument<Body, 1>;
    if constexpr (std::is_lvalue_reference_v<Operand> && std::is_const_v<std::remove_reference_t<Operand>>) {
      return std::is_same_v<BodyArgument<Body, 0>, const V&> && PyClass<std::remove_cvref_t<Operand>> &&
             std::is_same_v<typename BodyTraits<Body>::Result, bool>;
    } else {
      return false;
    }
  }();

  // Calls one body with (self, other). The values are read in place where they can be; the
  // general path, out of line, takes borrows and may answer NotImplemented.
  template <class V, auto Body>
  [[gnu::always_inline]] static PyObject* call_body(PyObject* self, PyObject* other) noexcept {
    if constexpr (compares_in_place<V, Body>) {
      using W = std::remove_cvref_t<BodyArgument<Body, 1>>;
      if (readable_in_place<V, Known::OfType>(self) && is_exact_instance<W>(other) &&
          readable_in_place<W, Known::Instance>(other)) [[likely]] {
        return guarded_raw<PyObject*>(
            nullptr, [&]() __attribute__((always_inline)) {
              return Py_NewRef(
                  Body(instance_of<V>(self)->value(), instance_of<W>(other)->value()) ? Py_True : Py_False);
            });
      }
    }
    return call_with_borrows<V, Body>(self, other);
  }

  template <class V, auto Body>
  [[gnu::noinline]] static PyObject* call_with_borrows(PyObject* self, PyObject* other) noexcept {
    return guarded_raw<PyObject*>(
        nullptr, [&]() __attribute__((always_inline)) {
          return call_or_not_implemented<V, Body, Known::OfType>(self, &other);
        });
  }

  // The body of operator Op, called with (self, other); NotImplemented when there is none.
  template <class V, int Op>
  static PyObject* compare(PyObject* self, PyObject* other) noexcept {
    PyObject* result = nullptr;
    bool found =
        ((Bodies::op == Op ? (result = call_body<V, Bodies::body>(self, other), true) : false) || ...);
    return found ? result : Py_NewRef(Py_NotImplemented);
  }

  template <class V>
  static PyObject* entry(PyObject* self, PyObject* other, int op) noexcept {
    if (op == Py_EQ) [[likely]]  // the comparison of dict and set lookups
      return compare<V, Py_EQ>(self, other);
    switch (op) {
      case Py_LT: return compare<V, Py_LT>(self, other);
      case Py_LE: return compare<V, Py_LE>(self, other);
      case Py_GT: return compare<V, Py_GT>(self, other);
      case Py_GE: return compare<V, Py_GE>(self, other);
      case Py_NE:
        if constexpr (defines<Py_NE>) {
          return compare<V, Py_NE>(self, other);
        } else {
          return not_equal_by_negation(self, other);
        }
      default: return guarded_raw<PyObject*>(nullptr, []() -> PyObject* { fault("invalid compareop"); });
    }
  }
  template <class V>
  static void add_to(TypeBuilder& builder) {
    builder.add_slot(Py_tp_richcompare, reinterpret_cast<void*>(&entry<V>));
  }
};

// A number slot with a forward and a reflected body (either may be nullptr): the forward body
// runs with (left, right); if it gives NotImplemented, the reflected one with (right, left).
template <int Slot, auto Forward, auto Reflected>
struct BinaryOperator {
  // `modulo` is the third operand of the ternary slot, null for the binary ones.
  template <class V>
  static PyObject* both(PyObject* left, PyObject* right, PyObject* modulo) {
    PyObject* forward_operands[] = {right, modulo};
    PyObject* forward = call_side<V, Forward>(left, forward_operands);
    if (forward != Py_NotImplemented) return forward;
    Py_DECREF(forward);
    PyObject* reflected_operands[] = {left, modulo};
    return call_side<V, Reflected>(right, reflected_operands);
  }

  template <class V, auto Body>
  static PyObject* call_side(PyObject* receiver, PyObject* const* operands) {
    if constexpr (std::is_null_pointer_v<decltype(Body)>) {
      return Py_NewRef(Py_NotImplemented);
    } else {
      return call_or_not_implemented<V, Body>(receiver, operands);
    }
  }

  template <class V>
  static PyObject* binary_entry(PyObject* left, PyObject* right) noexcept {
    return guarded_raw<PyObject*>(
        nullptr, [&]() __attribute__((always_inline)) { return both<V>(left, right, nullptr); });
  }
  template <class V>
  static PyObject* ternary_entry(PyObject* left, PyObject* right, PyObject* modulo) noexcept {
    return guarded_raw<PyObject*>(
        nullptr, [&]() __attribute__((always_inline)) { return both<V>(left, right, modulo); });
  }
  template <class V>
  static void add_to(TypeBuilder& builder) {
    if constexpr (Slot == Py_nb_power) {
      builder.add_slot(Slot, reinterpret_cast<void*>(&ternary_entry<V>));
    } else {
      builder.add_slot(Slot, reinterpret_cast<void*>(&binary_entry<V>));
    }
  }
};

template <auto Forward, auto Reflected = nullptr>
using Add = BinaryOperator<Py_nb_add, Forward, Reflected>;
template <auto Forward, auto Reflected = nullptr>
using Sub = BinaryOperator<Py_nb_subtract, Forward, Reflected>;
template <auto Forward, auto Reflected = nullptr>
using Mul = BinaryOperator<Py_nb_multiply, Forward, Reflected>;
template <auto Forward, auto Reflected = nullptr>
using Mod = BinaryOperator<Py_nb_remainder, Forward, Reflected>;
template <auto Forward, auto Reflected = nullptr>
using TrueDiv = BinaryOperator<Py_nb_true_divide, Forward, Reflected>;
// Both bodies take the modulo operand as a third argument.
template <auto Forward, auto Reflected = nullptr>
using Pow = BinaryOperator<Py_nb_power, Forward, Reflected>;

// ---- mapping slots --------------------------------------------------------------------------

// __getitem__: failures raise (a TypeError of the key's conversion is named after `KeyName`).
template <auto Body, FixedString KeyName = "key">
struct GetItem {
  static constexpr std::array<std::string_view, 1> names{KeyName.view()};
  template <class V>
  static PyObject* entry(PyObject* self, PyObject* key) noexcept {
    return guarded_raw<PyObject*>(
        nullptr, [&]() __attribute__((always_inline)) {
          return call_on_receiver<V, Body, receiver_borrow<Body, BorrowOf::Body>(), IntoObject, of_type>(
              self, &key, names.data());
        });
  }
  template <class V>
  static void add_to(TypeBuilder& builder) {
    builder.add_slot(Py_mp_subscript, reinterpret_cast<void*>(&entry<V>));
  }
};

// Deleting an item: NotImplementedError "can't delete item", raised.
[[gnu::cold]] int refuse_item_deletion() noexcept;

// __setitem__ (Body(V&, Key, Value)); deletion raises NotImplementedError "can't delete item"
// before the receiver is touched.
template <auto Body, FixedString KeyName = "key", FixedString ValueName = "value">
struct SetItem {
  static constexpr std::array<std::string_view, 2> names{KeyName.view(), ValueName.view()};
  template <class V>
  static int entry(PyObject* self, PyObject* key, PyObject* value) noexcept {
    if (value == nullptr) return refuse_item_deletion();
    return guarded_raw<int>(
        -1, [&]() __attribute__((always_inline)) {
          PyObject* operands[] = {key, value};
          return call_on_receiver<V, Body, receiver_borrow<Body, BorrowOf::Body>(), IntoStatus, of_type>(
              self, operands, names.data());
        });
  }
  template <class V>
  static void add_to(TypeBuilder& builder) {
    builder.add_slot(Py_mp_ass_subscript, reinterpret_cast<void*>(&entry<V>));
  }
};

}  // namespace qzr::py
