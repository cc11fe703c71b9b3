// The ABI decoder: one bounds-checked pass over untrusted bytes against a schema, with the
// element count of every array bounded by the input left before anything is reserved.
#include "abi/decode.hpp"

#include <algorithm>
#include <optional>

#include "core/utf8.hpp"

namespace qzr::abi {

namespace {

constexpr std::size_t word_size = 32;

using Bytes = std::vector<std::uint8_t>;
using Tokens = std::vector<Token>;

// One decoding pass over one input. Every position handed around is at most the input size, and
// every read is checked against the input before it happens. All member functions return nothing
// for input that does not hold the requested value.
//
// Positions: a list's `base` is where its heads begin; offsets of its dynamic elements count from
// there. A value's `pos` is where its encoding begins: its head for a static value, the place its
// offset points to for a dynamic one.
class Decoder {
 public:
  explicit Decoder(std::span<const std::uint8_t> data) : m_data(data), m_budget(data.size()) {}

  std::optional<Tokens> list(std::span<const ParamType> types, std::size_t base) {
    Tokens tokens;
    tokens.reserve(types.size());
    std::size_t head = base;
    for (const ParamType& type : types) {
      std::optional<Token> token = element(type, base, head);
      if (!token) return std::nullopt;
      tokens.push_back(std::move(*token));
      head += type.head_size();  // cannot overflow: the element was just read at `head`
    }
    return tokens;
  }

  // `count` elements of one type, as the contents of an array or a fixed array.
  std::optional<Tokens> repeated(const ParamType& type, std::size_t count, std::size_t base) {
    // Every element takes at least one word of head, so the count is bounded by the input left:
    // checked before reserving, since the count may come from the input.
    if (base > m_data.size() || count > (m_data.size() - base) / type.head_size()) return std::nullopt;
    Tokens tokens;
    tokens.reserve(count);
    std::size_t head = base;
    for (std::size_t i = 0; i < count; ++i) {
      std::optional<Token> token = element(type, base, head);
      if (!token) return std::nullopt;
      tokens.push_back(std::move(*token));
      head += type.head_size();
    }
    return tokens;
  }

 private:
  // The element of a list whose head is at `head`: in place, or behind an offset from `base`.
  std::optional<Token> element(const ParamType& type, std::size_t base, std::size_t head) {
    if (!type.is_dynamic()) return value(type, head);
    std::optional<std::size_t> offset = size_word(head);
    if (!offset) return std::nullopt;
    // base and offset are both at most the input size, so the sum cannot wrap.
    std::size_t pos = base + *offset;
    if (pos > m_data.size()) return std::nullopt;
    return value(type, pos);
  }

  std::optional<Token> value(const ParamType& type, std::size_t pos) {
    switch (type.kind()) {
      case ParamType::Kind::Address: {
        const std::uint8_t* word = read_word(pos);
        if (!word) return std::nullopt;
        Address address;
        std::copy_n(word + 12, address.size(), address.begin());
        return Token::address(address);
      }
      case ParamType::Kind::FixedBytes: {
        const std::uint8_t* word = read_word(pos);
        if (!word) return std::nullopt;
        return Token::fixed_bytes({word, type.byte_count()});
      }
      case ParamType::Kind::Int:
      case ParamType::Kind::Uint: {
        const std::uint8_t* word = read_word(pos);
        if (!word) return std::nullopt;
        Word bytes;
        std::copy_n(word, word_size, bytes.begin());
        U256 number = U256::from_be_bytes(bytes);
        return type.kind() == ParamType::Kind::Int ? Token::signed_int(number) : Token::unsigned_int(number);
      }
      case ParamType::Kind::Bool: {
        const std::uint8_t* word = read_word(pos);
        if (!word) return std::nullopt;
        bool high_zero = std::all_of(word, word + word_size - 1, [](std::uint8_t byte) { return byte == 0; });
        if (!high_zero || word[word_size - 1] > 1) return std::nullopt;
        return Token::boolean(word[word_size - 1] == 1);
      }
      case ParamType::Kind::Bytes: {
        std::optional<std::span<const std::uint8_t>> data = length_prefixed(pos);
        if (!data) return std::nullopt;
        return Token::bytes(Bytes(data->begin(), data->end()));
      }
      case ParamType::Kind::String: {
        std::optional<std::span<const std::uint8_t>> data = length_prefixed(pos);
        if (!data) return std::nullopt;
        return Token::string(utf8_lossy({reinterpret_cast<const char*>(data->data()), data->size()}));
      }
      case ParamType::Kind::Array: {
        std::optional<std::size_t> count = size_word(pos);
        if (!count) return std::nullopt;
        std::optional<Tokens> elements = repeated(type.element(), *count, pos + word_size);
        if (!elements) return std::nullopt;
        return Token::array(std::move(*elements));
      }
      case ParamType::Kind::FixedArray: {
        std::optional<Tokens> elements = repeated(type.element(), type.length(), pos);
        if (!elements) return std::nullopt;
        return Token::fixed_array(std::move(*elements));
      }
      case ParamType::Kind::Tuple: {
        std::optional<Tokens> elements = list(type.elements(), pos);
        if (!elements) return std::nullopt;
        return Token::tuple(std::move(*elements));
      }
    }
    return std::nullopt;
  }

  // A length word followed by that many data bytes.
  std::optional<std::span<const std::uint8_t>> length_prefixed(std::size_t pos) {
    std::optional<std::size_t> length = size_word(pos);
    if (!length) return std::nullopt;
    std::size_t start = pos + word_size;  // size_word succeeded, so start <= input size
    if (*length > m_data.size() - start || !charge(*length)) return std::nullopt;
    return m_data.subspan(start, *length);
  }

  // A word holding an offset, length or count: it must not exceed the input size, which also
  // rules out every value that does not fit in size_t.
  std::optional<std::size_t> size_word(std::size_t pos) {
    const std::uint8_t* word = read_word(pos);
    if (!word) return std::nullopt;
    if (!std::all_of(word, word + 24, [](std::uint8_t byte) { return byte == 0; })) return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t i = 24; i < word_size; ++i) value = (value << 8) | word[i];
    if (value > m_data.size()) return std::nullopt;
    return static_cast<std::size_t>(value);
  }

  // The 32 bytes at `pos`, or nullptr when they are not all inside the input.
  const std::uint8_t* read_word(std::size_t pos) {
    if (pos > m_data.size() || m_data.size() - pos < word_size || !charge(word_size)) return nullptr;
    return m_data.data() + pos;
  }

  // Every read is charged against the input size, which bounds the output by the input even
  // when offsets make several values share one tail.
  bool charge(std::size_t bytes) {
    if (bytes > m_budget) return false;
    m_budget -= bytes;
    return true;
  }

  std::span<const std::uint8_t> m_data;
  std::size_t m_budget;
};

}  // namespace

Result<std::vector<Token>> decode(std::span<const ParamType> types, std::span<const std::uint8_t> data) {
  std::optional<Tokens> tokens = Decoder(data).list(types, 0);
  if (!tokens) return fail(CommonError::abi_codec("Invalid data", "InvalidData"));
  return std::move(*tokens);
}

}  // namespace qzr::abi
