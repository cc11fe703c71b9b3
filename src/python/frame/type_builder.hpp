// TypeBuilder: what a class's members contribute to its type object (slots, methods,
// properties, class attributes), gathered when the type is first built.
#pragma once

#include <string>
#include <vector>

#include "python/frame/error.hpp"

namespace qzr::py {

struct PropertyEntry {
  const char* name;
  getter get = nullptr;
  setter set = nullptr;
  const char* doc = nullptr;
};

struct ClassAttributeEntry {
  const char* name;
  PyResult<Ref> (*make)();
};

class TypeBuilder {
 public:
  void add_slot(int slot, void* function) { slots.push_back({slot, function}); }
  bool has_slot(int slot) const;
  // `doc` is kept for the life of the process.
  void add_method(const char* name, PyCFunction function, int flags, std::string doc);
  // A getter and a setter of one name form one property; its doc is the first one given.
  void add_property(const char* name, getter get, setter set, const char* doc);
  void add_class_attribute(const char* name, PyResult<Ref> (*make)()) {
    class_attributes.push_back({name, make});
  }

  std::vector<PyType_Slot> slots;
  std::vector<PyMethodDef> methods;
  std::vector<PropertyEntry> properties;
  std::vector<ClassAttributeEntry> class_attributes;
};

// Keeps `text` for the life of the process and returns its characters.
const char* keep_text(std::string text);

// "name($self, a, b=None)\n--\n\n": a method's docstring is its text signature.
// `receiver` is "$self", "$cls" or empty for a static method.
std::string method_doc(std::string_view name, std::string_view receiver,
                       const std::string_view* written_parameters, std::size_t count);

// The class docstring joined with its constructor text signature, or ValueError
// "class doc cannot contain nul bytes".
PyResult<std::string> build_class_doc(std::string_view name, std::string_view doc,
                                      const char* text_signature);

}  // namespace qzr::py
