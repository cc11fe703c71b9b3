// The Python classes of the state records of the list of kinds (state/kinds.hpp): one protocol over
// each record's field list (core/field_list.hpp), so that a record class is a short declaration of
// what is its own.
//
// Every record class gets, from its field list:
//   - the constructor of all fields in declared order, the text signature "(field, ...)";
//   - a property per field: the getter returns a new Python value made from a copy of the field;
//     the setter converts the value first (its errors name no argument), then borrows the object
//     exclusively and stores it; deleting is AttributeError "can't delete attribute";
//   - __repr__ (the record's debug text), == (NotImplemented unless both sides are objects of the
//     class that can be borrowed shared) and != (the negation of the interpreter's full ==);
//   - __deepcopy__(_memo) (`_memo` must be a dict; it is not read), as_item(), the class method
//     from_item(item) (QzrCommonError "invalid item kind" for another kind), abi_encoded_value(),
//     the class method abi_decode_value_into_item(abi_encoded_value) (bytes only; returns an Item
//     of the kind written in the bytes), is_void(), and the class method default() where declared;
//   - by-value arguments: a body parameter of the record type copies the record out of its object
//     (refused while the object is exclusively borrowed).
// A field crosses the boundary through FieldForm<T> of its type (classes/core/field_members.hpp).
//
// Declaring a record class (its Python name is the record's name in its FieldList):
//
//   // trader_class.hpp
//   template <>
//   struct ClassDef<Trader> : RecordClassDef<Trader> {
//     static constexpr const char* doc = "An individual trader";
//     static constexpr bool has_default = true;
//     using field_docs = FieldDocs<"The QZR balance stated / usable for trading",
//                                  "The QZR balance locked for withdrawal", "",
//                                  "Switch to paying fees with QZR">;
//     static void add_members(TypeBuilder& builder);
//   };
//
//   // trader_class.cpp: the one place the members are built (record_members.hpp is heavy)
//   void ClassDef<Trader>::add_members(TypeBuilder& builder) {
//     Members<RecordMembers<Trader>, ...its own members>::add_to<Trader>(builder);
//   }
//
// Then a row in the list of kinds (state/kinds.hpp), which makes it a class of the module.
// Include the class's header wherever the class is used from Python code (arguments, results),
// so every file sees the same class description.
//
// Traits to redeclare where a class differs (defaults in RecordClassDef<R>):
//   constructor   a member such as Constructor<&body, "param"> instead of the fields, or void
//   properties    false: no field properties
// A field type without a FieldForm of its own crosses through the frame's FromPython<T> and
// ToPython<T> (for a class of the module: the value copied out, a new object back); a field type
// that only one class has keeps its FieldForm in that class's .cpp file, before add_members; the
// forms of types several classes share are in classes/values/field_forms.hpp.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <tuple>

#include "core/field_list.hpp"
#include "python/classes/core/field_members.hpp"
#include "python/classes/state/item_class.hpp"
#include "python/frame/frame.hpp"

namespace qzr::py {

// The constructor trait's default: every field, in declared order.
struct FieldsConstructor {};

// The traits of a record class with their defaults: a record class's ClassDef<R> derives from
// RecordClassDef<R> and redeclares what differs. Its Python name is the record's name.
template <class R>
struct RecordClassDef {
  static constexpr const char* name = record_class_name<R>;
  static constexpr const char* doc = "";
  static constexpr bool frozen = false;
  using constructor = FieldsConstructor;
  static constexpr bool properties = true;
  static constexpr bool has_default = false;
  using field_docs = FieldDocs<>;
};

// The protocol's members of record class R, as ClassDef<R>'s traits select them: the pack a
// record class's add_members lists before its own members. Defined in record_members.hpp.
template <class R>
struct RecordMembers {
  template <class V>
  static void add_to(TypeBuilder& builder);
};

}  // namespace qzr::py
