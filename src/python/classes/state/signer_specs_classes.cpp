// The members of the Python classes Signer and Specs, and the forms of their values.
#include "python/classes/state/signer_specs_classes.hpp"

#include "python/classes/state/record_members.hpp"

namespace qzr::py {

namespace {

// A str's UTF-8 text; a failure is TypeError "failed to extract field <field_name>" caused by it.
PyResult<std::string> extract_field_text(PyObject* object, std::string_view field_name) {
  auto text = extract_string(object);
  if (!text) return fail(failed_to_extract_field(field_name, std::move(text.error())));
  return text;
}

}  // namespace

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

// A str's UTF-8 text, unchecked (the empty text included). A non-str, or a str without a UTF-8
// form (a lone surrogate), is TypeError "failed to extract field SpecsExpr.0" caused by it.
template <>
struct FieldForm<SpecsExpr> {
  using Converted = SpecsExpr;
  static PyResult<SpecsExpr> convert(PyObject* object) {
    auto text = extract_field_text(object, "SpecsExpr.0");
    if (!text) return fail(std::move(text.error()));
    return SpecsExpr{std::move(*text)};
  }
};

void ClassDef<Signer>::add_members(TypeBuilder& builder) {
  Members<RecordMembers<Signer>>::add_to<Signer>(builder);
}

void ClassDef<Specs>::add_members(TypeBuilder& builder) {
  Members<RecordMembers<Specs>>::add_to<Specs>(builder);
}

}  // namespace qzr::py
