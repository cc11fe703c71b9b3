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

template <class V, class Parameter>
struct Receiver;

template <class V>
struct Receiver<V, const V&> : SharedBorrow<V> {};

template <class V>
struct Receiver<V, V&> : ExclusiveBorrow<V> {};

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

template <class Tuple>
struct ArgumentPack;

// Converts the parsed argument objects one by one in parameter order, keeping what must live
// during the call (borrows), then applies a function to the converted values.
template <class... A>
struct ArgumentPack<std::tuple<A...>> {
  static constexpr std::size_t count = sizeof...(A);
  std::tuple<std::optional<typename FromPython<A>::Stored>...> stored;

  // Conversion failures are wrapped under the parameter's name when `names` is given.
  [[gnu::always_inline]] PyResult<void> load(PyObject* const* objects, const std::string_view* names) {
    std::optional<PyErr> error;
    load_all(objects, names, error, std::index_sequence_for<A...>{});
    if (error) return fail(std::move(*error));
    return {};
  }

  template <class F>
  decltype(auto) apply(F&& function) {
    return apply_all(std::forward<F>(function), std::index_sequence_for<A...>{});
  }

 private:
  template <std::size_t... I>
  [[gnu::always_inline]] void load_all([[maybe_unused]] PyObject* const* objects,
                                       [[maybe_unused]] const std::string_view* names,
                                       [[maybe_unused]] std::optional<PyErr>& error,
                                       std::index_sequence<I...>) {
    (void)(load_one<I>(objects[I], names, error) && ...);
  }

  template <std::size_t I>
  [[gnu::always_inline]] bool load_one(PyObject* object, const std::string_view* names,
                                       std::optional<PyErr>& error) {
    using T = std::tuple_element_t<I, std::tuple<A...>>;
    auto result = FromPython<T>::extract(object);
    if (!result) {
      error.emplace(names ? wrap_argument_error(names[I], std::move(result.error()))
                          : std::move(result.error()));
      return false;
    }
    std::get<I>(stored).emplace(std::move(*result));
    return true;
  }

