// The node store: its operations, deep copies, debug texts, and the flat map beneath it checked
// against std::map.
#include <gtest/gtest.h>

#include <random>

#include "tree_test_support.hpp"

namespace qzr::tree {
namespace {

using namespace testing_support;

std::string zeros_list() {
  std::string list = "[";
  for (int i = 0; i < 32; ++i) list += i == 0 ? "0" : ", 0";
  return list + "]";
}

TEST(ConcurrentStore, OperationsOnAbsentAndPresentRecords) {
  ConcurrentStore<ToyValue> store;
  const H256 hash = key_with_bits({5});
  EXPECT_EQ(store.get_branch(hash).value(), std::nullopt);
  EXPECT_TRUE(store.remove_branch(hash));
  EXPECT_TRUE(store.remove_leaf(hash));
  EXPECT_EQ(store.get_leaf(hash).error(), SmtError::missing_leaf(hash));
  const BranchNode first{0, hash, NodeType::single(hash)}, second{3, hash, NodeType::pair(hash, hash)};
  ASSERT_TRUE(store.insert_branch(hash, first));
  ASSERT_TRUE(store.insert_branch(hash, second));
  EXPECT_EQ(store.get_branch(hash).value(), second);
  EXPECT_EQ(store.read_branches().value()->size(), 1u);
  ASSERT_TRUE(store.insert_leaf(hash, LeafNode<ToyValue>{hash, toy({1})}));
  EXPECT_EQ(store.get_leaf(hash), toy({1}));
}

TEST(ConcurrentStore, DebugTextOfAnEmptyTree) {
  const ToyTree tree;
  const std::string empty_lock = "RwLock { data: {}, poisoned: false, .. }";
  EXPECT_EQ(tree.debug_text(), "SparseMerkleTree { store: ConcurrentStore { branches_map: " + empty_lock +
                                   ", leaves_map: " + empty_lock + " }, root: H256(" + zeros_list() +
                                   "), phantom: PhantomData<(qzr_common::tree::shared_smt::Keccak256Hasher, "
                                   "qzr_tests::ToyValue)> }");
}

TEST(ConcurrentStore, ReprOfTheTreeClass) {
  const ToyTree tree;
  EXPECT_EQ(velmarind_smt_repr(tree), "VelmarindSMT { inner: " + tree.debug_text() + " }");
}

TEST(ConcurrentStore, DebugTextOfOneLeafAndOfALockedMap) {
  ToyTree tree;
  const H256 key = key_with_bits({0});
  const auto root = tree.update(key, toy({7}));
  ASSERT_TRUE(root);
  const std::string key_text = debug_text(key), leaf_text = debug_text(*root);
  const std::string branches = "RwLock { data: {" + leaf_text +
                               ": BranchNode { fork_height: 0, key: " + key_text + ", node_type: Single(" +
                               leaf_text + ") }}, poisoned: false, .. }";
  const std::string leaves = "RwLock { data: {" + leaf_text + ": LeafNode { key: " + key_text +
                             ", value: ToyValue([7]) }}, poisoned: false, .. }";
  EXPECT_EQ(tree.store().debug_text(),
            "ConcurrentStore { branches_map: " + branches + ", leaves_map: " + leaves + " }");
  auto writer = StoreTestAccess::leaves_lock(tree.store()).write();
  EXPECT_EQ(tree.store().debug_text(), "ConcurrentStore { branches_map: " + branches +
                                           ", leaves_map: RwLock { data: <locked>, poisoned: false, .. } }");
}

TEST(ConcurrentStore, DeepCopiesAreEqualAndIndependent) {
  std::mt19937_64 random(3);
  ToyTree source;
  std::vector<H256> keys;
  for (int i = 0; i < 50; ++i) {
    keys.push_back(random_key(random));
    ASSERT_TRUE(source.update(keys.back(), toy({std::uint8_t(i + 1)})));
  }
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(source.update(keys[i], ToyValue{}));  // free entries exist
  ToyTree copy = source.deep_clone();
  EXPECT_EQ(copy.debug_text(), source.debug_text());
  const std::string before = source.debug_text();
  ASSERT_TRUE(copy.update(keys[20], toy({200})));
  ASSERT_TRUE(copy.update(random_key(random), toy({201})));
  EXPECT_EQ(source.debug_text(), before);
  EXPECT_NE(copy.root(), source.root());
  ASSERT_TRUE(source.update(keys[30], ToyValue{}));
  EXPECT_EQ(copy.get(keys[30]), toy({31}));
}

TEST(ConcurrentStore, DeepCopyOfAPoisonedMapFaults) {
  ToyTree tree;
  try {
    auto guard = StoreTestAccess::branches_lock(tree.store()).write();
    fault("planted");
  } catch (const Fault&) {
  }
  try {
    (void)tree.deep_clone();
    ADD_FAILURE() << "no fault";
  } catch (const Fault& fault) {
    EXPECT_EQ(fault.message, "called `Result::unwrap()` on an `Err` value: PoisonError { .. }");
  }
}

TEST(FlatHashMap, MatchesStdMapThroughInsertsAndErases) {
  std::mt19937_64 random(5);
  FlatHashMap<ToyValue> map;
  std::map<H256, ToyValue> model;
  std::vector<H256> keys;
  for (int i = 0; i < 400; ++i) keys.push_back(random_key(random));
  // The entry index each key last got, kept across its erases: hints that are right, stale (the
  // entry freed or reused by another key) or out of range after the map emptied.
  std::map<H256, std::uint32_t> hints;
  for (int step = 0; step < 20000; ++step) {
    const H256& key = keys[random() % keys.size()];
    if (random() % 3 == 0) {
      EXPECT_EQ(map.erase(key), model.erase(key) == 1);
    } else {
      const ToyValue value = toy({static_cast<std::uint8_t>(step)});
      hints[key] = map.insert_or_assign(key, value);
      model[key] = value;
    }
    const H256& probe = keys[random() % keys.size()];
    const std::uint32_t hint =
        hints.contains(probe) ? hints[probe] : static_cast<std::uint32_t>(random() % 512);
    const auto hinted = map.locate_hinted(probe, hint);
    ASSERT_EQ(hinted.has_value(), model.contains(probe));
    if (hinted) {
      EXPECT_EQ(map.key_at(*hinted), probe);
      EXPECT_EQ(map.at(*hinted), model.at(probe));
      EXPECT_EQ(hinted->tag, map.tag_of(probe));
    }
  }
  ASSERT_EQ(map.size(), model.size());
  for (const H256& key : keys) {
    const ToyValue* found = map.find(key);
    ASSERT_EQ(found != nullptr, model.contains(key));
    if (found) {
      EXPECT_EQ(*found, model.at(key));
    }
  }
  std::size_t visited = 0;
  map.for_each([&](const H256& key, const ToyValue& value) {
    ++visited;
    EXPECT_EQ(model.at(key), value);
  });
  EXPECT_EQ(visited, model.size());
}

TEST(FlatHashMap, CopiesKeepTheOrderAndMapsHaveTheirOwnSeeds) {
  std::mt19937_64 random(9);
  FlatHashMap<ToyValue> first, second;
  for (int i = 0; i < 64; ++i) {
    const H256 key = random_key(random);
    first.insert_or_assign(key, ToyValue{});
    second.insert_or_assign(key, ToyValue{});
  }
  EXPECT_NE(first.tag_of(H256()), second.tag_of(H256()));
  const FlatHashMap<ToyValue> copy = first;
  std::vector<H256> order, copy_order;
  first.for_each([&](const H256& key, const ToyValue&) { order.push_back(key); });
  copy.for_each([&](const H256& key, const ToyValue&) { copy_order.push_back(key); });
  EXPECT_EQ(order, copy_order);
  EXPECT_EQ(copy.tag_of(H256()), first.tag_of(H256()));
}

}  // namespace
}  // namespace qzr::tree
