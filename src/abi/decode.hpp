// The Solidity ABI decoder: bytes read against a list of parameter types, for untrusted input.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "abi/param_type.hpp"
#include "abi/token.hpp"
#include "core/common_error.hpp"

namespace qzr::abi {

// Decodes `data` as the parameter list `types` and returns one token per type, or the codec error
// CommonError::abi_codec("Invalid data", "InvalidData") for bytes that do not hold such a list.
// Safe on any input: every offset, length and count is checked against the input, with
// overflow-safe arithmetic, before anything is read or allocated.
//
// What is accepted (the lenient reading that peers' stored values rely on):
//   - bytes after the decoded data are ignored;
//   - integer words are read whole: the declared width of intN and uintN is not checked;
//   - an address is the word's low 20 bytes, the 12 bytes above are not checked;
//   - bytesN is the word's first N bytes, the padding after them is not checked;
//   - bytes and strings need their length's data bytes only: the padding after them is neither
//     checked nor required to be present;
//   - offsets may point anywhere in the input (they need not be multiples of 32 nor canonical);
//   - a string is read as UTF-8 with every invalid sequence replaced by U+FFFD.
// What is refused:
//   - input too short for the heads, or for what an offset, length or count announces;
//   - an offset, length or count that does not fit in the input;
//   - a bool word other than 0 or 1;
//   - input that makes the decoder read more bytes in total than the input holds. This happens
//     only when offsets make parts of the input shared (several arrays pointing at one tail);
//     canonical encodings never do it, and without this bound a few kilobytes of nested arrays
//     sharing their tails could expand into gigabytes of tokens.
[[nodiscard]] Result<std::vector<Token>> decode(std::span<const ParamType> types,
                                                std::span<const std::uint8_t> data);

}  // namespace qzr::abi
