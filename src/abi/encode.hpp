// The Solidity ABI encoder: a list of tokens to the bytes of a parameter list.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "abi/token.hpp"

namespace qzr::abi {

// The standard (not packed) encoding of `tokens` as one parameter list: 32-byte words, static
// values in place in the head, dynamic values behind an offset word that counts from the start
// of their enclosing list, their contents in the tail in list order. Integers are written as
// their 32 bytes; addresses right-aligned, fixed bytes left-aligned, both zero-padded; bytes and
// strings as a length word and the data zero-padded to whole words; arrays as a count word and
// the elements' list. A token list encodes alone without an enclosing offset: to encode one
// dynamic tuple as a single parameter, pass a list holding that tuple. Cannot fail.
std::vector<std::uint8_t> encode(std::span<const Token> tokens);

}  // namespace qzr::abi
