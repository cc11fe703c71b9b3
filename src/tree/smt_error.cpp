// Display and debug texts of the tree errors.
#include "tree/smt_error.hpp"

#include <array>
#include <string_view>

#include "core/debug_quote.hpp"
#include "values/debug_shapes.hpp"

namespace qzr::tree {
namespace {

struct VariantTexts {
  std::string_view name;
  // The whole display text of a variant without fields; the prefix of one with fields.
  std::string_view display;
};

constexpr std::array<VariantTexts, 11> variant_texts = {{
    {"MissingBranch", "Corrupted store, missing branch "},
    {"MissingLeaf", "Corrupted store, missing leaf "},
    {"CorruptedProof", "Corrupted proof"},
    {"EmptyProof", "Empty proof"},
    {"EmptyKeys", "Empty keys"},
    {"IncorrectNumberOfLeaves", "Incorrect number of leaves, expected "},
    {"Store", "Backend store error: "},
    {"CorruptedStack", "Corrupted compiled proof stack"},
    {"NonSiblings", "Merging non-siblings in compiled stack"},
    {"InvalidCode", "Invalid compiled proof code: "},
    {"NonMergableRange", "Ranges can not be merged"},
}};

const VariantTexts& texts_of(SmtError::Kind kind) { return variant_texts[static_cast<std::size_t>(kind)]; }

}  // namespace

std::string SmtError::display() const {
  std::string text(texts_of(m_kind).display);
  switch (m_kind) {
    case Kind::MissingBranch:
    case Kind::MissingLeaf: return text + debug_text(m_hash);
    case Kind::IncorrectNumberOfLeaves:
      return text + std::to_string(m_expected) + " actual " + std::to_string(m_actual);
    case Kind::Store: return text + m_text;
    case Kind::InvalidCode: return text + std::to_string(m_code);
    default: return text;
  }
}

std::string SmtError::debug() const {
  const std::string_view name = texts_of(m_kind).name;
  switch (m_kind) {
    case Kind::MissingBranch:
    case Kind::MissingLeaf: return debug_tuple(name, debug_text(m_hash));
    case Kind::IncorrectNumberOfLeaves:
      return debug_struct(name,
                          {{"expected", std::to_string(m_expected)}, {"actual", std::to_string(m_actual)}});
    case Kind::Store: return debug_tuple(name, debug_quote(m_text));
    case Kind::InvalidCode: return debug_tuple(name, std::to_string(m_code));
    default: return std::string(name);
  }
}

}  // namespace qzr::tree
