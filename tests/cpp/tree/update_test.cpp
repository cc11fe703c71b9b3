// get and update: randomised sequences checked against a naive root and the store invariants after
// every step, the worked example, rewrites, deletes of absent keys, and failed updates that must
// change nothing.
#include <gtest/gtest.h>

#include <random>

#include "tree_test_support.hpp"

namespace qzr::tree {
namespace {

using namespace testing_support;

// Applies one update to the tree and the model and checks root, store and reads.
void update_and_check(ToyTree& tree, Model& model, const H256& key, const ToyValue& value) {
  const H256 value_hash = TreeValueTraits<ToyValue>::value_hash(value);
  if (value_hash.is_zero()) {
    model.erase(key);
  } else {
    model[key] = value_hash;
  }
  const auto root = tree.update(key, value);
  ASSERT_TRUE(root.has_value()) << root.error().display();
  ASSERT_EQ(*root, naive_root(model));
  ASSERT_EQ(tree.root(), *root);
  expect_consistent_store(tree, model);
  const auto read = tree.get(key);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(*read, value);
}

// Keys in clusters: a few bases, and neighbours that differ from a base in one bit (0, 255 and
// others), so that splits occur at the lowest and highest heights.
std::vector<H256> clustered_keys(std::mt19937_64& random) {
  std::vector<H256> keys;
  for (int base_count = 0; base_count < 4; ++base_count) {
    const H256 base = random_key(random);
    keys.push_back(base);
    for (const std::uint8_t bit : {0, 1, 7, 8, 100, 254, 255}) {
      H256 neighbour = base;
      if (neighbour.get_bit(bit)) {
        neighbour.clear_bit(bit);
      } else {
        neighbour.set_bit(bit);
      }
      keys.push_back(neighbour);
    }
  }
  keys.push_back(H256());
  H256 all_ones;
  for (int bit = 0; bit < 256; ++bit) all_ones.set_bit(static_cast<std::uint8_t>(bit));
  keys.push_back(all_ones);
  for (int i = 0; i < 8; ++i) keys.push_back(random_key(random));
  return keys;
}

TEST(TreeUpdate, RandomSequencesMatchTheNaiveRootAfterEveryStep) {
  for (const std::uint64_t seed : {1u, 2u, 3u, 4u}) {
    SCOPED_TRACE(seed);
    std::mt19937_64 random(seed);
    const std::vector<H256> keys = clustered_keys(random);
    ToyTree tree;
    Model model;
    for (int step = 0; step < 300; ++step) {
      const H256& key = keys[random() % keys.size()];
      const auto choice = random() % 10;
      ToyValue value;
      if (choice < 6) {
        value = toy({static_cast<std::uint8_t>(random() % 4 + 1)});  // often the value already held
      } else if (choice < 8) {
        value = ToyValue{};  // delete, often of an absent key
      } else {
        const auto held = tree.get(key);
        ASSERT_TRUE(held.has_value());
        value = *held;  // rewrite what the key holds (or delete when absent)
      }
      update_and_check(tree, model, key, value);
      if (::testing::Test::HasFatalFailure()) return;
    }
    // Down to empty.
    for (const H256& key : keys) update_and_check(tree, model, key, ToyValue{});
    EXPECT_TRUE(tree.root().is_zero());
    EXPECT_EQ(tree.store().read_branches().value()->size(), 0u);
  }
}

TEST(TreeUpdate, RootDependsOnlyOnTheFinalSet) {
  std::mt19937_64 random(7);
  std::vector<H256> keys;
  for (int i = 0; i < 40; ++i) keys.push_back(random_key(random));
  ToyTree forward, backward;
  for (std::size_t i = 0; i < keys.size(); ++i)
    ASSERT_TRUE(forward.update(keys[i], toy({std::uint8_t(i + 1)})));
  ASSERT_TRUE(backward.update(keys[3], toy({99})));
  ASSERT_TRUE(backward.update(random_key(random), toy({5})).has_value());
  for (std::size_t i = keys.size(); i-- > 0;)
    ASSERT_TRUE(backward.update(keys[i], toy({std::uint8_t(i + 1)})));
  EXPECT_NE(forward.root(), backward.root());  // the extra key is still there
  Model model;
  for (std::size_t i = 0; i < keys.size(); ++i)
    model[keys[i]] = TreeValueTraits<ToyValue>::value_hash(toy({std::uint8_t(i + 1)}));
  EXPECT_EQ(forward.root(), naive_root(model));
}

// Keys a and b first differ at height f = 9, a on the left.
TEST(TreeUpdate, WorkedExample) {
  const H256 a = key_with_bits({1, 200}), b = key_with_bits({1, 9, 200});
  const ToyValue x = toy({1}), y = toy({2});
  const H256 la = naive_leaf_hash(a, TreeValueTraits<ToyValue>::value_hash(x));
  const H256 lb = naive_leaf_hash(b, TreeValueTraits<ToyValue>::value_hash(y));
  ToyTree tree;
  ASSERT_EQ(tree.update(a, x), la);
  ASSERT_EQ(tree.update(b, y), naive_merge(la, lb));
  const auto split = tree.store().get_branch(naive_merge(la, lb));
  ASSERT_TRUE(split.has_value() && split->has_value());
  EXPECT_EQ(**split, (BranchNode{9, b, NodeType::pair(lb, la)}));
  EXPECT_EQ(**tree.store().get_branch(la), (BranchNode{0, a, NodeType::single(la)}));
  ASSERT_EQ(tree.update(a, ToyValue{}), lb);
  EXPECT_EQ(tree.store().read_branches().value()->size(), 1u);
  EXPECT_EQ(tree.store().read_leaves().value()->size(), 1u);
  EXPECT_EQ(tree.get(b), y);
  EXPECT_EQ(tree.get(a), ToyValue{});
}

TEST(TreeUpdate, DeletingAnAbsentKeyKeepsTheRootAndRewritesTheSplitKeys) {
  const H256 a = key_with_bits({3}), b = key_with_bits({3, 40}), absent = key_with_bits({3, 40, 255});
  ToyTree tree;
  ASSERT_TRUE(tree.update(a, toy({1})));
  const auto root = tree.update(b, toy({2}));
  ASSERT_TRUE(root);
  ASSERT_EQ(tree.store().get_branch(*root).value()->key, b);
  // The absent key leaves the stored structure above the split at 40: nothing is rewritten.
  ASSERT_EQ(tree.update(absent, ToyValue{}), *root);
  EXPECT_EQ(tree.store().get_branch(*root).value()->key, b);
  // A key that passes the split at 40 and forks below it rewrites the split's key.
  const H256 below = key_with_bits({3, 40, 7});
  ASSERT_EQ(tree.update(below, ToyValue{}), *root);
  EXPECT_EQ(tree.store().get_branch(*root).value()->key, below);
  EXPECT_EQ(tree.store().read_branches().value()->size(), 3u);
}

TEST(TreeGet, ReadsCopiesAndAbsentKeys) {
  ToyTree tree;
  EXPECT_EQ(tree.get(key_with_bits({1})), ToyValue{});
  const H256 key = key_with_bits({1, 2, 3});
  ASSERT_TRUE(tree.update(key, toy({4, 5})));
  auto read = tree.get(key);
  ASSERT_TRUE(read);
  read->bytes.push_back(6);
  EXPECT_EQ(tree.get(key), toy({4, 5}));
  EXPECT_EQ(tree.get(key_with_bits({1, 2})), ToyValue{});  // shares a long prefix
}

// A fixture with a tree of a few leaves, whose debug text and root are compared after a failure.
class FailedUpdate : public ::testing::Test {
 protected:
  void SetUp() override {
    for (std::uint8_t bit : {0, 9, 77, 200, 255}) {
      ASSERT_TRUE(tree.update(key_with_bits({bit, 3}), toy({bit})));
      model[key_with_bits({bit, 3})] = TreeValueTraits<ToyValue>::value_hash(toy({bit}));
    }
  }
  void expect_unchanged(const std::string& text_before, const H256& root_before) {
    EXPECT_EQ(tree.root(), root_before);
    EXPECT_EQ(tree.debug_text(), text_before);
  }
  template <class Lock>
  static void poison(Lock& lock) {
    try {
      auto guard = lock.write();
      fault("planted fault while writing");
    } catch (const Fault&) {
    }
  }
  ToyTree tree;
  Model model;
};

TEST_F(FailedUpdate, PoisonedBranchMap) {
  const std::string text = tree.debug_text();
  const H256 root = tree.root();
  poison(StoreTestAccess::branches_lock(tree.store()));
  const std::string poisoned_text = tree.debug_text();
  for (const ToyValue& value : {toy({1}), ToyValue{}}) {
    const auto result = tree.update(key_with_bits({9, 3}), value);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().display(), "Backend store error: PoisonError { .. }");
    expect_unchanged(poisoned_text, root);
  }
  EXPECT_NE(text, poisoned_text);
  EXPECT_EQ(tree.get(key_with_bits({9, 3})).error(), SmtError::store("PoisonError { .. }"));
}

TEST_F(FailedUpdate, PoisonedLeafMap) {
  const H256 root = tree.root();
  poison(StoreTestAccess::leaves_lock(tree.store()));
  const std::string text = tree.debug_text();
  EXPECT_NE(text.find("poisoned: true"), std::string::npos);
  struct Case {
    const char* name;
    H256 key;
    ToyValue value;
  };
  const Case cases[] = {
      {"overwrite", key_with_bits({9, 3}), toy({42})},
      {"delete", key_with_bits({9, 3}), ToyValue{}},
      {"insert", key_with_bits({10, 3}), toy({42})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto result = tree.update(c.key, c.value);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), SmtError::store("PoisonError { .. }"));
    expect_unchanged(text, root);
  }
  // Deleting an absent key touches only the branch map, so it still succeeds.
  EXPECT_EQ(tree.update(key_with_bits({10, 3}), ToyValue{}), root);
}

