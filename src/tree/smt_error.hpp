// SmtError: the error value of every tree operation (store access, get, update, proof building and
// compilation), with the display text callers put behind their operation prefix and the debug
// text the genesis construction wraps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/common_error.hpp"
#include "values/h256.hpp"

namespace qzr::tree {

class [[nodiscard]] SmtError {
 public:
  // Variants in the order of their tags.
  enum class Kind : std::uint8_t {
    MissingBranch,
    MissingLeaf,
    CorruptedProof,
    EmptyProof,
    EmptyKeys,
    IncorrectNumberOfLeaves,
    Store,
    CorruptedStack,
    NonSiblings,
    InvalidCode,
    NonMergableRange,
  };

  // A node hash met on a walk has no branch record.
  static SmtError missing_branch(const H256& node_hash) { return SmtError(Kind::MissingBranch, node_hash); }
  // A leaf record's hash has no leaf entry.
  static SmtError missing_leaf(const H256& leaf_hash) { return SmtError(Kind::MissingLeaf, leaf_hash); }
  static SmtError corrupted_proof() { return SmtError(Kind::CorruptedProof); }
  static SmtError empty_proof() { return SmtError(Kind::EmptyProof); }
  static SmtError empty_keys() { return SmtError(Kind::EmptyKeys); }
  static SmtError incorrect_number_of_leaves(std::size_t expected, std::size_t actual) {
    SmtError error(Kind::IncorrectNumberOfLeaves);
    error.m_expected = expected;
    error.m_actual = actual;
    return error;
  }
  // A store operation found its map's lock poisoned; `text` is the poison error's debug text.
  static SmtError store(std::string text) {
    SmtError error(Kind::Store);
    error.m_text = std::move(text);
    return error;
  }
  static SmtError corrupted_stack() { return SmtError(Kind::CorruptedStack); }
  static SmtError non_siblings() { return SmtError(Kind::NonSiblings); }
  static SmtError invalid_code(std::uint8_t code) {
    SmtError error(Kind::InvalidCode);
    error.m_code = code;
    return error;
  }
  static SmtError non_mergable_range() { return SmtError(Kind::NonMergableRange); }

  Kind kind() const { return m_kind; }
  // The payload of MissingBranch and MissingLeaf.
  const H256& hash() const { return m_hash; }
  std::size_t expected() const { return m_expected; }
  std::size_t actual() const { return m_actual; }
  std::uint8_t code() const { return m_code; }
  const std::string& text() const { return m_text; }

  // What callers show behind "smt get error: ", "smt update error: " or "merkle proof error: ".
  // Hashes appear in their debug form, e.g. "Corrupted store, missing branch H256([0, ...])".
  std::string display() const;
  // The variant's name with its fields, e.g. "MissingBranch(H256([...]))" or
  // "IncorrectNumberOfLeaves { expected: 2, actual: 1 }".
  std::string debug() const;

  // The common error the genesis construction reports: SparseMerkleTree holding debug().
  CommonError to_common_error() const { return CommonError::sparse_merkle_tree(debug()); }

  friend bool operator==(const SmtError&, const SmtError&) = default;

 private:
  explicit SmtError(Kind kind, const H256& hash = H256()) : m_kind(kind), m_hash(hash) {}

  Kind m_kind;
  H256 m_hash;
  std::size_t m_expected = 0;
  std::size_t m_actual = 0;
  std::uint8_t m_code = 0;
  std::string m_text;
};

}  // namespace qzr::tree
