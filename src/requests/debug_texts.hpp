// The debug texts (Python reprs) of the intents and sequencer records: the record's name, " { ",
// "field: value" pairs in declared order separated by ", ", and " }"; Block prints "Block(<n>)".
// Values print as their debug forms: symbols ProductSymbol("ETHP"), enumerations by member name,
// hashes Hash(0x..), order hashes Bytes25([..]), amounts UnscaledI128(1.5), bools true/false,
// integers in decimal, actions as a list [TradeMining, ...].
#pragma once

#include <string>
#include <type_traits>

#include "requests/intents.hpp"
#include "requests/sequencer_records.hpp"

namespace qzr {

template <class T>
concept DebugPrintedRecord = SignedIntent<T> || std::is_same_v<T, IndexPrice> || std::is_same_v<T, Block> ||
    std::is_same_v<T, StampedTimeValue> || std::is_same_v<T, AdvanceEpoch> ||
    std::is_same_v<T, AdvanceSettlementEpoch> || std::is_same_v<T, MintPriceCheckpoint>;

// Precondition: symbols in the record unpack (every symbol that was parsed and packed does);
// otherwise a fault.
template <DebugPrintedRecord Record>
std::string record_debug_text(const Record& record);

}  // namespace qzr
