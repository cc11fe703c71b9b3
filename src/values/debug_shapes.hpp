// The shapes debug texts are built from: the tuple shape `Name(field)`, the struct shape
// `Name { a: x, b: y }` and the list `[1, 2, 3]`. No line breaks, no indentation.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace qzr {

// name + "(" + field + ")".
std::string debug_tuple(std::string_view name, std::string_view field);

// name + " { " + "a: x, b: y" + " }"; with no fields, just the name.
std::string debug_struct(std::string_view name,
                         std::initializer_list<std::pair<std::string_view, std::string_view>> fields);

// "[" + the bytes in decimal separated by ", " + "]".
std::string debug_byte_list(std::span<const std::uint8_t> bytes);

}  // namespace qzr
