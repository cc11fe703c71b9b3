// FlatHashMap<V>: the node store's hash map from 32-byte hashes to records. Open addressing with
// linear probing over a slot array that holds (entry index, 32 hash bits); the entries themselves
// live in a dense array whose indexes never move, so a position found by a lookup stays valid
// until that entry is erased. Erased entries go on a free list and are reused first; which
// entries are live is kept in a bit array beside them (so an entry has no padded flag of its own).
//
// An entry index remembered from an earlier insert or lookup is a hint that saves the slot
// lookup: locate_hinted() takes the entry directly when it is live and holds the key, and looks
// the key up otherwise, so a stale hint costs time, never a wrong result.
//
// Every map draws its own random seed (getentropy) at construction; a copy keeps the seed, the
// slots and the entry order, so a copy iterates exactly like its source. Iteration order is entry
// order, which depends on the history of inserts and erases and is not otherwise specified.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/fault.hpp"
#include "tree/huge_page_allocator.hpp"
#include "values/h256.hpp"

namespace qzr::tree {

// Faults with "getentropy failed: " and the system's error text when the entropy source fails.
// Four 64-bit words from the operating system's entropy source.
std::array<std::uint64_t, 4> random_map_seed();

template <class V>
class FlatHashMap {
 public:
  // Where an entry sits: its index in the dense array and its hash bits (which give its home slot).
  struct Position {
    std::uint32_t entry;
    std::uint32_t tag;
  };

  FlatHashMap() : m_seed(random_map_seed()) {}

  std::size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }

  // The hash bits of `key` under this map's seed: every key bit reaches them.
  std::uint32_t tag_of(const H256& key) const {
    const H256::Words& words = key.words();
    const std::uint64_t folded = fold_multiply(words[0] ^ m_seed[0], words[1] ^ m_seed[1]) ^
                                 fold_multiply(words[2] ^ m_seed[2], words[3] ^ m_seed[3]);
    return static_cast<std::uint32_t>(fold_multiply(folded ^ m_seed[0], 0x9E3779B97F4A7C15ull) >> 32);
  }

  std::optional<Position> locate(const H256& key) const { return locate(key, tag_of(key)); }
  std::optional<Position> locate(const H256& key, std::uint32_t tag) const {
    if (m_slots.empty()) return std::nullopt;
    for (std::size_t slot = tag & mask();; slot = (slot + 1) & mask()) {
      const Slot& probe = m_slots[slot];
      if (probe.entry == empty_slot) return std::nullopt;
      if (probe.tag == tag && m_entries[probe.entry].key == key) return Position{probe.entry, tag};
    }
  }
  // The same, trying entry `hint` first (any value; one not naming a live entry of `key` is ignored).
  std::optional<Position> locate_hinted(const H256& key, std::uint32_t hint) const {
    if (holds(hint, key)) return Position{hint, tag_of(key)};
    return locate(key);
  }

  const V* find(const H256& key) const {
    const std::optional<Position> position = locate(key);
    return position ? &m_entries[position->entry].value : nullptr;
  }
  // Precondition: `position` came from locate() and its entry was not erased since.
  const V& at(Position position) const { return m_entries[position.entry].value; }
  const H256& key_at(Position position) const { return m_entries[position.entry].key; }

  // Loads the home slot of a key with these hash bits into the cache ahead of an insert.
  void prefetch(std::uint32_t tag) const {
    // (Through the stored mask: GCC drops a prefetch whose address it derives from size() - 1.)
    if (m_mask != 0) __builtin_prefetch(m_slots.data() + (tag & m_mask));
  }
  // Loads the first entry of the probe run that carries these hash bits (if any) ahead of a
  // lookup; reads the slots, so best some time after prefetch().
  void prefetch_entry(std::uint32_t tag) const {
    if (m_mask == 0) return;
    for (std::size_t slot = tag & m_mask;; slot = (slot + 1) & m_mask) {
      const Slot& probe = m_slots.data()[slot];
      if (probe.entry == empty_slot) return;
      if (probe.tag != tag) continue;
      prefetch_entry_at(probe.entry);
      return;
    }
  }
  // Loads entry `index` (if there is one) and its live bit ahead of locate_hinted().
  void prefetch_entry_at(std::uint32_t index) const {
    if (index >= m_entries.size()) return;
    __builtin_prefetch(m_live.data() + index / 64);
    // An entry spans several cache lines (a branch record's entry is 144 bytes): fetch them all.
    const auto first = reinterpret_cast<std::uintptr_t>(m_entries.data() + index);
    for (std::uintptr_t line = first & ~std::uintptr_t{63}; line < first + sizeof(Entry); line += 64)
      // NOLINTNEXTLINE(performance-no-int-to-ptr): a prefetch address, never dereferenced
      __builtin_prefetch(reinterpret_cast<const void*>(line));
  }

