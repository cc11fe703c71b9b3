// How the constructors and methods of the intents and sequencer records read their arguments:
// texts parsed by the value readers, amounts recorded, and the (chain id, contract) pair of
// hash_eip712. Each is a parameter type of its own, so a body's signature names the reading and a
// failure is raised for its parameter in signature order (a TypeError under the parameter's name,
// any other error unchanged).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "python/classes/core/exceptions.hpp"
#include "python/classes/values/decimal_class.hpp"
#include "python/frame/frame.hpp"
#include "values/recorded_amount.hpp"

namespace qzr::py {

// A str read by `Read` (a Result<T>(std::string_view) reader of values/): a non-str is the string
// conversion's TypeError; a refused text is QzrCommonError with the reader's error text.
template <class T, Result<T> (*Read)(std::string_view)>
struct TextArgument {
  T value;
};

template <class T, Result<T> (*Read)(std::string_view)>
struct FromPython<TextArgument<T, Read>> {
  using Stored = TextArgument<T, Read>;
  static PyResult<Stored> extract(PyObject* object) {
    auto text = extract_string(object);
    if (!text) return fail(std::move(text.error()));
    Result<T> value = Read(*text);
    if (!value) return fail(IntoPyErr<CommonError>::convert(value.error()));
    return Stored{*value};
  }
  static Stored get(Stored& stored) { return stored; }
};

// Anything extract_decimal reads (Decimal, str, int, float), stored as a recorded amount: clamped
// to RECORDED_MAX, rounded toward zero to 6 places, trailing zeros stripped. Negative amounts are
// kept. Failures are DecimalError.
struct RecordedAmountArgument {
  UnscaledI128 value;
};

template <>
struct FromPython<RecordedAmountArgument> {
  using Stored = RecordedAmountArgument;
  static PyResult<Stored> extract(PyObject* object) {
    auto amount = extract_recorded_amount(object);
    if (!amount) return fail(std::move(amount.error()));
    return Stored{*amount};
  }
  static Stored get(Stored& stored) { return stored; }
};

// A tuple (or tuple subclass) of exactly two items, checked in this order: the tuple
// ("'<type>' object cannot be converted to 'PyTuple'"), its length ("expected tuple of length 2,
// but got tuple of length N"), item 0 as an unsigned 64-bit integer through the index protocol
// (its TypeError, or OverflowError out of range), item 1 as a str. The contract text is not
// parsed here.
struct U64StrPair {
  std::uint64_t number;
  std::string text;
};

template <>
struct FromPython<U64StrPair> {
  using Stored = U64StrPair;
  static PyResult<Stored> extract(PyObject* object);
  static Stored get(Stored& stored) { return std::move(stored); }
};

}  // namespace qzr::py
