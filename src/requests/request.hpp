// The request envelope of the request dict form: a client request (a signed intent), a command of
// the sequencer or an administrative command. Each family is a tagged union read off its list of
// rows (variant_rows.hpp: each alternative's record and variant name, in order); the envelope
// adds nothing to the written form.
#pragma once

#include <cstdint>
#include <string_view>
#include <tuple>
#include <variant>
#include <vector>

#include "core/field_list.hpp"
#include "requests/sequencer_records.hpp"
#include "requests/signed_intents.hpp"
#include "requests/variant_rows.hpp"

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

// The sequencer's commands: one row per alternative of Cmd, in its order, with its variant name.
inline constexpr std::tuple sequencer_commands{
    VariantRow<Genesis>{"Genesis"},
    VariantRow<IndexPrice>{"IndexPrice"},
    VariantRow<Block>{"Block"},
    VariantRow<StampedTimeValue>{"AdvanceTime"},
    VariantRow<AdvanceEpoch>{"AdvanceEpoch"},
    VariantRow<AdvanceSettlementEpoch>{"AdvanceSettlementEpoch"},
    VariantRow<MintPriceCheckpoint>{"PriceCheckpoint"},
};
static_assert(variant_rows_are_distinct(sequencer_commands),
              "every command stands in one row, with a variant name of its own");
using Cmd = RowColumnsOf<sequencer_commands>::records<std::variant>;

// The administrative commands, likewise.
inline constexpr std::tuple admin_commands{
    VariantRow<DisasterRecovery>{"DisasterRecovery"},
};
static_assert(variant_rows_are_distinct(admin_commands),
              "every command stands in one row, with a variant name of its own");
using AdminCmd = RowColumnsOf<admin_commands>::records<std::variant>;

using Request = std::variant<ClientRequest, Cmd, AdminCmd>;

}  // namespace qzr
