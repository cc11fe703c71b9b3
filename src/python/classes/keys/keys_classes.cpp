// The members of the twelve key classes: each class's constructor, getters (the field getters of
// its field list: addresses and hashes as "0x" hex, symbols and kinds as objects) and
// conversions, then what every key class shares (encode_key, decode_key, __deepcopy__, repr,
// hash, comparisons).
#include "python/classes/keys/keys_classes.hpp"

#include "keys/tree_key_codec.hpp"
#include "python/classes/core/exceptions.hpp"
#include "python/classes/core/field_members.hpp"
#include "python/classes/values/field_forms.hpp"
#include "python/classes/values/h256_class.hpp"
#include "python/classes/values/product_symbol_class.hpp"
#include "values/hex.hpp"

namespace qzr::py {
namespace {

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
std::span<std::uint8_t> hex_target(TraderKey& key) { return key.inner.bytes; }
std::span<std::uint8_t> hex_target(StatsKey& key) { return key.trader.bytes; }
std::span<std::uint8_t> hex_target(SignerKey& key) { return key.inner.bytes; }
std::span<std::uint8_t> hex_target(InsuranceFundContributionKey& key) { return key.inner.bytes; }

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

}  // namespace

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

namespace {

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

using TraderAddressText = HexText<TraderAddress>;
using StrategyIdHashText = HexText<StrategyIdHash>;
using Bytes25Text = HexText<Bytes25>;

// ---- TraderKey, StatsKey, SignerKey, InsuranceFundContributionKey ------------------------------

TraderKey make_trader_key(HexText<TraderKey> inner) { return inner.value; }

StatsKey make_stats_key(HexText<StatsKey> trader) { return trader.value; }
TraderKey stats_as_trader_key(const StatsKey& key) { return TraderKey{key.trader}; }

SignerKey make_signer_key(AddressField<SignerKey, "SignerAddress.0"> inner) { return inner.value; }

InsuranceFundContributionKey make_contribution_key(
    AddressField<InsuranceFundContributionKey, "InsuranceFundContributorAddress.0"> inner) {
  return inner.value;
}

// ---- StrategyKey, PositionKey -----------------------------------------------------------------

StrategyKey make_strategy_key(TraderAddressText trader_address, StrategyIdHashText strategy_id_hash) {
  return StrategyKey{trader_address.value, strategy_id_hash.value};
}

// The symbol object's packed bytes are taken as they are, not read through its text.
PositionKey strategy_as_position_key(const StrategyKey& key, const ProductSymbol& symbol) {
  return PositionKey{key.trader_address, key.strategy_id_hash, symbol};
}

// The hash of the strategy id `strategy_id` (at most 31 UTF-8 bytes) as "0x" and 8 digits.
// NOLINTNEXTLINE(performance-unnecessary-value-param): a binding body, the frame converts into it
Result<std::string> generate_strategy_id_hash(std::string strategy_id) {
  auto id = strategy_id_from_text(strategy_id);
  if (!id) return fail(std::move(id.error()));
  return to_hex(strategy_id_hash_of(*id));
}

PositionKey make_position_key(TraderAddressText trader_address, StrategyIdHashText strategy_id_hash,
                              ProductSymbolArgument symbol) {
  return PositionKey{trader_address.value, strategy_id_hash.value, symbol.value};
}
StrategyKey position_as_strategy_key(const PositionKey& key) {
  return StrategyKey{key.trader_address, key.strategy_id_hash};
}

// ---- BookOrderKey, PriceKey -------------------------------------------------------------------

BookOrderKey make_book_order_key(ProductSymbolArgument symbol, Bytes25Text order_hash) {
  return BookOrderKey{symbol.value, order_hash.value};
}

PriceKey make_price_key(ProductSymbolArgument symbol, Bytes25Text index_price_hash) {
  return PriceKey{symbol.value, index_price_hash.value};
}

// ---- InsuranceFundKey, SpecsKey, FeePoolKey, EpochMetadataKey -----------------------------------

InsuranceFundKey make_insurance_fund_key() { return InsuranceFundKey{}; }

Result<SpecsKey> make_specs_key(const SpecsKind& kind, std::string name) {
  return SpecsKey::make(kind, std::move(name));
}

FeePoolKey make_fee_pool_key(std::optional<std::uint64_t> epoch_id) { return FeePoolKey{epoch_id}; }

EpochMetadataKey make_epoch_metadata_key(std::uint64_t epoch_id) { return EpochMetadataKey{epoch_id}; }

}  // namespace

void ClassDef<TraderKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_trader_key, "inner">, KeyMembers<TraderKey>>::add_to<TraderKey>(builder);
}

void ClassDef<StrategyKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_strategy_key, "trader_address", "strategy_id_hash">, FieldGetters<StrategyKey>,
          StaticMethod<"generate_strategy_id_hash", &generate_strategy_id_hash, "strategy_id">,
          Method<"as_position_key", &strategy_as_position_key, "symbol">,
          KeyMembers<StrategyKey>>::add_to<StrategyKey>(builder);
}

void ClassDef<PositionKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_position_key, "trader_address", "strategy_id_hash", "symbol">,
          FieldGetters<PositionKey>, Method<"as_strategy_key", &position_as_strategy_key>,
          KeyMembers<PositionKey>>::add_to<PositionKey>(builder);
}

void ClassDef<BookOrderKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_book_order_key, "symbol", "order_hash">, FieldGetters<BookOrderKey>,
          KeyMembers<BookOrderKey>>::add_to<BookOrderKey>(builder);
}

void ClassDef<PriceKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_price_key, "symbol", "index_price_hash">, FieldGetters<PriceKey>,
          KeyMembers<PriceKey>>::add_to<PriceKey>(builder);
}

void ClassDef<InsuranceFundKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_insurance_fund_key>, KeyMembers<InsuranceFundKey>>::add_to<InsuranceFundKey>(
      builder);
}

void ClassDef<StatsKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_stats_key, "trader">, FieldGetters<StatsKey>,
          Method<"as_trader_key", &stats_as_trader_key>, KeyMembers<StatsKey>>::add_to<StatsKey>(builder);
}

void ClassDef<SignerKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_signer_key, "inner">, KeyMembers<SignerKey>>::add_to<SignerKey>(builder);
}

void ClassDef<SpecsKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_specs_key, "kind", "name">,
          FieldGetters<SpecsKey, FieldDocs<"",
                                           "Defined by convention associated with the specs kind.\n"
                                           "At the time of writing, the naming conventions are:\n"
                                           "\n"
                                           "- `SingleNamePerpetual`: The product market symbol for the "
                                           "single name perpetuals "
                                           "in our universe (e.g. ETHP, BTCP).\n"
                                           "- `MarketGateway`: The host name (e.g. api.exchange-one.example, "
                                           "stream.exchange-two.example).">>,
          KeyMembers<SpecsKey>>::add_to<SpecsKey>(builder);
}

void ClassDef<InsuranceFundContributionKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_contribution_key, "inner">,
          KeyMembers<InsuranceFundContributionKey>>::add_to<InsuranceFundContributionKey>(builder);
}

void ClassDef<FeePoolKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_fee_pool_key, "epoch_id=None">, FieldGetters<FeePoolKey>,
          KeyMembers<FeePoolKey>>::add_to<FeePoolKey>(builder);
}

void ClassDef<EpochMetadataKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_epoch_metadata_key, "epoch_id">, FieldGetters<EpochMetadataKey>,
          KeyMembers<EpochMetadataKey>>::add_to<EpochMetadataKey>(builder);
}

}  // namespace qzr::py
