// The genesis state tree.
#include "tree/genesis.hpp"

#include "keys/tree_key_codec.hpp"

namespace qzr::tree {

Result<StateTree> build_genesis_tree(const Balance& insurance_fund_cap, const Balance& fee_pool,
                                     const GenesisSpecs& specs) {
  StateTree tree;
  auto store = [&tree](const H256& key, Item item) -> Result<void> {
    if (auto root = tree.update(key, std::move(item)); !root) return fail(root.error().to_common_error());
    return {};
  };
  if (auto stored =
          store(encode_insurance_fund_key(InsuranceFundKey{}), Item(InsuranceFund{insurance_fund_cap}));
      !stored)
    return fail(std::move(stored.error()));
  if (auto stored = store(encode_fee_pool_key(FeePoolKey{}), Item(FeePool{fee_pool})); !stored)
    return fail(std::move(stored.error()));
  for (const auto& [key, expr] : specs) {
    if (auto stored = store(encode_specs_key(key), Item(Specs{expr})); !stored)
      return fail(std::move(stored.error()));
  }
  return tree;
}

}  // namespace qzr::tree
