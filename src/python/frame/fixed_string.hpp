// FixedString: a string literal usable as a template argument, so that a member's name and
// parameter list are part of its type and its trampoline finds them without a registry.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace qzr::py {

template <std::size_t N>
struct FixedString {
  char data[N]{};
  constexpr FixedString(const char (&text)[N]) { std::copy_n(text, N, data); }
  constexpr const char* c_str() const { return data; }
  constexpr std::string_view view() const { return {data, N - 1}; }
  constexpr bool empty() const { return N == 1; }
};

// The first N characters of `text` as a FixedString: a name computed at compile time (a
// std::string_view of a table) made a template argument, as `fixed_string<view.size()>(view)`.
template <std::size_t N>
consteval FixedString<N + 1> fixed_string(std::string_view text) {
  char data[N + 1]{};
  // NOLINTNEXTLINE(bugprone-suspicious-stringview-data-usage): copies N characters; data ends in its own NUL
  std::copy_n(text.data(), N, data);
  return FixedString<N + 1>(data);
}

// A parameter written "name=None" is optional; its name is the part before '='.
inline constexpr std::string_view optional_suffix = "=None";

// `name` written as an optional parameter: "name=None".
template <std::size_t N>
consteval FixedString<N + optional_suffix.size()> optional_parameter(const FixedString<N>& name) {
  char data[N + optional_suffix.size()]{};
  std::copy_n(optional_suffix.data(), optional_suffix.size(), std::copy_n(name.data, N - 1, data));
  return FixedString<N + optional_suffix.size()>(data);
}

constexpr bool is_optional_parameter(std::string_view written) { return written.ends_with(optional_suffix); }

constexpr std::string_view parameter_name(std::string_view written) {
  return is_optional_parameter(written) ? written.substr(0, written.size() - optional_suffix.size())
                                        : written;
}

}  // namespace qzr::py
