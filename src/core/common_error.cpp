// The display and debug texts of CommonError, one switch over the kinds each.
#include "core/common_error.hpp"

#include "core/debug_quote.hpp"

namespace qzr {

std::string CommonError::display() const {
  switch (m_kind) {
    case Kind::Crypto: return "Error with crypto tooling: " + m_text;
    case Kind::AbiCodec: return m_text;
    case Kind::Other: return m_text;
    case Kind::Parse: return "Error parsing string into struct: " + m_text;
    case Kind::Conversion: return "Conversion error: " + m_text;
    case Kind::SparseMerkleTree: return "Error with Sparse Merkle Tree tooling: " + m_text;
  }
  return m_text;
}

std::string CommonError::debug() const {
  switch (m_kind) {
    case Kind::Crypto: return "Crypto(" + debug_quote(m_text) + ")";
    case Kind::AbiCodec: return "AbiCodec(" + m_debug_payload + ")";
    case Kind::Other: return "Other(" + debug_quote(m_text) + ")";
    case Kind::Parse: return "Parse(" + debug_quote(m_text) + ")";
    case Kind::Conversion: return "Conversion(" + debug_quote(m_text) + ")";
    case Kind::SparseMerkleTree: return "SparseMerkleTree(" + debug_quote(m_text) + ")";
  }
  return m_text;
}

}  // namespace qzr
