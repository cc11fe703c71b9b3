// The members of the Python classes Signer and Specs, and the form of Signer's value (Specs's is
// single_field_form.hpp's).
#include "python/classes/state/signer_specs_classes.hpp"

#include "python/classes/state/record_members.hpp"
#include "python/classes/state/single_field_form.hpp"

namespace qzr::py {

// The fixed reading of 64 hexadecimal digits (its error the cause of the field's TypeError).
Result<ReleaseHash> release_hash_from_text(const std::string& text) {
  Result<qzr::Hash> hash = bytes32_from_hex(text);
  if (!hash) return fail(std::move(hash.error()));
  return ReleaseHash{hash->bytes};
}

// Its field is "ReleaseHash.0".
template <>
struct FieldForm<ReleaseHash> : SingleFieldForm<ReleaseHash, "ReleaseHash.0", &release_hash_from_text> {};

void ClassDef<Signer>::add_members(TypeBuilder& builder) {
  Members<RecordMembers<Signer>>::add_to<Signer>(builder);
}

void ClassDef<Specs>::add_members(TypeBuilder& builder) {
  Members<RecordMembers<Specs>>::add_to<Specs>(builder);
}

}  // namespace qzr::py
