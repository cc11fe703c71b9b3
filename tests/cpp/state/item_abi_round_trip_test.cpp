// Round trips of the item ABI value over seeded random records of every kind: decoding the
// encoder's bytes with the item's kind gives back an equal item, and encoding that item again
// gives the same bytes (the decoder keeps entry order and recorded amounts as they are).
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "../abi/abi_encoder.hpp"
#include "abi/decode.hpp"
#include "state/item_abi.hpp"
#include "state_test_support.hpp"

namespace qzr {
namespace {

class RandomRecords {
 public:
  explicit RandomRecords(std::uint64_t seed) : m_engine(seed) {}

  std::uint64_t u64() { return m_engine(); }
  bool flag() { return (m_engine() & 1) != 0; }
  std::size_t below(std::size_t bound) { return static_cast<std::size_t>(m_engine() % bound); }

  // A recorded amount: any 96-bit mantissa at scale 0 to 9, either sign, then recorded; zero,
  // tiny and extreme values come up often.
  UnscaledI128 amount() {
    switch (below(6)) {
      case 0: return UnscaledI128{Decimal::zero()};
      case 1: return UnscaledI128{RECORDED_MAX};
      case 2: return UnscaledI128{-RECORDED_MAX};
      default: break;
    }
    const UInt128 mantissa = ((UInt128{m_engine()} << 64) | m_engine()) >> (32 + below(96));
    const Decimal value =
        Decimal::from_parts_or_fault(mantissa, static_cast<std::uint32_t>(below(10)), flag());
    return UnscaledI128{round_recorded_decimal(value)};
  }

  template <class Fixed>
  Fixed bytes() {
    Fixed value;
    for (std::uint8_t& byte : value.bytes) byte = static_cast<std::uint8_t>(m_engine());
    return value;
  }

  Balance balance() {
    Balance balance;
    const std::size_t count = below(3);
    for (std::size_t i = 0; i < count; ++i) balance.assign_or_fault(bytes<TokenAddress>(), amount().value);
    return balance;
  }

  ProductSymbol symbol() {
    static constexpr std::string_view letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string text;
    const std::size_t length = 1 + below(4);
    for (std::size_t i = 0; i < length; ++i) text += letters[below(letters.size())];
    return test::symbol(text + "P");
  }

  std::string text() {
    static constexpr std::string_view pieces[] = {"", "a", "ETHP", "\"", "\\", "\n", "\xc3\xa9", "x y", "{}"};
    std::string text;
    const std::size_t count = below(6);
    for (std::size_t i = 0; i < count; ++i) text += pieces[below(std::size(pieces))];
    return text;
  }

  Item item(ItemKind kind) {
    switch (item_kind_number(kind)) {
      case item_kind_number(ItemKind::Empty): return Item();
      case item_kind_number(item_kind_of<Trader>):
        return Item(Trader{amount(), amount(), bytes<AccountAddress>(), flag()});
      case item_kind_number(item_kind_of<Strategy>):
        return Item(Strategy{bytes<StrategyId>(), balance(), balance(), u64(), flag()});
      case item_kind_number(item_kind_of<Position>):
        return Item(Position{static_cast<PositionSide>(below(3)), amount(), amount()});
      case item_kind_number(item_kind_of<BookOrder>):
        return Item(BookOrder{flag() ? OrderSide::Ask : OrderSide::Bid, amount(), amount(),
                              bytes<TraderAddress>(), bytes<StrategyIdHash>(), u64(), u64()});
      case item_kind_number(item_kind_of<Price>): return Item(Price{amount(), amount(), u64(), u64()});
      case item_kind_number(item_kind_of<InsuranceFund>): return Item(InsuranceFund{balance()});
      case item_kind_number(item_kind_of<Stats>): return Item(Stats{amount(), amount()});
      case item_kind_number(item_kind_of<Signer>): return Item(Signer{bytes<ReleaseHash>()});
      case item_kind_number(item_kind_of<Specs>): return Item(Specs{SpecsExpr{text()}});
      case item_kind_number(item_kind_of<InsuranceFundContribution>):
        return Item(InsuranceFundContribution{balance(), balance()});
      case item_kind_number(item_kind_of<FeePool>): return Item(FeePool{balance()});
      case item_kind_number(item_kind_of<EpochMetadata>): {
        NextBookOrdinals map;
        const std::size_t count = below(5);
        for (std::size_t i = 0; i < count; ++i) map.insert_or_assign(symbol(), u64());
        return Item(EpochMetadata{map});
      }
    }
    return Item();
  }

