// CommonError: the one error value of the domain layers, with its display text (what Python
// sees in QzrCommonError) and its debug text (what fault messages end with).
#pragma once

#include <expected>
#include <string>

namespace qzr {

class [[nodiscard]] CommonError {
 public:
  // The variants the system raises.
  enum class Kind {
    Crypto,
    AbiCodec,
    Other,
    Parse,
    Conversion,
    SparseMerkleTree,
  };

  static CommonError crypto(std::string library_error_name) {
    return {Kind::Crypto, std::move(library_error_name)};
  }
  // `display` is the codec error's own text, `debug` its diagnostic rendering.
  static CommonError abi_codec(std::string display, std::string debug) {
    return {Kind::AbiCodec, std::move(display), std::move(debug)};
  }
  static CommonError other(std::string text) { return {Kind::Other, std::move(text)}; }
  static CommonError parse(std::string text) { return {Kind::Parse, std::move(text)}; }
  static CommonError conversion(std::string text) { return {Kind::Conversion, std::move(text)}; }
  static CommonError sparse_merkle_tree(std::string text) {
    return {Kind::SparseMerkleTree, std::move(text)};
  }

  Kind kind() const { return m_kind; }
  // The payload text of a text-carrying variant.
  const std::string& text() const { return m_text; }

  // The text for users: the variant's prefix (if any) followed by the payload.
  std::string display() const;
  // The diagnostic rendering: the variant name and the payload's debug text in parentheses.
  std::string debug() const;

 private:
  CommonError(Kind kind, std::string text, std::string debug_payload = {})
      : m_kind(kind), m_text(std::move(text)), m_debug_payload(std::move(debug_payload)) {}

  Kind m_kind;
  std::string m_text;
  // For variants that carry another facility's error: that error's debug text.
  std::string m_debug_payload;
};

template <class T>
using Result = std::expected<T, CommonError>;

// Shorthand for returning an error from a function that returns Result<T>.
inline std::unexpected<CommonError> fail(CommonError error) { return std::unexpected(std::move(error)); }

}  // namespace qzr
