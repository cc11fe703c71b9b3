// The enum table mechanism: names, texts, numbers and the two readings of one table, the fault of an
// undeclared value, a table computed from another list, and the check that refuses a bad table.
#include "core/enum_table.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core_test_support.hpp"

namespace qzr {
namespace {

using namespace std::string_view_literals;

enum class Shade : std::uint8_t { Light = 0, Dark = 1, Dim = 2 };

// A list that is not itself an enum table, from which Tone's table is computed.
struct Swatch {
  std::string_view label;
  int weight;
};
constexpr Swatch swatches[] = {{"Pale", 10}, {"Deep", 90}};
enum class Tone : std::uint8_t { Pale = 0, Deep = 1 };

}  // namespace

template <>
struct EnumTable<Shade> {
  static constexpr std::string_view name = "Shade";
  static constexpr EnumMember<Shade> members[] = {
      {"Light", Shade::Light},
      {.name = "Dark", .value = Shade::Dark, .debug_text = "None", .external_name = "DARK"},
      {.name = "Dim", .value = Shade::Dim, .external_name = "dim"},
  };
};

template <>
struct EnumTable<Tone> {
  static constexpr std::string_view name = "Tone";
  static constexpr auto members = [] {
    std::array<EnumMember<Tone>, std::size(swatches)> rows{};
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = {swatches[i].label, static_cast<Tone>(i)};
    return rows;
  }();
};

namespace {

TEST(EnumTable, TextsAndNumbersOfEachMember) {
  // Expected: the rows of the table above; a missing debug text or external name is the name.
  struct Case {
    Shade value;
    std::string_view name;
    std::string_view debug_text;
    std::string_view external_name;
    std::uint8_t number;
  };
  static constexpr Case cases[] = {
      {Shade::Light, "Light", "Light", "Light", 0},
      {Shade::Dark, "Dark", "None", "DARK", 1},
      {Shade::Dim, "Dim", "Dim", "dim", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name));
    EXPECT_EQ(enum_name(c.value), c.name);
    EXPECT_EQ(enum_debug_text(c.value), c.debug_text);
    EXPECT_EQ(enum_external_name(c.value), c.external_name);
    EXPECT_EQ(enum_number(c.value), c.number);
    EXPECT_EQ(enum_from_number<Shade>(c.number), c.value);
    EXPECT_EQ(enum_from_name<Shade>(c.name), c.value);
    EXPECT_EQ(enum_from_external_name<Shade>(c.external_name), c.value);
  }
}

TEST(EnumTable, ReadsExactNamesAndDeclaredNumbersOnly) {
  struct Case {
    std::string_view text;
    std::optional<Shade> by_name;
    std::optional<Shade> by_external_name;
  };
  static constexpr Case cases[] = {
      {"Light", Shade::Light, Shade::Light},  // no external name: the name is read by both
      {"Dark", Shade::Dark, std::nullopt},    // a name that has an external name is not one
      {"DARK", std::nullopt, Shade::Dark},
      {"None", std::nullopt, std::nullopt},   // debug texts are never read
      {"light", std::nullopt, std::nullopt},  // case must match
      {"Dim ", std::nullopt, std::nullopt},   // nothing is trimmed
      {"Dim\0"sv, std::nullopt, std::nullopt},
      {"Di", std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(enum_from_name<Shade>(c.text), c.by_name);
    EXPECT_EQ(enum_from_external_name<Shade>(c.text), c.by_external_name);
  }
  for (const std::uint64_t number : {std::uint64_t{3}, std::uint64_t{256}, std::uint64_t{UINT64_MAX}}) {
    SCOPED_TRACE(number);
    EXPECT_EQ(enum_from_number<Shade>(number), std::nullopt);
  }
}

TEST(EnumTable, UndeclaredValueFaultsWithTheEnumName) {
  const auto undeclared = static_cast<Shade>(7);
  const std::string expected = "Shade holds an undeclared discriminant 7";
  EXPECT_EQ(fault_message_of([&] { enum_name(undeclared); }), expected);
  EXPECT_EQ(fault_message_of([&] { enum_debug_text(undeclared); }), expected);
  EXPECT_EQ(fault_message_of([&] { enum_external_name(undeclared); }), expected);
  EXPECT_EQ(enum_number(undeclared), 7);
}

TEST(EnumTable, TableComputedFromAnotherList) {
  static_assert(enum_name(Tone::Deep) == "Deep");
  static_assert(enum_from_name<Tone>("Pale") == Tone::Pale);
  for (std::size_t i = 0; i < std::size(swatches); ++i) {
    SCOPED_TRACE(std::string(swatches[i].label));
    const std::optional<Tone> tone = enum_from_name<Tone>(swatches[i].label);
    ASSERT_TRUE(tone.has_value());
    EXPECT_EQ(enum_number(*tone), i);
    EXPECT_EQ(enum_name(*tone), swatches[i].label);
  }
  EXPECT_EQ(enum_from_number<Tone>(std::size(swatches)), std::nullopt);
}

// The table check of the rows given, in the form a test table can hold.
template <std::size_t N>
consteval bool valid_rows(const EnumMember<Shade> (&rows)[N]) {
  return enum_table_detail::valid_table<Shade>(rows);
}

TEST(EnumTable, RefusesABadTable) {
  // A name the C interfaces cannot take as it is: four characters of a longer literal.
  constexpr std::string_view part_of_a_literal = std::string_view("Darker").substr(0, 4);
  struct Case {
    std::string_view fault;
    bool valid;
    bool expected;
  };
  const Case cases[] = {
      {"none", valid_rows({{"Light", Shade::Light}, {"Dark", Shade::Dark}, {"Dim", Shade::Dim}}), true},
      {"none: external names differ from every name",
       valid_rows({{.name = "Light", .value = Shade::Light, .external_name = "Dark light"},
                   {.name = "Dark", .value = Shade::Dark, .external_name = "DARK"}}),
       true},
      {"row 0 holds number 1", valid_rows({{"Dark", Shade::Dark}}), false},
      {"row 1 holds number 2", valid_rows({{"Light", Shade::Light}, {"Dim", Shade::Dim}}), false},
      {"a number twice", valid_rows({{"Light", Shade::Light}, {"Dark", Shade::Light}}), false},
      {"a repeated name", valid_rows({{"Light", Shade::Light}, {"Light", Shade::Dark}}), false},
      {"a repeated name under distinct external names",
       valid_rows({{.name = "Light", .value = Shade::Light, .external_name = "a"},
                   {.name = "Light", .value = Shade::Dark, .external_name = "b"}}),
       false},
      {"an empty name", valid_rows({{"", Shade::Light}}), false},
      {"an empty name after a good row", valid_rows({{"Light", Shade::Light}, {"", Shade::Dark}}), false},
      {"a name that is not a whole literal",
       valid_rows({{"Light", Shade::Light}, {part_of_a_literal, Shade::Dark}}), false},
      {"one external name twice",
       valid_rows({{.name = "Light", .value = Shade::Light, .external_name = "pale"},
                   {.name = "Dark", .value = Shade::Dark, .external_name = "pale"}}),
       false},
      {"an external name that is another member's name",
       valid_rows({{.name = "Light", .value = Shade::Light, .external_name = "Dark"}, {"Dark", Shade::Dark}}),
       false},
      {"a name that is an earlier member's external name",
       valid_rows(
           {{"Light", Shade::Light}, {.name = "Dark", .value = Shade::Dark, .external_name = "Light"}}),
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.fault));
    EXPECT_EQ(c.valid, c.expected);
  }
}

}  // namespace
}  // namespace qzr
