// Lookups in the generated Unicode tables.
#include "core/unicode_printable.hpp"

#include <algorithm>

namespace qzr {
namespace {

bool in_boundary_set(std::span<const char32_t> boundaries, char32_t code_point) {
  const auto after = std::upper_bound(boundaries.begin(), boundaries.end(), code_point);
  return (after - boundaries.begin()) % 2 == 1;
}

constexpr char32_t last_code_point = 0x10FFFF;

}  // namespace

bool is_printable(char32_t code_point) {
  if (code_point > last_code_point) return false;
  if (code_point >= 0x20 && code_point < 0x7F) return true;
  return !in_boundary_set(unicode_table::not_printable(), code_point);
}

bool is_combining_mark(char32_t code_point) {
  if (code_point < 0x300) return false;
  return in_boundary_set(unicode_table::combining_marks(), code_point);
}

}  // namespace qzr
