// The request envelope of the request dict form: a client request (a signed intent), a command of
// the sequencer or an administrative command. Each family is a tagged union whose alternatives are
// in their declared order; the envelope adds nothing to the written form.
#pragma once

#include <cstdint>
#include <string_view>
#include <tuple>
#include <variant>
#include <vector>

#include "core/field_list.hpp"
#include "requests/sequencer_records.hpp"
#include "requests/signed_intents.hpp"

namespace qzr {

// The genesis command: no content and no Python class.
struct Genesis {};

// No Python class builds one; its written form is fixed all the same.
struct DisasterRecovery {
  std::uint64_t request_index = 0;
  std::vector<Signature> signatures;
};

template <>
struct FieldList<DisasterRecovery> {
  static constexpr std::string_view name = "DisasterRecovery";
  static constexpr auto fields = std::tuple{field("request_index", &DisasterRecovery::request_index),
                                            field("signatures", &DisasterRecovery::signatures)};
};

// The signed intents, in the order of their list (signed_intents.hpp), which names the variants.
using ClientRequest = SignedIntentTypes<std::variant>;
// Variants Genesis, IndexPrice, Block, AdvanceTime, AdvanceEpoch, AdvanceSettlementEpoch, PriceCheckpoint.
using Cmd = std::variant<Genesis, IndexPrice, Block, StampedTimeValue, AdvanceEpoch, AdvanceSettlementEpoch,
                         MintPriceCheckpoint>;
// Variant DisasterRecovery.
using AdminCmd = std::variant<DisasterRecovery>;

using Request = std::variant<ClientRequest, Cmd, AdminCmd>;

}  // namespace qzr