  template <class F, std::size_t... I>
  decltype(auto) apply_all(F&& function, std::index_sequence<I...>) {
    return function(FromPython<A>::get(*std::get<I>(stored))...);
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

// How a member turns its body's result into what its C entry returns.
struct IntoObject {  // a new reference (or NotImplemented) for slots and methods
  using Result = PyResult<Ref>;
  template <class Call>
  static Result finish(Call&& call) {
    return call_into_py(std::forward<Call>(call));
  }
};
struct IntoStatus {  // 0 for setters: the body's result, if any, is dropped
  using Result = PyResult<int>;
  template <class Call>
  static Result finish(Call&& call) {
    auto result = call_into_py(std::forward<Call>(call));
    if (!result) return fail(std::move(result.error()));
    return 0;
  }
};
template <class T>
struct IntoValue {  // the body's value as T (hash, length)
  using Result = PyResult<T>;
  template <class Call>
  static Result finish(Call&& call) {
    return body_value<T>(call());
  }
};

// What happens when the receiver or an operand cannot be taken: the member raises the error,
// or (comparison and number slots) answers NotImplemented and drops it, refusing a receiver of
// another type before any error is built.
enum class Refusal { Raise, NotImplemented };
// Whether operands are converted before the receiver is taken (property setters).
enum class Order { ReceiverFirst, OperandsFirst };

// The one sequence behind every member with a receiver: take the receiver (shared or exclusive
// after the body's first parameter), convert the operands in parameter order (a conversion
// error is wrapped under its parameter's name when `names` is given), call the body and finish.
template <class V, auto Body, class Finish = IntoObject, Refusal refusal = Refusal::Raise,
          Order order = Order::ReceiverFirst>
[[gnu::always_inline]] inline typename Finish::Result call_on_receiver(PyObject* self,
                                                                       PyObject* const* operands,
                                                                       const std::string_view* names) {
  using Result = typename Finish::Result;
  constexpr bool decline = refusal == Refusal::NotImplemented;
  auto refuse = [](PyErr&& error) -> Result {
    if constexpr (decline) {
      return not_implemented_unless_raised(std::move(error));
    } else {
      return fail(std::move(error));
    }
  };
  using Borrow = Receiver<V, BodyArgument<Body, 0>>;
  if constexpr (decline) {
    if (!is_instance<V>(self)) return Ref::borrow(Py_NotImplemented);
  }
  BodyArguments<Body, 1> arguments;
  if constexpr (order == Order::OperandsFirst) {
    if (auto loaded = arguments.load(operands, names); !loaded) return refuse(std::move(loaded.error()));
  }
  auto receiver = decline ? Borrow::take_checked(self) : Borrow::take(self);
  if (!receiver) return refuse(std::move(receiver.error()));
  if constexpr (order == Order::ReceiverFirst) {
    if (auto loaded = arguments.load(operands, names); !loaded) return refuse(std::move(loaded.error()));
  }
  return Finish::finish([&]() -> decltype(auto) {
    return arguments.apply(
        [&](auto&&... values) { return Body(receiver->get(), std::forward<decltype(values)>(values)...); });
  });
}

// The same for a body without a receiver (constructors, class and static methods).
template <auto Body, class Finish = IntoObject>
[[gnu::always_inline]] inline typename Finish::Result call_without_receiver(PyObject* const* operands,
                                                                            const std::string_view* names) {
  BodyArguments<Body, 0> arguments;
  if (auto loaded = arguments.load(operands, names); !loaded) return fail(std::move(loaded.error()));
  return Finish::finish([&]() -> decltype(auto) {
    return arguments.apply([](auto&&... values) { return Body(std::forward<decltype(values)>(values)...); });
  });
}

// Parses, takes the receiver (when Skip is 1), converts and calls the body.
template <class V, auto Body, std::size_t Skip, class P>
[[gnu::always_inline]] inline PyResult<Ref> invoke_parsed(PyObject* self, PyObject* const* objects) {
  static_assert(optional_parameters_are_optional<Body, Skip, P>(),
                "a parameter written \"name=None\" must be std::optional<T> or a pointer");
  if constexpr (Skip == 1) {
    if (self == nullptr) api_call_failed();
    return call_on_receiver<V, Body>(self, objects, P::names.data());
  } else {
    return call_without_receiver<Body>(objects, P::names.data());
  }
}

// ---- methods --------------------------------------------------------------------------------

enum class MethodKind { Instance, Class, Static };

template <MethodKind Kind, FixedString Name, auto Body, FixedString... Written>
struct MethodMember {
  using P = ParameterList<Written...>;
  static constexpr std::size_t skip = Kind == MethodKind::Instance ? 1 : 0;
  static constexpr std::array<std::string_view, sizeof...(Written)> written{Written.view()...};

  template <class V>
  [[gnu::always_inline]] static PyResult<Ref> fastcall(PyObject* self, PyObject* const* args,
                                                       Py_ssize_t positional_count, PyObject* keyword_names) {
    static constexpr FunctionDescription description{ClassDef<V>::name, Name.view(), P::names.data(),
                                                     P::count, P::required};
    ArgumentSlots<P::count> objects;
    if (auto parsed = parse_fastcall_arguments(description, args, positional_count, keyword_names, objects);
        !parsed)
      return fail(std::move(parsed.error()));
    return invoke_parsed<V, Body, skip, P>(self, objects);
  }

  template <class V>
  static PyObject* fastcall_entry(PyObject* self, PyObject* const* args, Py_ssize_t positional_count,
                                  PyObject* keyword_names) noexcept {
    return guarded_object([&]() __attribute__((always_inline)) {
      return fastcall<V>(self, args, positional_count, keyword_names);
    });
  }

  template <class V>
  static PyObject* noargs_entry(PyObject* self, PyObject*) noexcept {
    return guarded_object([&]() -> PyResult<Ref> { return invoke_parsed<V, Body, skip, P>(self, nullptr); });
  }

  template <class V>
  static void add_to(TypeBuilder& builder) {
    constexpr int kind_flag = Kind == MethodKind::Class    ? METH_CLASS
                              : Kind == MethodKind::Static ? METH_STATIC
                                                           : 0;
    std::string_view receiver = Kind == MethodKind::Instance ? "$self"
                                : Kind == MethodKind::Class  ? "$cls"
                                                             : "";
    std::string doc = method_doc(Name.view(), receiver, written.data(), written.size());
    if constexpr (P::count == 0) {
      builder.add_method(Name.c_str(),
                         reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&noargs_entry<V>)),
                         METH_NOARGS | kind_flag, std::move(doc));
    } else {
      builder.add_method(Name.c_str(),
                         reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&fastcall_entry<V>)),
                         METH_FASTCALL | METH_KEYWORDS | kind_flag, std::move(doc));
    }
  }
};

