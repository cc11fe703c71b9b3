// The request dict writer: the one place that knows the request dict form. A request is written as
// {"t": variant name, "c": content} ("c" absent for a variant without content); records as dicts
// with camelCase keys in declared order; amounts as their plain decimal text; nonces, order
// hashes, token addresses and signatures as lower-case full-width "0x" hex; the block number as
// minimal "0x" hex ("0x0", "0xff"); PriceMetadata as {"t": "Empty"}; settlement actions by their
// dict names; u64 and i64 fields as integers; lists in their order.
#pragma once

#include <expected>
#include <string>
#include <type_traits>
#include <variant>

#include "requests/dict_value.hpp"
#include "requests/request.hpp"

namespace qzr {

// A failure of the writer: a product symbol whose packed bytes do not unpack to a text (never the
// case for a symbol that was parsed and packed). Holds the common error's display text.
struct DictWriterError {
  std::string message;

  // Message("<message, quoted as debug texts quote>").
  std::string debug() const;
};

// A new, independent tree for every call.
std::expected<DictValue, DictWriterError> write_request_dict(const Request& request);

// Faults with "called `Result::unwrap()` on an `Err` value: " and the error's debug text where
// write_request_dict fails (a symbol that does not unpack, which no parsed symbol is): the form
// of a `json` property, which has no error path of its own.
DictValue request_dict(const Request& request);

// {"t": "Empty"} or {"t": "SingleNamePerpetual"}: the metadata inside an index price's dict form,
// and what IndexPrice's metadata property returns.
DictValue price_metadata_dict(PriceMetadata metadata);

namespace detail {
template <class Variant, class T>
struct is_alternative;
template <class... Ts, class T>
struct is_alternative<std::variant<Ts...>, T> : std::bool_constant<(std::is_same_v<Ts, T> || ...)> {};
}  // namespace detail

// A record wrapped in its family and the envelope: an intent as a ClientRequest, a sequencer
// record as a Cmd, DisasterRecovery as an AdminCmd.
template <class Record>
Request as_request(Record record) {
  if constexpr (SignedIntent<Record>) {
    return Request(std::in_place_type<ClientRequest>,
                   ClientRequest(std::in_place_type<Record>, std::move(record)));
  } else if constexpr (detail::is_alternative<Cmd, Record>::value) {
    return Request(std::in_place_type<Cmd>, Cmd(std::in_place_type<Record>, std::move(record)));
  } else {
    static_assert(detail::is_alternative<AdminCmd, Record>::value, "not a request record");
    return Request(std::in_place_type<AdminCmd>, AdminCmd(std::in_place_type<Record>, std::move(record)));
  }
}

}  // namespace qzr
