// Turns a fuzzer's bytes into the values of one call: counts and indices now and then just
// outside their range or negative, reals mostly ordinary with hostile ones (NaN, infinities, zero,
// tiny, huge, subnormal, any bit pattern) mixed in. Past the last byte every value is 0.
#pragma once

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <vector>

#include "bsp/bsp.h"

namespace bsp::fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }

  // An integer in lo..hi (inclusive); lo when the range is empty.
  std::int32_t in(std::int32_t lo, std::int32_t hi) {
    if (hi <= lo) return lo;
    const std::uint32_t span = static_cast<std::uint32_t>(hi - lo) + 1;
    std::uint32_t v = byte();
    if (span > 256) v = v << 8 | byte();
    return lo + static_cast<std::int32_t>(v % span);
  }

  // A count or an index: usually lo..hi, else one past either end or the smallest int32 (not the
  // largest: a count that large would promise arrays no harness can allocate).
  std::int32_t index(std::int32_t lo, std::int32_t hi) {
    switch (byte() % 16) {
      case 0: return lo - 1;
      case 1: return hi + 1;
      case 2: return std::numeric_limits<std::int32_t>::min();
      default: return in(lo, hi);
    }
  }
  // An index into an array the call cannot size (node and point numbers).
  std::int32_t wild_index(std::int32_t lo, std::int32_t hi) {
    return byte() % 32 == 0 ? std::numeric_limits<std::int32_t>::max() : index(lo, hi);
  }

  // A small multiple of `unit` most of the time, else a hostile value.
  double real(double unit = 1.0) {
    switch (byte() % 24) {
      case 0: return std::numeric_limits<double>::quiet_NaN();
      case 1: return std::numeric_limits<double>::infinity();
      case 2: return -std::numeric_limits<double>::infinity();
      case 3: return 0.0;
      case 4: return 1e-300 * unit;
      case 5: return std::numeric_limits<double>::denorm_min();
      case 6: return 1e300;
      case 7: return -1e-6 * unit;
      case 8: return 1e6 * unit;
      case 9: {
        std::uint64_t bits = 0;
        for (int k = 0; k < 8; ++k) bits = bits << 8 | byte();
        return std::bit_cast<double>(bits);
      }
      default: return unit * (in(-64, 64) / 4.0);
    }
  }

  // `ordinary` unless the next byte says otherwise (moduli, Poisson ratios).
  double mostly(double ordinary) { return byte() % 8 == 0 ? real(ordinary) : ordinary; }

  std::vector<double> reals(std::size_t n, double unit = 1.0) {
    std::vector<double> v(n);
    for (double& x : v) x = real(unit);
    return v;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// Output arrays sized as documented, guarded on both sides. The targets trap on what no input may
// cause: a write outside an array, a failure that leaves a non-zero output, a non-finite success.
class Outputs {
 public:
  void expect(bool ok) const {
    check();
    for (std::size_t b = 0; b < blocks_.size(); ++b)
      for (std::size_t i = 0; i < sizes_[b]; ++i) {
        const double v = blocks_[b][guard + i];
        if (ok ? !std::isfinite(v) : v != 0.0) {
          std::fprintf(stderr, "%s: output %zu[%zu] = %g; last error: %s\n", ok ? "success" : "failure", b, i, v,
                       BSPLastError());
          __builtin_trap();
        }
      }
  }
  double* array(std::size_t n) {
    blocks_.emplace_back(n + 2 * guard, marker);
    sizes_.push_back(n);
    return blocks_.back().data() + guard;
  }
  double at(std::size_t block, std::size_t i) const { return blocks_[block][guard + i]; }
  static bool untouched(double v) { return v == marker; }
  void check() const {
    for (std::size_t b = 0; b < blocks_.size(); ++b)
      for (std::size_t i = 0; i < guard; ++i)
        if (blocks_[b][i] != marker || blocks_[b][guard + sizes_[b] + i] != marker) __builtin_trap();
  }

 private:
  static constexpr std::size_t guard = 4;
  static constexpr double marker = -31.25;
  std::vector<std::vector<double>> blocks_;
  std::vector<std::size_t> sizes_;
};

}  // namespace bsp::fuzz
