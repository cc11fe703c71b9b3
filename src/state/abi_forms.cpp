// The ABI forms of the record field types: schemas, writers and untrusted readers.
#include "state/abi_forms.hpp"

#include <algorithm>
#include <span>
#include <vector>

#include "abi/words.hpp"
#include "state/map_tuple_token.hpp"

namespace qzr {

abi::ParamType AbiForm<Balance>::param_type() {
  return abi::ParamType::tuple({abi::ParamType::array(AbiForm<AccountAddress>::param_type()),
                                abi::ParamType::array(AbiForm<UnscaledI128>::param_type())});
}

abi::ParamType AbiForm<NextBookOrdinals>::param_type() {
  return abi::ParamType::tuple({abi::ParamType::array(abi::ParamType::fixed_bytes(32)),
                                abi::ParamType::array(AbiForm<std::uint64_t>::param_type())});
}

// A reader's value converted to the field type, or its error passed on.
template <class T, class From, class Convert>
Result<T> read_as(Result<From> read, Convert convert) {
  if (!read) return fail(std::move(read.error()));
  return convert(*read);
}

Result<UnscaledI128> AbiForm<UnscaledI128>::from_token(const abi::Token& token) {
  return read_as<UnscaledI128>(abi::decimal_from_token(token),
                               [](const Decimal& value) { return UnscaledI128{value}; });
}

Result<std::uint64_t> AbiForm<std::uint64_t>::from_token(const abi::Token& token) {
  return abi::u64_from_uint_token(token);
}

Result<bool> AbiForm<bool>::from_token(const abi::Token& token) { return abi::bool_from_token(token); }

Result<AccountAddress> AbiForm<AccountAddress>::from_token(const abi::Token& token) {
  return read_as<AccountAddress>(abi::address_from_token(token),
                                 [](const abi::Address& bytes) { return AccountAddress{bytes}; });
}

Result<TraderAddress> AbiForm<TraderAddress>::from_token(const abi::Token& token) {
  return abi::bytes21_from_abi(token);
}

Result<StrategyId> AbiForm<StrategyId>::from_token(const abi::Token& token) {
  return read_as<StrategyId>(abi::h256_from_token(token),
                             [](const H256& word) { return StrategyId{word.bytes()}; });
}

Result<StrategyIdHash> AbiForm<StrategyIdHash>::from_token(const abi::Token& token) {
  return abi::strategy_id_hash_from_token(token);
}

Result<Balance> AbiForm<Balance>::from_token(const abi::Token& token) {
  Result<MapTuplePairs> pairs = map_tuple_from_token(token);
  if (!pairs) return fail(std::move(pairs.error()));
  Balance balance;
  for (std::size_t i = 0; i < pairs->keys.size(); ++i) {
    Result<AccountAddress> address = AbiForm<AccountAddress>::from_token(pairs->keys[i]);
    if (!address) return fail(std::move(address.error()));
    Result<Decimal> amount = abi::decimal_from_token(pairs->values[i]);
    if (!amount) return fail(std::move(amount.error()));
    Result<void> assigned = balance.checked_assign(TokenAddress{address->bytes}, *amount);
    if (!assigned) return fail(std::move(assigned.error()));
  }
  return balance;
}

Result<ReleaseHash> AbiForm<ReleaseHash>::from_token(const abi::Token& token) {
  return read_as<ReleaseHash>(abi::h256_from_tokens(token),
                              [](const H256& word) { return ReleaseHash{word.bytes()}; });
}

Result<NextBookOrdinals> AbiForm<NextBookOrdinals>::from_token(const abi::Token& token) {
  Result<MapTuplePairs> pairs = map_tuple_from_token(token);
  if (!pairs) return fail(std::move(pairs.error()));
  std::vector<NextBookOrdinals::Entry> entries;
  entries.reserve(pairs->keys.size());
  for (std::size_t i = 0; i < pairs->keys.size(); ++i) {
    Result<ProductSymbol> symbol = abi::product_symbol_from_token(pairs->keys[i]);
    if (!symbol) return fail(std::move(symbol.error()));
    Result<std::uint64_t> ordinal = abi::u64_from_uint_token(pairs->values[i]);
    if (!ordinal) return fail(std::move(ordinal.error()));
    entries.emplace_back(*symbol, *ordinal);
  }
  return NextBookOrdinals::from_pairs(entries);
}

// --- Writers ------------------------------------------------------------------------------------

namespace {

void write_word(std::uint8_t* dest, const abi::Word& word) { std::copy(word.begin(), word.end(), dest); }

// `bytes` left-aligned in the word at `dest`, zero-padded.
void write_left_aligned(std::uint8_t* dest, std::span<const std::uint8_t> bytes) {
  std::copy(bytes.begin(), bytes.end(), dest);
  std::fill(dest + bytes.size(), dest + 32, 0);
}

}  // namespace

void AbiForm<UnscaledI128>::write_static(std::uint8_t* dest, const UnscaledI128& amount) {
  write_word(dest, abi::signed_decimal_word_of(amount.value).to_word());
}
void AbiForm<std::uint64_t>::write_static(std::uint8_t* dest, std::uint64_t value) {
  write_u64_word(dest, value);
}
void AbiForm<bool>::write_static(std::uint8_t* dest, bool value) { write_u64_word(dest, value ? 1 : 0); }
void AbiForm<AccountAddress>::write_static(std::uint8_t* dest, const AccountAddress& address) {
  write_word(dest, abi::address_to_word(address.bytes));
}
void AbiForm<TraderAddress>::write_static(std::uint8_t* dest, const TraderAddress& address) {
  write_left_aligned(dest, address.bytes);
}
void AbiForm<StrategyId>::write_static(std::uint8_t* dest, const StrategyId& id) {
  write_left_aligned(dest, id.bytes);
}
void AbiForm<StrategyIdHash>::write_static(std::uint8_t* dest, const StrategyIdHash& hash) {
  write_word(dest, abi::strategy_id_hash_to_word(hash));
}
void AbiForm<ReleaseHash>::write_static(std::uint8_t* dest, const ReleaseHash& hash) {
  write_left_aligned(dest, hash.bytes);
}

void AbiForm<SpecsExpr>::append_dynamic(std::vector<std::uint8_t>& out, const SpecsExpr& expr) {
  const std::size_t start = out.size();
  out.resize(start + 32 + (expr.text.size() + 31) / 32 * 32, 0);
  write_u64_word(out.data() + start, expr.text.size());
  std::copy(expr.text.begin(), expr.text.end(), out.begin() + static_cast<std::ptrdiff_t>(start + 32));
}

void AbiForm<Balance>::append_dynamic(std::vector<std::uint8_t>& out, const Balance& balance) {
  const std::span<const BalanceEntry> entries = balance.entries();
  append_map_tuple(
      out, entries.size(),
      [&](std::size_t i, std::uint8_t* word) {
        AbiForm<AccountAddress>::write_static(word, AccountAddress{entries[i].token.bytes});
      },
      [&](std::size_t i, std::uint8_t* word) {
        AbiForm<UnscaledI128>::write_static(word, entries[i].amount);
      });
}

void AbiForm<NextBookOrdinals>::append_dynamic(std::vector<std::uint8_t>& out, const NextBookOrdinals& map) {
  const std::vector<NextBookOrdinals::Entry> sorted = map.sorted_entries();
  append_map_tuple(
      out, sorted.size(),
      [&](std::size_t i, std::uint8_t* word) {
        write_left_aligned(word, product_symbol_to_bytes32(sorted[i].first).bytes);
      },
      [&](std::size_t i, std::uint8_t* word) { write_u64_word(word, sorted[i].second); });
}

}  // namespace qzr
