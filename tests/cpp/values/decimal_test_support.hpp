// Helpers shared by the decimal test tables: reading an input decimal and printing an outcome.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "values/decimal.hpp"

namespace qzr::testing {

// The decimal a table row's text denotes; a text that does not parse fails the test.
inline Decimal parsed(std::string_view text) {
  const DecimalResult<Decimal> value = parse_decimal_text(text);
  if (!value) ADD_FAILURE() << "test input does not parse: " << text;
  return value.value_or(Decimal());
}

// The result's text, or the error's text: one column of a table holds both.
inline std::string outcome(const DecimalResult<Decimal>& result) {
  return result ? result->to_string() : std::string(result.error().text());
}

}  // namespace qzr::testing
