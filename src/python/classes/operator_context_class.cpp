#include "python/classes/operator_context_class.hpp"

#include <string>

namespace qzr::py {
namespace {

std::string contract_address(const OperatorContext& self) { return to_hex(self.contract_address); }
std::uint64_t chain_id(const OperatorContext& self) { return self.chain_id; }

}  // namespace

void ClassDef<OperatorContext>::add_members(TypeBuilder& builder) {
  Members<Getter<"contract_address", &contract_address>,
          Getter<"chain_id", &chain_id>>::add_to<OperatorContext>(builder);
}

}  // namespace qzr::py
