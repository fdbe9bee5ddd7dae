#include "solver/band_llt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "common/status.h"
#include "solver/grid_system.h"

extern "C" void dpbtrf_(const char* uplo, const int* n, const int* kd, double* ab, const int* ldab, int* info);

namespace bsp {
namespace {

using Vec = std::vector<double>;

// Random SPD band by diagonal dominance; fill < 1 zeroes that share of the off-diagonals; with
// `profile` each row starts at a random column in the band, as a renumbered mesh's does.
Vec random_spd_band(std::int64_t n, std::int64_t kd, std::uint32_t seed, double fill, bool profile) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0), coin(0.0, 1.0);
  std::uniform_int_distribution<std::int64_t> width(0, kd);
  const std::int64_t ld = kd + 1;
  Vec a(ld * n, 0.0), rowsum(n, 0.0);
  std::vector<std::int64_t> first(n);
  for (std::int64_t i = 0; i < n; ++i) first[i] = profile ? std::max<std::int64_t>(0, i - width(rng)) : i - kd;
  for (std::int64_t j = 0; j < n; ++j)
    for (std::int64_t i = j + 1; i <= std::min(n - 1, j + kd); ++i) {
      if (j < first[i] || coin(rng) > fill) continue;
      a[j * ld + i - j] = u(rng);
      rowsum[i] += std::abs(a[j * ld + i - j]);
      rowsum[j] += std::abs(a[j * ld + i - j]);
    }
  for (std::int64_t j = 0; j < n; ++j) a[j * ld] = rowsum[j] + 1.0 + coin(rng);
  return a;
}

// A x for the symmetric band A in lower storage.
Vec band_times(std::int64_t n, std::int64_t kd, const Vec& a, const Vec& x) {
  Vec y(n, 0.0);
  for (std::int64_t j = 0; j < n; ++j)
    for (std::int64_t i = j; i <= std::min(n - 1, j + kd); ++i) {
      y[i] += a[j * (kd + 1) + i - j] * x[j];
      if (i != j) y[j] += a[j * (kd + 1) + i - j] * x[i];
    }
  return y;
}

// Around the kernels' blocking: bands narrower and wider than a block, full, orders off a block
// multiple; the widest let the parallel routine share work, the last is past panel doubling.
const struct {
  std::int64_t n, kd;
} kShapes[] = {{1, 0},    {2, 1},     {7, 3},   {40, 39},  {31, 5},    {200, 17}, {130, 32},
               {257, 64}, {300, 100}, {97, 96}, {500, 150}, {700, 230}, {64, 0},   {650, 420}};

// The SPD factor is unique: LAPACK dpbtrf pins it, serial and with 1 to 3 threads. Its exact
// zeros left of a row's first non-zero stay exact: zero skipping and memory estimate rely on it.
TEST(BandLlt, FactorMatchesLapackAndSolvesTheSystem) {
  for (const auto& s : kShapes) {
    for (const bool profile : {false, true}) {
      SCOPED_TRACE(testing::Message() << s.n << " " << s.kd << " profile " << profile);
      const std::int64_t ld = s.kd + 1;
      const Vec a = random_spd_band(s.n, s.kd, static_cast<std::uint32_t>(s.n * 31 + s.kd), 0.8, profile);
      Vec ref = a;
      const int n32 = static_cast<int>(s.n), kd32 = static_cast<int>(s.kd), ld32 = kd32 + 1;
      int info = -1;
      dpbtrf_("L", &n32, &kd32, ref.data(), &ld32, &info);
      ASSERT_EQ(info, 0);
      for (const int threads : {0, 1, 2, 3}) {
        Vec l = a;
        threads == 0 ? BAND_LLT_DECOMP(s.n, s.kd, l.data()) : BAND_LLT_DECOMP_PARALLEL(s.n, ld, l.data(), threads);
        for (std::int64_t j = 0; j < s.n; ++j)
          for (std::int64_t r = 0; r <= std::min(s.kd, s.n - 1 - j); ++r) {
            const double expected = ref[j * ld + r];
            // Backward stable: ~kd ulps of the diagonal (1e-12 covers kd = 420).
            ASSERT_NEAR(l[j * ld + r], expected, expected == 0.0 ? 0.0 : 1e-12 * ref[j * ld])
                << "t" << threads << " " << j << "," << r;
          }
      }
      // A second right-hand side with a zero lead (the forward skip): bitwise as solved alone.
      Vec x(s.n);
      for (std::int64_t i = 0; i < s.n; ++i) x[i] = std::sin(1.0 + 0.7 * static_cast<double>(i));
      Vec b = band_times(s.n, s.kd, a, x), second(x.rbegin(), x.rend());
      second[0] = 0.0;
      b.insert(b.end(), second.begin(), second.end());
      BAND_LLT_SOLVE(s.n, 2, s.kd, ref.data(), b.data());
      BAND_LLT_SOLVE(s.n, 1, s.kd, ref.data(), second.data());
      for (std::int64_t i = 0; i < s.n; ++i) ASSERT_NEAR(b[i], x[i], 1e-13) << i;  // cond(A) < ~3, |x| <= 1
      EXPECT_EQ(Vec(b.begin() + s.n, b.end()), second);
    }
  }
}

