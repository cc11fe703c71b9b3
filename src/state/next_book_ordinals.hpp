// NextBookOrdinals: the map of an epoch's metadata, from each active market's product symbol to
// the next book ordinal of that market.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "values/symbols.hpp"

namespace qzr {

// Each symbol at most once. The entries keep an internal order (the order in which symbols were
// first inserted) that the getter and the debug text follow; the ABI form sorts them instead
// (sorted_entries), so that equal maps encode alike.
class NextBookOrdinals {
 public:
  using Entry = std::pair<ProductSymbol, std::uint64_t>;

  NextBookOrdinals() = default;

  // The pairs in order; a symbol that occurs again replaces the ordinal of its first occurrence
  // (whose position it keeps). O(n log n), whatever the input: decoded maps come from untrusted
  // bytes.
  static NextBookOrdinals from_pairs(std::span<const Entry> pairs);

  // Replaces the ordinal of a present symbol in place, or appends the entry. O(n).
  void insert_or_assign(const ProductSymbol& symbol, std::uint64_t ordinal);

  std::span<const Entry> entries() const noexcept { return m_entries; }
  std::size_t size() const noexcept { return m_entries.size(); }
  bool empty() const noexcept { return m_entries.empty(); }

  // The entries in ascending order of the symbols' six packed bytes, compared from byte 0: not the
  // alphabetical order of their texts (ZAP, packed 3A 40 ..., comes before ABP, 41 40 ...).
  std::vector<Entry> sorted_entries() const;

  // "{ProductSymbol(\"ETHP\"): 5, ...}" in the internal order; "{}" for no entries.
  std::string debug_text() const;

  // Equal as maps: the same symbols with the same ordinals, in any order.
  friend bool operator==(const NextBookOrdinals& a, const NextBookOrdinals& b);

 private:
  std::vector<Entry> m_entries;
};

}  // namespace qzr
