// TypeBuilder: what a class's members contribute to its type object (slots, methods,
// properties, class attributes, the constructor's text signature), gathered when the type is
// first built. A name or slot given twice is a declaration error and faults, naming the class.
#pragma once

#include <optional>
#include <string>
#include <string_view>
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
  explicit TypeBuilder(std::string_view class_name) : m_class_name(class_name) {}

  // Faults with "class X declares the member 'Y' twice" (claim_name) when a slot the frame's member
  // kinds fill is given while its Python name ("__add__", ...) is already in the class's namespace,
  // and with "class X declares the slot N twice" when any other slot is given twice.
  void add_slot(int slot, void* function);
  bool has_slot(int slot) const;
  // Faults as kept_method_doc does (a NUL byte), then as claim_name does (a name already in the
  // class's namespace). The method's docstring is its text signature (kept_method_doc) with
  // `receiver` ("$self", "$cls" or empty) and the parameters as written; it is kept for the life of
  // the process.
  void add_method(const char* name, PyCFunction function, int flags, std::string_view receiver,
                  const std::string_view* written_parameters, std::size_t count);
  // Faults as claim_name does for a second getter or a second setter of one name, and for a new
  // property whose name is already in the class's namespace. A getter and a setter of one name form
  // one property; its doc is the first one given.
  void add_property(const char* name, getter get, setter set, const char* doc);
  // Faults as claim_name does for a name already in the class's namespace.
  void add_class_attribute(const char* name, PyResult<Ref> (*make)());
  // Faults as add_slot does when "__new__" is already in the class's namespace (a second
  // constructor). The constructor: `new_function` is __new__; `call` is what calling the class runs
  // in place of the interpreter's type call (a call without an argument tuple), which must behave
  // as the type call would with this __new__; the parameters as written give the text signature
  // "(a, b=None)" that the class doc shows.
  void add_constructor(newfunc new_function, vectorcallfunc call, const std::string_view* written_parameters,
                       std::size_t count);

  std::vector<PyType_Slot> slots;
  std::vector<PyMethodDef> methods;
  std::vector<PropertyEntry> properties;
  std::vector<ClassAttributeEntry> class_attributes;
  std::optional<std::string> text_signature;
  vectorcallfunc construct_call = nullptr;

 private:
  // Faults "class X declares the member 'Y' twice" when `name` is already in the class's namespace.
  void claim_name(std::string_view name);

  std::string_view m_class_name;
  std::vector<std::string_view> m_names;
};

// Keeps `text` for the life of the process and returns its characters.
const char* keep_text(std::string text);

// "(a, b=None)", or "($self, a)" with a receiver ("$self", "$cls", or empty for none).
std::string parameter_list_text(std::string_view receiver, const std::string_view* written_parameters,
                                std::size_t count);

// Faults with "function doc cannot contain NUL byte." when the docstring would hold a NUL byte (in
// the name, the receiver or a written parameter). "name($self, a, b=None)\n--\n\n", kept for the
// life of the process: a method's docstring is its text signature.
const char* kept_method_doc(std::string_view name, std::string_view receiver,
                            const std::string_view* written_parameters, std::size_t count);

// The class docstring joined with its constructor text signature, or ValueError
// "class doc cannot contain nul bytes".
PyResult<std::string> build_class_doc(std::string_view name, std::string_view doc,
                                      const std::optional<std::string>& text_signature);

}  // namespace qzr::py
