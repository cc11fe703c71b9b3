// The member tables of the toy classes (toy_classes.hpp), one add_members per class, and the
// frame's refusal of in-place dict walks over conversions that run Python code.
#include "toy_classes.hpp"

namespace qzr::py {

void ClassDef<frametest::ToyValue>::add_members(TypeBuilder& builder) {
  Members<Constructor<frametest::make_toy, "number", "label=None", "items=None">,
          Method<"describe", frametest::describe>, Method<"add", frametest::add_to_number, "amount">,
          // reads through const ToyValue& but conflicts with every other borrow
          ExclusiveMethod<"describe_exclusively", frametest::describe>,
          Method<"scaled_sum", frametest::scaled_sum, "scale", "offset">,
          Method<"triple", frametest::triple, "x", "y", "z">,
          Method<"options", frametest::options, "a", "b=None", "c=None">,
          Method<"same_number", frametest::same_number, "other">,
          Method<"same_or_none", frametest::same_or_none, "other=None">,
          Method<"absorb", frametest::absorb, "other">,
          Method<"adopt_items", frametest::adopt_items, "other">, Method<"append", frametest::append, "item">,
          Method<"fail", frametest::fail_with_fault>, Method<"call_back", frametest::call_back, "callable">,
          ClassMethod<"from_label", frametest::from_label, "label">,
          ClassMethod<"default", frametest::default_toy>, StaticMethod<"zero", frametest::zero_toy>,
          StaticMethod<"sum_of", frametest::sum_of, "a", "b">,
          Getter<"number", frametest::number_of, "The toy's number.">,
          Setter<"number", frametest::set_number, "The toy's number.">,
          Getter<"label", frametest::label_of, "The label.">, Getter<"items", frametest::items_of>,
          Repr<frametest::toy_repr>, Str<frametest::toy_str>, Int<frametest::toy_int>,
          Float<frametest::toy_float>, Neg<frametest::toy_neg>, Abs<frametest::toy_abs>,
          Hash<frametest::toy_hash>, Len<frametest::toy_len>, RichCompare<frametest::toy_compare>,
          Add<frametest::plus, frametest::reflected_plus>,
          Pow<frametest::toy_pow, frametest::toy_reflected_pow>, GetItem<frametest::toy_item, "index">,
          SetItem<frametest::toy_set_item, "index", "value">>::add_to<frametest::ToyValue>(builder);
}

void ClassDef<frametest::PointValue>::add_members(TypeBuilder& builder) {
  Members<Constructor<frametest::make_point, "x", "y">, Getter<"x", frametest::point_x>,
          Getter<"y", frametest::point_y>, Method<"moved", frametest::moved, "dx", "dy">,
          Comparisons<Eq<frametest::point_eq>>, Hash<frametest::point_hash>,
          Repr<frametest::point_repr>>::add_to<frametest::PointValue>(builder);
}

void ClassDef<frametest::ColorValue>::add_members(TypeBuilder& builder) {
  Members<Constructor<frametest::color_from_name, "name">, ClassAttribute<"Red", frametest::red>,
          ClassAttribute<"Green", frametest::green>, ClassAttribute<"Blue", frametest::blue>,
          Repr<frametest::color_repr>, Int<frametest::color_int>,
          RichCompare<frametest::color_compare>>::add_to<frametest::ColorValue>(builder);
}

void ClassDef<frametest::UnitValue>::add_members(TypeBuilder& builder) {
  Members<Constructor<frametest::make_unit>, Repr<frametest::unit_repr>>::add_to<frametest::UnitValue>(
      builder);
}

void ClassDef<frametest::ConversionsValue>::add_members(TypeBuilder& builder) {
  Members<StaticMethod<"i8", frametest::echo<std::int8_t>, "v">,
          StaticMethod<"u8", frametest::echo<std::uint8_t>, "v">,
          StaticMethod<"i32", frametest::echo<std::int32_t>, "v">,
          StaticMethod<"i64", frametest::echo<std::int64_t>, "v">,
          StaticMethod<"u64", frametest::echo<std::uint64_t>, "v">,
          StaticMethod<"i128", frametest::echo<__int128>, "v">,
          StaticMethod<"u128", frametest::echo<unsigned __int128>, "v">,
          StaticMethod<"boolean", frametest::echo<bool>, "v">,
          StaticMethod<"double", frametest::echo<double>, "v">,
          StaticMethod<"text", frametest::echo<std::string>, "v">,
          StaticMethod<"bytes", frametest::echo<Bytes>, "v">,
          StaticMethod<"list", frametest::echo<std::vector<std::int64_t>>, "v">,
          StaticMethod<"texts", frametest::echo<std::vector<std::string>>, "v">,
          StaticMethod<"optional", frametest::echo<std::optional<std::int64_t>>, "v=None">,
          StaticMethod<"object", frametest::echo<Object>, "v">,
          StaticMethod<"point", frametest::echo<frametest::PointValue>, "v">,
          StaticMethod<"pair", frametest::make_pair, "number", "text">,
          StaticMethod<"nothing", frametest::nothing>,
          StaticMethod<"not_implemented", frametest::not_implemented>,
          StaticMethod<"checked_half", frametest::checked_half, "number">,
          StaticMethod<"checked_even", frametest::checked_even,
                       "number">>::add_to<frametest::ConversionsValue>(builder);
}

void ClassDef<frametest::OpaqueValue>::add_members(TypeBuilder& builder) {
  Members<Getter<"text", frametest::opaque_text>, Len<frametest::opaque_len>>::add_to<frametest::OpaqueValue>(
      builder);
}

void ClassDef<frametest::ScratchValue>::add_members(TypeBuilder& builder) {
  Members<Method<"number", frametest::scratch_number>,
          Getter<"label", frametest::scratch_label>>::add_to<frametest::ScratchValue>(builder);
}

void ClassDef<frametest::BrokenValue>::add_members(TypeBuilder& builder) {
  Members<Getter<"number", frametest::broken_number>>::add_to<frametest::BrokenValue>(builder);
}

void ClassDef<frametest::FlakyValue>::add_members(TypeBuilder& builder) {
  Members<ClassAttribute<"answer", frametest::flaky_answer>,
          ClassAttribute<"itself", frametest::flaky_itself>,
          Getter<"number", frametest::flaky_number>>::add_to<frametest::FlakyValue>(builder);
}

void ClassDef<frametest::BadAttributeValue>::add_members(TypeBuilder& builder) {
  Members<ClassAttribute<"__qualname__", frametest::bad_qualname>>::add_to<frametest::BadAttributeValue>(
      builder);
}

void ClassDef<frametest::DuplicateNameValue>::add_members(TypeBuilder& builder) {
  Members<
      Getter<"number", frametest::duplicate_number>,
      Method<"number", frametest::duplicate_number_again>>::add_to<frametest::DuplicateNameValue>(builder);
}

void ClassDef<frametest::DuplicateSlotValue>::add_members(TypeBuilder& builder) {
  Members<Members<Repr<frametest::duplicate_repr>>,
          Repr<frametest::duplicate_repr>>::add_to<frametest::DuplicateSlotValue>(builder);
}

// Which dicts a DictOf may walk in place (DictWalk::InPlace): those whose key and value conversions
// run no Python code. The compiler refuses an in-place walk of any other.
static_assert(walkable_in_place<frametest::PointValue, std::string>);  // an instance copied, a str
static_assert(walkable_in_place<const frametest::ToyValue&, Object>);  // a shared borrow, any object
static_assert(walkable_in_place<Dict, bool>);
static_assert(walkable_in_place<std::optional<Bytes>, BytesView>);
static_assert(!walkable_in_place<std::int64_t, std::string>);  // __index__
static_assert(!walkable_in_place<std::string, std::uint8_t>);
static_assert(!walkable_in_place<std::string, double>);                       // __float__
static_assert(!walkable_in_place<std::string, std::optional<std::int64_t>>);  // as the value's own
static_assert(!walkable_in_place<std::string, std::vector<std::string>>);     // iteration

}  // namespace qzr::py