 private:
  std::mt19937_64 m_engine;
};

TEST(ItemAbiRoundTrip, EveryKindWithSeededRandomRecords) {
  RandomRecords random(20261210);
  for (std::uint8_t number = 1; number < item_kind_count; ++number) {
    const ItemKind kind = *item_kind_from_number(number);
    SCOPED_TRACE(item_kind_name(kind));
    for (int round = 0; round < 200; ++round) {
      const Item item = random.item(kind);
      const std::vector<std::uint8_t> bytes = item_abi_encoded_value(item);
      const Result<Item> decoded = parse_item_abi_value(kind, bytes);
      ASSERT_TRUE(decoded.has_value()) << item.debug_text() << ": " << decoded.error().display();
      ASSERT_EQ(*decoded, item) << item.debug_text() << " came back as " << decoded->debug_text();
      ASSERT_EQ(item_abi_encoded_value(*decoded), bytes) << item.debug_text();
    }
  }
}

TEST(ItemAbiRoundTrip, BytesAreTheCanonicalEncoding) {
  // The decoder accepts offsets that point anywhere; the generic encoder writes the one standard
  // layout. Re-encoding the decoded tokens must give the item's bytes unchanged.
  RandomRecords random(99);
  for (std::uint8_t number = 1; number < item_kind_count; ++number) {
    const ItemKind kind = *item_kind_from_number(number);
    SCOPED_TRACE(item_kind_name(kind));
    const abi::ParamType envelope =
        abi::ParamType::tuple({abi::ParamType::unsigned_int(256), item_abi_schema(kind)});
    for (int round = 0; round < 50; ++round) {
      const Item item = random.item(kind);
      const std::vector<std::uint8_t> bytes = item_abi_encoded_value(item);
      const Result<std::vector<abi::Token>> tokens = abi::decode(std::span(&envelope, 1), bytes);
      ASSERT_TRUE(tokens.has_value()) << item.debug_text();
      ASSERT_EQ(abi::encode(*tokens), bytes) << item.debug_text();
    }
  }
}

TEST(ItemAbiRoundTrip, MutatedBytesNeverFault) {
  // Valid encodings with bytes overwritten, cut short or extended, read with every kind: each
  // read gives an item or the one common error, and never stops with a fault. The overwritten
  // bytes favour the words' ends, where counts, offsets and discriminants live.
  RandomRecords random(4242);
  for (int round = 0; round < 3000; ++round) {
    const ItemKind written = *item_kind_from_number(1 + random.below(item_kind_count - 1));
    std::vector<std::uint8_t> bytes = item_abi_encoded_value(random.item(written));
    switch (random.below(3)) {
      case 0:
        for (std::size_t flips = 1 + random.below(3); flips > 0 && !bytes.empty(); --flips) {
          const std::size_t word = random.below((bytes.size() + 31) / 32);
          const std::size_t at =
              std::min(bytes.size() - 1, word * 32 + (random.flag() ? 31 : random.below(32)));
          bytes[at] = random.flag() ? static_cast<std::uint8_t>(random.u64()) : 0xff;
        }
        break;
      case 1: bytes.resize(random.below(bytes.size() + 1)); break;
      default: bytes.resize(bytes.size() + 32 * random.below(3), static_cast<std::uint8_t>(random.u64()));
    }
    const ItemKind requested = *item_kind_from_number(random.below(item_kind_count));
    std::optional<Result<Item>> result;
    const std::optional<std::string> stop =
        test::fault_message_of([&] { result = parse_item_abi_value(requested, bytes); });
    ASSERT_EQ(stop, std::nullopt) << "round " << round;
    if (result && !result->has_value() && requested != ItemKind::Empty) {
      ASSERT_EQ(result->error().display(), all_schemas_failed_text);
    }
  }
}

TEST(ItemAbiRoundTrip, KindsSharingASchemaKeepTheirOwnKind) {
  // Insurance fund and fee pool share one schema: each decodes with the other's kind as itself.
  RandomRecords random(7);
  for (int round = 0; round < 20; ++round) {
    const Balance balance = random.balance();
    for (const Item& item : {Item(InsuranceFund{balance}), Item(FeePool{balance})}) {
      for (const ItemKind requested : {item_kind_of<InsuranceFund>, item_kind_of<FeePool>}) {
        const Result<Item> decoded = parse_item_abi_value(requested, item_abi_encoded_value(item));
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(*decoded, item);
        EXPECT_EQ(decoded->kind(), item.kind());
      }
      const Result<Item> as_stats = parse_item_abi_value(item_kind_of<Stats>, item_abi_encoded_value(item));
      EXPECT_FALSE(as_stats.has_value());
    }
  }
}

}  // namespace
}  // namespace qzr
