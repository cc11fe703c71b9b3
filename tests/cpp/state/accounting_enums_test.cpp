// The accounting enums: member names, debug texts and discriminants.
#include "state/accounting_enums.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace qzr {
namespace {

using namespace std::string_view_literals;

TEST(AccountingEnums, PositionSideNamesAndTexts) {
  // The empty side is the member Empty but prints "None" inside records.
  struct Case {
    PositionSide side;
    std::uint8_t discriminant;
    std::string_view name;
    std::string_view text;
  };
  static constexpr Case cases[] = {{PositionSide::Empty, 0, "Empty", "None"},
                                   {PositionSide::Long, 1, "Long", "Long"},
                                   {PositionSide::Short, 2, "Short", "Short"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(accounting_discriminant(c.side), c.discriminant);
    EXPECT_EQ(position_side_name(c.side), c.name);
    EXPECT_EQ(position_side_text(c.side), c.text);
    EXPECT_EQ(position_side_from_discriminant(c.discriminant), c.side);
  }
  EXPECT_EQ(position_side_from_discriminant(3), std::nullopt);
  EXPECT_EQ(position_side_from_discriminant(UINT64_MAX), std::nullopt);
}

TEST(AccountingEnums, PriceDirectionNames) {
  struct Case {
    PriceDirection direction;
    std::uint8_t discriminant;
    std::string_view name;
  };
  static constexpr Case cases[] = {{PriceDirection::Up, 0, "Up"},
                                   {PriceDirection::Down, 1, "Down"},
                                   {PriceDirection::Flat, 2, "Flat"},
                                   {PriceDirection::Unknown, 3, "Unknown"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(accounting_discriminant(c.direction), c.discriminant);
    EXPECT_EQ(price_direction_name(c.direction), c.name);
    EXPECT_EQ(price_direction_from_discriminant(c.discriminant), c.direction);
  }
  EXPECT_EQ(price_direction_from_discriminant(4), std::nullopt);
}

TEST(AccountingEnums, PriceMetadataTags) {
  // The tags are the "t" values of the dict form; the reading is exact (case and length), and a
  // refused tag is named as given in the reader's message.
  struct Case {
    std::string_view tag;
    std::optional<PriceMetadata> metadata;
  };
  static constexpr Case cases[] = {
      {"Empty", PriceMetadata::Empty},
      {"SingleNamePerpetual", PriceMetadata::SingleNamePerpetual},
      {"empty", std::nullopt},
      {"SingleNamePerpetual ", std::nullopt},
      {"", std::nullopt},
      {"None", std::nullopt},
      {"Empty\0"sv, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tag);
    const Result<PriceMetadata> metadata = parse_price_metadata_tag(c.tag);
    if (c.metadata) {
      ASSERT_TRUE(metadata.has_value());
      EXPECT_EQ(*metadata, *c.metadata);
      EXPECT_EQ(price_metadata_name(*metadata), c.tag);
    } else {
      ASSERT_FALSE(metadata.has_value());
      EXPECT_EQ(metadata.error().kind(), CommonError::Kind::Other);
      EXPECT_EQ(metadata.error().display(),
                "unknown variant `" + std::string(c.tag) + "`, expected `Empty` or `SingleNamePerpetual`");
    }
  }
  EXPECT_EQ(price_metadata_from_discriminant(0), PriceMetadata::Empty);
  EXPECT_EQ(price_metadata_from_discriminant(1), PriceMetadata::SingleNamePerpetual);
  EXPECT_EQ(price_metadata_from_discriminant(2), std::nullopt);
}

}  // namespace
}  // namespace qzr
