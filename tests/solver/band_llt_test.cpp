#include "solver/band_llt.h"
#include "solver/rcm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "common/status.h"

namespace bsp {
namespace {

using Vec = std::vector<double>;

// Dense symmetric matrix, column-major, n x n.
struct Dense {
  std::int64_t n;
  Vec v;
  double& operator()(std::int64_t i, std::int64_t j) { return v[j * n + i]; }
  double operator()(std::int64_t i, std::int64_t j) const { return v[j * n + i]; }
};

Dense band_to_dense(std::int64_t n, std::int64_t kd, const Vec& band) {
  Dense d{n, Vec(n * n, 0.0)};
  for (std::int64_t j = 0; j < n; ++j)
    for (std::int64_t i = j; i <= std::min(n - 1, j + kd); ++i) d(i, j) = d(j, i) = band[j * (kd + 1) + i - j];
  return d;
}

// Frobenius norm of L*L^T - A over the band (the full lower triangle of the
// product; entries outside the band must come out zero too) relative to ||A||.
double reconstruction_error(std::int64_t n, std::int64_t kd, const Vec& a, const Vec& l) {
  const Dense da = band_to_dense(n, kd, a);
  Dense dl{n, Vec(n * n, 0.0)};
  for (std::int64_t j = 0; j < n; ++j)
    for (std::int64_t i = j; i <= std::min(n - 1, j + kd); ++i) dl(i, j) = l[j * (kd + 1) + i - j];
  double err = 0.0, norm = 0.0;
  for (std::int64_t j = 0; j < n; ++j)
    for (std::int64_t i = j; i < n; ++i) {
      double s = 0.0;
      for (std::int64_t k = std::max<std::int64_t>(0, i - kd); k <= j; ++k) s += dl(i, k) * dl(j, k);
      err += (s - da(i, j)) * (s - da(i, j));
      norm += da(i, j) * da(i, j);
    }
  return std::sqrt(err / norm);
}

// Random symmetric band matrix made positive definite by diagonal dominance.
// fill < 1 zeroes that share of off-diagonal entries; profile_start(j) > 0
// zeroes the leading part of each row, as a renumbered mesh matrix has.
Vec random_spd_band(std::int64_t n, std::int64_t kd, std::uint32_t seed, double fill = 1.0, bool profile = false) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::uniform_real_distribution<double> coin(0.0, 1.0);
  std::uniform_int_distribution<std::int64_t> width(0, kd);
  const std::int64_t ld = kd + 1;
  Vec a(ld * n, 0.0);
  std::vector<std::int64_t> first(n);
  for (std::int64_t i = 0; i < n; ++i) first[i] = profile ? std::max<std::int64_t>(0, i - width(rng)) : i - kd;
  Vec rowsum(n, 0.0);
  for (std::int64_t j = 0; j < n; ++j)
    for (std::int64_t i = j + 1; i <= std::min(n - 1, j + kd); ++i) {
      if (j < first[i] || coin(rng) > fill) continue;
      const double x = u(rng);
      a[j * ld + i - j] = x;
      rowsum[i] += std::abs(x);
      rowsum[j] += std::abs(x);
    }
  for (std::int64_t j = 0; j < n; ++j) a[j * ld] = rowsum[j] + 1.0 + coin(rng);
  return a;
}

struct Shape {
  std::int64_t n, kd;
};

// Sizes around the blocking of the kernels: bands narrower and wider than a
// block, full bands (kd = n - 1), orders that are not multiples of a block;
// the widest are wide enough for the parallel routine to share work, and the
// last band is past the width where panels double.
const Shape kShapes[] = {{1, 0},    {2, 1},    {7, 3},     {40, 39},   {31, 5},    {200, 17}, {130, 32},
                         {257, 64}, {300, 100}, {97, 96}, {500, 150}, {700, 230}, {64, 0},   {650, 420}};

// The factor of an SPD matrix is unique, so L L^T = A pins it; the parallel
// routine must give the same factor for 1 to 3 threads.
TEST(BandLlt, SerialAndParallelFactorsReconstructTheMatrix) {
  for (const auto& s : kShapes) {
    for (const bool profile : {false, true}) {
      const Vec a = random_spd_band(s.n, s.kd, static_cast<std::uint32_t>(s.n * 31 + s.kd), 0.8, profile);
      Vec serial = a;
      BAND_LLT_DECOMP(s.n, s.kd, serial.data());
      // Backward stability of Cholesky: the error is bounded by ~kd * eps *
      // ||A|| (up to 1e-13 at kd = 420) and is ~sqrt(kd) * eps in practice.
      EXPECT_LE(reconstruction_error(s.n, s.kd, a, serial), 1e-13) << s.n << " " << s.kd << " profile " << profile;
      for (const int threads : {1, 2, 3}) {
        Vec parallel = a;
        BAND_LLT_DECOMP_PARALLEL(s.n, s.kd + 1, parallel.data(), threads);
        for (std::int64_t j = 0; j < s.n; ++j)
          for (std::int64_t r = 0; r <= std::min(s.kd, s.n - 1 - j); ++r)
            // Only the summation order differs; the factor of a well
            // conditioned matrix moves by a few ulps of its diagonal.
            ASSERT_NEAR(serial[j * (s.kd + 1) + r], parallel[j * (s.kd + 1) + r], 1e-12 * serial[j * (s.kd + 1)])
                << s.n << " " << s.kd << " t" << threads << " " << j << "," << r;
      }
    }
  }
}

TEST(BandLlt, FillStaysInsideTheProfile) {
  // Entries left of a row's first non-zero stay exactly zero in the factor:
  // the zero skipping relies on it and the solver's memory estimate too.
  const std::int64_t n = 400, kd = 90;
  const Vec a = random_spd_band(n, kd, 5, 1.0, true);
  Vec l = a;
  BAND_LLT_DECOMP(n, kd, l.data());
  for (std::int64_t i = 0; i < n; ++i) {
    std::int64_t first = i;
    for (std::int64_t j = std::max<std::int64_t>(0, i - kd); j < i; ++j)
      if (a[j * (kd + 1) + i - j] != 0.0) {
        first = j;
        break;
      }
    for (std::int64_t j = std::max<std::int64_t>(0, i - kd); j < first; ++j)
      ASSERT_EQ(l[j * (kd + 1) + i - j], 0.0) << i << "," << j;
  }
}

TEST(BandLlt, SolvesToTheDenseSolution) {
  for (const auto& s : kShapes) {
    const Vec a = random_spd_band(s.n, s.kd, 99, 0.7, true);
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    Vec x_true(s.n);
    for (auto& x : x_true) x = u(rng);
    const Dense da = band_to_dense(s.n, s.kd, a);
    Vec b(s.n, 0.0);
    for (std::int64_t i = 0; i < s.n; ++i)
      for (std::int64_t j = 0; j < s.n; ++j) b[i] += da(i, j) * x_true[j];
    Vec l = a;
    BAND_LLT_DECOMP(s.n, s.kd, l.data());
    BAND_LLT_SOLVE(s.n, 1, s.kd, l.data(), b.data());
    for (std::int64_t i = 0; i < s.n; ++i)
      // cond(A) < ~3 for these diagonally dominant matrices; |x| <= 1.
      EXPECT_NEAR(b[i], x_true[i], 1e-13) << s.n << " " << s.kd << " " << i;
  }
}

TEST(BandLlt, SeveralRightHandSidesEqualOneAtATime) {
  const std::int64_t n = 120, kd = 20, nrhs = 4;
  Vec l = random_spd_band(n, kd, 8);
  BAND_LLT_DECOMP(n, kd, l.data());
  std::mt19937 rng(1);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  Vec b(n * nrhs);
  for (auto& x : b) x = u(rng);
  b[5] = 0.0;  // a zero forward value exercises the skip in one column only
  Vec together = b;
  BAND_LLT_SOLVE(n, nrhs, kd, l.data(), together.data());
  for (std::int64_t c = 0; c < nrhs; ++c) {
    Vec one(b.begin() + c * n, b.begin() + (c + 1) * n);
    BAND_LLT_SOLVE(n, 1, kd, l.data(), one.data());
    for (std::int64_t i = 0; i < n; ++i)
      EXPECT_EQ(together[c * n + i], one[i]) << c << " " << i;  // same operations per column: bitwise equal
  }
}

// A = [-3]: the pivot is floored to 1e-12, L = 1e-6, x = 1 / 1e-12. (Zero
// pivots, many of them, inside the blocks: the test below.)
TEST(BandLlt, ReplacesNonPositivePivot) {
  for (const int threads : {1, 2}) {
    Vec a = {-3.0}, b = {1.0};
    threads < 2 ? BAND_LLT_DECOMP(1, 0, a.data()) : BAND_LLT_DECOMP_PARALLEL(1, 1, a.data(), threads);
    EXPECT_EQ(a[0], std::sqrt(band_pivot_floor));
    BAND_LLT_SOLVE(1, 1, 0, a.data(), b.data());
    EXPECT_NEAR(b[0], 1e12, 1e12 * 4 * std::numeric_limits<double>::epsilon());  // two roundings of 1e-6
  }
}

TEST(BandLlt, FloorsEveryZeroPivotOfSemiDefiniteBlocks) {
  // Ten free Laplace chains of 37 nodes (diagonal 1,2,...,2,1, off-diagonal
  // -1) stored in a band far wider than they need: every chain's last pivot
  // is exactly 0 in integer arithmetic, and the chains straddle the column
  // blocks of the kernels. Each must be floored, and L*L^T must equal A but
  // for band_pivot_floor added at exactly those diagonals.
  const std::int64_t chain = 37, chains = 10, n = chain * chains, kd = 70, ld = kd + 1;
  Vec a(ld * n, 0.0);
  for (std::int64_t j = 0; j < n; ++j) {
    const std::int64_t local = j % chain;
    a[j * ld] = (local == 0 || local == chain - 1) ? 1.0 : 2.0;
    if (local + 1 < chain) a[j * ld + 1] = -1.0;
  }
  for (const int threads : {1, 2}) {
    Vec l = a;
    threads < 2 ? BAND_LLT_DECOMP(n, kd, l.data()) : BAND_LLT_DECOMP_PARALLEL(n, ld, l.data(), threads);
    for (std::int64_t j = 0; j < n; ++j) {
      const bool floored = j % chain == chain - 1;
      EXPECT_EQ(l[j * ld], floored ? std::sqrt(band_pivot_floor) : 1.0) << j;  // all other pivots are exactly 1
      for (std::int64_t i = j; i <= std::min(n - 1, j + kd); ++i) {
        double s = 0.0;
        for (std::int64_t k = std::max<std::int64_t>(0, i - kd); k <= j; ++k) s += l[k * ld + i - k] * l[k * ld + j - k];
        const double expected = a[j * ld + i - j] + (i == j && floored ? band_pivot_floor : 0.0);
        EXPECT_EQ(s, expected) << i << "," << j;  // integer entries are exact; the one rounded value, sqrt(floor)^2, rounds back to the floor
      }
    }
  }
}

TEST(BandLlt, EmptySystemTouchesNothing) {
  Vec a = {7.0, -1.0}, b = {3.0};
  for (const std::int64_t n : {0, -1}) {
    BAND_LLT_DECOMP(n, 1, a.data());
    BAND_LLT_DECOMP_PARALLEL(n, 2, a.data(), 2);
    BAND_LLT_SOLVE(n, 1, 1, a.data(), b.data());
  }
  BAND_LLT_SOLVE(1, 0, 0, a.data(), b.data());
  // A negative half-bandwidth is no band at all.
  BAND_LLT_DECOMP(1, -1, a.data());
  BAND_LLT_DECOMP_PARALLEL(1, 0, a.data(), 2);
  BAND_LLT_SOLVE(1, 1, -1, a.data(), b.data());
  EXPECT_EQ(a, (Vec{7.0, -1.0}));
  EXPECT_EQ(b, (Vec{3.0}));
}

TEST(BandSystem, SecondSolveReusesTheFactor) {
  const std::int64_t n = 60, kd = 7;
  const Vec a = random_spd_band(n, kd, 21);
  for (const int threads : {1, 2}) {
    BandSystem sys;
    sys.allocate(n, kd);
    for (std::int64_t j = 0; j < n; ++j)
      for (std::int64_t i = j; i <= std::min(n - 1, j + kd); ++i) sys.at(i, j) = a[j * (kd + 1) + i - j];
    Vec b1(n, 1.0), b2(n, 1.0);
    solve_band_system(sys, b1.data(), 1, threads);
    EXPECT_TRUE(sys.factorised);
    const Vec factor(sys.band.begin(), sys.band.end());
    solve_band_system(sys, b2.data(), 1, threads);
    EXPECT_EQ(Vec(sys.band.begin(), sys.band.end()), factor);  // a second factorisation would overwrite L with its own factor
    EXPECT_EQ(b1, b2);
  }
}

// A band large enough to be mapped is not cleared by allocate() but taken
// zero from a fresh mapping; one written all over must still come back zero.
TEST(BandSystem, AllocateZeroesALargeBandItWroteBefore) {
  const std::int64_t n = 50000, kd = 1;  // 800 KB: above the mapping threshold
  BandSystem sys;
  for (int round = 0; round < 2; ++round) {
    sys.allocate(n, kd);
    bool zero = true;
    for (double v : sys.band) zero = zero && v == 0.0;
    EXPECT_TRUE(zero) << round;
    for (double& v : sys.band) v = 1.0;
  }
}

TEST(BandSystem, AllocateZeroesAndRejectsImpossibleSizes) {
  BandSystem sys;
  sys.allocate(3, 1);
  sys.at(2, 1) = 5.0;
  sys.factorised = true;
  sys.allocate(4, 2);
  EXPECT_EQ(Vec(sys.band.begin(), sys.band.end()), Vec(12, 0.0));
  EXPECT_FALSE(sys.factorised);
  const auto rejects = [&](std::int64_t n, std::int64_t kd) {
    try {
      sys.allocate(n, kd);
      ADD_FAILURE() << n << " " << kd << " accepted";
    } catch (const CallError& e) {
      EXPECT_EQ(e.status(), Status::solver_error);
    }
  };
  rejects(-1, 0);
  rejects(1, -1);
  // (kd+1)*n past the address space: a clean error, never a wrapped size.
  rejects(std::int64_t{1} << 40, std::int64_t{1} << 30);
  rejects(2, std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(sys.n, 4);  // a rejected size leaves the system as it was
}

TEST(BandLlt, ProfileSolveEqualsTheWholeBandSolveBitForBit) {
  // A renumbered quadrilateral grid with random element weights: its profile
  // (band_factor_reach) is far inside the band at the ends of the numbering.
  const int m = 15;
  const std::int64_t n = m * m;
  std::vector<std::int32_t> conn;
  for (int j = 0; j + 1 < m; ++j)
    for (int i = 0; i + 1 < m; ++i) {
      const std::int32_t v = j * m + i + 1;
      conn.insert(conn.end(), {v, v + 1, v + 1 + m, v + m});
    }
  const std::int64_t ne = static_cast<std::int64_t>(conn.size()) / 4;
  RCM_RENUMBER(n, 4, ne, conn.data());
  const std::int64_t kd = BANDWIDTH(4, ne, conn.data()), ld = kd + 1;
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(-1.0, 0.0);
  Vec a(static_cast<std::size_t>(ld * n), 0.0);
  for (std::int64_t e = 0; e < ne; ++e)
    for (int x = 0; x < 4; ++x)
      for (int y = 0; y < x; ++y) {
        const std::int64_t i = conn[e * 4 + x] - 1, j = conn[e * 4 + y] - 1, lo = std::min(i, j);
        const double v = u(rng);
        a[lo * ld + std::max(i, j) - lo] += v;
        a[i * ld] -= v - 0.01;
        a[j * ld] -= v - 0.01;
      }
  BAND_LLT_DECOMP(n, kd, a.data());
  const std::vector<std::int64_t> reach = band_factor_reach(n, 4, ne, conn.data());
  std::int64_t inside = 0;
  for (std::int64_t j = 0; j < n; ++j) {
    for (std::int64_t i = reach[j] + 1; i <= std::min(n - 1, j + kd); ++i)
      ASSERT_EQ(a[j * ld + i - j], 0.0) << i << "," << j;  // the bound holds: no fill below the reach
    inside += reach[j] - j;
  }
  EXPECT_LT(inside, kd * n * 9 / 10);  // the profile really is narrower than the band
  Vec b(static_cast<std::size_t>(3 * n));
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = i % 17 == 0 ? 0.0 : std::sin(0.1 * static_cast<double>(i));
  Vec whole = b, profile = b;
  BAND_LLT_SOLVE(n, 3, kd, a.data(), whole.data());
  BAND_LLT_SOLVE(n, 3, kd, a.data(), profile.data(), reach);
  EXPECT_EQ(profile, whole);  // only exact zeros are left out
}

}  // namespace
}  // namespace bsp
