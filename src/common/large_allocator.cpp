#include "common/large_allocator.h"

#include <cstdint>
#include <cstdlib>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/mman.h>
#define BSP_LARGE_BY_MMAP 1
#endif

namespace bsp {

static_assert(alignof(std::max_align_t) <= huge_page_size);
static_assert((huge_page_size & (huge_page_size - 1)) == 0, "a power of two");

namespace {

// Bytes a large block occupies: whole huge pages. The sum wraps only for a
// size no allocation could have had.
std::size_t rounded_size_noexcept(std::size_t bytes) noexcept {
  return (bytes + (huge_page_size - 1)) & ~(huge_page_size - 1);
}
std::size_t rounded_size(std::size_t bytes) {
  const std::size_t rounded = rounded_size_noexcept(bytes);
  if (rounded < bytes) throw std::bad_alloc();
  return rounded;
}

}  // namespace

#if defined(BSP_LARGE_BY_MMAP)

// Large blocks are mapped directly, not taken from malloc: the allocator's
// heap may hand out memory that it has just returned to the system (and that
// faults again page by page), and its advice would be lost when the heap is
// trimmed. A mapping is aligned by over-mapping one huge page and unmapping
// the ends.
void* allocate_large(std::size_t bytes) {
  if (bytes < large_allocation_threshold) return ::operator new(bytes);
  const std::size_t size = rounded_size(bytes);
  const std::size_t span = size + huge_page_size;
  if (span < size) throw std::bad_alloc();
  void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  const auto begin = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = (begin + (huge_page_size - 1)) & ~std::uintptr_t{huge_page_size - 1};
  const std::size_t head = aligned - begin, tail = span - head - size;
  if (head > 0) ::munmap(raw, head);
  if (tail > 0) ::munmap(reinterpret_cast<void*>(aligned + size), tail);
#if defined(MADV_HUGEPAGE)
  // Advice only: where huge pages are off the block works with ordinary ones.
  (void)::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
#endif
  return reinterpret_cast<void*>(aligned);
}

void release_large(void* p, std::size_t bytes) noexcept {
  if (p == nullptr) return;
  if (bytes < large_allocation_threshold) {
    ::operator delete(p);
    return;
  }
  ::munmap(p, rounded_size_noexcept(bytes));
}

bool large_allocation_arrives_zeroed(std::size_t bytes) noexcept { return bytes >= large_allocation_threshold; }

void map_for_writing(void* p, std::size_t bytes) noexcept {
#if defined(MADV_POPULATE_WRITE)
  // Advice only: an older kernel refuses it and the writes fault as usual.
  if (p != nullptr && bytes >= large_allocation_threshold)
    (void)::madvise(p, rounded_size_noexcept(bytes), MADV_POPULATE_WRITE);
#else
  (void)p;
  (void)bytes;
#endif
}

#else

void* allocate_large(std::size_t bytes) {
  if (bytes < large_allocation_threshold) return ::operator new(bytes);
  void* p = _aligned_malloc(rounded_size(bytes), huge_page_size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void release_large(void* p, std::size_t bytes) noexcept {
  if (p == nullptr) return;
  if (bytes < large_allocation_threshold)
    ::operator delete(p);
  else
    _aligned_free(p);
}

bool large_allocation_arrives_zeroed(std::size_t) noexcept { return false; }

void map_for_writing(void*, std::size_t) noexcept {}

#endif

}  // namespace bsp
