// The field-list walks on a toy record with a private member: declared order, names, tags,
// writing through a mutable record and the lexicographic order of field_tie.
#include "core/field_list.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qzr {
namespace {

struct WideTag {};

class Toy {
 public:
  Toy(int count, std::string label) : m_count(count), m_label(std::move(label)) {}

  int count() const { return m_count; }
  const std::string& label() const { return m_label; }

 private:
  friend struct FieldList<Toy>;

  int m_count;
  std::string m_label;
};

struct Wrapper {
  int value = 0;
};

}  // namespace

template <>
struct FieldList<Toy> {
  static constexpr std::string_view name = "Toy";
  static constexpr auto fields =
      std::tuple{field("count", &Toy::m_count), field<WideTag>("label", &Toy::m_label)};
};

template <>
struct FieldList<Wrapper> {
  static constexpr std::string_view name = "Wrapper";
  static constexpr auto fields = std::tuple{field("value", &Wrapper::value)};
  static constexpr bool transparent = true;
};

namespace {

TEST(FieldList, WalksTheFieldsInDeclaredOrder) {
  const Toy toy(7, "seven");
  std::vector<std::string> seen;
  for_each_field(toy, [&](const auto& field, const auto& value) {
    if constexpr (std::is_same_v<std::remove_cvref_t<decltype(value)>, int>) {
      seen.push_back(std::string(field.name) + "=" + std::to_string(value));
    } else {
      seen.push_back(std::string(field.name) + "=" + value);
    }
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"count=7", "label=seven"}));
}

TEST(FieldList, WritesThroughAMutableRecord) {
  Toy toy(1, "one");
  for_each_field(toy, [](const auto&, auto& value) {
    if constexpr (std::is_same_v<std::remove_cvref_t<decltype(value)>, int>) {
      value += 41;
    } else {
      value += "!";
    }
  });
  EXPECT_EQ(toy.count(), 42);
  EXPECT_EQ(toy.label(), "one!");
}

TEST(FieldList, TieOrdersByTheFirstDifferingField) {
  struct Case {
    Toy left;
    Toy right;
    bool less;
  };
  const Case cases[] = {
      {Toy(1, "b"), Toy(2, "a"), true},   // the first field decides
      {Toy(2, "a"), Toy(1, "b"), false},  //
      {Toy(1, "a"), Toy(1, "b"), true},   // equal first fields: the second decides
      {Toy(1, "a"), Toy(1, "a"), false},  // equal
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.left.count()) + c.left.label() + " < " + std::to_string(c.right.count()) +
                 c.right.label());
    EXPECT_EQ(field_tie(c.left) < field_tie(c.right), c.less);
  }
  const Toy first(3, "x");
  const Toy second(3, "x");
  EXPECT_TRUE(field_tie(first) == field_tie(second));
}

TEST(FieldList, TagsAndTransparency) {
  static_assert(!decltype(field_at<Toy, 0>)::has_tag<WideTag>);
  static_assert(decltype(field_at<Toy, 1>)::has_tag<WideTag>);
  static_assert(std::is_same_v<FieldType<Toy, 1>, std::string>);
  static_assert(field_count<Toy> == 2);
  EXPECT_FALSE(is_transparent_record<Toy>);
  EXPECT_TRUE(is_transparent_record<Wrapper>);
}

}  // namespace
}  // namespace qzr
