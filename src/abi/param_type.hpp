// ParamType: the Solidity ABI type of one parameter, the schema the decoder reads bytes against.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qzr::abi {

// Built through the named constructors, whose preconditions keep every type a valid Solidity
// type; a violation is a fault (each states its text), since schemas are written by this program,
// never read from input. Each accessor of one kind's detail faults for a type of another kind
// with "ParamType::<accessor> of <signature>".
// Every valid type has an encoded head of at least one word (Solidity has no zero-length static
// arrays and no empty tuples), which the decoder relies on to bound array counts by the input size.
class ParamType {
 public:
  enum class Kind { Address, Bytes, Int, Uint, Bool, String, FixedBytes, Array, FixedArray, Tuple };

  static ParamType address() { return ParamType(Kind::Address, 0, {}); }
  static ParamType bytes() { return ParamType(Kind::Bytes, 0, {}); }
  // Faults with "ABI integer width must be a multiple of 8 from 8 to 256, got <bits>" unless
  // `bits` is one.
  static ParamType signed_int(std::size_t bits);
  static ParamType unsigned_int(std::size_t bits);
  static ParamType boolean() { return ParamType(Kind::Bool, 0, {}); }
  static ParamType string() { return ParamType(Kind::String, 0, {}); }
  // Faults with "ABI fixed bytes type must hold 1 to 32 bytes, got <byte_count>" unless it is 1
  // to 32.
  static ParamType fixed_bytes(std::size_t byte_count);
  static ParamType array(ParamType element) { return ParamType(Kind::Array, 0, {std::move(element)}); }
  // Faults with "ABI fixed array type must have at least one element" for a zero `length`, and
  // with "ABI fixed array type too large to encode: <signature>" when the encoded size does not
  // fit in size_t.
  static ParamType fixed_array(ParamType element, std::size_t length);
  // Faults with "ABI tuple type must have at least one element" for no elements, and with "ABI
  // tuple type too large to encode: <signature>" when the encoded size does not fit in size_t.
  static ParamType tuple(std::vector<ParamType> elements);

  Kind kind() const { return m_kind; }
  // Faults for another kind (above). Int and Uint: the declared width. The decoder does not
  // check it (words are read whole).
  std::size_t bits() const;
  // Faults for another kind. FixedBytes: the byte count n of bytesN.
  std::size_t byte_count() const;
  // Faults for another kind. FixedArray: the element count.
  std::size_t length() const;
  // Faults for another kind. Array and FixedArray: the element type.
  const ParamType& element() const;
  // Faults for another kind. Tuple: the element types.
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
