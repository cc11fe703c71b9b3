// What the member tables of the key classes (one per kind of the list of kinds) share: the hexadecimal
// argument kinds of their constructors (HexText, AddressField) and KeyMembers<K>, the members every key class
// lists after its own. Templates and inline functions (a header has no unnamed namespace), shared by the four
// files that hold the key classes' member tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "keys/tree_key_codec.hpp"
#include "python/classes/core/exceptions.hpp"
#include "python/classes/core/field_members.hpp"
#include "python/classes/keys/keys_classes.hpp"
#include "python/classes/values/field_forms.hpp"
#include "python/classes/values/h256_class.hpp"
#include "values/hex.hpp"

namespace qzr::py {

// ---- argument kinds -------------------------------------------------------------------------

// A str read by the strip reading of hexadecimal text into exactly the bytes of T: a byte value
// or a key record of one address field (hex_target). A non-str is the string conversion's
// TypeError; bad text or another byte count is QzrCommonError. Word-aligned like the key records
// (keys/tree_keys.hpp), so that the argument passes through the call's copies in whole words,
// and a key is read in place rather than copied out of an odd-sized address.
template <class T>
struct alignas(8) HexText {
  T value;
};

// The same for a key whose address is read as the single field of its own type: any failure
// becomes TypeError "failed to extract field <Name>.0" whose cause is the failure.
template <class T, FixedString FieldName>
struct alignas(8) AddressField {
  T value;
};

// The bytes a hexadecimal argument fills.
template <std::size_t N, class Tag>
std::span<std::uint8_t> hex_target(FixedBytes<N, Tag>& value) {
  return value.bytes;
}
inline std::span<std::uint8_t> hex_target(TraderKey& key) { return key.inner.bytes; }
inline std::span<std::uint8_t> hex_target(StatsKey& key) { return key.trader.bytes; }
inline std::span<std::uint8_t> hex_target(SignerKey& key) { return key.inner.bytes; }
inline std::span<std::uint8_t> hex_target(InsuranceFundContributionKey& key) { return key.inner.bytes; }

// Reads a str into the bytes of `Holder::value` (a HexText or an AddressField) and returns the
// holder, so that the value is never copied alone at an odd size.
template <class Holder>
PyResult<Holder> read_hex_text(PyObject* object) {
  if (!PyUnicode_Check(object)) return fail(std::move(extract_string(object).error()));
  // The str's own UTF-8 form is read in place (the argument is held for the whole call).
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(object, &size);
  if (data == nullptr) return fail(PyErr::fetch());
  Holder holder;
  if (auto read = hex_strip_decode_exact(std::string_view(data, static_cast<std::size_t>(size)),
                                         hex_target(holder.value));
      !read) {
    return fail(IntoPyErr<CommonError>::convert(read.error()));
  }
  return holder;
}

template <class T>
struct FromPython<HexText<T>> {
  using Stored = HexText<T>;
  static PyResult<Stored> extract(PyObject* object) { return read_hex_text<Stored>(object); }
  static Stored get(Stored& stored) { return stored; }
};

template <class T, FixedString FieldName>
struct FromPython<AddressField<T, FieldName>> {
  using Stored = AddressField<T, FieldName>;
  static PyResult<Stored> extract(PyObject* object) {
    auto stored = read_hex_text<Stored>(object);
    if (!stored) return fail(failed_to_extract_field(FieldName.view(), std::move(stored.error())));
    return stored;
  }
  static Stored get(Stored& stored) { return stored; }
};

// ---- members of every key class ---------------------------------------------------------------

// What every key class lists after its own members.
template <class K>
struct KeyMembers {
  static H256 encode_key(const K& key) { return TreeKeyCodec<K>::encode(key); }
  static Result<K> decode_key(const H256& value) { return TreeKeyCodec<K>::parse(value); }
  // `_memo` must be a dict; it is neither read nor written.
  static K deep_copy(const K& key, Dict) { return key; }
  static std::string repr(const K& key) { return record_debug_text(key); }
  static std::int64_t hash(const K& key) { return key_hash_value(key); }
  static bool equals(const K& key, const K& other) { return key == other; }
  static bool less(const K& key, const K& other) { return key < other; }

  // `!=` negates the interpreter's full `==`; `<=`, `>` and `>=` are NotImplemented, so `a > b`
  // works by reflection as `b < a` and the other two raise TypeError.
  template <class V>
  static void add_to(TypeBuilder& builder) {
    Members<Method<"encode_key", &encode_key>, ClassMethod<"decode_key", &decode_key, "value">,
            Method<"__deepcopy__", &deep_copy, "_memo">, Repr<&repr>, Str<&repr>, Hash<&hash>,
            Comparisons<Eq<&equals>, Lt<&less>>>::template add_to<V>(builder);
  }
};

}  // namespace qzr::py
