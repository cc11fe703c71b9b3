// Decimal in Python: how DecimalError becomes the Python error, the reading of any argument as a
// Decimal (extract_decimal), and the members of the Decimal class.
#include "python/classes/values/decimal_class.hpp"

#include "python/classes/core/exceptions.hpp"
#include "values/recorded_amount.hpp"

namespace qzr::py {

PyErr IntoPyErr<DecimalError>::convert(const DecimalError& error) {
  return PyErr::lazy([] { return decimal_error_type().get(); }, std::string(error.text()));
}

namespace {

PyErr decimal_error_of(DecimalError::Kind kind) {
  return IntoPyErr<DecimalError>::convert(DecimalError(kind));
}

// Whether PyFloat_AsDouble can succeed: a float, or an object with __float__ or __index__.
bool has_float_value(PyObject* object) {
  if (PyFloat_Check(object)) return true;
  const PyNumberMethods* number = Py_TYPE(object)->tp_as_number;
  return number != nullptr && (number->nb_float != nullptr || number->nb_index != nullptr);
}

// An exact int of 64 bits as a Decimal; nullopt for a wider one (the flag set) or another type.
[[gnu::always_inline]] inline std::optional<Decimal> small_exact_int(PyObject* object) {
  if (!PyLong_CheckExact(object)) return std::nullopt;
  int overflow = 0;
  const long long value = PyLong_AsLongLongAndOverflow(object, &overflow);  // cannot fail for an int
  if (overflow != 0) return std::nullopt;
  return Decimal::from_i64(value);
}

// The operand of an operator or comparison where reading it runs no Python code: an exact
// Decimal that is not being changed (read in place) or an exact int of 64 bits (converted into
// `scratch`). Null for anything else, which extract_decimal then converts.
[[gnu::always_inline]] inline const Decimal* operand_without_python(PyObject* object, Decimal& scratch) {
  if (const Decimal* value = peek_exact_value<Decimal>(object)) [[likely]]
    return value;
  if (auto integer = small_exact_int(object)) {
    scratch = *integer;
    return &scratch;
  }
  return nullptr;
}

}  // namespace

PyResult<Decimal> extract_decimal(PyObject* object) {
  // The common small int reads in one call; a wider one takes the general integer path below.
  if (auto integer = small_exact_int(object)) return *integer;
  // A Decimal decides here: a copy refused because the object is being changed raises that
  // borrow error instead of falling through to the other conversions.
  if (is_instance<Decimal>(object)) return extract_clone<Decimal>(object);
  if (PyUnicode_Check(object)) {
    auto text = extract_string(object);
    if (!text) return fail(std::move(text.error()));
    return to_py_result(parse_decimal_text(*text));
  }
  // The object's kind decides which steps apply, so that a step that cannot apply builds no
  // error to drop (an exact float has no __index__). A step that applies and fails leaves no
  // error behind either, except one that must be raised as it is (KeyboardInterrupt, SystemExit).
  if (PyFloat_CheckExact(object)) return to_py_result(Decimal::from_f64(PyFloat_AS_DOUBLE(object)));
  if (PyIndex_Check(object)) {
    auto integer = extract_int128(object);
    if (integer) return to_py_result(Decimal::from_i128(*integer));
    if (auto dropped = drop_ordinary_error(std::move(integer.error())); !dropped)
      return fail(std::move(dropped.error()));
  }
  if (has_float_value(object)) {
    auto floating = extract_double(object);
    if (floating) return to_py_result(Decimal::from_f64(*floating));
    if (auto dropped = drop_ordinary_error(std::move(floating.error())); !dropped)
      return fail(std::move(dropped.error()));
  }
  return fail(decimal_error_of(DecimalError::Kind::UnsupportedType));
}

Ref decimal_to_py_str(const Decimal& value) { return to_python_string(value.text().view()); }

namespace {

PyResult<Decimal> construct(std::optional<Object> maybe_value) {
  if (!maybe_value) return Decimal::zero();
  return extract_decimal(maybe_value->ptr);
}

Decimal recorded_amount(const Decimal& self) { return round_recorded_decimal(self); }
DecimalResult<UInt128> to_usdc(const Decimal& self) { return to_usdc_grains(self); }
DecimalResult<UInt128> to_qzr(const Decimal& self) { return to_qzr_grains(self); }
DecimalResult<Decimal> from_usdc(UInt128 u) { return from_usdc_grains(u); }
DecimalResult<Decimal> from_qzr(UInt128 u) { return from_qzr_grains(u); }

// Truncated to `precision` places; never rounds up, adds no zeros and strips none.
Decimal quantize(const Decimal& self, std::uint32_t precision) {
  return self.rounded_to_places(precision, RoundingStrategy::ToZero);
}

// A state of another length than 16 is refused and leaves the value unchanged.
PyResult<void> set_state(Decimal& self, BytesView state) {
  if (state.data.size() != 16) return fail(decimal_error_of(DecimalError::Kind::InvalidValue));
  Decimal::Bytes bytes;
  std::copy(state.data.begin(), state.data.end(), bytes.begin());
  self = Decimal::from_bytes(bytes);
  return {};
}

Bytes get_state(const Decimal& self) {
  auto bytes = self.to_bytes();
  return Bytes{{bytes.begin(), bytes.end()}};
}

// A copy of a Decimal that an out-of-line operation has just returned, read field by field as
// the operation stored it: a 16-byte read of fields stored one by one stalls store forwarding.
[[gnu::always_inline]] inline Decimal copied_by_field(const Decimal& value) {
  return Decimal::from_parts_or_fault(value.mantissa(), value.scale(), value.is_sign_negative());
}

// The operand of an operator or comparison: read in place where that runs no Python code,
// otherwise converted by extract_decimal into `scratch`.
[[gnu::always_inline]] inline PyResult<const Decimal*> decimal_operand(PyObject* object, Decimal& scratch) {
  if (const Decimal* value = operand_without_python(object, scratch)) [[likely]]
    return value;
  auto extracted = extract_decimal(object);
  if (!extracted) return fail(std::move(extracted.error()));
  scratch = *extracted;
  return &scratch;
}

std::string repr(const Decimal& self) { return "Decimal { inner: " + self.to_string() + " }"; }

PyResult<bool> compare(const Decimal& self, Object other, int op) {
  Decimal converted;
  auto right = decimal_operand(other.ptr, converted);
  if (!right) return fail(std::move(right.error()));
  auto order = self <=> **right;
  switch (op) {
    case Py_LT: return order < 0;
    case Py_LE: return order <= 0;
    case Py_EQ: return order == 0;
    case Py_NE: return order != 0;
    case Py_GT: return order > 0;
    default: return order >= 0;
  }
}

std::int64_t hash(const Decimal& self) { return self.hash(); }
Decimal negate(const Decimal& self) { return -self; }
Decimal absolute(const Decimal& self) { return self.abs(); }
Int128 to_int(const Decimal& self) { return self.to_i128_truncated(); }
double to_float(const Decimal& self) { return self.to_f64(); }

// The forward body computes self op other, the reflected one other op self. The result instance
// is built from the operation's result in place (see copied_by_field).
template <DecimalOperator Op, bool Reflected>
PyResult<Ref> operate(const Decimal& self, Object other) {
  Decimal converted;
  auto operand = decimal_operand(other.ptr, converted);
  if (!operand) return fail(std::move(operand.error()));
  auto result =
      Reflected ? apply_decimal_operator(Op, **operand, self) : apply_decimal_operator(Op, self, **operand);
  if (!result) return fail(IntoPyErr<DecimalError>::convert(result.error()));
  return instance_made_by<Decimal>([&] { return copied_by_field(*result); });
}

// pow() with a modulo is refused rather than silently ignoring it.
template <bool Reflected>
PyResult<Ref> power(const Decimal& self, Object other, Object modulo) {
  if (modulo.ptr != Py_None)
    return fail(PyErr::type_error("pow() 3rd argument not allowed unless all arguments are integers"));
  return operate<DecimalOperator::Power, Reflected>(self, other);
}

}  // namespace

void ClassDef<Decimal>::add_members(TypeBuilder& builder) {
  using Op = DecimalOperator;
  Members<Method<"recorded_amount", &recorded_amount>,                               //
          Method<"to_usdc_grains", &to_usdc>,                                        //
          Method<"to_qzr_grains", &to_qzr>,                                          //
          ClassMethod<"from_usdc_grains", &from_usdc, "u">,                          //
          ClassMethod<"from_qzr_grains", &from_qzr, "u">,                            //
          ExclusiveMethod<"quantize", &quantize, "precision">,                       //
          Method<"__setstate__", &set_state, "state">,                               //
          ExclusiveMethod<"__getstate__", &get_state>,                               //
          Constructor<&construct, "maybe_value=None">,                               //
          Repr<&repr>, Str<&decimal_to_py_str>, RichCompare<&compare>, Hash<&hash>,  //
          Neg<&negate>, Abs<&absolute>, Int<&to_int>, Float<&to_float>,
          Add<&operate<Op::Add, false>, &operate<Op::Add, true>>,
          Sub<&operate<Op::Subtract, false>, &operate<Op::Subtract, true>>,
          Mul<&operate<Op::Multiply, false>, &operate<Op::Multiply, true>>,
          TrueDiv<&operate<Op::Divide, false>, &operate<Op::Divide, true>>,
          Mod<&operate<Op::Remainder, false>, &operate<Op::Remainder, true>>,
          Pow<&power<false>, &power<true>>>::add_to<Decimal>(builder);
}

}  // namespace qzr::py
