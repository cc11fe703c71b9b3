#include "toy_values.hpp"

#include <utility>

namespace qzr::frametest {

namespace {
std::int64_t live_count = 0;  // touched only by threads holding the interpreter lock
}  // namespace

std::int64_t live_toy_values() { return live_count; }

ToyValue::ToyValue(std::int64_t number, std::string label, std::vector<std::int64_t> items)
    : number(number), label(std::move(label)), items(std::move(items)) {
  ++live_count;
}

ToyValue::ToyValue(const ToyValue& other) : number(other.number), label(other.label), items(other.items) {
  ++live_count;
}

ToyValue::ToyValue(ToyValue&& other) noexcept
    : number(other.number), label(std::move(other.label)), items(std::move(other.items)) {
  ++live_count;
}

ToyValue::~ToyValue() { --live_count; }

std::int64_t scaled_sum(const ToyValue& toy, std::int64_t scale, std::int64_t offset) {
  return wrapping_add(wrapping_mul(toy.number, scale), offset);
}

ToyValue plus(const ToyValue& toy, std::int64_t amount) {
  return ToyValue(wrapping_add(toy.number, amount), toy.label, toy.items);
}

std::string_view color_name(ColorValue color) {
  switch (color) {
    case ColorValue::Red: return "Red";
    case ColorValue::Green: return "Green";
    case ColorValue::Blue: return "Blue";
  }
  return "Red";
}

std::expected<ColorValue, ToyError> parse_color(std::string_view name) {
  for (ColorValue color : {ColorValue::Red, ColorValue::Green, ColorValue::Blue}) {
    if (color_name(color) == name) return color;
  }
  return std::unexpected(ToyError{"unknown color: '" + std::string(name) + "'"});
}

}  // namespace qzr::frametest
