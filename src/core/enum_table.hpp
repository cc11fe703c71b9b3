// Enumerations described by one table: each closed set of named values declares its members once,
// as (name, number) rows with optional other texts, and every name, number, reading and text of
// the set comes from that table.
//
//   enum class Shade : std::uint8_t { Light = 0, Dark = 1 };
//   template <>
//   struct EnumTable<Shade> {
//     static constexpr std::string_view name = "Shade";
//     static constexpr EnumMember<Shade> members[] = {{"Light", Shade::Light}, {.name = "Dark",
//                                                     .value = Shade::Dark, .debug_text = "Unlit"}};
//   };
//
// `members` may be any constant range of rows (a C array, or a std::array computed by a constexpr
// function from another list). The compiler refuses a table whose row I does not hold number I,
// whose names are empty, repeated or not string literals, or whose external names (each the name
// where none is given) repeat.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "core/fault.hpp"

namespace qzr {

// One member. An empty debug text or external name stands for the member name.
template <class E>
struct EnumMember {
  // The member name: the Python attribute, the text after "<Enum>." in a repr.
  std::string_view name;
  E value;
  // How a record's or a diagnostic's debug text shows the member, where it is not the name.
  std::string_view debug_text = {};
  // The member's name outside this system (a request dict form, an external kind name), where it
  // is not the name.
  std::string_view external_name = {};

  constexpr std::string_view debug_text_or_name() const noexcept {
    return debug_text.empty() ? name : debug_text;
  }
  constexpr std::string_view external_name_or_name() const noexcept {
    return external_name.empty() ? name : external_name;
  }
};

// Specialised once per enumeration, beside the enum, with `name` (the enumeration's name) and
// `members` (its rows in number order).
template <class E>
struct EnumTable;

template <class E>
concept DeclaredEnum = std::is_enum_v<E> && requires {
  { EnumTable<E>::name } -> std::convertible_to<std::string_view>;
  EnumTable<E>::members;
};

namespace enum_table_detail {

// The member names are handed to C interfaces as they are, so each must be a whole string literal.
// NOLINTNEXTLINE(readability-simplify-subscript-expr): reads one past the view, beyond operator[]
consteval bool is_literal(std::string_view text) { return text.data()[text.size()] == '\0'; }

template <class E>
consteval bool valid_table(std::span<const EnumMember<E>> members) {
  for (std::size_t i = 0; i < members.size(); ++i) {
    const EnumMember<E>& member = members[i];
    if (static_cast<std::size_t>(member.value) != i) return false;
    if (member.name.empty() || !is_literal(member.name)) return false;
    for (std::size_t j = 0; j < i; ++j) {
      if (members[j].name == member.name) return false;
      if (members[j].external_name_or_name() == member.external_name_or_name()) return false;
    }
  }
  return true;
}

template <DeclaredEnum E>
struct Checked {
  static constexpr std::span<const EnumMember<E>> members{EnumTable<E>::members};
  static_assert(valid_table<E>(members),
                "an enum table holds number I in row I, and distinct names that are string literals");
};

}  // namespace enum_table_detail

// The rows of E in number order.
template <DeclaredEnum E>
constexpr std::span<const EnumMember<E>> enum_members() noexcept {
  return enum_table_detail::Checked<E>::members;
}

template <DeclaredEnum E>
constexpr std::underlying_type_t<E> enum_number(E value) noexcept {
  return static_cast<std::underlying_type_t<E>>(value);
}

// Faults with "<Enum> holds an undeclared discriminant <number>": the stop for a value outside its
// table, which can only come from a cast that skipped the number check.
template <DeclaredEnum E>
[[noreturn, gnu::cold, gnu::noinline]] void fault_undeclared(E value) {
  std::string message(EnumTable<E>::name);
  message += " holds an undeclared discriminant ";
  message += std::to_string(+enum_number(value));
  fault(std::move(message));
}

// Faults (fault_undeclared) for a value outside the table. The row of a value.
template <DeclaredEnum E>
constexpr const EnumMember<E>& enum_member(E value) {
  const auto index = static_cast<std::size_t>(enum_number(value));
  if (index >= enum_members<E>().size()) fault_undeclared(value);
  return enum_members<E>()[index];
}

// Fault as enum_member does for a value outside the table. The three readings of a value's row
// below: its name, its debug text and its external name (each the name unless the row gives one).
template <DeclaredEnum E>
constexpr std::string_view enum_name(E value) {
  return enum_member(value).name;
}

template <DeclaredEnum E>
constexpr std::string_view enum_debug_text(E value) {
  return enum_member(value).debug_text_or_name();
}

template <DeclaredEnum E>
constexpr std::string_view enum_external_name(E value) {
  return enum_member(value).external_name_or_name();
}

// The member of a number, or nullopt for a number no row holds: the one way to make an E from a
// number, so a live E is always declared.
template <DeclaredEnum E>
constexpr std::optional<E> enum_from_number(std::uint64_t number) noexcept {
  if (number >= enum_members<E>().size()) return std::nullopt;
  return enum_members<E>()[number].value;
}

// The member whose name is exactly `name` (case and length must match; nothing is trimmed), or
// nullopt. Callers give their own error for a name that matches none.
template <DeclaredEnum E>
constexpr std::optional<E> enum_from_name(std::string_view name) noexcept {
  for (const EnumMember<E>& member : enum_members<E>()) {
    if (member.name == name) return member.value;
  }
  return std::nullopt;
}

// As enum_from_name, compared with the external names.
template <DeclaredEnum E>
constexpr std::optional<E> enum_from_external_name(std::string_view name) noexcept {
  for (const EnumMember<E>& member : enum_members<E>()) {
    if (member.external_name_or_name() == name) return member.value;
  }
  return std::nullopt;
}

}  // namespace qzr
