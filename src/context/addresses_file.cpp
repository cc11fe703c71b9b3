// The addresses file reader: nlohmann-json's SAX events drive a stack of the records being read,
// so that every key is seen (a repeated key can be refused), no document tree is built, and the
// nesting depth is bounded before anything deeper is read.
#include "context/addresses_file.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/debug_quote.hpp"
#include "values/hex.hpp"

namespace qzr {
namespace {

using Json = nlohmann::json;

// Where a value goes, decided by its key or array index before the value is read.
enum class Slot {
  Root,        // the whole file: the map of deployments
  Deployment,  // a value of the top-level map
  Addresses,   // "addresses"
  ChainId,     // "chainId"
  Faucet,      // "faucet": null or a faucet
  VelmarindAddress,
  QzrAddress,
  UsdcAddress,
  FaucetAddress,
  FaucetPrivateKey,
  Skipped,  // under a key no record knows: any JSON value
};

// What a slot takes, as the "invalid type" and "invalid value" texts name it.
std::string_view expectation(Slot slot) {
  switch (slot) {
    case Slot::Root: return "a map";
    case Slot::Deployment: return "struct DeploymentMeta";
    case Slot::Addresses: return "struct ContractAddresses";
    case Slot::ChainId: return "u64";
    case Slot::Faucet: return "struct Faucet";
    case Slot::VelmarindAddress:
    case Slot::QzrAddress:
    case Slot::UsdcAddress:
    case Slot::FaucetAddress: return "40 hex digits, optionally prefixed with 0x";
    case Slot::FaucetPrivateKey: return "64 hex digits, optionally prefixed with 0x";
    case Slot::Skipped: break;
  }
  return "any value";
}

// One optional leading "0x", then exactly 2 * out.size() hex digits in either case, nothing else
// (no white space: the file's texts are written by tools, not typed).
bool read_exact_hex(std::string_view text, std::span<std::uint8_t> out) {
  if (text.starts_with("0x")) text.remove_prefix(2);
  if (text.size() != 2 * out.size()) return false;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const int high = hex_digit_value(text[2 * i]);
    const int low = hex_digit_value(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    out[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return true;
}

// The records while they are read; a field is set once its value has been read in full.
struct AddressesDraft {
  std::optional<AccountAddress> velmarind;
  std::optional<TokenAddress> qzr_token;
  std::optional<TokenAddress> usdc_token;
};

struct DeploymentDraft {
  std::optional<ContractAddresses> addresses;
  std::optional<std::uint64_t> chain_id;
};

struct FaucetDraft {
  bool has_address = false;
  bool has_private_key = false;
};

enum class FrameKind {
  DeploymentMap,
  DeploymentObject,
  DeploymentArray,
  AddressesObject,
  FaucetObject,
  FaucetArray
};

// An array or object of the file's structure that is being read. Values under skipped keys get
// no frame; the reader only counts their depth.
struct Frame {
  explicit Frame(FrameKind kind) : kind(kind) {}

  FrameKind kind;
  // Objects: the slot of the value after the latest key.
  Slot next_slot = Slot::Skipped;
  // Arrays: the number of values begun so far.
  std::size_t element_count = 0;
  // Record objects: every key seen so far, the skipped ones included.
  std::set<std::string, std::less<>> keys;
  // The deployment map: the name of the entry being read.
  std::string entry_name;
  DeploymentDraft deployment;
  AddressesDraft addresses;
  FaucetDraft faucet;
};

Slot slot_of_key(FrameKind kind, std::string_view key) {
  switch (kind) {
    case FrameKind::DeploymentObject:
      if (key == "addresses") return Slot::Addresses;
      if (key == "chainId") return Slot::ChainId;
      if (key == "faucet") return Slot::Faucet;
      break;
    case FrameKind::AddressesObject:
      if (key == "velmarindAddress") return Slot::VelmarindAddress;
      if (key == "qzrAddress") return Slot::QzrAddress;
      if (key == "usdcAddress") return Slot::UsdcAddress;
      break;
    case FrameKind::FaucetObject:
      if (key == "address") return Slot::FaucetAddress;
      if (key == "privateKey") return Slot::FaucetPrivateKey;
      break;
    case FrameKind::DeploymentMap:
    case FrameKind::DeploymentArray:
    case FrameKind::FaucetArray: break;
  }
  return Slot::Skipped;
}

constexpr std::array deployment_array_slots = {Slot::Addresses, Slot::ChainId, Slot::Faucet};
constexpr std::array faucet_array_slots = {Slot::FaucetAddress, Slot::FaucetPrivateKey};

// A pointer into the text that records how far the parser has read: nlohmann-json's events carry
// no position, so the reader's own errors take theirs from here.
class TrackingIterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  TrackingIterator(std::string_view text, std::size_t offset, std::size_t& bytes_read)
      : m_begin(text.data()), m_position(text.data() + offset), m_bytes_read(&bytes_read) {}

  reference operator*() const { return *m_position; }
  TrackingIterator& operator++() {
    ++m_position;
    *m_bytes_read = static_cast<std::size_t>(m_position - m_begin);
    return *this;
  }
  TrackingIterator operator++(int) {
    TrackingIterator before = *this;
    ++*this;
    return before;
  }
  friend bool operator==(const TrackingIterator& a, const TrackingIterator& b) {
    return a.m_position == b.m_position;
  }

 private:
  const char* m_begin;
  const char* m_position;
  std::size_t* m_bytes_read;
};

// "parse error at line L, column C: ", L and C counted as nlohmann-json counts them: lines from
// 1, and the bytes read on the current line.
std::string position_prefix(std::string_view text, std::size_t bytes_read) {
  const std::string_view read = text.substr(0, bytes_read);
  const std::size_t line = 1 + static_cast<std::size_t>(std::count(read.begin(), read.end(), '\n'));
  const std::size_t last_newline = read.rfind('\n');
  const std::size_t column =
      last_newline == std::string_view::npos ? read.size() : read.size() - last_newline - 1;
  return "parse error at line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
}

// nlohmann-json's message without its "[json.exception.parse_error.N] " tag; the rest already
// reads "parse error at line L, column C: ...".
std::string without_exception_tag(std::string_view message) {
  if (message.starts_with("[json.exception.")) {
    const std::size_t tag_end = message.find("] ");
    if (tag_end != std::string_view::npos) message.remove_prefix(tag_end + 2);
  }
  return std::string(message);
}

class AddressesFileReader final : public nlohmann::json_sax<Json> {
 public:
  explicit AddressesFileReader(std::string_view deployment_name) : m_deployment_name(deployment_name) {}

  // After a failed parse: the reader's own reason, or nlohmann-json's full message.
  const std::optional<std::string>& own_error() const { return m_own_error; }
  const std::string& syntax_error() const { return m_syntax_error; }
  std::optional<DeploymentMeta>& selected() { return m_selected; }

  bool null() override {
    const std::optional<Slot> slot = begin_value();
    if (!slot) return false;
    if (*slot == Slot::Skipped || *slot == Slot::Faucet) return true;
    return invalid_type("null", *slot);
  }

  bool boolean(bool value) override {
    const std::optional<Slot> slot = begin_value();
    if (!slot) return false;
    if (*slot == Slot::Skipped) return true;
    return invalid_type(value ? "boolean `true`" : "boolean `false`", *slot);
  }

  // Only texts with a minus sign come here; "-0" is the integer 0.
  bool number_integer(number_integer_t value) override {
    const std::optional<Slot> slot = begin_value();
    if (!slot) return false;
    if (*slot == Slot::Skipped) return true;
    const std::string shown = "integer `" + std::to_string(value) + "`";
    if (*slot != Slot::ChainId) return invalid_type(shown, *slot);
    if (value < 0) return fail("invalid value: " + shown + ", expected u64");
    m_frames.back().deployment.chain_id = static_cast<std::uint64_t>(value);
    return true;
  }

  bool number_unsigned(number_unsigned_t value) override {
    const std::optional<Slot> slot = begin_value();
    if (!slot) return false;
    if (*slot == Slot::Skipped) return true;
    if (*slot != Slot::ChainId) return invalid_type("integer `" + std::to_string(value) + "`", *slot);
    m_frames.back().deployment.chain_id = value;
    return true;
  }

  // Numbers with a fraction or exponent, and integers beyond the 64-bit range.
  bool number_float(number_float_t, const string_t& token) override {
    const std::optional<Slot> slot = begin_value();
    if (!slot) return false;
    if (*slot == Slot::Skipped) return true;
    return invalid_type("floating point `" + token + "`", *slot);
  }

  bool string(string_t& value) override {
    const std::optional<Slot> slot = begin_value();
    if (!slot) return false;
    Frame* frame = m_frames.empty() ? nullptr : &m_frames.back();
    switch (*slot) {
      case Slot::Skipped: return true;
      case Slot::VelmarindAddress: return read_address(value, *slot, frame->addresses.velmarind.emplace());
      case Slot::QzrAddress: return read_address(value, *slot, frame->addresses.qzr_token.emplace());
      case Slot::UsdcAddress: return read_address(value, *slot, frame->addresses.usdc_token.emplace());
      case Slot::FaucetAddress: {
        AccountAddress address;
        frame->faucet.has_address = true;
        return read_address(value, *slot, address);
      }
      case Slot::FaucetPrivateKey: {
        // The key itself never goes into an error text: fault messages reach standard error.
        Hash key;
        frame->faucet.has_private_key = true;
        if (read_exact_hex(value, key.bytes)) return true;
        return fail("invalid value: a string of " + std::to_string(value.size()) + " bytes, expected " +
                    std::string(expectation(*slot)));
      }
      default: return invalid_type("string " + debug_quote(value), *slot);
    }
  }

  bool binary(binary_t&) override { return fail("unexpected binary value"); }

  bool start_object(std::size_t) override {
    const std::optional<Slot> slot = begin_value();
    if (!slot || !enter_level()) return false;
    switch (*slot) {
      case Slot::Skipped: ++m_skipped_depth; return true;
      case Slot::Root: m_frames.emplace_back(FrameKind::DeploymentMap); return true;
      case Slot::Deployment: m_frames.emplace_back(FrameKind::DeploymentObject); return true;
      case Slot::Addresses: m_frames.emplace_back(FrameKind::AddressesObject); return true;
      case Slot::Faucet: m_frames.emplace_back(FrameKind::FaucetObject); return true;
      default: return invalid_type("map", *slot);
    }
  }

  bool start_array(std::size_t) override {
    const std::optional<Slot> slot = begin_value();
    if (!slot || !enter_level()) return false;
    switch (*slot) {
      case Slot::Skipped: ++m_skipped_depth; return true;
      case Slot::Deployment: m_frames.emplace_back(FrameKind::DeploymentArray); return true;
      case Slot::Faucet: m_frames.emplace_back(FrameKind::FaucetArray); return true;
      default: return invalid_type("sequence", *slot);
    }
  }

  bool key(string_t& key) override {
    if (m_skipped_depth > 0) return true;
    Frame& frame = m_frames.back();
    if (frame.kind == FrameKind::DeploymentMap) {
      frame.entry_name = std::move(key);
      frame.next_slot = Slot::Deployment;
      return true;
    }
    frame.next_slot = slot_of_key(frame.kind, key);
    if (!frame.keys.insert(key).second) return fail("duplicate field `" + key + "`");
    return true;
  }

  bool end_object() override {
    if (m_skipped_depth > 0) {
      --m_skipped_depth;
      return true;
    }
    Frame frame = take_frame();
    switch (frame.kind) {
      case FrameKind::DeploymentObject: return finish_deployment(frame.deployment);
      case FrameKind::AddressesObject: return finish_addresses(frame.addresses);
      case FrameKind::FaucetObject: return finish_faucet(frame.faucet);
      default: return true;  // the deployment map: the file is complete
    }
  }

  bool end_array() override {
    if (m_skipped_depth > 0) {
      --m_skipped_depth;
      return true;
    }
    Frame frame = take_frame();
    if (frame.kind == FrameKind::DeploymentArray) {
      if (frame.element_count < deployment_array_slots.size()) {
        return invalid_length(frame.element_count, "struct DeploymentMeta with 3 elements");
      }
      return finish_deployment(frame.deployment);
    }
    if (frame.element_count < faucet_array_slots.size()) {
      return invalid_length(frame.element_count, "struct Faucet with 2 elements");
    }
    return finish_faucet(frame.faucet);
  }

  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override {
    m_syntax_error = without_exception_tag(error.what());
    return false;
  }

 private:
  // The slot of the value that starts now, counted as an element when its parent is an array.
  // nullopt (with the error recorded) for an element beyond an array's record length.
  std::optional<Slot> begin_value() {
    if (m_skipped_depth > 0) return Slot::Skipped;
    if (m_frames.empty()) return Slot::Root;
    Frame& frame = m_frames.back();
    switch (frame.kind) {
      case FrameKind::DeploymentArray: return next_element(frame, deployment_array_slots, "DeploymentMeta");
      case FrameKind::FaucetArray: return next_element(frame, faucet_array_slots, "Faucet");
      default: return frame.next_slot;
    }
  }

  template <std::size_t N>
  std::optional<Slot> next_element(Frame& frame, const std::array<Slot, N>& slots, std::string_view record) {
    const std::size_t index = frame.element_count++;
    if (index < N) return slots[index];
    const std::string count = std::to_string(N);
    fail("invalid length: more than " + count + " elements, expected struct " + std::string(record) +
         " with " + count + " elements");
    return std::nullopt;
  }

  // Called as an array or object opens: refuses a level beyond the limit.
  bool enter_level() {
    if (m_frames.size() + m_skipped_depth < addresses_file_max_depth) return true;
    return fail("recursion limit exceeded");
  }

  Frame take_frame() {
    Frame frame = std::move(m_frames.back());
    m_frames.pop_back();
    return frame;
  }

  template <class Address>
  bool read_address(std::string_view text, Slot slot, Address& out) {
    if (read_exact_hex(text, out.bytes)) return true;
    return fail("invalid value: string " + debug_quote(text) + ", expected " +
                std::string(expectation(slot)));
  }

  bool finish_addresses(const AddressesDraft& draft) {
    if (!draft.velmarind) return missing_field("velmarindAddress");
    if (!draft.qzr_token) return missing_field("qzrAddress");
    if (!draft.usdc_token) return missing_field("usdcAddress");
    // The parent is the deployment object or array that holds "addresses".
    m_frames.back().deployment.addresses =
        ContractAddresses{*draft.velmarind, *draft.qzr_token, *draft.usdc_token};
    return true;
  }

  bool finish_deployment(const DeploymentDraft& draft) {
    if (!draft.addresses) return missing_field("addresses");
    if (!draft.chain_id) return missing_field("chainId");
    // The parent is the deployment map; a later entry of the same name replaces an earlier one.
    if (m_frames.back().entry_name == m_deployment_name)
      m_selected = DeploymentMeta{*draft.addresses, *draft.chain_id};
    return true;
  }

  bool finish_faucet(const FaucetDraft& draft) {
    if (!draft.has_address) return missing_field("address");
    if (!draft.has_private_key) return missing_field("privateKey");
    return true;
  }

  bool missing_field(std::string_view name) { return fail("missing field `" + std::string(name) + "`"); }

  bool invalid_type(const std::string& shown, Slot slot) {
    return fail("invalid type: " + shown + ", expected " + std::string(expectation(slot)));
  }

  bool invalid_length(std::size_t length, std::string_view expected) {
    return fail("invalid length " + std::to_string(length) + ", expected " + std::string(expected));
  }

  // Records the reader's reason and stops the parse.
  bool fail(std::string reason) {
    m_own_error = std::move(reason);
    return false;
  }

  std::string_view m_deployment_name;
  std::vector<Frame> m_frames;
  std::size_t m_skipped_depth = 0;
  std::optional<DeploymentMeta> m_selected;
  std::optional<std::string> m_own_error;
  std::string m_syntax_error;
};

}  // namespace

Result<std::optional<DeploymentMeta>> parse_addresses_file(std::string_view json_text,
                                                           std::string_view deployment_name) {
  std::size_t bytes_read = 0;
  AddressesFileReader reader(deployment_name);
  const bool parsed = Json::sax_parse(TrackingIterator(json_text, 0, bytes_read),
                                      TrackingIterator(json_text, json_text.size(), bytes_read), &reader,
                                      nlohmann::json::input_format_t::json, /*strict=*/true,
                                      /*ignore_comments=*/false);
  if (parsed) return reader.selected();
  if (reader.own_error())
    return fail(CommonError::other(position_prefix(json_text, bytes_read) + *reader.own_error()));
  return fail(CommonError::other(reader.syntax_error()));
}

}  // namespace qzr