template <FixedString Name, auto Body, FixedString... Written>
using Method = MethodMember<MethodKind::Instance, Name, Body, Written...>;
template <FixedString Name, auto Body, FixedString... Written>
using ClassMethod = MethodMember<MethodKind::Class, Name, Body, Written...>;
template <FixedString Name, auto Body, FixedString... Written>
using StaticMethod = MethodMember<MethodKind::Static, Name, Body, Written...>;

// ---- constructor ----------------------------------------------------------------------------

template <auto Body, FixedString... Written>
struct Constructor {
  using P = ParameterList<Written...>;
  static constexpr std::array<std::string_view, sizeof...(Written)> written{Written.view()...};

  template <class V>
  struct IntoInstance {  // a new instance of the type __new__ was called on
    using Result = PyResult<Ref>;
    PyTypeObject* type;
    template <class Call>
    Result finish(Call&& call) const {
      auto value = body_value<V>(call());
      if (!value) return fail(std::move(value.error()));
      return new_instance_of_type<V>(type, std::move(*value));
    }
  };

  static constexpr bool checks_optional_parameters = optional_parameters_are_optional<Body, 0, P>();
  static_assert(checks_optional_parameters,
                "a parameter written \"name=None\" must be std::optional<T> or a pointer");

  template <class V>
  static constexpr FunctionDescription description{ClassDef<V>::name, "__new__", P::names.data(), P::count,
                                                   P::required};

  // Converts the parsed objects, calls the body and puts its value in a new instance of `type`.
  template <class V, std::size_t N>
  [[gnu::always_inline]] static PyResult<Ref> construct(PyTypeObject* type, const ArgumentSlots<N>& objects) {
    BodyArguments<Body, 0> arguments;
    if (auto loaded = arguments.load(objects, P::names.data()); !loaded)
      return fail(std::move(loaded.error()));
    return IntoInstance<V>{type}.finish([&]() -> decltype(auto) {
      return arguments.apply(
          [](auto&&... values) { return Body(std::forward<decltype(values)>(values)...); });
    });
  }

  // __new__, called with an argument tuple and a keyword dictionary.
  template <class V>
  static PyObject* entry(PyTypeObject* type, PyObject* args, PyObject* kwargs) noexcept {
    return guarded_object([&]() -> PyResult<Ref> {
      ArgumentSlots<P::count> objects;
      if (auto parsed = parse_tuple_dict_arguments(description<V>, args, kwargs, objects); !parsed)
        return fail(std::move(parsed.error()));
      return construct<V>(type, objects);
    });
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
    return guarded_object([&]() -> PyResult<Ref> {
      ArgumentSlots<P::count> objects;
      if (auto parsed = parse_fastcall_arguments(description<V>, args, PyVectorcall_NARGS(nargsf),
                                                 keyword_names, objects);
          !parsed)
        return fail(std::move(parsed.error()));
      return construct<V>(type, objects);
    });
  }

