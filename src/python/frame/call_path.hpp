// The call path every member kind shares: the receiver's borrow, the argument packs that convert
// the objects of a call, what a body's result becomes, and the one call sequence with and without
// a receiver (call_on_receiver, call_without_receiver, call_or_not_implemented). Only the typed
// steps are here, inlined into each member's entry; refusals, parsing and raising are compiled once
// (members.cpp, arguments.cpp, guard.cpp).
#pragma once

#include <optional>
#include <tuple>

#include "python/frame/arguments.hpp"
#include "python/frame/convert.hpp"
#include "python/frame/function_traits.hpp"
#include "python/frame/guard.hpp"
#include "python/frame/type_builder.hpp"

namespace qzr::py {

// A class's member list: each member kind M adds itself to the type being built, in order.
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

// ---- body results ---------------------------------------------------------------------------

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

// ---- the call sequence ----------------------------------------------------------------------

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

// Calls Body(receiver, operands...) where a receiver or operand that cannot be taken gives
// NotImplemented (the error is dropped); errors of the body itself are raised.
// A receiver of another type is refused before any error is built for it.
template <class V, auto Body, Known receiver = Known::Nothing>
inline PyObject* call_or_not_implemented(PyObject* self, PyObject* const* operands) {
  return call_on_receiver<V, Body, receiver_borrow<Body, BorrowOf::Body>(), IntoObject,
                          CallOptions{.refusal = Refusal::NotImplemented, .receiver = receiver}>(
      self, operands, nullptr);
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

}  // namespace qzr::py
