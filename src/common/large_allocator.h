// Allocator for the solver's few arrays that grow with the mesh: the band
// matrix of a domain and the element table. On the virtual machines the
// library runs on, the first touch of each 4 KiB page costs microseconds,
// which for a band of a few hundred megabytes is more than its factorisation,
// and for the work arrays of renumbering and merging more than their work.
// Blocks of large_allocation_threshold bytes and more are therefore mapped
// in whole huge pages, on huge-page boundaries and marked for transparent
// huge pages, so that one fault maps 2 MiB; smaller blocks come from operator
// new as usual.
//
// Stateless and interchangeable: any instance frees what any other
// allocated, so containers using it move and swap like plain ones. Failure
// throws std::bad_alloc, as operator new does.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

namespace bsp {

// 2 MiB: the huge page size of x86-64 and the common arm64 configuration.
inline constexpr std::size_t huge_page_size = std::size_t{2} << 20;

// 128 KiB: the size from which the C library's malloc maps a block of its
// own (glibc's default M_MMAP_THRESHOLD), so that below it blocks come from
// the reused heap without faults. From it on, 32 small-page faults (about
// 0.35 ms on the machines measured, at 11 us each) cost more than one
// huge-page fault that clears 2 MiB (under 0.1 ms).
inline constexpr std::size_t large_allocation_threshold = std::size_t{128} << 10;

// std::vector whose large buffers are mapped as above; for work arrays that
// grow with the mesh.
template <class T>
struct LargeAllocator;
template <class T>
using LargeVector = std::vector<T, LargeAllocator<T>>;

// Raw storage of `bytes` bytes (any size, 0 included), aligned at least like
// operator new's result. Throws std::bad_alloc. Release with the same size.
void* allocate_large(std::size_t bytes);
void release_large(void* p, std::size_t bytes) noexcept;

// True when allocate_large(bytes) hands out a fresh mapping, which the system
// has filled with zeros: a caller that wants zeros need not write them again.
bool large_allocation_arrives_zeroed(std::size_t bytes) noexcept;

// Maps the pages of a block from allocate_large(bytes) ahead of their first
// write, where the system can (Linux 5.14 on), so that the calling thread
// takes the faults and the clearing of fresh pages instead of whichever
// thread writes them first. The contents do not change: other threads may
// read and write the block meanwhile. Does nothing to a small block.
void map_for_writing(void* p, std::size_t bytes) noexcept;

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

// LargeAllocator whose containers default-initialise: resize() of a vector of
// doubles leaves the new elements as the memory holds them. For the band,
// whose fresh mapping is already zero, so that it is not written twice, for
// the element table, whose records are filled right after construction, and
// for work arrays written whole before they are read.
template <class T>
struct UninitialisedLargeAllocator : LargeAllocator<T> {
  template <class U>
  struct rebind {
    using other = UninitialisedLargeAllocator<U>;
  };
  UninitialisedLargeAllocator() = default;
  template <class U>
  UninitialisedLargeAllocator(const UninitialisedLargeAllocator<U>&) noexcept {}

  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(static_cast<Args&&>(args)...);
  }
};

}  // namespace bsp
