// ParamType's named constructors with their fault checks, the head sizes computed once per type,
// and the canonical type text.
#include "abi/param_type.hpp"

#include <limits>

#include "core/fault.hpp"

namespace qzr::abi {

namespace {

constexpr std::size_t word_size = 32;

void require_integer_bits(std::size_t bits) {
  if (bits < 8 || bits > 256 || bits % 8 != 0) {
    fault("ABI integer width must be a multiple of 8 from 8 to 256, got " + std::to_string(bits));
  }
}

}  // namespace

ParamType::ParamType(Kind kind, std::size_t size, std::vector<ParamType> children)
    : m_kind(kind), m_size(size), m_children(std::move(children)), m_dynamic(false), m_head_size(word_size) {
  switch (m_kind) {
    case Kind::Bytes:
    case Kind::String:
    case Kind::Array: m_dynamic = true; break;
    case Kind::FixedArray: {
      const ParamType& element = m_children.front();
      m_dynamic = element.m_dynamic;
      if (!m_dynamic) {
        if (element.m_head_size > std::numeric_limits<std::size_t>::max() / m_size) {
          fault("ABI fixed array type too large to encode: " + signature());
        }
        m_head_size = element.m_head_size * m_size;
      }
      break;
    }
    case Kind::Tuple: {
      std::size_t total = 0;
      for (const ParamType& element : m_children) {
        m_dynamic = m_dynamic || element.m_dynamic;
        if (element.m_head_size > std::numeric_limits<std::size_t>::max() - total) {
          fault("ABI tuple type too large to encode: " + signature());
        }
        total += element.m_head_size;
      }
      if (!m_dynamic) m_head_size = total;
      break;
    }
    case Kind::Address:
    case Kind::Int:
    case Kind::Uint:
    case Kind::Bool:
    case Kind::FixedBytes: break;
  }
}

ParamType ParamType::signed_int(std::size_t bits) {
  require_integer_bits(bits);
  return ParamType(Kind::Int, bits, {});
}

ParamType ParamType::unsigned_int(std::size_t bits) {
  require_integer_bits(bits);
  return ParamType(Kind::Uint, bits, {});
}

ParamType ParamType::fixed_bytes(std::size_t byte_count) {
  if (byte_count < 1 || byte_count > 32) {
    fault("ABI fixed bytes type must hold 1 to 32 bytes, got " + std::to_string(byte_count));
  }
  return ParamType(Kind::FixedBytes, byte_count, {});
}

ParamType ParamType::fixed_array(ParamType element, std::size_t length) {
  if (length == 0) fault("ABI fixed array type must have at least one element");
  return ParamType(Kind::FixedArray, length, {std::move(element)});
}

ParamType ParamType::tuple(std::vector<ParamType> elements) {
  if (elements.empty()) fault("ABI tuple type must have at least one element");
  return ParamType(Kind::Tuple, 0, std::move(elements));
}

std::size_t ParamType::bits() const {
  if (m_kind != Kind::Int && m_kind != Kind::Uint) fault("ParamType::bits of " + signature());
  return m_size;
}

std::size_t ParamType::byte_count() const {
  if (m_kind != Kind::FixedBytes) fault("ParamType::byte_count of " + signature());
  return m_size;
}

std::size_t ParamType::length() const {
  if (m_kind != Kind::FixedArray) fault("ParamType::length of " + signature());
  return m_size;
}

const ParamType& ParamType::element() const {
  if (m_kind != Kind::Array && m_kind != Kind::FixedArray) fault("ParamType::element of " + signature());
  return m_children.front();
}

const std::vector<ParamType>& ParamType::elements() const {
  if (m_kind != Kind::Tuple) fault("ParamType::elements of " + signature());
  return m_children;
}

std::string ParamType::signature() const {
  switch (m_kind) {
    case Kind::Address: return "address";
    case Kind::Bytes: return "bytes";
    case Kind::Int: return "int" + std::to_string(m_size);
    case Kind::Uint: return "uint" + std::to_string(m_size);
    case Kind::Bool: return "bool";
    case Kind::String: return "string";
    case Kind::FixedBytes: return "bytes" + std::to_string(m_size);
    case Kind::Array: return m_children.front().signature() + "[]";
    case Kind::FixedArray: return m_children.front().signature() + "[" + std::to_string(m_size) + "]";
    case Kind::Tuple: {
      std::string out = "(";
      for (std::size_t i = 0; i < m_children.size(); ++i) {
        if (i != 0) out += ',';
        out += m_children[i].signature();
      }
      out += ')';
      return out;
    }
  }
  return {};
}

}  // namespace qzr::abi
