// The members of TokenSymbol: its table's, its hash and the token addresses.
#include "python/classes/context/token_symbol_class.hpp"

#include <string>

#include "python/classes/core/exceptions.hpp"
#include "values/fixed_bytes.hpp"

namespace qzr::py {
namespace {

// The hash of the number as a Python int (which is the number itself), so that a member and the
// integer it equals hash alike, as dict keys and set members need.
std::uint64_t hash(const TokenSymbol& self) { return enum_number(self); }

// "0x" and 40 lower-case digits. Reads the application context (building it on first use).
std::string address(const TokenSymbol& self) { return to_hex(token_symbol_address(self)); }

// The text is read before the context, so a malformed address never builds the context.
// NOLINTNEXTLINE(performance-unnecessary-value-param): a binding body, the frame converts into it
Result<TokenSymbol> from_address(std::string text) {
  Result<TokenAddress> address = parse_token_address(text);
  if (!address) return fail(std::move(address.error()));
  return token_symbol_from_address(*address);
}

}  // namespace

void ClassDef<TokenSymbol>::add_members(TypeBuilder& builder) {
  Members<EnumMembers<TokenSymbol>, Hash<&hash>, Method<"address", &address>,
          ClassMethod<"from_address", &from_address, "address">>::add_to<TokenSymbol>(builder);
}

}  // namespace qzr::py
