// The ABI form that maps take inside item values: a tuple of two arrays, the keys and, at the same
// positions, their values. Balances and the epoch metadata's ordinals are written this way.
#pragma once

#include <span>
#include <vector>

#include "abi/token.hpp"
#include "core/common_error.hpp"

namespace qzr {

// Tuple(Array(keys), Array(values)).
abi::Token map_tuple_into_token(std::vector<abi::Token> keys, std::vector<abi::Token> values);

// The pairs of a map tuple, both spans cut to the shorter array's length (surplus elements of the
// longer one are dropped without error).
struct MapTuplePairs {
  std::span<const abi::Token> keys;
  std::span<const abi::Token> values;
};

// Reads an untrusted token: not a tuple is Other "Not a tuple"; a tuple without exactly two
// elements is Other "Map in tuple of two"; an element that is not a dynamic array (the values
// are looked at first) is Other "Token array".
Result<MapTuplePairs> map_tuple_from_token(const abi::Token& token);

}  // namespace qzr
