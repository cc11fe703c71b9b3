// The members of OperatorContext, and the body of the module function get_operator_context.
#include "python/classes/context/operator_context_class.hpp"

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

OperatorContext get_operator_context() { return OperatorContext::clone_global(); }

}  // namespace qzr::py