// Ten free Laplace chains of 37 nodes across the kernels' blocks, in a wide band: each last pivot
// is exactly 0; an isolated last node has -3. Each is floored, L L^T = A but for band_pivot_floor
// there, and the floored -3 gives L = 1e-6, x = 1e12 for a unit load.
TEST(BandLlt, FloorsEveryZeroOrNegativePivot) {
  const std::int64_t chain = 37, n = chain * 10 + 1, kd = 70, ld = kd + 1;
  Vec a(ld * n, 0.0);
  for (std::int64_t j = 0; j + 1 < n; ++j) {
    const std::int64_t local = j % chain;
    a[j * ld] = (local == 0 || local == chain - 1) ? 1.0 : 2.0;
    if (local + 1 < chain) a[j * ld + 1] = -1.0;
  }
  a[(n - 1) * ld] = -3.0;
  for (const int threads : {1, 2}) {
    Vec l = a;
    threads < 2 ? BAND_LLT_DECOMP(n, kd, l.data()) : BAND_LLT_DECOMP_PARALLEL(n, ld, l.data(), threads);
    for (std::int64_t j = 0; j < n; ++j) {
      const bool floored = j % chain == chain - 1 || j == n - 1;
      EXPECT_EQ(l[j * ld], floored ? std::sqrt(band_pivot_floor) : 1.0) << j;  // all other pivots are exactly 1
      for (std::int64_t i = j; i <= std::min(n - 1, j + kd); ++i) {
        double s = 0.0;
        for (std::int64_t k = std::max<std::int64_t>(0, i - kd); k <= j; ++k) s += l[k * ld + i - k] * l[k * ld + j - k];
        // Integer entries are exact; sqrt(floor)^2 rounds back to the floor.
        const double expected = j == n - 1 ? band_pivot_floor : a[j * ld + i - j] + (i == j && floored ? band_pivot_floor : 0.0);
        EXPECT_EQ(s, expected) << i << "," << j;
      }
    }
    Vec b(n, 0.0);
    b[n - 1] = 1.0;
    BAND_LLT_SOLVE(n, 1, kd, l.data(), b.data());
    EXPECT_NEAR(b[n - 1], 1e12, 1e12 * 4 * std::numeric_limits<double>::epsilon());  // two roundings of 1e-6
  }
}

// n <= 0, kd < 0 or nrhs = 0 is no system at all.
TEST(BandLlt, EmptySystemTouchesNothing) {
  Vec a = {7.0, -1.0}, b = {3.0};
  for (const std::int64_t n : {0, -1}) {
    BAND_LLT_DECOMP(n, 1, a.data());
    BAND_LLT_DECOMP_PARALLEL(n, 2, a.data(), 2);
    BAND_LLT_SOLVE(n, 1, 1, a.data(), b.data());
  }
  BAND_LLT_SOLVE(1, 0, 0, a.data(), b.data());
  BAND_LLT_DECOMP(1, -1, a.data());
  BAND_LLT_DECOMP_PARALLEL(1, 0, a.data(), 2);
  BAND_LLT_SOLVE(1, 1, -1, a.data(), b.data());
  EXPECT_EQ(a, (Vec{7.0, -1.0}));
  EXPECT_EQ(b, (Vec{3.0}));
}

// A renumbered grid's profile (band_factor_reach) is far inside the band at its ends: no fill
// below it, and leaving its exact zeros out changes no bit of the solution.
TEST(BandLlt, ProfileSolveEqualsTheWholeBandSolveBitForBit) {
  const test::Pattern p = test::quad_grid(15);
  BandSystem sys = test::assemble(p, 5, 1e-2).band;
  const std::int64_t n = sys.n, kd = sys.kd;
  BAND_LLT_DECOMP(n, kd, sys.band.data());
  const std::vector<std::int64_t> reach = band_factor_reach(n, p.npe, p.elements(), p.conn.data());
  std::int64_t inside = 0;
  for (std::int64_t j = 0; j < n; ++j) {
    for (std::int64_t i = reach[j] + 1; i <= std::min(n - 1, j + kd); ++i) ASSERT_EQ(sys.at(i, j), 0.0) << i << "," << j;
    inside += reach[j] - j;
  }
  EXPECT_LT(inside, kd * n * 9 / 10);  // the profile really is narrower than the band
  Vec b(static_cast<std::size_t>(3 * n));
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = i % 17 == 0 ? 0.0 : std::sin(0.1 * static_cast<double>(i));
  Vec whole = b, profile = b;
  BAND_LLT_SOLVE(n, 3, kd, sys.band.data(), whole.data());
  BAND_LLT_SOLVE(n, 3, kd, sys.band.data(), profile.data(), reach);
  EXPECT_EQ(profile, whole);
}

// A mapped band (800 KB) comes zero from a fresh mapping, even after one written all over. A
// rejected size, past the address space too, is a clean error leaving the system as it was.
TEST(BandSystem, AllocateZeroesAndRejectsImpossibleSizes) {
  BandSystem sys;
  for (const std::int64_t n : {50000, 50000, 4}) {
    sys.allocate(n, 1);
    EXPECT_TRUE(std::all_of(sys.band.begin(), sys.band.end(), [](double v) { return v == 0.0; })) << n;
    EXPECT_FALSE(sys.factorised);
    std::fill(sys.band.begin(), sys.band.end(), 1.0);
    sys.factorised = true;
  }
  for (const auto& [n, kd] : {std::pair<std::int64_t, std::int64_t>{-1, 0}, {1, -1}, {std::int64_t{1} << 40, std::int64_t{1} << 30},
                              {2, std::numeric_limits<std::int64_t>::max()}}) {
    try {
      sys.allocate(n, kd);
      ADD_FAILURE() << n << " " << kd << " accepted";
    } catch (const CallError& e) {
      EXPECT_EQ(e.status(), Status::solver_error);
    }
  }
  EXPECT_EQ(sys.n, 4);
}

}  // namespace
}  // namespace bsp
