// The request dict form in Python: the request layer's neutral value tree (requests/dict_value.hpp)
// becomes new str, int, bool, list and dict objects, dicts keeping their key order. A body that
// returns a DictValue returns that Python value.
#pragma once

#include "python/frame/frame.hpp"
#include "requests/dict_value.hpp"

namespace qzr::py {

// Every object is new (True and False aside); failing to create one is a fault.
Ref dict_value_to_python(const DictValue& value);

template <>
struct ToPython<DictValue> {
  static Ref convert(const DictValue& value) { return dict_value_to_python(value); }
};

}  // namespace qzr::py