TEST_F(FailedUpdate, MissingRecordOnThePath) {
  // Remove the leaf record of one key: walks through it fail, and change nothing.
  const H256 key = key_with_bits({0, 3});
  const H256 leaf = naive_leaf_hash(key, model.at(key));
  ASSERT_TRUE(StoreTestAccess::store(tree).remove_branch(leaf));
  const std::string text = tree.debug_text();
  const H256 root = tree.root();
  for (const ToyValue& value : {toy({8}), ToyValue{}}) {
    const auto result = tree.update(key, value);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), SmtError::missing_branch(leaf));
    expect_unchanged(text, root);
  }
  EXPECT_EQ(tree.get(key).error(), SmtError::missing_branch(leaf));
  // A key whose walk does not pass the missing record still updates.
  EXPECT_TRUE(tree.update(key_with_bits({255, 3}), toy({9})));
}

TEST_F(FailedUpdate, MissingLeafEntryFailsOnlyTheRead) {
  const H256 key = key_with_bits({77, 3});
  const H256 leaf = naive_leaf_hash(key, model.at(key));
  ASSERT_TRUE(StoreTestAccess::store(tree).remove_leaf(leaf));
  EXPECT_EQ(tree.get(key).error(), SmtError::missing_leaf(leaf));
  EXPECT_EQ(tree.proof_leaf_of_key(key).error(), SmtError::missing_leaf(leaf));
  // Overwriting repairs the key (its missing entry is simply not there to remove).
  ASSERT_TRUE(tree.update(key, toy({1, 2})));
  EXPECT_EQ(tree.get(key), toy({1, 2}));
}

}  // namespace
}  // namespace qzr::tree
