// Python values of the request dict form: the request layer's neutral value tree made into new
// str, int, bool, list and dict objects.
#include "python/classes/requests/dict_value.hpp"

#include <variant>

namespace qzr::py {
namespace {

Ref list_to_python(const DictValue::List& list) {
  Ref result = Ref::steal(expect_api(PyList_New(static_cast<Py_ssize_t>(list.size()))));
  for (std::size_t i = 0; i < list.size(); ++i) {
    PyList_SET_ITEM(result.get(), static_cast<Py_ssize_t>(i), dict_value_to_python(list[i]).release());
  }
  return result;
}

Ref dict_to_python(const DictValue::Dict& dict) {
  Ref result = Ref::steal(expect_api(PyDict_New()));
  for (const DictEntry& entry : dict) {
    Ref key = to_python_string(entry.key);
    Ref value = dict_value_to_python(entry.value);
    if (PyDict_SetItem(result.get(), key.get(), value.get()) < 0) api_call_failed();
  }
  return result;
}

}  // namespace

Ref dict_value_to_python(const DictValue& value) {
  return std::visit(
      [](const auto& content) -> Ref {
        using T = std::decay_t<decltype(content)>;
        if constexpr (std::is_same_v<T, DictValue::List>) {
          return list_to_python(content);
        } else if constexpr (std::is_same_v<T, DictValue::Dict>) {
          return dict_to_python(content);
        } else {
          return ToPython<T>::convert(content);
        }
      },
      value.value());
}

}  // namespace qzr::py
