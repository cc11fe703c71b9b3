// The members of the sequencer record classes: the constructor and getters of each record's field
// list, repr and `json`; IndexPrice's `hash` and Block's constructor.
#include "python/classes/requests/sequencer_classes.hpp"

#include <cstdint>
#include <string>

#include "python/classes/requests/request_record_members.hpp"

namespace qzr::py {
namespace {

// Faults as index_price_hash does (never for a symbol read from Python). The first 25 bytes of
// the Keccak-256 digest of the price's five ABI words, as "0x" and 50 digits. Needs no context
// and returns no error.
std::string index_price_hash_text(const IndexPrice& price) { return to_hex(index_price_hash(price)); }

Block make_block(std::uint64_t number) { return Block{number}; }

// The field list's constructor and getters: every field in declared order, each argument read by
// its field type's form (a symbol by product_symbol_class.hpp, prices recorded, the metadata as a
// dict, a time copied out of its AdvanceTime object, actions from any sequence but str), and a
// getter per field with the docstrings of the class's field_docs.
template <class R>
using FieldConstructorAndGetters =
    Members<FieldConstructor<R>, FieldGetters<R, typename ClassDef<R>::field_docs>>;

}  // namespace

template <FieldRecord R>
void SequencerRecordClassDef<R>::add_members(TypeBuilder& builder) {
  Members<FieldConstructorAndGetters<R>, RequestRecordMembers<R>>::template add_to<R>(builder);
}

// The classes that take the family's members as they are (IndexPrice and Block redeclare
// add_members).
template struct SequencerRecordClassDef<StampedTimeValue>;
template struct SequencerRecordClassDef<AdvanceEpoch>;
template struct SequencerRecordClassDef<AdvanceSettlementEpoch>;
template struct SequencerRecordClassDef<MintPriceCheckpoint>;

void ClassDef<IndexPrice>::add_members(TypeBuilder& builder) {
  Members<FieldConstructorAndGetters<IndexPrice>, Method<"hash", &index_price_hash_text>,
          RequestRecordMembers<IndexPrice>>::add_to<IndexPrice>(builder);
}

void ClassDef<Block>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_block, "number">, RequestRecordMembers<Block>>::add_to<Block>(builder);
}

}  // namespace qzr::py
