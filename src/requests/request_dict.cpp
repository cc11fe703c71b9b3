// The request dict writer, a walk over the records' field lists (core/field_list.hpp).
#include "requests/request_dict.hpp"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "core/debug_quote.hpp"
#include "core/fault.hpp"

namespace qzr {
namespace {

using Written = std::expected<DictValue, DictWriterError>;

// The variant names of each family, by the index of its std::variant, from the family's list.
constexpr auto client_request_names = variant_names(signed_intents);
constexpr auto cmd_names = variant_names(sequencer_commands);
constexpr auto admin_cmd_names = variant_names(admin_commands);

const auto& variant_names_of(const ClientRequest&) { return client_request_names; }
const auto& variant_names_of(const Cmd&) { return cmd_names; }
const auto& variant_names_of(const AdminCmd&) { return admin_cmd_names; }

template <class Record>
Written write_record(const Record& record);

Written write_value(const ProductSymbol& value) {
  Result<std::string> text = unpack_product_symbol(value);
  if (!text) return std::unexpected(DictWriterError{text.error().display()});
  return DictValue(std::move(*text));
}
Written write_value(const StrategyId& value) { return DictValue(strategy_id_text(value)); }
Written write_value(const Hash& value) { return DictValue(to_hex(value)); }
Written write_value(const Bytes25& value) { return DictValue(to_hex(value)); }
Written write_value(const TokenAddress& value) { return DictValue(to_hex(value)); }
Written write_value(const Signature& value) { return DictValue(to_hex(value)); }
Written write_value(const UnscaledI128& value) { return DictValue(value.value.to_string()); }
Written write_value(PriceMetadata value) { return price_metadata_dict(value); }
// A member of any other enumeration (order sides and types, settlement actions) is its external
// name, which is the member name where its table gives none.
template <DeclaredEnum E>
Written write_value(E value) {
  return DictValue(enum_external_name(value));
}
Written write_value(bool value) { return DictValue(value); }
Written write_value(std::uint64_t value) { return DictValue(value); }
Written write_value(std::int64_t value) { return DictValue(value); }
// A record field (the time of the epoch advances) is the dict of its own fields.
template <FieldRecord Record>
Written write_value(const Record& value) {
  return write_record(value);
}

template <class T>
Written write_value(const std::vector<T>& values) {
  DictValue::List list;
  list.reserve(values.size());
  for (const T& value : values) {
    Written element = write_value(value);
    if (!element) return element;
    list.push_back(std::move(*element));
  }
  return DictValue(std::move(list));
}

// The dict key of a field: its snake_case name in camelCase ("stop_price" is "stopPrice").
std::string dict_key(std::string_view name) {
  std::string key;
  key.reserve(name.size());
  bool upper = false;
  for (const char c : name) {
    if (c == '_') {
      upper = true;
    } else {
      key += upper && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
      upper = false;
    }
  }
  return key;
}

// The dict of the record's fields in declared order, under their dict keys.
template <class Record>
Written write_record(const Record& record) {
  DictValue::Dict dict;
  std::optional<DictWriterError> error;
  for_each_field(record, [&](const auto& field, const auto& value) {
    if (error) return;
    Written written = write_value(value);
    if (!written) {
      error = std::move(written.error());
      return;
    }
    dict.push_back({dict_key(field.name), std::move(*written)});
  });
  if (error) return std::unexpected(std::move(*error));
  return DictValue(std::move(dict));
}

// "0x" and the number in lower-case hex without leading zeros; zero is "0x0".
std::string block_number_hex(std::uint64_t number) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string text = "0x";
  int shift = 60;
  while (shift > 0 && ((number >> shift) & 0xf) == 0) shift -= 4;
  for (; shift >= 0; shift -= 4) text += digits[(number >> shift) & 0xf];
  return text;
}

// The content of a variant, or nullopt for a variant without one.
template <class Record>
std::expected<std::optional<DictValue>, DictWriterError> write_content(const Record& record) {
  if constexpr (std::is_same_v<Record, Genesis>) {
    return std::nullopt;
  } else if constexpr (std::is_same_v<Record, Block>) {
    return DictValue(block_number_hex(record.number));
  } else {
    Written written = write_record(record);
    if (!written) return std::unexpected(std::move(written.error()));
    return std::move(*written);
  }
}

template <class Family, std::size_t N>
Written write_family(const Family& family, const std::array<std::string_view, N>& names) {
  return std::visit(
      [&](const auto& record) -> Written {
        auto content = write_content(record);
        if (!content) return std::unexpected(std::move(content.error()));
        DictValue::Dict dict;
        dict.push_back({"t", DictValue(names[family.index()])});
        if (*content) dict.push_back({"c", std::move(**content)});
        return DictValue(std::move(dict));
      },
      family);
}

}  // namespace

DictValue price_metadata_dict(PriceMetadata metadata) {
  return DictValue(DictValue::Dict{{"t", DictValue(enum_name(metadata))}});
}

std::string DictWriterError::debug() const { return "Message(" + debug_quote(message) + ")"; }

std::expected<DictValue, DictWriterError> write_request_dict(const Request& request) {
  return std::visit([](const auto& family) { return write_family(family, variant_names_of(family)); },
                    request);
}

DictValue request_dict(const Request& request) {
  std::expected<DictValue, DictWriterError> written = write_request_dict(request);
  if (!written) fault_unwrapped(written.error());
  return std::move(*written);
}

}  // namespace qzr
