// The Python classes of the sequencer records (qzr_python.common.requests): IndexPrice, Block,
// AdvanceTime (the record StampedTimeValue), AdvanceEpoch, AdvanceSettlementEpoch and
// MintPriceCheckpoint. All frozen; each is built from Python values and has its field getters
// (Block has none), repr and `json`; IndexPrice also has `hash`.
#pragma once

#include "python/classes/core/field_members.hpp"
#include "python/frame/frame.hpp"
#include "requests/sequencer_records.hpp"

namespace qzr::py {

// The traits of a sequencer record class with their defaults: its ClassDef<R> derives from
// SequencerRecordClassDef<R> and redeclares what differs. Its Python name is the record's name;
// it is frozen. Its members (sequencer_classes.cpp): the constructor of every field, a getter
// per field with the docstrings of field_docs, repr and `json`. A class with members of its own
// redeclares add_members.
template <FieldRecord R>
struct SequencerRecordClassDef {
  static constexpr const char* name = record_class_name<R>;
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  using field_docs = FieldDocs<>;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<IndexPrice> : SequencerRecordClassDef<IndexPrice> {
  static constexpr const char* doc =
      "An index price is the price update of an instrument coming from the price feed.\n"
      "\n"
      "It is signed by the price feed's enclave.";
  using field_docs = FieldDocs<"Symbol of the instrument", "Current market price in the source exchange",
                               "The previous price update. Useful to prove that no prices were skipped.",
                               "Additional metadata required by the price feed to initialize">;
  // The record's members and `hash`.
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<Block> : SequencerRecordClassDef<Block> {
  static constexpr const char* doc =
      "We use a single `BlockProducer` to sequence blocks along with other requests to ensure that\n"
      "all Execution Operators synchronize their state with Ethereum event in the same order.\n"
      "\n"
      "# Notes\n"
      "\n"
      "Some Ethereum events (e.g. Deposits) must only be processed on confirmed blocks.\n"
      "Block confirmation count is handled client-side during execution. The block producer's\n"
      "responsibility is just to post block numbers into the `RequestQueue`.";
  // Its one field is unnamed: the constructor names its parameter `number`; no getter.
  static void add_members(TypeBuilder& builder);
};

// Its record's name (the debug text) is StampedTimeValue.
template <>
struct ClassDef<StampedTimeValue> : SequencerRecordClassDef<StampedTimeValue> {
  static constexpr const char* name = "AdvanceTime";
  static constexpr const char* doc =
      "Verified state relative time value in seconds with a wall clock timestamp.";
};

template <>
struct ClassDef<AdvanceEpoch> : SequencerRecordClassDef<AdvanceEpoch> {};

template <>
struct ClassDef<AdvanceSettlementEpoch> : SequencerRecordClassDef<AdvanceSettlementEpoch> {
  using field_docs =
      FieldDocs<"The settlement epoch id", "", "The list of actions covered by this settlement epoch">;
};

template <>
struct ClassDef<MintPriceCheckpoint> : SequencerRecordClassDef<MintPriceCheckpoint> {};

}  // namespace qzr::py
