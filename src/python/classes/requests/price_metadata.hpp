// PriceMetadata in Python: it has no class of its own and travels as a dict, {"t": "Empty"} or
// {"t": "SingleNamePerpetual"} (the request dict form of a variant without content). Declare a
// body parameter or result of type PriceMetadata to read or write that form.
#pragma once

#include "python/frame/frame.hpp"
#include "state/accounting_enums.hpp"

namespace qzr::py {

// Reads a dict or any collections.abc.Mapping, walking its keys and values in the mapping's
// order: "t" must be a str naming a variant (exact case); "c", before or after "t", must be None;
// other keys are ignored, their values not looked at. Every failure is QzrCommonError (also as an
// argument: never a TypeError): "unexpected type: '<type>' object cannot be converted to
// 'Mapping'", "missing field `t`", "unknown variant `<name>`, expected `Empty` or
// `SingleNamePerpetual`", "invalid type: <type>, expected ..." for a key, tag or content of the
// wrong type. Errors raised by the mapping itself (its keys(), values() or iteration) pass.
PyResult<PriceMetadata> price_metadata_from_python(PyObject* object);

// A new dict {"t": <variant name>}.
Ref price_metadata_to_python(PriceMetadata metadata);

template <>
struct FromPython<PriceMetadata> {
  using Stored = PriceMetadata;
  static PyResult<Stored> extract(PyObject* object) { return price_metadata_from_python(object); }
  static PriceMetadata get(Stored& stored) { return stored; }
};

template <>
struct ToPython<PriceMetadata> {
  static Ref convert(PriceMetadata metadata) { return price_metadata_to_python(metadata); }
};

}  // namespace qzr::py
