// Every export family from 8 threads at once, each in its own order: every result (code, outputs
// bit for bit, the thread's BSPLastError) must equal the serial run's. One call fails, so a message
// leaking between threads shows too.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bsp/bsp.h"
#include "support/export_calls.h"

namespace bsp::test {
namespace {

struct Result {
  std::int32_t code = 0;
  std::vector<double> values;
  std::string message;
  bool operator==(const Result& o) const {
    return code == o.code && message == o.message && values.size() == o.values.size() &&
           std::memcmp(values.data(), o.values.data(), values.size() * sizeof(double)) == 0;
  }
};

Result collect(std::int32_t code, const std::vector<const Guarded*>& outputs) {
  Result r{code, {}, BSPLastError()};
  for (const Guarded* g : outputs) {
    const std::vector<double> b = g->body();
    r.values.insert(r.values.end(), b.begin(), b.end());
  }
  return r;
}

template <class Call>
Result collect(const Call& r) {
  return collect(r.code, r.outputs());
}

MeshedSection two_materials() {
  MeshedSection s{.mesh = rectangle_part(0.0, 0.0, 2.0, 1.0, 6, 3, 1), .modulus = {1.0, 3.0}, .poisson = {0.2, 0.3},
                  .weight = {1.0, 2.0}, .stress_y = {0.0, 3.0, 1.5}, .stress_z = {0.0, 1.0, 0.2}, .level = 3};
  s.mesh.append(rectangle_part(2.0, 0.0, 1.0, 1.0, 3, 3, 2));
  s.bars.add(0.05, 1.0, 0.5, 10.0, 2.0);
  return s;
}

OutlineSection outline() {
  OutlineSection s = rectangle_with_hole(2.0, 0.0);
  s.element_size = 0.8;
  s.bars.add(0.2, 1.0, 1.0, 10.0, 1.0);
  s.stress_y = {10.0, 0.0};
  s.stress_z = {6.0, 0.0};
  s.level = 3;
  return s;
}

Result standard(Std e, std::int32_t type, const std::vector<double>& dims) {
  const StandardRun r = standard_call(e, type, dims, {.a6 = e == Std::main ? 2 : 0});  // BSPMAIN by closed forms
  return collect(r.code, {&r.result, &r.dims, &r.plastic});
}

Result closed_forms(std::int32_t code, std::vector<double> dims) {
  Guarded j(1), a(2);
  BSPAnalyticTorsionalConstant(&code, dims.data(), j.ptr());
  BSPAnalyticShearArea(&code, dims.data(), a.ptr(), a.ptr() + 1);
  return collect(0, {&j, &a});
}

const std::vector<std::function<Result()>>& calls() {
  static const std::vector<std::function<Result()>> list = {
      [] { return collect(comb(two_materials())); },
      [] { return collect(part_main(two_materials())); },
      [] { return collect(detail(two_materials(), Forces{.n = 2, .t = 1, .v_y = 3, .v_z = -1, .m_y = 5, .m_z = 7})); },
      [] { return collect(mesh_main(outline())); },
      [] { return collect(part_mesh_main(outline())); },
      [] { return collect(detail_mesh(outline(), Forces{.n = 1, .t = 2, .v_y = -1, .v_z = 4, .m_y = 3, .m_z = -2})); },
      [] {  // a failure: its message must stay on its own thread
        MeshedSection s = two_materials();
        s.mesh.connectivity[7] = 999;
        return collect(comb(s));
      },
      [] { return standard(Std::main, 5, {10, 8, 1, 1.5}); },
      [] { return standard(Std::expand, 8, {12, 20, 2, 1}); },
      [] { return standard(Std::plastic, 24, {20, 12, 1, 1.5, 8, 1}); },
      [] { return standard(Std::general, 9, {5, 1, 8, 10}); },
      [] { return standard(Std::civil, 26, {10, 8, 1, 1.5}); },
      [] {
        TriangleMoments t;
        t.bars.add(0.1, 0.2, 0.2, 5.0, 1.0);
        return collect(first_moment_call(t));
      },
      [] { return collect(first_moment_mesh_call(outline(), {}, 1.0, 1.0)); },
      [] { const Guarded g = crack_call(CrackInput{}); return collect(0, {&g}); },
      [] { return closed_forms(5, {12, 20, 2, 1, 20, 2}); },
  };
  return list;
}

TEST(Concurrency, EightThreadsGiveTheSerialResultsBitwise) {
  const auto& list = calls();
  std::vector<Result> serial;
  for (const auto& call : list) serial.push_back(call());
  ASSERT_NE(serial[6].code, BSP_OK);  // the failing call fails, and only it leaves a message
  for (std::size_t k = 0; k < serial.size(); ++k) ASSERT_EQ(serial[k].message.empty(), k != 6) << "call " << k;

  constexpr int threads = 8, rounds = 4;
  std::atomic<int> mismatches{0};
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t)
    pool.emplace_back([&, t] {
      for (int round = 0; round < rounds; ++round)
        for (std::size_t i = 0; i < list.size(); ++i) {
          const std::size_t k = (i * 7 + static_cast<std::size_t>(t + round)) % list.size();  // a different order per thread
          if (!(list[k]() == serial[k])) ++mismatches;
        }
    });
  for (std::thread& t : pool) t.join();
  EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace bsp::test
