#include "core/common_error.hpp"

#include "core/debug_quote.hpp"

namespace qzr {

CommonError CommonError::env_var_not_unicode(std::string_view raw_value) {
  return {Kind::EnvVar, "environment variable was not valid unicode: " + debug_quote(raw_value),
          "NotUnicode(" + debug_quote(raw_value) + ")"};
}

std::string CommonError::display() const {
  switch (m_kind) {
    case Kind::Crypto: return "Error with crypto tooling: " + m_text;
    case Kind::EnvVar: return m_debug_payload == "NotPresent" ? "environment variable not found" : m_text;
    case Kind::AbiCodec: return m_text;
    case Kind::Other: return m_text;
    case Kind::Parse: return "Error parsing string into struct: " + m_text;
    case Kind::Conversion: return "Conversion error: " + m_text;
    case Kind::Regex: return m_text;
    case Kind::Serialization: return "Error with record serializer serialize/deserialize: " + m_text;
    case Kind::SparseMerkleTree: return "Error with Sparse Merkle Tree tooling: " + m_text;
    case Kind::TryFromInt: return "out of range integral type conversion attempted";
  }
  return m_text;
}

std::string CommonError::debug() const {
  switch (m_kind) {
    case Kind::Crypto: return "Crypto(" + debug_quote(m_text) + ")";
    case Kind::EnvVar: return "EnvVar(" + m_debug_payload + ")";
    case Kind::AbiCodec: return "AbiCodec(" + m_debug_payload + ")";
    case Kind::Other: return "Other(" + debug_quote(m_text) + ")";
    case Kind::Parse: return "Parse(" + debug_quote(m_text) + ")";
    case Kind::Conversion: return "Conversion(" + debug_quote(m_text) + ")";
    case Kind::Regex: return "Regex(" + debug_quote(m_text) + ")";
    case Kind::Serialization: return "Serialization(" + debug_quote(m_text) + ")";
    case Kind::SparseMerkleTree: return "SparseMerkleTree(" + debug_quote(m_text) + ")";
    case Kind::TryFromInt: return "TryFromInt(TryFromIntError(()))";
  }
  return m_text;
}

}  // namespace qzr
