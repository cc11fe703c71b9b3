// The state tree an exchange starts with: the insurance fund with its cap, the fee pool (its key
// without an epoch) and one specs leaf per market specs entry, each stored as given (no void
// rule), so the root is the root of exactly these 2 + n leaves whatever their order.
#pragma once

#include <utility>
#include <vector>

#include "core/common_error.hpp"
#include "keys/specs.hpp"
#include "keys/tree_keys.hpp"
#include "state/balance.hpp"
#include "tree/state_tree.hpp"

namespace qzr::tree {

// The specs entries in their caller's order; their keys are distinct.
using GenesisSpecs = std::vector<std::pair<SpecsKey, SpecsExpr>>;

// The first failing update ends the construction with the common error SparseMerkleTree holding
// the tree error's debug text ("Error with Sparse Merkle Tree tooling: MissingBranch(...)"). A
// fresh tree has no failing updates, so this succeeds in practice.
Result<StateTree> build_genesis_tree(const Balance& insurance_fund_cap, const Balance& fee_pool,
                                     const GenesisSpecs& specs);

}  // namespace qzr::tree
