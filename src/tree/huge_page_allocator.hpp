// An allocator for the node store's large arrays: blocks of 2 MiB and more are aligned to 2 MiB
// and marked for transparent huge pages, so that random lookups in a large tree do not pay a page
// walk for nearly every access. Smaller blocks come from operator new.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

namespace qzr::tree {

// Maps `bytes` (at least huge_page_size) rounded up to whole huge pages, aligned to a huge page,
// with the huge-page hint given; throws std::bad_alloc when the mapping fails, like any allocation.
// free_huge_block takes the same size.
void* allocate_huge_block(std::size_t bytes);
void free_huge_block(void* block, std::size_t bytes) noexcept;

inline constexpr std::size_t huge_page_size = std::size_t{2} << 20;

template <class T>
struct HugePageAllocator {
  using value_type = T;

  HugePageAllocator() = default;
  template <class U>
  HugePageAllocator(const HugePageAllocator<U>&) noexcept {}

  T* allocate(std::size_t count) {
    if (count > SIZE_MAX / sizeof(T)) throw std::bad_array_new_length();
    const std::size_t bytes = count * sizeof(T);
    if (bytes < huge_page_size) return static_cast<T*>(::operator new (bytes, std::align_val_t{alignof(T)}));
    return static_cast<T*>(allocate_huge_block(bytes));
  }
  void deallocate(T* block, std::size_t count) noexcept {
    if (count * sizeof(T) < huge_page_size) {
      ::operator delete (block, std::align_val_t{alignof(T)});
    } else {
      free_huge_block(block, count * sizeof(T));
    }
  }

  template <class U>
  friend bool operator==(const HugePageAllocator&, const HugePageAllocator<U>&) noexcept {
    return true;
  }
};

}  // namespace qzr::tree
