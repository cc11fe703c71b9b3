// The members of the Python classes Signer and Specs, and the form of Signer's value (Specs's is
// specs_expr_form.hpp's).
#include "python/classes/state/signer_specs_classes.hpp"

#include "python/classes/state/record_members.hpp"
#include "python/classes/state/specs_expr_form.hpp"

namespace qzr::py {

// A str read by the fixed reading of 64 hexadecimal digits. Every failure (a non-str, bad text)
// is TypeError "failed to extract field ReleaseHash.0" caused by it.
template <>
struct FieldForm<ReleaseHash> {
  using Converted = ReleaseHash;
  static PyResult<ReleaseHash> convert(PyObject* object) {
    auto text = extract_field_text(object, "ReleaseHash.0");
    if (!text) return fail(std::move(text.error()));
    Result<qzr::Hash> hash = bytes32_from_hex(*text);
    if (!hash)
      return fail(failed_to_extract_field("ReleaseHash.0", IntoPyErr<CommonError>::convert(hash.error())));
    return ReleaseHash{hash->bytes};
  }
};

void ClassDef<Signer>::add_members(TypeBuilder& builder) {
  Members<RecordMembers<Signer>>::add_to<Signer>(builder);
}

void ClassDef<Specs>::add_members(TypeBuilder& builder) {
  Members<RecordMembers<Specs>>::add_to<Specs>(builder);
}

}  // namespace qzr::py
