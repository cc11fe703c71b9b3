// PyInit_qzr_python and the module tree: ten modules, their members in registration order (which
// is the order of each __all__), and from it their sys.modules entries (python/frame/module_tree.hpp).
// A new class is one row in its module; the record and key classes are those of the list of
// kinds (state/kinds.hpp), the intent classes those of the list of signed intents
// (requests/signed_intents.hpp), each in its list's order.
#include "python/classes/context/operator_context_class.hpp"
#include "python/classes/context/token_symbol_class.hpp"
#include "python/classes/core/exceptions.hpp"
#include "python/classes/keys/specs_kind_class.hpp"
#include "python/classes/requests/intent_classes.hpp"
#include "python/classes/requests/request_enum_classes.hpp"
#include "python/classes/requests/sequencer_classes.hpp"
#include "python/classes/state/accounting_enum_classes.hpp"
#include "python/classes/state/balance_class.hpp"
#include "python/classes/state/item_class.hpp"
#include "python/classes/state/item_kind_class.hpp"
#include "python/classes/state/record_classes.hpp"
#include "python/classes/tree/state_tree_class.hpp"
#include "python/classes/values/decimal_class.hpp"
#include "python/classes/values/h256_class.hpp"
#include "python/classes/values/order_side_class.hpp"
#include "python/classes/values/product_symbol_class.hpp"
#include "python/frame/frame.hpp"

namespace qzr::py {
namespace {

using QzrPython = RootModule<
    "qzr_python", "Bindings and utilities of the exchange's data model for Python.",
    Module<"decimal", Class<Decimal>, Exception<"DecimalError", &decimal_error_type>>,
    Module<"h256", Class<H256>, Exception<"H256Error", &h256_error_type>>,
    Module<"common",
           Module<"requests",  //
                  Class<AdvanceEpoch>, Class<StampedTimeValue>, Class<AdvanceSettlementEpoch>, Class<Block>,
                  Class<IndexPrice>, Class<MintPriceCheckpoint>, Class<SettlementAction>,
                  Module<"intents", SignedIntentTypes<Classes>>>,
           Module<"enums",  //
                  Class<OrderSide>, Class<OrderType>, Class<PositionSide>, Class<TradeSide>,
                  Class<PriceDirection>>,
           Module<"state",  //
                  Class<ItemKind>, Class<Item>, Class<SpecsKind>, Class<tree::StateTree>,
                  Class<tree::CompiledMerkleProof>, Class<Balance>, RecordTypes<Classes>,
                  Module<"keys", KeyTypes<Classes>>>,
           Module<"transactions",  //
                  Class<StrategyUpdateKind>, Class<InsuranceFundUpdateKind>, Class<TraderUpdateKind>>,
           Function<"get_operator_context", &get_operator_context>, Class<ProductSymbol>, Class<TokenSymbol>,
           Class<OperatorContext>, Exception<"QzrCommonError", &qzr_common_error_type>>>;

}  // namespace
}  // namespace qzr::py

extern "C" __attribute__((visibility("default"))) PyObject* PyInit_qzr_python() {
  return qzr::py::QzrPython::entry();
}
