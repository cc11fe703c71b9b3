// NextBookOrdinals: building, sorting, equality and the debug text.
#include "state/next_book_ordinals.hpp"

#include <algorithm>
#include <numeric>

namespace qzr {

NextBookOrdinals NextBookOrdinals::from_pairs(std::span<const Entry> pairs) {
  // Positions grouped by symbol, each group in input order: its first position decides where the
  // entry stands, its last position gives the ordinal.
  std::vector<std::size_t> order(pairs.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::ranges::stable_sort(order, {}, [&](std::size_t i) { return pairs[i].first; });
  std::vector<std::pair<std::size_t, std::size_t>> first_and_last;  // positions in `pairs`
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i > 0 && pairs[order[i]].first == pairs[order[i - 1]].first) {
      first_and_last.back().second = order[i];
    } else {
      first_and_last.emplace_back(order[i], order[i]);
    }
  }
  std::ranges::sort(first_and_last);
  NextBookOrdinals map;
  map.m_entries.reserve(first_and_last.size());
  for (const auto& [first, last] : first_and_last)
    map.m_entries.emplace_back(pairs[first].first, pairs[last].second);
  return map;
}

void NextBookOrdinals::insert_or_assign(const ProductSymbol& symbol, std::uint64_t ordinal) {
  for (Entry& entry : m_entries) {
    if (entry.first == symbol) {
      entry.second = ordinal;
      return;
    }
  }
  m_entries.emplace_back(symbol, ordinal);
}

std::vector<NextBookOrdinals::Entry> NextBookOrdinals::sorted_entries() const {
  std::vector<Entry> sorted = m_entries;
  std::ranges::sort(sorted, {}, &Entry::first);
  return sorted;
}

std::string NextBookOrdinals::debug_text() const {
  std::string text = "{";
  for (const auto& [symbol, ordinal] : m_entries) {
    if (text.size() > 1) text += ", ";
    text += qzr::debug_text(symbol);
    text += ": ";
    text += std::to_string(ordinal);
  }
  text += '}';
  return text;
}

bool operator==(const NextBookOrdinals& a, const NextBookOrdinals& b) {
  return a.size() == b.size() && a.sorted_entries() == b.sorted_entries();
}

}  // namespace qzr
