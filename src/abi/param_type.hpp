// ParamType: the Solidity ABI type of one parameter, the schema the decoder reads bytes against.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qzr::abi {

// Built through the named constructors, whose preconditions keep every type a valid Solidity
// type; a violation is a fault, since schemas are written by this program, never read from input.
// Every valid type has an encoded head of at least one word (Solidity has no zero-length static
// arrays and no empty tuples), which the decoder relies on to bound array counts by the input size.
class ParamType {
 public:
  enum class Kind { Address, Bytes, Int, Uint, Bool, String, FixedBytes, Array, FixedArray, Tuple };

  static ParamType address() { return ParamType(Kind::Address, 0, {}); }
  static ParamType bytes() { return ParamType(Kind::Bytes, 0, {}); }
  // Precondition: `bits` is a multiple of 8 from 8 to 256.
  static ParamType signed_int(std::size_t bits);
  static ParamType unsigned_int(std::size_t bits);
  static ParamType boolean() { return ParamType(Kind::Bool, 0, {}); }
  static ParamType string() { return ParamType(Kind::String, 0, {}); }
  // Precondition: 1 to 32 bytes.
  static ParamType fixed_bytes(std::size_t byte_count);
  static ParamType array(ParamType element) { return ParamType(Kind::Array, 0, {std::move(element)}); }
  // Precondition: `length` is at least 1 and the encoded size fits in size_t.
  static ParamType fixed_array(ParamType element, std::size_t length);
  // Precondition: at least one element.
  static ParamType tuple(std::vector<ParamType> elements);

  Kind kind() const { return m_kind; }
  // Int and Uint: the declared width. The decoder does not check it (words are read whole).
  std::size_t bits() const;
  // FixedBytes: the byte count n of bytesN.
  std::size_t byte_count() const;
  // FixedArray: the element count.
  std::size_t length() const;
  // Array and FixedArray: the element type.
  const ParamType& element() const;
  // Tuple: the element types.
  const std::vector<ParamType>& elements() const;

  // Whether values of the type are encoded behind an offset.
  bool is_dynamic() const { return m_dynamic; }
  // The bytes the type takes in the head of its enclosing list: 32 for a dynamic type, the whole
  // encoding for a static one. Never zero.
  std::size_t head_size() const { return m_head_size; }

  // The canonical Solidity type text, e.g. "uint256", "bytes10", "uint32[]", "(address[],uint128[])".
  std::string signature() const;

  friend bool operator==(const ParamType& left, const ParamType& right) {
    return left.m_kind == right.m_kind && left.m_size == right.m_size && left.m_children == right.m_children;
  }

 private:
  ParamType(Kind kind, std::size_t size, std::vector<ParamType> children);

  Kind m_kind;
  // Bits of Int and Uint, byte count of FixedBytes, length of FixedArray, else 0.
  std::size_t m_size;
  // The element of Array and FixedArray, the elements of Tuple.
  std::vector<ParamType> m_children;
  bool m_dynamic;
  std::size_t m_head_size;
};

}  // namespace qzr::abi
