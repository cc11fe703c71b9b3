// The item ABI value: schema table, encoder, decoder and leaf value hash.
#include "state/item_abi.hpp"

#include <array>
#include <utility>

#include "abi/decode.hpp"
#include "abi/words.hpp"
#include "core/fault.hpp"
#include "core/once_cell.hpp"
#include "state/record_layout.hpp"
#include "values/keccak.hpp"

namespace qzr {

namespace {

using abi::ParamType;

struct KindSchemas {
  // The record value's candidate schemas, in order.
  std::vector<ParamType> values;
  // For each, the one parameter the bytes are decoded against: (uint256, value schema).
  std::vector<ParamType> envelopes;
};

using SchemaTable = std::array<KindSchemas, item_kind_count>;

SchemaTable build_schema_table() {
  const ParamType u64 = ParamType::unsigned_int(64);
  const ParamType u128 = ParamType::unsigned_int(128);
  const ParamType u256 = ParamType::unsigned_int(256);
  const ParamType bytes32 = ParamType::fixed_bytes(32);
  const ParamType side = ParamType::tuple({ParamType::unsigned_int(8)});
  const ParamType balance =
      ParamType::tuple({ParamType::array(ParamType::address()), ParamType::array(u128)});

  SchemaTable table;
  auto set = [&](ItemKind kind, ParamType value) {
    KindSchemas& entry = table[item_kind_number(kind)];
    entry.envelopes.push_back(ParamType::tuple({u256, value}));
    entry.values.push_back(std::move(value));
  };
  set(item_kind_of<Trader>, ParamType::tuple({u128, u128, ParamType::address(), ParamType::boolean()}));
  set(item_kind_of<Strategy>, ParamType::tuple({bytes32, balance, balance, u64, ParamType::boolean()}));
  set(item_kind_of<Position>, ParamType::tuple({side, u128, u128}));
  set(item_kind_of<BookOrder>,
      ParamType::tuple({side, u128, u128, ParamType::fixed_bytes(21), bytes32, u64, u64}));
  set(item_kind_of<Price>, ParamType::tuple({u128, u256, u64, u64}));
  set(item_kind_of<InsuranceFund>, balance);
  set(item_kind_of<Stats>, ParamType::tuple({u128, u128}));
  set(item_kind_of<Signer>, bytes32);
  set(item_kind_of<Specs>, ParamType::string());
  set(item_kind_of<InsuranceFundContribution>, ParamType::tuple({balance, balance}));
  set(item_kind_of<FeePool>, balance);
  set(item_kind_of<EpochMetadata>,
      ParamType::tuple({ParamType::tuple({ParamType::array(bytes32), ParamType::array(u64)})}));
  return table;
}

const KindSchemas& kind_schemas(ItemKind kind) {
  static OnceCell<SchemaTable> table;
  const KindSchemas& entry = table.get_or_init(build_schema_table)[item_kind_number(kind)];
  if (entry.values.empty()) fault("no entry found for key");
  return entry;
}

// The reader of the record whose alternative index (kind number) is I.
template <std::size_t I>
Result<Item> read_record(const abi::Token& value) {
  using Record = std::variant_alternative_t<I, ItemValue>;
  Result<Record> record = record_from_value_token<Record>(value);
  if (!record) return fail(std::move(record.error()));
  return Item(std::move(*record));
}

using RecordReader = Result<Item> (*)(const abi::Token&);

// Indexed by kind number; entry 0 (the empty kind, which has no value) is never called.
constexpr auto record_readers = []<std::size_t... I>(std::index_sequence<I...>) {
  return std::array<RecordReader, item_kind_count>{nullptr, &read_record<I + 1>...};
}
(std::make_index_sequence<item_kind_count - 1>{});

}  // namespace

const std::vector<abi::ParamType>& item_abi_schemas(ItemKind kind) { return kind_schemas(kind).values; }

std::vector<std::uint8_t> item_abi_encoded_value(const Item& item) {
  std::vector<std::uint8_t> out;
  std::visit(
      [&]<class R>(const R& record) {
        if constexpr (!std::is_same_v<R, EmptyItem>) {
          const std::uint64_t kind = item_kind_number(item.kind());
          // One parameter, the tuple (kind, value): behind the offset word 0x20 when it is dynamic.
          if constexpr (is_dynamic_value<R>()) {
            out.reserve(256);
            out.resize(32);
            write_u64_word(out.data(), 32);
          } else {
            out.reserve(32 + static_value_size<R>());
          }
          append_tuple(out, kind, record);
        }
      },
      item.value());
  return out;
}

H256 item_value_hash(const Item& item) {
  if (item.is_empty()) return H256::zero();
  return H256(keccak256(item_abi_encoded_value(item)));
}

Result<Item> item_from_token(const abi::Token& token) {
  Result<abi::U256> number = abi::discriminant_tuple_from_token(token);
  if (!number) return fail(std::move(number.error()));
  const std::optional<std::uint64_t> narrow = number->to_u64();
  if (!narrow) return fail(CommonError::other("Integer overflow when casting to u64"));
  const std::optional<ItemKind> kind = item_kind_from_number(*narrow);
  if (!kind) return fail(CommonError::other("Discriminant out of bounds"));
  if (kind == ItemKind::Empty) return Item();
  const std::vector<abi::Token>& elements = *token.if_tuple();
  if (elements.size() < 2) return fail(CommonError::other("No token left at this position"));
  return record_readers[item_kind_number(*kind)](elements[1]);
}

Result<Item> parse_item_abi_value(ItemKind kind, std::span<const std::uint8_t> bytes) {
  if (kind == ItemKind::Empty) {
    if (!bytes.empty()) return fail(CommonError::other(std::string(empty_schema_text)));
    return Item();
  }
  for (const ParamType& envelope : kind_schemas(kind).envelopes) {
    Result<std::vector<abi::Token>> tokens = abi::decode(std::span(&envelope, 1), bytes);
    if (!tokens) continue;
    Result<Item> item = item_from_token(tokens->front());
    if (item) return item;
  }
  return fail(CommonError::other(std::string(all_schemas_failed_text)));
}

}  // namespace qzr
