// The item ABI value: the kinds' schemas (derived from the records' field lists), encoder,
// decoder and leaf value hash.
#include "state/item_abi.hpp"

#include <array>
#include <optional>
#include <utility>

#include "abi/decode.hpp"
#include "abi/words.hpp"
#include "core/fault.hpp"
#include "core/once_cell.hpp"
#include "state/record_abi.hpp"
#include "values/keccak.hpp"

namespace qzr {

namespace {

using abi::ParamType;

// The one parameter the bytes of each kind are decoded against, (uint256, value schema), indexed
// by kind number; entry 0 (the empty kind) is absent.
using EnvelopeTable = std::array<std::optional<ParamType>, item_kind_count>;

template <std::size_t I>
ParamType record_schema() {
  return record_param_type<std::variant_alternative_t<I, ItemValue>>();
}

EnvelopeTable build_envelope_table() {
  return []<std::size_t... I>(std::index_sequence<I...>) {
    return EnvelopeTable{std::nullopt,
                         ParamType::tuple({ParamType::unsigned_int(256), record_schema<I + 1>()})...};
  }
  (std::make_index_sequence<item_kind_count - 1>{});
}

const ParamType& kind_envelope(ItemKind kind) {
  static OnceCell<EnvelopeTable> table;
  const std::optional<ParamType>& entry = table.get_or_init(build_envelope_table)[item_kind_number(kind)];
  if (!entry) fault("no entry found for key");
  return *entry;
}

// The reader of the record whose alternative index (kind number) is I.
template <std::size_t I>
Result<Item> read_record(const abi::Token& value) {
  using Record = std::variant_alternative_t<I, ItemValue>;
  Result<Record> record = parse_record_from_value_token<Record>(value);
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

const abi::ParamType& item_abi_schema(ItemKind kind) { return kind_envelope(kind).elements()[1]; }

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

Result<Item> parse_item_from_token(const abi::Token& token) {
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
  Result<std::vector<abi::Token>> tokens = abi::decode(std::span(&kind_envelope(kind), 1), bytes);
  if (!tokens) return fail(CommonError::other(std::string(all_schemas_failed_text)));
  Result<Item> item = parse_item_from_token(tokens->front());
  if (!item) return fail(CommonError::other(std::string(all_schemas_failed_text)));
  return item;
}

}  // namespace qzr
