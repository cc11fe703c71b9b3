// Huge-page blocks: aligned_alloc and the madvise hint.
#include "tree/huge_page_allocator.hpp"

#include <sys/mman.h>

#include <cstdlib>

#include "core/fault.hpp"

namespace qzr::tree {

void* allocate_huge_block(std::size_t bytes) {
  const std::size_t rounded = (bytes + huge_page_size - 1) / huge_page_size * huge_page_size;
  void* block = std::aligned_alloc(huge_page_size, rounded);
  if (!block) abort_on_allocation_failure(rounded);
  // Only a hint: without transparent huge pages the block works the same.
  (void)madvise(block, rounded, MADV_HUGEPAGE);
  return block;
}

void free_huge_block(void* block) noexcept { std::free(block); }

}  // namespace qzr::tree
