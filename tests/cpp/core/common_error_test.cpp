#include "core/common_error.hpp"

#include <gtest/gtest.h>

#include <string>

namespace qzr {
namespace {

// Display and debug texts of every variant. Display prefixes and the examples are the system's
// fixed texts; debug texts quote a text payload as debug texts quote strings.
TEST(CommonError, DisplayAndDebugTexts) {
  struct Case {
    CommonError error;
    std::string display;
    std::string debug;
  };
  const Case cases[] = {
      {CommonError::crypto("InvalidSignature"), "Error with crypto tooling: InvalidSignature",
       "Crypto(\"InvalidSignature\")"},
      {CommonError::abi_codec("Invalid data", "InvalidData"), "Invalid data", "AbiCodec(InvalidData)"},
      {CommonError::other("Expected a stats key, got 1"), "Expected a stats key, got 1",
       "Other(\"Expected a stats key, got 1\")"},
      {CommonError::other(""), "", "Other(\"\")"},
      {CommonError::parse("Unable to parse X as SpecsKind"),
       "Error parsing string into struct: Unable to parse X as SpecsKind",
       "Parse(\"Unable to parse X as SpecsKind\")"},
      {CommonError::conversion("Illegal character in 32"), "Conversion error: Illegal character in 32",
       "Conversion(\"Illegal character in 32\")"},
      {CommonError::sparse_merkle_tree("MissingLeaf"), "Error with Sparse Merkle Tree tooling: MissingLeaf",
       "SparseMerkleTree(\"MissingLeaf\")"},
      {CommonError::other("say \"hi\"\n"), "say \"hi\"\n", "Other(\"say \\\"hi\\\"\\n\")"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.debug);
    EXPECT_EQ(c.error.display(), c.display);
    EXPECT_EQ(c.error.debug(), c.debug);
  }
}

}  // namespace
}  // namespace qzr
