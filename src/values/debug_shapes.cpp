// The tuple, struct and list shapes of debug texts.
#include "values/debug_shapes.hpp"

namespace qzr {

std::string debug_tuple(std::string_view name, std::string_view field) {
  std::string text;
  text.reserve(name.size() + field.size() + 2);
  text.append(name);
  text += '(';
  text.append(field);
  text += ')';
  return text;
}

std::string debug_struct(std::string_view name,
                         std::initializer_list<std::pair<std::string_view, std::string_view>> fields) {
  std::string text(name);
  if (fields.size() == 0) return text;
  text += " { ";
  bool first = true;
  for (const auto& [field_name, value] : fields) {
    if (!first) text += ", ";
    first = false;
    text.append(field_name);
    text += ": ";
    text.append(value);
  }
  text += " }";
  return text;
}

std::string debug_byte_list(std::span<const std::uint8_t> bytes) {
  std::string text = "[";
  bool first = true;
  for (const std::uint8_t byte : bytes) {
    if (!first) text += ", ";
    first = false;
    text += std::to_string(byte);
  }
  text += ']';
  return text;
}

}  // namespace qzr
