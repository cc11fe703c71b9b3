// Huge-page blocks: mapped directly (so freeing one returns it to the system at once, and no heap
// fragments stay resident), aligned to a huge page, with the madvise hint.
#include "tree/huge_page_allocator.hpp"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace qzr::tree {
namespace {

std::size_t rounded_to_huge_pages(std::size_t bytes) {
  return (bytes + huge_page_size - 1) / huge_page_size * huge_page_size;
}

}  // namespace

void* allocate_huge_block(std::size_t bytes) {
  const std::size_t size = rounded_to_huge_pages(bytes);
  // Map one huge page more than needed and unmap the unaligned head and the tail.
  void* mapped =
      mmap(nullptr, size + huge_page_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  // Like any allocation of the process: the frame's guard reports exhaustion and aborts.
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  // NOLINTBEGIN(performance-no-int-to-ptr): addresses of one mapping, trimmed to huge-page alignment
  const std::uintptr_t aligned = (start + huge_page_size - 1) / huge_page_size * huge_page_size;
  if (aligned > start) munmap(mapped, aligned - start);
  const std::size_t tail = start + size + huge_page_size - (aligned + size);
  if (tail > 0) munmap(reinterpret_cast<void*>(aligned + size), tail);
  // Only a hint: without transparent huge pages the block works the same.
  (void)madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(aligned);
  // NOLINTEND(performance-no-int-to-ptr)
}

void free_huge_block(void* block, std::size_t bytes) noexcept { munmap(block, rounded_to_huge_pages(bytes)); }

}  // namespace qzr::tree
