// Allocator for the solver's few arrays that grow with the mesh: the band
// matrix of a domain and the element table. On the virtual machines the
// library runs on, the first touch of each 4 KiB page costs microseconds,
// which for a band of a few hundred megabytes is more than its factorisation.
// Blocks of large_allocation_threshold bytes and more are therefore placed on
// 2 MiB boundaries and marked for transparent huge pages, so that one fault
// maps 2 MiB; smaller blocks come from operator new as usual.
//
// Stateless and interchangeable: any instance frees what any other
// allocated, so containers using it move and swap like plain ones. Failure
// throws std::bad_alloc, as operator new does.
#pragma once

#include <cstddef>
#include <new>

namespace bsp {

// 2 MiB: the huge page size of x86-64 and the common arm64 configuration.
// Below it a block could not fill one huge page, and the alignment would waste
// more than the block.
inline constexpr std::size_t large_allocation_threshold = std::size_t{2} << 20;

// Raw storage of `bytes` bytes (any size, 0 included), aligned at least like
// operator new's result. Throws std::bad_alloc. Release with the same size.
void* allocate_large(std::size_t bytes);
void release_large(void* p, std::size_t bytes) noexcept;

template <class T>
struct LargeAllocator {
  using value_type = T;

  LargeAllocator() = default;
  template <class U>
  LargeAllocator(const LargeAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(allocate_large(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept { release_large(p, n * sizeof(T)); }

  template <class U>
  bool operator==(const LargeAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace bsp
