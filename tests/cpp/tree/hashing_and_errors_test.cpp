// The merge and leaf hash rules, branch records seen at a height, and the error texts.
#include <gtest/gtest.h>

#include "tree/hash_words.hpp"
#include "tree/smt_error.hpp"
#include "tree/smt_hash.hpp"
#include "tree_test_support.hpp"

namespace qzr::tree {
namespace {

using namespace testing_support;

H256 counting_from(std::uint8_t first) {
  H256::Bytes bytes;
  for (int i = 0; i < 32; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
  return H256(bytes);
}

TEST(SmtHash, MergeIsZeroAwareAndOrdered) {
  const H256 a = counting_from(0), b = counting_from(32);
  // Expected digests: pycryptodome's Keccak-256 of the 64 concatenated bytes.
  EXPECT_EQ(to_hex(smt_merge(a, b)), "0x002030bde3d4cf89919649775cd71875c4d0ab1708a380e03fefc3a28aa24831");
  EXPECT_EQ(to_hex(smt_merge(b, a)), "0xea80d4c77991d38cc023452c5f868d11d92d33eb522bd0eb7c05eea8bc264469");
  EXPECT_EQ(smt_merge(H256(), H256()), H256());
  EXPECT_EQ(smt_merge(a, H256()), a);
  EXPECT_EQ(smt_merge(H256(), a), a);
}

TEST(SmtHash, LeafHashIsZeroForAZeroValueHash) {
  const H256 key = counting_from(0), value_hash = counting_from(32);
  EXPECT_EQ(smt_hash_leaf(key, H256()), H256());
  EXPECT_EQ(to_hex(smt_hash_leaf(key, value_hash)),
            "0x002030bde3d4cf89919649775cd71875c4d0ab1708a380e03fefc3a28aa24831");
}

TEST(HashWords, AgreeWithTheValueOperations) {
  std::mt19937_64 random(21);
  for (int round = 0; round < 2000; ++round) {
    const H256 a = random_key(random);
    H256 b = a;
    // Differ in one random bit, in a random set of bits, or not at all.
    const auto pick = round % 3;
    if (pick == 0) b.set_bit(static_cast<std::uint8_t>(random() % 256));
    if (pick == 1) b = random_key(random);
    EXPECT_EQ(hash_less(a, b), a < b);
    EXPECT_EQ(hash_less(b, a), b < a);
    EXPECT_EQ(same_hash(a, b), a == b);
    EXPECT_EQ(fork_height_of(a, b), a.fork_height(b));
    EXPECT_EQ(is_zero_hash(a.copy_bits(255).parent_path(255)), true);
    EXPECT_EQ(is_zero_hash(a), a.is_zero());
  }
}

TEST(BranchNode, PairChildrenFollowTheRecordKeysBit) {
  const H256 first = counting_from(1), second = counting_from(2);
  const BranchNode node{9, key_with_bits({9}), NodeType::pair(first, second)};
  const Children at_set_bit = node.children_at(9);
  EXPECT_EQ(at_set_bit.left, second);
  EXPECT_EQ(at_set_bit.right, first);
  const Children at_clear_bit = node.children_at(8);
  EXPECT_EQ(at_clear_bit.left, first);
  EXPECT_EQ(at_clear_bit.right, second);
}

TEST(SmtError, DisplayAndDebugTexts) {
  const std::string zero = debug_text(H256());
  struct Case {
    SmtError error;
    std::string display;
    std::string debug;
  };
  const Case cases[] = {
      {SmtError::missing_branch(H256()), "Corrupted store, missing branch " + zero,
       "MissingBranch(" + zero + ")"},
      {SmtError::missing_leaf(H256()), "Corrupted store, missing leaf " + zero, "MissingLeaf(" + zero + ")"},
      {SmtError::corrupted_proof(), "Corrupted proof", "CorruptedProof"},
      {SmtError::empty_proof(), "Empty proof", "EmptyProof"},
      {SmtError::empty_keys(), "Empty keys", "EmptyKeys"},
      {SmtError::incorrect_number_of_leaves(3, 2), "Incorrect number of leaves, expected 3 actual 2",
       "IncorrectNumberOfLeaves { expected: 3, actual: 2 }"},
      {SmtError::store("PoisonError { .. }"), "Backend store error: PoisonError { .. }",
       "Store(\"PoisonError { .. }\")"},
      {SmtError::corrupted_stack(), "Corrupted compiled proof stack", "CorruptedStack"},
      {SmtError::non_siblings(), "Merging non-siblings in compiled stack", "NonSiblings"},
      {SmtError::invalid_code(7), "Invalid compiled proof code: 7", "InvalidCode(7)"},
      {SmtError::non_mergable_range(), "Ranges can not be merged", "NonMergableRange"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.debug);
    EXPECT_EQ(c.error.display(), c.display);
    EXPECT_EQ(c.error.debug(), c.debug);
  }
  EXPECT_EQ(SmtError::empty_keys().to_common_error().display(),
            "Error with Sparse Merkle Tree tooling: EmptyKeys");
}

}  // namespace
}  // namespace qzr::tree