  template <class V>
  static void add_to(TypeBuilder& builder) {
    builder.add_slot(Py_tp_new, reinterpret_cast<void*>(&entry<V>));
    builder.set_construct_call(&construct_call<V>);
    builder.set_text_signature(parameter_list_text("", written.data(), written.size()));
  }
};

// ---- properties and class attributes --------------------------------------------------------

template <FixedString Name, auto Body, FixedString Doc = "">
struct Getter {
  template <class V>
  static PyObject* entry(PyObject* self, void*) noexcept {
    return guarded_object(
        [&]() -> PyResult<Ref> { return call_on_receiver<V, Body>(self, nullptr, nullptr); });
  }
  template <class V>
  static void add_to(TypeBuilder& builder) {
    builder.add_property(Name.c_str(), &entry<V>, nullptr, Doc.empty() ? nullptr : Doc.c_str());
  }
};

template <FixedString Name, auto Body, FixedString Doc = "">
struct Setter {
  template <class V>
  static int entry(PyObject* self, PyObject* value, void*) noexcept {
    return guarded<int>(-1, [&]() -> PyResult<int> {
      if (value == nullptr) return fail(PyErr::attribute_error("can't delete attribute"));
      return call_on_receiver<V, Body, IntoStatus, Refusal::Raise, Order::OperandsFirst>(self, &value,
                                                                                         nullptr);
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
    return guarded_object(
        [&]() -> PyResult<Ref> { return call_on_receiver<V, Body>(self, nullptr, nullptr); });
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
      if (is_instance<V>(self)) [[likely]] {
        Instance<V>* instance = instance_of<V>(self);
        if (instance->cached_hash != no_cached_hash && instance->borrow_flag != -1) [[likely]]
          return instance->cached_hash;
      }
    }
    return guarded<Py_hash_t>(-1, [&]() -> PyResult<Py_hash_t> {
      auto hash = call_on_receiver<V, Body, IntoValue<std::uint64_t>>(self, nullptr, nullptr);
      if (!hash) return fail(std::move(hash.error()));
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

// __len__: an unsigned size; one above the largest signed size is OverflowError.
template <auto Body>
struct Len {
  template <class V>
  static Py_ssize_t entry(PyObject* self) noexcept {
    return guarded<Py_ssize_t>(-1, [&]() -> PyResult<Py_ssize_t> {
      auto length = call_on_receiver<V, Body, IntoValue<std::size_t>>(self, nullptr, nullptr);
      if (!length) return fail(std::move(length.error()));
      if (*length > static_cast<std::size_t>(PY_SSIZE_T_MAX))
        return fail(PyErr::overflow_error_without_text());
      return static_cast<Py_ssize_t>(*length);
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
template <class V, auto Body>
PyResult<Ref> call_or_not_implemented(PyObject* self, PyObject* const* operands) {
  return call_on_receiver<V, Body, IntoObject, Refusal::NotImplemented>(self, operands, nullptr);
}

// A single comparison body: Body(const V&, Other, int op) with op 0..5 as Py_LT..Py_GE.
template <auto Body>
struct RichCompare {
  template <class V>
  static PyObject* entry(PyObject* self, PyObject* other, int op) noexcept {
    return guarded_object([&]() -> PyResult<Ref> {
      if (op < Py_LT || op > Py_GE) return Ref::borrow(Py_NotImplemented);
      if (!is_instance<V>(self)) return Ref::borrow(Py_NotImplemented);
      auto receiver = Receiver<V, BodyArgument<Body, 0>>::take_checked(self);
      if (!receiver) return Ref::borrow(Py_NotImplemented);
      using Other = BodyArgument<Body, 1>;
      auto operand = FromPython<Other>::extract(other);
      if (!operand) return not_implemented_unless_raised(std::move(operand.error()));
      return call_into_py([&] { return Body(receiver->get(), FromPython<Other>::get(*operand), op); });
    });
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

  // The body of operator Op, called with (self, other); NotImplemented when there is none.
  template <class V, int Op>
  static PyResult<Ref> compare(PyObject* self, PyObject* other) {
    PyResult<Ref> result = Ref::borrow(Py_NotImplemented);
    static_cast<void>(
        ((Bodies::op == Op ? (result = call_or_not_implemented<V, Bodies::body>(self, &other), true)
                           : false) ||
         ...));
    return result;
  }

  template <class V>
  static PyObject* entry(PyObject* self, PyObject* other, int op) noexcept {
    return guarded_object([&]() -> PyResult<Ref> {
      switch (op) {
        case Py_LT: return compare<V, Py_LT>(self, other);
        case Py_LE: return compare<V, Py_LE>(self, other);
        case Py_EQ: return compare<V, Py_EQ>(self, other);
        case Py_GT: return compare<V, Py_GT>(self, other);
        case Py_GE: return compare<V, Py_GE>(self, other);
        case Py_NE:
          if constexpr (defines<Py_NE>) {
            return compare<V, Py_NE>(self, other);
          } else {
            Ref equal = Ref::steal(PyObject_RichCompare(self, other, Py_EQ));
            if (!equal) return fail(PyErr::fetch());
            int truth = PyObject_IsTrue(equal.get());
            if (truth < 0) return fail(PyErr::fetch());
            return Ref::borrow(truth ? Py_False : Py_True);
          }
        default: fault("invalid compareop");
      }
    });
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
  static PyResult<Ref> both(PyObject* left, PyObject* right, PyObject* modulo) {
    std::array<PyObject*, 2> forward_operands{right, modulo};
    auto forward = call_side<V, Forward>(left, forward_operands);
    if (!forward || forward->get() != Py_NotImplemented) return forward;
    std::array<PyObject*, 2> reflected_operands{left, modulo};
    return call_side<V, Reflected>(right, reflected_operands);
  }

  template <class V, auto Body>
  static PyResult<Ref> call_side(PyObject* receiver, const std::array<PyObject*, 2>& operands) {
    if constexpr (std::is_null_pointer_v<decltype(Body)>) {
      return Ref::borrow(Py_NotImplemented);
    } else {
      return call_or_not_implemented<V, Body>(receiver, operands.data());
    }
  }

  template <class V>
  static PyObject* binary_entry(PyObject* left, PyObject* right) noexcept {
    return guarded_object([&]() -> PyResult<Ref> { return both<V>(left, right, nullptr); });
  }
  template <class V>
  static PyObject* ternary_entry(PyObject* left, PyObject* right, PyObject* modulo) noexcept {
    return guarded_object([&]() -> PyResult<Ref> { return both<V>(left, right, modulo); });
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
    return guarded_object(
        [&]() -> PyResult<Ref> { return call_on_receiver<V, Body>(self, &key, names.data()); });
  }
  template <class V>
  static void add_to(TypeBuilder& builder) {
    builder.add_slot(Py_mp_subscript, reinterpret_cast<void*>(&entry<V>));
  }
};

// __setitem__ (Body(V&, Key, Value)); deletion raises NotImplementedError "can't delete item"
// before the receiver is touched.
template <auto Body, FixedString KeyName = "key", FixedString ValueName = "value">
struct SetItem {
  static constexpr std::array<std::string_view, 2> names{KeyName.view(), ValueName.view()};
  template <class V>
  static int entry(PyObject* self, PyObject* key, PyObject* value) noexcept {
    return guarded<int>(-1, [&]() -> PyResult<int> {
      if (value == nullptr) return fail(PyErr::not_implemented_error("can't delete item"));
      PyObject* operands[] = {key, value};
      return call_on_receiver<V, Body, IntoStatus>(self, operands, names.data());
    });
  }
  template <class V>
  static void add_to(TypeBuilder& builder) {
    builder.add_slot(Py_mp_ass_subscript, reinterpret_cast<void*>(&entry<V>));
  }
};

}  // namespace qzr::py
