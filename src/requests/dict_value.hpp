// DictValue: the neutral value tree of the request dict form, which the Python frame turns into
// str, int, bool, list and dict objects in one function. Dicts keep their entries in insertion
// order, as Python dicts do.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace qzr {

struct DictEntry;

class DictValue {
 public:
  using List = std::vector<DictValue>;
  // Keys are unique (the writer sets each key once), in insertion order.
  using Dict = std::vector<DictEntry>;
  // Python int from either range.
  using Value = std::variant<std::string, std::uint64_t, std::int64_t, bool, List, Dict>;

  // Defined below DictEntry: building the variant needs Dict's element type complete.
  DictValue(std::string text);
  DictValue(std::string_view text);
  DictValue(const char* text);
  DictValue(std::uint64_t number);
  DictValue(std::int64_t number);
  DictValue(bool flag);
  DictValue(List list);
  DictValue(Dict dict);

  const Value& value() const { return m_value; }
  Value& value() { return m_value; }

  friend bool operator==(const DictValue&, const DictValue&) = default;

 private:
  Value m_value;
};

struct DictEntry {
  std::string key;
  DictValue value;

  friend bool operator==(const DictEntry&, const DictEntry&) = default;
};

inline DictValue::DictValue(std::string text) : m_value(std::move(text)) {}
inline DictValue::DictValue(std::string_view text) : m_value(std::string(text)) {}
inline DictValue::DictValue(const char* text) : m_value(std::string(text)) {}
inline DictValue::DictValue(std::uint64_t number) : m_value(number) {}
inline DictValue::DictValue(std::int64_t number) : m_value(number) {}
inline DictValue::DictValue(bool flag) : m_value(flag) {}
inline DictValue::DictValue(List list) : m_value(std::move(list)) {}
inline DictValue::DictValue(Dict dict) : m_value(std::move(dict)) {}

}  // namespace qzr
