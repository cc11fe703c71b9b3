// TypeBuilder: gathering a class's members while its type object is built, their duplicate
// checks, and the text signatures and docstrings of methods and classes.
#include "python/frame/type_builder.hpp"

#include <algorithm>
#include <deque>

#include "core/fault.hpp"

namespace qzr::py {

namespace {

// The Python name of each slot the frame's member kinds fill, for the duplicate message.
std::string_view slot_name(int slot) {
  switch (slot) {
    case Py_tp_new: return "__new__";
    case Py_tp_repr: return "__repr__";
    case Py_tp_str: return "__str__";
    case Py_tp_hash: return "__hash__";
    case Py_tp_richcompare: return "__richcmp__";
    case Py_nb_int: return "__int__";
    case Py_nb_float: return "__float__";
    case Py_nb_negative: return "__neg__";
    case Py_nb_absolute: return "__abs__";
    case Py_nb_add: return "__add__";
    case Py_nb_subtract: return "__sub__";
    case Py_nb_multiply: return "__mul__";
    case Py_nb_remainder: return "__mod__";
    case Py_nb_true_divide: return "__truediv__";
    case Py_nb_power: return "__pow__";
    case Py_mp_length: return "__len__";
    case Py_mp_subscript: return "__getitem__";
    case Py_mp_ass_subscript: return "__setitem__";
    default: return {};
  }
}

}  // namespace

const char* keep_text(std::string text) {
  static std::deque<std::string> kept;  // touched only under the interpreter lock
  return kept.emplace_back(std::move(text)).c_str();
}

void TypeBuilder::claim_name(std::string_view name) {
  if (std::find(m_names.begin(), m_names.end(), name) != m_names.end()) {
    fault("class " + std::string(m_class_name) + " declares the member '" + std::string(name) + "' twice");
  }
  m_names.push_back(name);
}

void TypeBuilder::add_slot(int slot, void* function) {
  std::string_view name = slot_name(slot);
  if (name.empty()) {
    if (has_slot(slot))
      fault("class " + std::string(m_class_name) + " declares the slot " + std::to_string(slot) + " twice");
  } else {
    claim_name(name);
  }
  slots.push_back({slot, function});
}

bool TypeBuilder::has_slot(int slot) const {
  for (const auto& entry : slots)
    if (entry.slot == slot) return true;
  return false;
}

void TypeBuilder::add_constructor(newfunc new_function, vectorcallfunc call,
                                  const std::string_view* written_parameters, std::size_t count) {
  add_slot(Py_tp_new, reinterpret_cast<void*>(new_function));
  construct_call = call;
  text_signature = parameter_list_text("", written_parameters, count);
}

void TypeBuilder::add_method(const char* name, PyCFunction function, int flags, std::string_view receiver,
                             const std::string_view* written_parameters, std::size_t count) {
  const char* doc = kept_method_doc(name, receiver, written_parameters, count);
  claim_name(name);
  methods.push_back({name, function, flags, doc});
}

void TypeBuilder::add_property(const char* name, getter get, setter set, const char* doc) {
  for (auto& property : properties) {
    if (std::string_view(property.name) != name) continue;
    // One getter and one setter per property; a second of either kind is a duplicate.
    if ((get && property.get) || (set && property.set)) claim_name(name);
    if (get) property.get = get;
    if (set) property.set = set;
    if (!property.doc) property.doc = doc;
    return;
  }
  claim_name(name);
  properties.push_back({name, get, set, doc});
}

void TypeBuilder::add_class_attribute(const char* name, PyResult<Ref> (*make)()) {
  claim_name(name);
  class_attributes.push_back({name, make});
}

std::string parameter_list_text(std::string_view receiver, const std::string_view* written_parameters,
                                std::size_t count) {
  std::string text = "(";
  bool first = true;
  if (!receiver.empty()) {
    text += receiver;
    first = false;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (!first) text += ", ";
    text += written_parameters[i];
    first = false;
  }
  text += ")";
  return text;
}

const char* kept_method_doc(std::string_view name, std::string_view receiver,
                            const std::string_view* written_parameters, std::size_t count) {
  std::string doc = std::string(name) + parameter_list_text(receiver, written_parameters, count) + "\n--\n\n";
  if (doc.find('\0') != std::string::npos) fault("function doc cannot contain NUL byte.");
  return keep_text(std::move(doc));
}

PyResult<std::string> build_class_doc(std::string_view name, std::string_view doc,
                                      const std::optional<std::string>& text_signature) {
  if (text_signature) {
    while (!doc.empty() && doc.back() == '\0') doc.remove_suffix(1);
    std::string joined = std::string(name) + *text_signature + "\n--\n\n" + std::string(doc);
    if (joined.find('\0') != std::string::npos)
      return fail(PyErr::value_error("class doc cannot contain nul bytes"));
    return joined;
  }
  auto nul = doc.find('\0');
  if (nul != std::string_view::npos && nul + 1 != doc.size())
    return fail(PyErr::value_error("class doc cannot contain nul bytes"));
  if (nul != std::string_view::npos) doc.remove_suffix(1);
  return std::string(doc);
}

}  // namespace qzr::py
