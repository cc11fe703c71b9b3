// The members of the intent classes: the constructor, getters and signature setter of each
// intent's field list, and the hashing methods; OrderIntent's `hash`.
#include "python/classes/requests/intent_classes.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "python/classes/requests/request_record_members.hpp"
#include "requests/intent_hashing.hpp"

namespace qzr::py {
namespace {

// hash_eip712's domain: a tuple (or tuple subclass) of exactly two items, checked in this order:
// the tuple ("'<type>' object cannot be converted to 'PyTuple'"), its length ("expected tuple of
// length 2, but got tuple of length N"), item 0 as an unsigned 64-bit integer through the index
// protocol (its TypeError, or OverflowError out of range), item 1 as a str. The contract text is
// read by eip712_domain_from_metadata.
struct ChainAndContract {
  std::uint64_t chain_id;
  std::string contract;
};

}  // namespace

template <>
struct FromPython<ChainAndContract> {
  using Stored = ChainAndContract;
  static PyResult<Stored> extract(PyObject* object) {
    if (!PyTuple_Check(object)) return fail(PyErr::cannot_convert(object, "PyTuple"));
    const Py_ssize_t length = PyTuple_GET_SIZE(object);
    if (length != 2) {
      return fail(
          PyErr::type_error("expected tuple of length 2, but got tuple of length " + std::to_string(length)));
    }
    auto chain_id = FromPython<std::uint64_t>::extract(PyTuple_GET_ITEM(object, 0));
    if (!chain_id) return fail(std::move(chain_id.error()));
    auto contract = extract_string(PyTuple_GET_ITEM(object, 1));
    if (!contract) return fail(std::move(contract.error()));
    return ChainAndContract{*chain_id, std::move(*contract)};
  }
  static Stored get(Stored& stored) { return std::move(stored); }
};

namespace {

// Every field in declared order, each argument read by its field type's form
// (python/classes/values/field_forms.hpp: nonces and currencies by the fixed hex reading, order
// hashes and signatures by the strip reading; product_symbol_class.hpp beside it for symbols;
// amounts recorded) and checked with its conversion (a strategy id's length), so the arguments
// fail in their order; the signature, last, may be absent or None: the 65 zero bytes of an
// unsigned intent.
constexpr FieldConstructorOptions intent_constructor{
    .checks = FieldConstructorOptions::Checks::WithConversions, .optional_last = 1};

// "0x" and 64 digits. With a (chain id, contract text) pair the pair is the whole domain and the
// application context is not read; otherwise the context's domain (built on first read).
template <SignedIntent Intent>
Result<std::string> hash_eip712(const Intent& intent, std::optional<ChainAndContract> message_metadata) {
  Result<qzr::Hash> digest = [&]() -> Result<qzr::Hash> {
    if (!message_metadata) return eip712_digest_in_app_context(intent);
    Result<Eip712Domain> domain =
        eip712_domain_from_metadata(message_metadata->chain_id, message_metadata->contract);
    if (!domain) return fail(std::move(domain.error()));
    return eip712_digest(intent, *domain);
  }();
  if (!digest) return fail(std::move(digest.error()));
  return to_hex(*digest);
}

// (digest text, signer text "0x00" and 40 digits), always in the application context's domain.
template <SignedIntent Intent>
Result<std::pair<std::string, std::string>> recover_signer_texts(const Intent& intent) {
  Result<SignerRecovery> recovery = recover_signer(intent);
  if (!recovery) return fail(std::move(recovery.error()));
  return std::pair{to_hex(recovery->digest), to_hex(recovery->signer)};
}

Result<std::string> order_hash_text(const OrderIntent& intent) {
  Result<Bytes25> hash = order_hash(intent);
  if (!hash) return fail(std::move(hash.error()));
  return to_hex(*hash);
}

// What every intent class has. The signature's setter reads the value before the receiver is
// borrowed, so a refused text leaves the old signature; it shares its getter's docstring.
template <SignedIntent Intent, std::size_t Signature = field_count<Intent> - 1>
requires(field_at<Intent, Signature>.name == "signature") using IntentMembers = Members<
    FieldConstructor<Intent, intent_constructor>, FieldGetters<Intent, typename ClassDef<Intent>::field_docs>,
    Setter<field_members::name<Intent, Signature>, &field_members::set<Intent, Signature>,
           ClassDef<Intent>::field_docs::template at<Signature>()>,
    RequestRecordMembers<Intent>, Method<"hash_eip712", &hash_eip712<Intent>, "message_metadata=None">,
    Method<"recover_signer", &recover_signer_texts<Intent>>>;

}  // namespace

template <SignedIntent R>
void IntentClassDef<R>::add_members(TypeBuilder& builder) {
  IntentMembers<R>::template add_to<R>(builder);
}

// The add_members of every intent of the list (see Eip712Instances in requests/eip712.cpp):
// ClassDef<Intent>::add_members names the class's own where it redeclares it (OrderIntent), so the
// family's is instantiated only for the classes that take it.
template <class Intents>
struct IntentClassInstances;
template <class... Intent>
struct IntentClassInstances<std::tuple<Intent...>> {
  static constexpr std::tuple functions{&ClassDef<Intent>::add_members...};
};
template struct IntentClassInstances<SignedIntentTypes<std::tuple>>;

void ClassDef<OrderIntent>::add_members(TypeBuilder& builder) {
  Members<IntentMembers<OrderIntent>, Method<"hash", &order_hash_text>>::add_to<OrderIntent>(builder);
}

}  // namespace qzr::py
