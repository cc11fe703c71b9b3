// The Python classes of the sequencer records (qzr_python.common.requests): IndexPrice, Block,
// AdvanceTime (the record StampedTimeValue), AdvanceEpoch, AdvanceSettlementEpoch and
// MintPriceCheckpoint. All frozen; each is built from Python values and has its field getters
// (Block has none), repr and `json`; IndexPrice also has `hash`.
#pragma once

#include "python/frame/frame.hpp"
#include "requests/sequencer_records.hpp"

namespace qzr::py {

template <>
struct ClassDef<IndexPrice> {
  static constexpr const char* name = "IndexPrice";
  static constexpr const char* doc =
      "An index price is the price update of an instrument coming from the price feed.\n"
      "\n"
      "It is signed by the price feed's enclave.";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<Block> {
  static constexpr const char* name = "Block";
  static constexpr const char* doc =
      "We use a single `BlockProducer` to sequence blocks along with other requests to ensure that\n"
      "all Execution Operators synchronize their state with Ethereum event in the same order.\n"
      "\n"
      "# Notes\n"
      "\n"
      "Some Ethereum events (e.g. Deposits) must only be processed on confirmed blocks.\n"
      "Block confirmation count is handled client-side during execution. The block producer's\n"
      "responsibility is just to post block numbers into the `RequestQueue`.";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<StampedTimeValue> {
  static constexpr const char* name = "AdvanceTime";
  static constexpr const char* doc =
      "Verified state relative time value in seconds with a wall clock timestamp.";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<AdvanceEpoch> {
  static constexpr const char* name = "AdvanceEpoch";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<AdvanceSettlementEpoch> {
  static constexpr const char* name = "AdvanceSettlementEpoch";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<MintPriceCheckpoint> {
  static constexpr const char* name = "MintPriceCheckpoint";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
