// Plain C++ values behind the frame test module's toy classes (no Python here). They own heap
// data (a string, a vector) so that copies, moves and destruction run through the frame, and
// ToyValue counts its live objects so that tests can see leaks and double destruction.
#pragma once

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "core/enum_table.hpp"

namespace qzr::frametest {

// Live ToyValue objects: constructed (in any way) minus destroyed.
std::int64_t live_toy_values();

struct ToyValue {
  std::int64_t number = 0;
  std::string label;
  std::vector<std::int64_t> items;

  ToyValue(std::int64_t number, std::string label, std::vector<std::int64_t> items);
  ToyValue(const ToyValue& other);
  ToyValue(ToyValue&& other) noexcept;
  ToyValue& operator=(const ToyValue&) = default;
  ToyValue& operator=(ToyValue&&) noexcept = default;
  ~ToyValue();
};

// Two's complement wrap-around, so that no input makes the arithmetic undefined.
constexpr std::int64_t wrapping_add(std::int64_t a, std::int64_t b) {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}
constexpr std::int64_t wrapping_mul(std::int64_t a, std::int64_t b) {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(b));
}

// The bodies that the benchmark times behind the frame and behind hand-written C-API code.
// Out of line on purpose: both callers pay the same call.
std::int64_t scaled_sum(const ToyValue& toy, std::int64_t scale, std::int64_t offset);
ToyValue plus(const ToyValue& toy, std::int64_t amount);

struct PointValue {
  std::int64_t x = 0;
  std::int64_t y = 0;
};

enum class ColorValue { Red, Green, Blue };

// Toy enumerations declared as tables (core/enum_table.hpp, below): Shade of the simple-enum
// family, Level compared and constructed through an unsigned byte.
enum class ShadeValue : std::uint8_t { Light = 0, Dark = 1, Dim = 2 };
enum class LevelValue : std::uint8_t { Low = 0, Mid = 1, High = 2 };

}  // namespace qzr::frametest

namespace qzr {

template <>
struct EnumTable<frametest::ShadeValue> {
  static constexpr std::string_view name = "Shade";
  static constexpr EnumMember<frametest::ShadeValue> members[] = {
      {"Light", frametest::ShadeValue::Light},
      {"Dark", frametest::ShadeValue::Dark},
      {"Dim", frametest::ShadeValue::Dim},
  };
};

template <>
struct EnumTable<frametest::LevelValue> {
  static constexpr std::string_view name = "Level";
  static constexpr EnumMember<frametest::LevelValue> members[] = {
      {"Low", frametest::LevelValue::Low},
      {"Mid", frametest::LevelValue::Mid},
      {"High", frametest::LevelValue::High},
  };
};

}  // namespace qzr

namespace qzr::frametest {

struct ToyError {
  std::string text;
};

std::string_view color_name(ColorValue color);
std::expected<ColorValue, ToyError> parse_color(std::string_view name);

// Values without fields: Unit has a constructor without parameters, Conversions only static
// methods.
struct UnitValue {};
struct ConversionsValue {};

// A value whose length does not fit a Python size.
struct OpaqueValue {
  std::string text;
};

// Wraps a ToyValue so that construction and destruction stay visible in the live count.
struct ScratchValue {
  ToyValue toy;
};

// Values of the classes whose type objects fail to build or to fill.
struct BrokenValue {
  std::int64_t number = 0;
};
struct FlakyValue {
  std::int64_t number = 0;
};
struct BadAttributeValue {};
// Classes that declare one member name, or one slot, twice.
struct DuplicateNameValue {};
struct DuplicateSlotValue {};

}  // namespace qzr::frametest