  // Faults with "node store map exceeds 2^32 - 1 entries" or "node store map exceeds 2^32 slots"
  // when the map would outgrow its 32-bit indexes. Stores `value` under `key`, replacing the value
  // of an existing entry; returns the entry's index.
  std::uint32_t insert_or_assign(const H256& key, V value) {
    return insert_or_assign(key, tag_of(key), std::move(value));
  }
  // The same with the key's hash bits already computed (tag == tag_of(key)).
  std::uint32_t insert_or_assign(const H256& key, std::uint32_t tag, V value) {
    if (2 * (m_size + 1) > m_slots.size()) grow();
    std::size_t slot = tag & mask();
    for (;; slot = (slot + 1) & mask()) {
      const Slot& probe = m_slots[slot];
      if (probe.entry == empty_slot) break;
      if (probe.tag == tag && m_entries[probe.entry].key == key) {
        m_entries[probe.entry].value = std::move(value);
        return probe.entry;
      }
    }
    const std::uint32_t entry = take_free_entry(key, std::move(value));
    m_slots[slot] = Slot{entry, tag};
    ++m_size;
    return entry;
  }

  // Removes the entry of `key` if there is one; true when one was removed.
  bool erase(const H256& key) {
    const std::optional<Position> position = locate(key);
    if (!position) return false;
    erase_unchecked(*position);
    return true;
  }
  // Removes the entry at `position` when it still holds `key`, else the entry of `key` if any.
  bool erase(const H256& key, Position position) {
    if (holds(position.entry, key)) {
      erase_unchecked(position);
      return true;
    }
    return erase(key);
  }

  // Calls visit(key, value) for every entry, in entry order.
  template <class Visit>
  void for_each(Visit&& visit) const {
    for (std::size_t index = 0; index < m_entries.size(); ++index) {
      if (is_live(index)) visit(m_entries[index].key, m_entries[index].value);
    }
  }

 private:
  static constexpr std::uint32_t empty_slot = UINT32_MAX;

  struct Slot {
    std::uint32_t entry = empty_slot;
    std::uint32_t tag = 0;
  };
  struct Entry {
    H256 key;
    V value;
  };

  static std::uint64_t fold_multiply(std::uint64_t a, std::uint64_t b) {
    const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
    return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
  }

  std::size_t mask() const { return m_mask; }

  // Whether entry `index` exists and is not on the free list.
  bool is_live(std::size_t index) const { return (m_live[index / 64] >> (index % 64)) & 1; }
  void set_live(std::size_t index, bool live) {
    const std::uint64_t bit = std::uint64_t{1} << (index % 64);
    m_live[index / 64] = live ? m_live[index / 64] | bit : m_live[index / 64] & ~bit;
  }
  // Whether entry `index` exists, is live and holds `key`.
  bool holds(std::uint32_t index, const H256& key) const {
    return index < m_entries.size() && is_live(index) && m_entries[index].key == key;
  }

  std::uint32_t take_free_entry(const H256& key, V&& value) {
    if (!m_free.empty()) {
      const std::uint32_t index = m_free.back();
      m_free.pop_back();
      m_entries[index].key = key;
      m_entries[index].value = std::move(value);
      set_live(index, true);
      return index;
    }
    if (m_entries.size() >= empty_slot) fault("node store map exceeds 2^32 - 1 entries");
    const std::size_t index = m_entries.size();
    m_entries.push_back(Entry{key, std::move(value)});
    if (index % 64 == 0) m_live.push_back(0);
    set_live(index, true);
    return static_cast<std::uint32_t>(index);
  }

  // Removes the slot of `position` by shifting the rest of its probe run back (no tombstones).
  void erase_unchecked(Position position) {
    std::size_t hole = position.tag & mask();
    while (m_slots[hole].entry != position.entry) hole = (hole + 1) & mask();
    for (std::size_t next = (hole + 1) & mask(); m_slots[next].entry != empty_slot;
         next = (next + 1) & mask()) {
      const std::size_t home = m_slots[next].tag & mask();
      // The entry at `next` may move back into the hole unless its home lies cyclically in (hole, next].
      if (((next - home) & mask()) >= ((next - hole) & mask())) {
        m_slots[hole] = m_slots[next];
        hole = next;
      }
    }
    m_slots[hole] = Slot{};
    --m_size;
    if (m_size == 0) {
      // Empty again: drop every entry; the seed and the slot array stay.
      m_entries.clear();
      m_live.clear();
      m_free.clear();
      return;
    }
    // Release what the value owns now; a trivial value is just overwritten on reuse.
    if constexpr (!std::is_trivially_destructible_v<V>) m_entries[position.entry].value = V();
    set_live(position.entry, false);
    m_free.push_back(position.entry);
  }

  void grow() {
    const std::size_t capacity = m_slots.empty() ? 16 : 2 * m_slots.size();
    if (capacity > (std::size_t{1} << 32)) fault("node store map exceeds 2^32 slots");
    std::vector<Slot, HugePageAllocator<Slot>> old = std::exchange(m_slots, decltype(m_slots)(capacity));
    m_mask = capacity - 1;
    for (const Slot& slot : old) {
      if (slot.entry == empty_slot) continue;
      std::size_t target = slot.tag & mask();
      while (m_slots[target].entry != empty_slot) target = (target + 1) & mask();
      m_slots[target] = slot;
    }
  }

  std::array<std::uint64_t, 4> m_seed;
  std::vector<Slot, HugePageAllocator<Slot>> m_slots;
  std::vector<Entry, HugePageAllocator<Entry>> m_entries;
  std::vector<std::uint64_t> m_live;  // bit i % 64 of word i / 64: entry i is live
  std::vector<std::uint32_t> m_free;
  std::size_t m_size = 0;
  std::size_t m_mask = 0;  // slot count - 1; 0 while there are no slots
};

}  // namespace qzr::tree
