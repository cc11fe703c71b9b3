// The merge and leaf hash rules, branch records seen at a height, and the error texts.
#include <gtest/gtest.h>

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

// The byte-wise definitions of H256's bit numbering and order, written here from the stated
// contract (bit i is bit i % 8 of byte i / 8; values compare from byte 31 down), as an oracle for
// the word-wise operations.
bool naive_bit(const H256::Bytes& bytes, int i) { return (bytes[i / 8] >> (i % 8)) & 1; }
int naive_compare(const H256::Bytes& a, const H256::Bytes& b) {
  for (int byte = 31; byte >= 0; --byte) {
    if (a[byte] != b[byte]) return a[byte] < b[byte] ? -1 : 1;
  }
  return 0;
}
int naive_fork_height(const H256::Bytes& a, const H256::Bytes& b) {
  for (int i = 255; i >= 0; --i) {
    if (naive_bit(a, i) != naive_bit(b, i)) return i;
  }
  return 0;
}

TEST(H256Words, AgreeWithTheByteWiseDefinitions) {
  std::mt19937_64 random(21);
  for (int round = 0; round < 2000; ++round) {
    const H256 a = random_key(random);
    H256 b = a;
    // Differ in one random bit, in a random set of bits, only in the lowest byte, or not at all.
    const auto pick = round % 4;
    if (pick == 0) b.set_bit(static_cast<std::uint8_t>(random() % 256));
    if (pick == 1) b = random_key(random);
    if (pick == 2) b.clear_bit(static_cast<std::uint8_t>(random() % 8));
    const H256::Bytes x = a.bytes(), y = b.bytes();
    SCOPED_TRACE(debug_text(a) + " vs " + debug_text(b));
    EXPECT_EQ(a < b, naive_compare(x, y) < 0);
    EXPECT_EQ(b < a, naive_compare(y, x) < 0);
    EXPECT_EQ(a == b, naive_compare(x, y) == 0);
    EXPECT_EQ(a.fork_height(b), naive_fork_height(x, y));
    EXPECT_EQ(a.is_zero(), std::all_of(x.begin(), x.end(), [](std::uint8_t byte) { return byte == 0; }));
    const int start = static_cast<int>(random() % 256);
    const H256::Bytes kept = a.copy_bits(static_cast<std::uint8_t>(start)).bytes();
    for (int i = 0; i < 256; ++i) {
      EXPECT_EQ(a.get_bit(static_cast<std::uint8_t>(i)), naive_bit(x, i));
      EXPECT_EQ(naive_bit(kept, i), i >= start && naive_bit(x, i)) << "copy_bits(" << start << ") bit " << i;
    }
    EXPECT_EQ(H256(x), a);
  }
  EXPECT_TRUE(H256().is_zero());
  EXPECT_TRUE(key_with_bits({200}).copy_bits(255).parent_path(255).is_zero());
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
