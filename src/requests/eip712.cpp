// EIP-712 domain separator, intent struct hashes and digests.
#include "requests/eip712.hpp"

#include <algorithm>
#include <string>
#include <tuple>

#include "abi/u256.hpp"
#include "abi/words.hpp"

namespace qzr {
namespace {

using abi::Word;

// The constant hashes of the type strings and the domain texts: the same on every call, so they
// are computed once.
struct ConstantHash {
  explicit ConstantHash(std::string_view text) : digest(keccak256(text)) {}
  Keccak256Digest digest;
};

Word uint_word(std::uint64_t value) noexcept { return abi::U256::from_u64(value).be_bytes(); }

// Faults as product_symbol_to_bytes32 does for a symbol that does not unpack.
Word symbol_word(const ProductSymbol& symbol) { return product_symbol_to_bytes32(symbol).bytes; }

Word order_hash_word(const Bytes25& order_hash) noexcept {
  Word word{};
  std::ranges::copy(order_hash.bytes, word.begin());
  return word;
}

// Faults as decimal_to_unscaled_u128 does for a negative non-zero amount, which never reaches it:
// eip712_struct_hash checks every amount before any word is built (zero of either sign is fine).
// The amount in millionths as a uint256 word.
Word amount_word_unchecked(const UnscaledI128& amount) {
  return abi::U256::from_u128(decimal_to_unscaled_u128(amount.value)).be_bytes();
}

// The type string, the amounts (in field order) and the words (in the order of the type string)
// of each struct type.
template <class Intent>
struct StructType;

template <>
struct StructType<OrderIntent> {
  static constexpr std::string_view type_string =
      "OrderParams(bytes32 symbol,bytes32 strategy,uint256 side,uint256 orderType,bytes32 nonce,"
      "uint256 amount,uint256 price,uint256 stopPrice)";
  static std::array<const UnscaledI128*, 3> amounts(const OrderIntent& intent) {
    return {&intent.amount, &intent.price, &intent.stop_price};
  }
  static std::array<Word, 8> words(const OrderIntent& intent) {
    return {symbol_word(intent.symbol),
            intent.strategy.bytes,
            uint_word(enum_number(intent.side)),
            uint_word(enum_number(intent.order_type)),
            intent.nonce.bytes,
            amount_word_unchecked(intent.amount),
            amount_word_unchecked(intent.price),
            amount_word_unchecked(intent.stop_price)};
  }
};

template <>
struct StructType<CancelOrderIntent> {
  static constexpr std::string_view type_string =
      "CancelOrderParams(bytes32 symbol,bytes32 orderHash,bytes32 nonce)";
  static std::array<const UnscaledI128*, 0> amounts(const CancelOrderIntent&) { return {}; }
  static std::array<Word, 3> words(const CancelOrderIntent& intent) {
    return {symbol_word(intent.symbol), order_hash_word(intent.order_hash), intent.nonce.bytes};
  }
};

template <>
struct StructType<CancelAllIntent> {
  static constexpr std::string_view type_string =
      "CancelAllParams(bytes32 symbol,bytes32 strategy,bytes32 nonce)";
  static std::array<const UnscaledI128*, 0> amounts(const CancelAllIntent&) { return {}; }
  static std::array<Word, 3> words(const CancelAllIntent& intent) {
    return {symbol_word(intent.symbol), intent.strategy.bytes, intent.nonce.bytes};
  }
};

template <>
struct StructType<WithdrawIntent> {
  static constexpr std::string_view type_string =
      "WithdrawParams(bytes32 strategyId,address currency,uint128 amount,bytes32 nonce)";
  static std::array<const UnscaledI128*, 1> amounts(const WithdrawIntent& intent) { return {&intent.amount}; }
  static std::array<Word, 4> words(const WithdrawIntent& intent) {
    return {intent.strategy_id.bytes, abi::address_to_word(intent.currency.bytes),
            amount_word_unchecked(intent.amount), intent.nonce.bytes};
  }
};

template <>
struct StructType<WithdrawQZRIntent> {
  static constexpr std::string_view type_string = "WithdrawQZRParams(uint128 amount,bytes32 nonce)";
  static std::array<const UnscaledI128*, 1> amounts(const WithdrawQZRIntent& intent) {
    return {&intent.amount};
  }
  static std::array<Word, 2> words(const WithdrawQZRIntent& intent) {
    return {amount_word_unchecked(intent.amount), intent.nonce.bytes};
  }
};

template <>
struct StructType<InsuranceFundWithdrawIntent> {
  static constexpr std::string_view type_string =
      "InsuranceFundWithdrawParams(address currency,uint128 amount,bytes32 nonce)";
  static std::array<const UnscaledI128*, 1> amounts(const InsuranceFundWithdrawIntent& intent) {
    return {&intent.amount};
  }
  static std::array<Word, 3> words(const InsuranceFundWithdrawIntent& intent) {
    return {abi::address_to_word(intent.currency.bytes), amount_word_unchecked(intent.amount),
            intent.nonce.bytes};
  }
};

// The words put payFeesInQzr before nonce, unlike the record's field order.
template <>
struct StructType<ProfileUpdate> {
  static constexpr std::string_view type_string = "UpdateProfileParams(bool payFeesInQzr,bytes32 nonce)";
  static std::array<const UnscaledI128*, 0> amounts(const ProfileUpdate&) { return {}; }
  static std::array<Word, 2> words(const ProfileUpdate& intent) {
    return {uint_word(intent.pay_fees_in_qzr ? 1 : 0), intent.nonce.bytes};
  }
};

Keccak256Digest domain_separator_of(const Keccak256Digest& name_hash, const Keccak256Digest& version_hash,
                                    std::uint64_t chain_id,
                                    const AccountAddress& verifying_contract) noexcept {
  static const ConstantHash domain_type_hash(eip712_domain_type);
  Keccak256Hasher hasher;
  hasher.update(domain_type_hash.digest);
  hasher.update(name_hash);
  hasher.update(version_hash);
  hasher.update(uint_word(chain_id));
  hasher.update(abi::address_to_word(verifying_contract.bytes));
  return hasher.finalize();
}

}  // namespace

Keccak256Digest eip712_domain_separator(std::string_view name, std::string_view version,
                                        std::uint64_t chain_id,
                                        const AccountAddress& verifying_contract) noexcept {
  return domain_separator_of(keccak256(name), keccak256(version), chain_id, verifying_contract);
}

Keccak256Digest eip712_domain_separator(const Eip712Domain& domain) noexcept {
  static const ConstantHash name_hash(eip712_domain_name);
  static const ConstantHash version_hash(eip712_domain_version);
  // A service signs and verifies in one domain, so each thread keeps the separator of the last
  // domain it was asked for: two Keccak blocks saved on every digest after the first.
  thread_local struct {
    bool valid = false;
    Eip712Domain domain;
    Keccak256Digest separator;
  } last;
  if (!last.valid || !(last.domain == domain)) {
    last.separator = domain_separator_of(name_hash.digest, version_hash.digest, domain.chain_id,
                                         domain.verifying_contract);
    last.domain = domain;
    last.valid = true;
  }
  return last.separator;
}

Keccak256Digest eip712_envelope_digest(const Keccak256Digest& domain_separator,
                                       const Keccak256Digest& struct_hash) noexcept {
  std::array<std::uint8_t, 66> envelope{0x19, 0x01};
  std::ranges::copy(domain_separator, envelope.begin() + 2);
  std::ranges::copy(struct_hash, envelope.begin() + 34);
  return keccak256(envelope);
}

template <SignedIntent Intent>
std::string_view eip712_type_string() noexcept {
  return StructType<Intent>::type_string;
}

template <SignedIntent Intent>
Result<Keccak256Digest> eip712_struct_hash(const Intent& intent) {
  static const ConstantHash type_hash(StructType<Intent>::type_string);
  // A negative amount has no word: the first one, in field order, is the error.
  for (const UnscaledI128* amount : StructType<Intent>::amounts(intent)) {
    if (amount->value.is_sign_negative() && !amount->value.is_zero()) {
      return fail(CommonError::other("Negatives don't scale into unsigned: " + amount->value.to_string()));
    }
  }
  Keccak256Hasher hasher;
  hasher.update(type_hash.digest);
  for (const Word& word : StructType<Intent>::words(intent)) hasher.update(word);
  return hasher.finalize();
}

template <SignedIntent Intent>
Result<Hash> eip712_digest(const Intent& intent, const Eip712Domain& domain) {
  Result<Keccak256Digest> struct_hash = eip712_struct_hash(intent);
  if (!struct_hash) return fail(std::move(struct_hash.error()));
  return Hash{eip712_envelope_digest(eip712_domain_separator(domain), *struct_hash)};
}

// Every intent of the list (signed_intents.hpp) has its type string, struct hash and digest
// defined here: the explicit instantiation of this holder instantiates its one member, which names
// each of them.
template <class Intents>
struct Eip712Instances;
template <class... Intent>
struct Eip712Instances<std::tuple<Intent...>> {
  static constexpr std::tuple functions{&eip712_type_string<Intent>..., &eip712_struct_hash<Intent>...,
                                        &eip712_digest<Intent>...};
};
template struct Eip712Instances<SignedIntentTypes<std::tuple>>;

}  // namespace qzr
