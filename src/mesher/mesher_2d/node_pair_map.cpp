#include "mesher/mesher_2d/node_pair_map.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>

namespace mesher_2d {

namespace {

// The table is kept at most half full, so a probe sequence stays short.
constexpr std::size_t max_load_divisor = 2;
constexpr std::size_t min_slots = 64;

// 64-bit finaliser of MurmurHash3 (public domain): spreads pointer bits,
// whose low bits are zero by alignment, over the whole word.
std::uint64_t mix(std::uint64_t k) noexcept {
  k ^= k >> 33;
  k *= 0xff51afd7ed558ccdULL;
  k ^= k >> 33;
  k *= 0xc4ceb9fe1a85ec53ULL;
  k ^= k >> 33;
  return k;
}

}  // namespace

Node_Pair_Map::Node_Pair_Map(std::size_t expected_size)
    : slots_(std::bit_ceil(std::max(min_slots, max_load_divisor * expected_size + 1))) {}

std::size_t Node_Pair_Map::home(const data_2d::Node* a, const data_2d::Node* b) const noexcept {
  const auto ka = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(a));
  const auto kb = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(b));
  return static_cast<std::size_t>(mix(ka ^ mix(kb + 0x9e3779b97f4a7c15ULL))) & (slots_.size() - 1);
}

const std::uint32_t* Node_Pair_Map::find(const data_2d::Node* a, const data_2d::Node* b) const noexcept {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = home(a, b);; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.a == nullptr) return nullptr;
    if (slot.a == a && slot.b == b) return &slot.value;
  }
}

bool Node_Pair_Map::insert(const data_2d::Node* a, const data_2d::Node* b, std::uint32_t value) {
  if (max_load_divisor * (size_ + 1) > slots_.size()) grow();
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = home(a, b);; i = (i + 1) & mask) {
    Slot& slot = slots_[i];
    if (slot.a == nullptr) {
      slot = {a, b, value};
      ++size_;
      return true;
    }
    if (slot.a == a && slot.b == b) return false;
  }
}

void Node_Pair_Map::grow() {
  std::vector<Slot> old(2 * slots_.size());
  std::swap(old, slots_);
  size_ = 0;
  for (const Slot& slot : old) {
    if (slot.a != nullptr) insert(slot.a, slot.b, slot.value);
  }
}

}  // namespace mesher_2d
