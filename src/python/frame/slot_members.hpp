// The slots a class lists in its add_members, each with one C entry on the call path
// (call_path.hpp):
//   Repr<Body>, Str<Body>, Int<Body>, Float<Body>, Neg<Body>, Abs<Body>   Body(const V& | V&)
//   Hash<Body>, Len<Body>                         a 64-bit hash (cached where the class caches it),
//                                                 an unsigned length
//   RichCompare<Body>                             Body(const V&, Other, int op); failures -> NotImplemented
//   Comparisons<Eq<Body>, Lt<Body>, ...>          separate bodies, named by operator (Eq, Ne, Lt,
//                                                 Le, Gt, Ge); an operator not named is NotImplemented
//   Add<Forward, Reflected>, Sub, Mul, Mod, TrueDiv, Pow   forward/reflected number slots
//   GetItem<Body>, SetItem<Body>                  mapping slots (the sequence slots follow them)
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "python/frame/call_path.hpp"

namespace qzr::py {

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

// ---- comparisons ----------------------------------------------------------------------------

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

// ---- number slots ---------------------------------------------------------------------------

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
