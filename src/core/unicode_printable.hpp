// Unicode character classes behind debug-text quoting, looked up in tables generated from
// Python's unicodedata by scripts/gen_unicode_printable.py (see src/core/unicode_printable_table.cpp).
#pragma once

#include <span>

namespace qzr {

// False for the general categories Cc, Cf, Cs, Co, Cn (unassigned), Zl, Zp and Zs other than
// U+0020 SPACE, and for values above U+10FFFF; true for every other code point.
bool is_printable(char32_t code_point);

// True for the general categories Mn and Me: marks that combine with the character before them.
bool is_combining_mark(char32_t code_point);

namespace unicode_table {
// The Unicode version the tables were generated from.
extern const char unicode_version[];
// Sorted run boundaries: c belongs to the set when an odd number of boundaries are <= c.
std::span<const char32_t> not_printable();
std::span<const char32_t> combining_marks();
}  // namespace unicode_table

}  // namespace qzr
