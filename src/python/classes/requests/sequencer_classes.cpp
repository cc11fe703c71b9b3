// Member tables of the sequencer record classes.
#include "python/classes/requests/sequencer_classes.hpp"

#include <string>
#include <vector>

#include "python/classes/requests/request_arguments.hpp"
#include "python/classes/requests/request_record_members.hpp"

namespace qzr::py {
namespace {

IndexPrice make_index_price(ProductSymbolArgument symbol, RecordedAmountArgument price,
                            RecordedAmountArgument prev_price, PriceMetadata metadata,
                            std::uint64_t timestamp) {
  return IndexPrice{symbol.value, price.value, prev_price.value, metadata, timestamp};
}

// The first 25 bytes of the Keccak-256 digest of the price's five ABI words, as "0x" and 50
// digits. Needs no context and never fails.
std::string index_price_hash_text(const IndexPrice& price) { return to_hex(index_price_hash(price)); }

Block make_block(std::uint64_t number) { return Block{number}; }

StampedTimeValue make_time(std::uint64_t value, std::int64_t timestamp) {
  return StampedTimeValue{value, timestamp};
}

// `time` is copied out of its AdvanceTime object.
AdvanceEpoch make_epoch(std::uint64_t epoch_id, StampedTimeValue time) {
  return AdvanceEpoch{epoch_id, time};
}

AdvanceSettlementEpoch make_settlement_epoch(std::uint64_t epoch_id, StampedTimeValue time,
                                             std::vector<SettlementAction> actions) {
  return AdvanceSettlementEpoch{epoch_id, time, std::move(actions)};
}

MintPriceCheckpoint make_checkpoint(std::uint64_t time_value) { return MintPriceCheckpoint{time_value}; }

}  // namespace

void ClassDef<IndexPrice>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_index_price, "symbol", "price", "prev_price", "metadata", "timestamp">,
          FieldGetters<IndexPrice,
                       FieldDocs<"Symbol of the instrument", "Current market price in the source exchange",
                                 "The previous price update. Useful to prove that no prices were skipped.",
                                 "Additional metadata required by the price feed to initialize">>,
          Method<"hash", &index_price_hash_text>,
          RequestRecordMembers<IndexPrice>>::add_to<IndexPrice>(builder);
}

void ClassDef<Block>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_block, "number">, RequestRecordMembers<Block>>::add_to<Block>(builder);
}

void ClassDef<StampedTimeValue>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_time, "value", "timestamp">, FieldGetters<StampedTimeValue>,
          RequestRecordMembers<StampedTimeValue>>::add_to<StampedTimeValue>(builder);
}

void ClassDef<AdvanceEpoch>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_epoch, "epoch_id", "time">, FieldGetters<AdvanceEpoch>,
          RequestRecordMembers<AdvanceEpoch>>::add_to<AdvanceEpoch>(builder);
}

void ClassDef<AdvanceSettlementEpoch>::add_members(TypeBuilder& builder) {
  Members<
      Constructor<&make_settlement_epoch, "epoch_id", "time", "actions">,
      FieldGetters<AdvanceSettlementEpoch, FieldDocs<"The settlement epoch id", "",
                                                     "The list of actions covered by this settlement epoch">>,
      RequestRecordMembers<AdvanceSettlementEpoch>>::add_to<AdvanceSettlementEpoch>(builder);
}

void ClassDef<MintPriceCheckpoint>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_checkpoint, "time_value">, FieldGetters<MintPriceCheckpoint>,
          RequestRecordMembers<MintPriceCheckpoint>>::add_to<MintPriceCheckpoint>(builder);
}

}  // namespace qzr::py
