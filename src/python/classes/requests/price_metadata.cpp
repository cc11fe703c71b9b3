// PriceMetadata's dict form: reading a mapping into a variant, with its QzrCommonError texts, and
// writing {"t": <variant name>}.
#include "python/classes/requests/price_metadata.hpp"

#include <optional>
#include <string>

#include "python/classes/core/exceptions.hpp"
#include "python/classes/requests/dict_value.hpp"
#include "requests/request_dict.hpp"
#include "requests/request_enums.hpp"

namespace qzr::py {
namespace {

// "'<type name>' object", the type named by its __qualname__; an error reading it is raised.
PyResult<std::string> describe_type(PyObject* object) {
  auto name = type_qualified_name(reinterpret_cast<PyObject*>(Py_TYPE(object)), UnreadableName::Raise);
  if (!name) return fail(std::move(name.error()));
  return "'" + *name + "' object";
}

PyResult<bool> is_mapping(PyObject* object) {
  if (PyDict_Check(object)) return true;
  Ref abc = Ref::steal(PyImport_ImportModule("collections.abc"));
  if (!abc) return fail(PyErr::fetch());
  Ref mapping = Ref::steal(PyObject_GetAttrString(abc.get(), "Mapping"));
  if (!mapping) return fail(PyErr::fetch());
  int answer = PyObject_IsInstance(object, mapping.get());
  if (answer < 0) return fail(PyErr::fetch());
  return answer == 1;
}

PyErr not_a_mapping(PyObject* object) {
  // The frame's conversion text names the type exactly as every other refused conversion does.
  Ref refused = PyErr::cannot_convert(object, "Mapping").into_exception();
  auto text = str_of(refused.get());
  if (!text) return std::move(text.error());
  return qzr_common_error("unexpected type: " + *text);
}

// A "c" value: only None is content of a variant without one.
PyResult<void> check_content(PriceMetadata variant, PyObject* content) {
  if (content == Py_None) return {};
  auto what = describe_type(content);
  if (!what) return fail(std::move(what.error()));
  return fail(IntoPyErr<CommonError>::convert(price_metadata_unexpected_content(variant, *what)));
}

PyResult<PriceMetadata> read_tag(PyObject* tag) {
  if (!PyUnicode_Check(tag)) {
    auto what = describe_type(tag);
    if (!what) return fail(std::move(what.error()));
    return fail(IntoPyErr<CommonError>::convert(price_metadata_tag_not_text(*what)));
  }
  auto name = extract_string(tag);
  if (!name) return fail(std::move(name.error()));
  return to_py_result(parse_price_metadata_tag(*name));
}

}  // namespace

PyResult<PriceMetadata> price_metadata_from_python(PyObject* object) {
  auto mapping = is_mapping(object);
  if (!mapping) return fail(std::move(mapping.error()));
  if (!*mapping) return fail(not_a_mapping(object));

  Ref keys = Ref::steal(PyMapping_Keys(object));
  if (!keys) return fail(PyErr::fetch());
  Ref values = Ref::steal(PyMapping_Values(object));
  if (!values) return fail(PyErr::fetch());
  const Py_ssize_t count = std::min(PyList_GET_SIZE(keys.get()), PyList_GET_SIZE(values.get()));

  std::optional<PriceMetadata> variant;
  PyObject* content = nullptr;  // borrowed from `values`, which lives to the end
  for (Py_ssize_t i = 0; i < count; ++i) {
    PyObject* key = PyList_GET_ITEM(keys.get(), i);
    PyObject* value = PyList_GET_ITEM(values.get(), i);
    if (!PyUnicode_Check(key)) {
      auto what = describe_type(key);
      if (!what) return fail(std::move(what.error()));
      return fail(qzr_common_error("invalid type: " + *what + ", expected `t` or `c`"));
    }
    auto key_text = extract_string(key);
    if (!key_text) return fail(std::move(key_text.error()));
    if (*key_text == "t") {
      auto tag = read_tag(value);
      if (!tag) return fail(std::move(tag.error()));
      variant = *tag;
    } else if (*key_text == "c") {
      content = value;
    } else {
      continue;
    }
    // The content is tested as soon as both are known, whichever came first.
    if (variant && content) {
      if (auto checked = check_content(*variant, content); !checked) return fail(std::move(checked.error()));
    }
  }
  if (!variant) return fail(IntoPyErr<CommonError>::convert(price_metadata_missing_tag()));
  return *variant;
}

Ref price_metadata_to_python(PriceMetadata metadata) {
  return dict_value_to_python(price_metadata_dict(metadata));
}

}  // namespace qzr::py
