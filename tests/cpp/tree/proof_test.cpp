// Merkle proofs: the worked examples, random trees checked against a literal transcription of the
// queue-driven assembly and an interpreter of the compiled programs, repeated keys, compilation
// errors of hand-made raw proofs, and the proof's texts.
#include <gtest/gtest.h>

#include <deque>
#include <random>

#include "tree_test_support.hpp"

namespace qzr::tree {
namespace {

using namespace testing_support;

std::vector<std::uint8_t> bytes_of(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> bytes;
  for (const auto& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
  return bytes;
}
std::vector<std::uint8_t> hash_bytes(const H256& hash) {
  const H256::Bytes bytes = hash.bytes();
  return {bytes.begin(), bytes.end()};
}

// The raw proof built step by step as the procedure describes it: walks filling an ordered
// sibling map, then subtrees climbing one height per pass through a first-in first-out queue.
RawMerkleProof literal_raw_proof(const ToyTree& tree, std::vector<H256> keys) {
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  const auto other_side = [](const H256& path, std::uint8_t height) {
    H256 sibling = height == 255 ? H256() : path.copy_bits(static_cast<std::uint8_t>(height + 1));
    if (!path.get_bit(height)) sibling.set_bit(height);
    return sibling;
  };
  std::map<std::pair<std::uint8_t, H256>, H256> siblings;
  if (!tree.root().is_zero()) {
    for (const H256& key : keys) {
      H256 node = tree.root();
      for (;;) {
        const BranchNode record = tree.store().get_branch(node).value().value();
        const std::uint8_t height = std::max(key.fork_height(record.key), record.fork_height);
        const auto at = std::make_pair(height, other_side(key, height));
        if (!record.node_type().is_pair()) {
          if (record.key != key) siblings[at] = record.node_type().first();
          break;
        }
        if (height > record.fork_height) {
          siblings.emplace(at, node);
          break;
        }
        const Children children = record.children_at(height);
        const H256 next = key.get_bit(height) ? children.right : children.left;
        if (next == node) break;
        siblings[at] = key.get_bit(height) ? children.left : children.right;
        node = next;
      }
    }
  }
  struct Record {
    H256 path;
    std::uint8_t height;
    std::size_t index;
  };
  std::deque<Record> queue;
  for (std::size_t i = 0; i < keys.size(); ++i) queue.push_back({keys[i], 0, i});
  RawMerkleProof raw;
  raw.leaves_path.resize(keys.size());
  while (!queue.empty()) {
    const Record record = queue.front();
    queue.pop_front();
    auto& heights = raw.leaves_path[record.index];
    if (queue.empty() && siblings.empty()) {
      if (heights.empty()) heights.push_back(255);
      break;
    }
    const H256 sibling = other_side(record.path, record.height);
    if (!queue.empty() && queue.front().path == sibling && queue.front().height == record.height) {
      raw.leaves_path[queue.front().index].push_back(record.height);
      queue.pop_front();
      heights.push_back(record.height);
    } else if (const auto found = siblings.find({record.height, sibling}); found != siblings.end()) {
      raw.proof.emplace_back(found->second, record.height);
      heights.push_back(record.height);
      siblings.erase(found);
    } else if (record.height == 255) {
      if (heights.empty()) heights.push_back(255);
      break;
    } else {
      queue.push_back({record.path.parent_path(record.height), static_cast<std::uint8_t>(record.height + 1),
                       record.index});
      continue;
    }
    if (record.height == 255) break;
    queue.push_back(
        {record.path.parent_path(record.height), static_cast<std::uint8_t>(record.height + 1), record.index});
  }
  return raw;
}

// The leaves a verifier supplies: every requested key with its value hash (zero when absent).
std::vector<std::pair<H256, H256>> verifier_leaves(const Model& model, std::vector<H256> keys) {
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  std::vector<std::pair<H256, H256>> leaves;
  for (const H256& key : keys) leaves.emplace_back(key, model.contains(key) ? model.at(key) : H256());
  return leaves;
}

ToyTree tree_of(std::initializer_list<H256> keys, Model* model = nullptr) {
  ToyTree tree;
  std::uint8_t value = 1;
  for (const H256& key : keys) {
    EXPECT_TRUE(tree.update(key, toy({value})));
    if (model) (*model)[key] = TreeValueTraits<ToyValue>::value_hash(toy({value}));
    ++value;
  }
  return tree;
}

H256 leaf_hash_in(const Model& model, const H256& key) { return naive_leaf_hash(key, model.at(key)); }

TEST(MerkleProof, WorkedExamples) {
  // a and b differ only in bit 255; c forks from a at 100; d forks from b at 7.
  const H256 a = key_with_bits({4}), b = key_with_bits({4, 255}), c = key_with_bits({4, 100});
  const H256 d = key_with_bits({4, 7, 255}), e = key_with_bits({4, 3});
  Model model;
  const ToyTree full = tree_of({a, b, c, d}, &model);
  Model pair_model;
  const ToyTree a_and_c = tree_of({a, c}, &pair_model);
  const ToyTree a_and_b = tree_of({a, b});
  const ToyTree only_a = tree_of({a});
  const ToyTree empty;
  struct Case {
    const char* name;
    const ToyTree& tree;
    std::vector<H256> keys;
    RawMerkleProof raw;
    std::vector<std::uint8_t> program;
  };
  const Case cases[] = {
      {"one key, empty tree", empty, {a}, {{{255}}, {}}, {0x4C}},
      {"one key, tree of that leaf", only_a, {a}, {{{255}}, {}}, {0x4C}},
      {"absent key, tree of one leaf",
       only_a,
       {c},
       {{{100}}, {{leaf_hash_in(model, a), 100}}},
       bytes_of({{0x4C, 0x50, 100}, hash_bytes(leaf_hash_in(model, a))})},
      {"a in a tree of a and c",
       a_and_c,
       {a},
       {{{100}}, {{leaf_hash_in(pair_model, c), 100}}},
       bytes_of({{0x4C, 0x50, 100}, hash_bytes(leaf_hash_in(pair_model, c))})},
      {"a and b split at 255, tree of a and b",
       a_and_b,
       {a, b},
       {{{255}, {255}}, {}},
       {0x4C, 0x4C, 0x48, 0xFF}},
      {"a and b split at 255, empty tree", empty, {b, a}, {{{255}, {255}}, {}}, {0x4C, 0x4C, 0x48, 0xFF}},
      {"keys differing first at bit 3, empty tree",
       empty,
       {a, e},
       {{{3}, {3}}, {}},
       {0x4C, 0x4C, 0x48, 0x03}},
      {"the four-leaf example",
       full,
       {b, a},
       {{{100, 255}, {7, 255}}, {{leaf_hash_in(model, d), 7}, {leaf_hash_in(model, c), 100}}},
       bytes_of({{0x4C, 0x50, 100},
                 hash_bytes(leaf_hash_in(model, c)),
                 {0x4C, 0x50, 7},
                 hash_bytes(leaf_hash_in(model, d)),
                 {0x48, 0xFF}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.tree.merkle_proof(c.keys), c.raw);
    const auto compiled = c.tree.compiled_merkle_proof(c.keys);
    ASSERT_TRUE(compiled) << compiled.error().display();
    EXPECT_EQ(compiled->bytes, c.program);
  }
  EXPECT_EQ(full.compiled_merkle_proof({}).value().bytes, std::vector<std::uint8_t>{});
  EXPECT_EQ(full.merkle_proof({}).error(), SmtError::empty_keys());
}

TEST(MerkleProof, RandomTreesMatchTheLiteralAssemblyAndRebuildTheRoot) {
  std::mt19937_64 random(11);
  for (const std::size_t size : {0u, 1u, 2u, 3u, 17u, 200u}) {
    SCOPED_TRACE(size);
    ToyTree tree;
    Model model;
    std::vector<H256> stored;
    for (std::size_t i = 0; i < size; ++i) {
      // Every third key a near neighbour of an earlier one.
      H256 key = random_key(random);
      if (i % 3 == 2) {
        key = stored[random() % stored.size()];
        const auto bit = static_cast<std::uint8_t>(random() % 2 ? random() % 8 : 255 - random() % 8);
        key.get_bit(bit) ? key.clear_bit(bit) : key.set_bit(bit);
      }
      const ToyValue value = toy({static_cast<std::uint8_t>(i), 1});
      ASSERT_TRUE(tree.update(key, value));
      model[key] = TreeValueTraits<ToyValue>::value_hash(value);
      stored.push_back(key);
    }
    for (int round = 0; round < 30; ++round) {
      std::vector<H256> keys;
      const std::size_t count = 1 + random() % 12;
      for (std::size_t i = 0; i < count; ++i) {
        const auto pick = random() % 3;
        if (pick == 0 && !stored.empty()) {
          keys.push_back(stored[random() % stored.size()]);
        } else if (pick == 1 && !stored.empty()) {
          H256 near = stored[random() % stored.size()];
          near.set_bit(static_cast<std::uint8_t>(random() % 256));
          keys.push_back(near);
        } else {
          keys.push_back(random_key(random));
        }
      }
      if (round % 5 == 0) keys.push_back(keys.front());  // a repeat
      const auto raw = tree.merkle_proof(keys);
      ASSERT_TRUE(raw);
      ASSERT_EQ(*raw, literal_raw_proof(tree, keys));
      const auto compiled = tree.compiled_merkle_proof(keys);
      ASSERT_TRUE(compiled) << compiled.error().display();
      const auto leaves = verifier_leaves(model, keys);
      const std::size_t n = leaves.size();
      EXPECT_EQ(compiled->bytes.size(), n + 2 * (n - 1) + 34 * raw->proof.size());
      EXPECT_EQ(run_proof(compiled->bytes, leaves), naive_root(model));
      std::shuffle(keys.begin(), keys.end(), random);
      EXPECT_EQ(tree.compiled_merkle_proof(keys), compiled);
    }
  }
}

// Keys for large proofs: random bases, each with neighbours that share all but its lowest bits
// or differ from it in one bit anywhere, so that requested keys share long prefixes and cluster.
std::vector<H256> clustered_keys(std::mt19937_64& random, std::size_t count) {
  std::vector<H256> keys;
  while (keys.size() < count) {
    const H256 base = random_key(random);
    keys.push_back(base);
    for (std::size_t neighbour = random() % 6; neighbour > 0 && keys.size() < count; --neighbour) {
      H256 key = base;
      const auto bit = static_cast<std::uint8_t>(random() % 2 ? random() % 12 : random() % 256);
      key.get_bit(bit) ? key.clear_bit(bit) : key.set_bit(bit);
      keys.push_back(key);
    }
  }
  return keys;
}

// A request of `count` keys drawn from the stored keys, their near neighbours (mostly absent),
// random absent keys and repeats of earlier picks.
std::vector<H256> requested_keys(std::mt19937_64& random, const std::vector<H256>& stored,
                                 std::size_t count) {
  std::vector<H256> keys;
  while (keys.size() < count) {
    const auto pick = random() % 8;
    if (pick < 4 && !stored.empty()) {
      keys.push_back(stored[random() % stored.size()]);
    } else if (pick < 6 && !stored.empty()) {
      H256 near = stored[random() % stored.size()];
      const auto bit = static_cast<std::uint8_t>(random() % 2 ? random() % 10 : random() % 256);
      near.get_bit(bit) ? near.clear_bit(bit) : near.set_bit(bit);
      keys.push_back(near);
    } else if (pick == 6 && !keys.empty()) {
      keys.push_back(keys[random() % keys.size()]);
    } else {
      keys.push_back(random_key(random));
    }
  }
  return keys;
}

TEST(MerkleProof, LargeClusteredRequestsMatchTheLiteralAssemblyAndRebuildTheRoot) {
  std::mt19937_64 random(23);
  for (const std::size_t size : {0u, 1u, 2u, 1500u}) {
    SCOPED_TRACE(size);
    ToyTree tree;
    Model model;
    const std::vector<H256> stored = clustered_keys(random, size);
    for (std::size_t i = 0; i < stored.size(); ++i) {
      const ToyValue value = toy({static_cast<std::uint8_t>(i), 2});
      ASSERT_TRUE(tree.update(stored[i], value));
      model[stored[i]] = TreeValueTraits<ToyValue>::value_hash(value);
    }
    for (const std::size_t count : {1u, 2u, 3u, 40u, 300u, 1200u}) {
      SCOPED_TRACE(count);
      const std::vector<H256> keys = requested_keys(random, stored, count);
      const auto raw = tree.merkle_proof(keys);
      ASSERT_TRUE(raw);
      ASSERT_EQ(*raw, literal_raw_proof(tree, keys));
      const auto compiled = tree.compiled_merkle_proof(keys);
      ASSERT_TRUE(compiled) << compiled.error().display();
      EXPECT_EQ(run_proof(compiled->bytes, verifier_leaves(model, keys)), naive_root(model));
    }
  }
}

// Records rewritten under their old hashes, as a damaged store could hold them: walks then meet
// heights out of order, keys on the wrong side, children that are leaves from elsewhere and
// records naming themselves. The proofs still follow the same procedure as the literal one.
TEST(MerkleProof, TamperedStoresMatchTheLiteralAssembly) {
  std::mt19937_64 random(31);
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE(round);
    ToyTree tree;
    const std::vector<H256> stored = clustered_keys(random, 300);
    for (std::size_t i = 0; i < stored.size(); ++i) ASSERT_TRUE(tree.update(stored[i], toy({1, 2})));
    std::vector<std::pair<H256, BranchNode>> splits;
    std::vector<H256> leaf_records;
    tree.store().read_branches().value()->for_each([&](const H256& hash, const BranchNode& node) {
      if (node.is_pair()) {
        splits.emplace_back(hash, node);
      } else {
        leaf_records.push_back(hash);
      }
    });
    bool self_named = false;
    for (int change = 0; change < 6; ++change) {
      auto [hash, node] = splits[random() % splits.size()];
      // Every third round may also make records name themselves.
      switch (random() % (round % 3 == 0 ? 4 : 3)) {
        case 0: node.fork_height = static_cast<std::uint8_t>(random() % 256); break;
        case 1: node.key = random_key(random); break;
        case 2:
          node.set_node_type(NodeType::pair(node.first(), leaf_records[random() % leaf_records.size()]));
          break;
        default: node.set_node_type(NodeType::pair(node.first(), hash)); self_named = true;
      }
      ASSERT_TRUE(StoreTestAccess::store(tree).insert_branch(hash, node));
    }
    for (const std::size_t count : {1u, 30u, 400u}) {
      const std::vector<H256> keys = requested_keys(random, stored, count);
      const auto raw = tree.merkle_proof(keys);
      ASSERT_TRUE(raw) << raw.error().display();
      ASSERT_EQ(*raw, literal_raw_proof(tree, keys));
      // A record naming itself sends get()'s descent round in circles, so only the raw proof.
      if (self_named) continue;
      std::vector<ProofLeaf> leaves;
      for (const H256& key : keys) leaves.push_back(tree.proof_leaf_of_key(key).value());
      EXPECT_EQ(tree.compiled_merkle_proof(keys), compile(*raw, leaves));
    }
  }
}

TEST(MerkleProof, RepeatedKeysAreProvenOnce) {
  const H256 a = key_with_bits({1}), b = key_with_bits({1, 50}), c = key_with_bits({1, 50, 200});
  const ToyTree tree = tree_of({a, b, c});
  const std::vector<H256> distinct = {a, b};
  for (const std::vector<H256>& repeated : {std::vector<H256>{a, a, b}, {b, a, b, a}, {a, b, b}}) {
    EXPECT_EQ(tree.merkle_proof(repeated), tree.merkle_proof(distinct));
    EXPECT_EQ(tree.compiled_merkle_proof(repeated), tree.compiled_merkle_proof(distinct));
  }
}

TEST(MerkleProof, StoreErrorsEndTheProofWithTheFirstErrorInTheCallersOrder) {
  Model model;
  const H256 first = key_with_bits({2}), second = key_with_bits({2, 9}), third = key_with_bits({2, 9, 100});
  ToyTree tree = tree_of({first, second, third}, &model);
  const H256 second_leaf = leaf_hash_in(model, second), third_leaf = leaf_hash_in(model, third);
  ASSERT_TRUE(StoreTestAccess::store(tree).remove_branch(second_leaf));
  ASSERT_TRUE(StoreTestAccess::store(tree).remove_leaf(third_leaf));
  struct Case {
    std::vector<H256> keys;
    SmtError error;
  };
  const Case cases[] = {
      {{second}, SmtError::missing_branch(second_leaf)},
      {{third, second}, SmtError::missing_leaf(third_leaf)},
      {{second, third}, SmtError::missing_branch(second_leaf)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error.debug());
    EXPECT_EQ(tree.compiled_merkle_proof(c.keys).error(), c.error);
  }
  EXPECT_EQ(tree.merkle_proof({third, second}).error(), SmtError::missing_branch(second_leaf));
  EXPECT_TRUE(tree.compiled_merkle_proof(std::vector<H256>{first}));
  try {
    auto guard = StoreTestAccess::branches_lock(tree.store()).write();
    fault("planted");
  } catch (const Fault&) {
  }
  EXPECT_EQ(tree.compiled_merkle_proof(std::vector<H256>{first}).error(),
            SmtError::store("PoisonError { .. }"));
}

TEST(ProofCompilation, HandMadeRawProofsFail) {
  const H256 a = key_with_bits({}), b = key_with_bits({1}), c = key_with_bits({2});
  const H256 x = key_with_bits({9, 10});
  struct Case {
    const char* name;
    RawMerkleProof raw;
    std::vector<ProofLeaf> leaves;
    SmtError error;
  };
  const Case cases[] = {
      {"no leaves", {{{255}}, {}}, {}, SmtError::empty_keys()},
      {"fewer leaves than lists", {{{255}, {255}}, {}}, {{a, x}}, SmtError::incorrect_number_of_leaves(2, 1)},
      {"a repeated leaf counts once",
       {{{3}, {3}}, {}},
       {{a, x}, {a, x}},
       SmtError::incorrect_number_of_leaves(2, 1)},
      // a and c meet at height 2 while b, between them, went elsewhere.
      {"ranges that do not touch",
       {{{2}, {100}, {2}}, {}},
       {{a, x}, {b, x}, {c, x}},
       SmtError::non_mergable_range()},
      {"siblings run short", {{{5}, {7}}, {}}, {{a, x}, {c, x}}, SmtError::corrupted_proof()},
      {"siblings left over at 255", {{{255}}, {{x, 255}, {x, 255}}}, {{a, x}}, SmtError::corrupted_proof()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(compile(c.raw, c.leaves).error(), c.error);
  }
}

// Malformed raw proofs that still compile: the program follows the queue order of (height, path),
// worked by hand from the compilation procedure.
TEST(ProofCompilation, HandMadeRawProofsCompileInQueueOrder) {
  const H256 a = key_with_bits({}), b = key_with_bits({1});
  const H256 x = key_with_bits({9, 10}), y = key_with_bits({11});
  struct Case {
    const char* name;
    RawMerkleProof raw;
    std::vector<ProofLeaf> leaves;
    std::vector<std::uint8_t> program;
  };
  const Case cases[] = {
      // After taking x at 5, the subtree is sent back down to 3, takes y there and ends at 4.
      {"a height below the last one",
       {{{5, 3}}, {{x, 5}, {y, 3}}},
       {{a, x}},
       bytes_of({{0x4C, 0x50, 5}, hash_bytes(x), {0x50, 3}, hash_bytes(y)})},
      // Both subtrees jump to (2, 0): the later one replaces the earlier, and is all that is left.
      {"two subtrees put at one place", {{{2}, {2}}, {}}, {{a, x}, {b, x}}, {0x4C}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto compiled = compile(c.raw, c.leaves);
    ASSERT_TRUE(compiled) << compiled.error().display();
    EXPECT_EQ(compiled->bytes, c.program);
  }
}

TEST(ProofCompilation, Texts) {
  EXPECT_EQ(debug_text(CompiledMerkleProof{{0x4C}}), "CompiledMerkleProof([76])");
  EXPECT_EQ(merkle_proof_repr(CompiledMerkleProof{{0x4C}}),
            "MerkleProof { inner: CompiledMerkleProof([76]) }");
  EXPECT_EQ(merkle_proof_repr(CompiledMerkleProof{}), "MerkleProof { inner: CompiledMerkleProof([]) }");
}

}  // namespace
}  // namespace qzr::tree
