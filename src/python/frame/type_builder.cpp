#include "python/frame/type_builder.hpp"

#include <deque>

#include "core/fault.hpp"

namespace qzr::py {

const char* keep_text(std::string text) {
  static std::deque<std::string> kept;  // touched only under the interpreter lock
  return kept.emplace_back(std::move(text)).c_str();
}

bool TypeBuilder::has_slot(int slot) const {
  for (const auto& entry : slots)
    if (entry.slot == slot) return true;
  return false;
}

void TypeBuilder::add_method(const char* name, PyCFunction function, int flags, std::string doc) {
  if (doc.find('\0') != std::string::npos) fault("function doc cannot contain NUL byte.");
  methods.push_back({name, function, flags, keep_text(std::move(doc))});
}

void TypeBuilder::add_property(const char* name, getter get, setter set, const char* doc) {
  for (auto& property : properties) {
    if (std::string_view(property.name) != name) continue;
    if (get) property.get = get;
    if (set) property.set = set;
    if (!property.doc) property.doc = doc;
    return;
  }
  properties.push_back({name, get, set, doc});
}

std::string method_doc(std::string_view name, std::string_view receiver,
                       const std::string_view* written_parameters, std::size_t count) {
  std::string doc(name);
  doc += "(";
  bool first = true;
  if (!receiver.empty()) {
    doc += receiver;
    first = false;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (!first) doc += ", ";
    doc += written_parameters[i];
    first = false;
  }
  doc += ")\n--\n\n";
  return doc;
}

PyResult<std::string> build_class_doc(std::string_view name, std::string_view doc,
                                      const char* text_signature) {
  if (text_signature != nullptr) {
    while (!doc.empty() && doc.back() == '\0') doc.remove_suffix(1);
    std::string joined = std::string(name) + text_signature + "\n--\n\n" + std::string(doc);
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
