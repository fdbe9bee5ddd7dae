#include "interface/outline_input.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <unordered_map>

#include "common/status.h"
#include "interface/caller_arrays.h"
#include "interface/meshed_parts_input.h"

namespace bsp {
namespace {

[[noreturn]] void fail(Status status, const std::string& message) { throw CallError(status, message); }
[[noreturn]] void bad(const std::string& message) { fail(Status::invalid_input, message); }

// Nine significant digits: enough to tell 0.5000001 from 0.5 in a message.
std::string num(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", v);
  return text;
}

std::string num(std::int64_t v) { return std::to_string(v); }

bool poisson_ok(double nu) { return nu >= min_poisson && nu <= max_poisson; }

std::int32_t count(const std::int32_t* p, const char* name) {
  if (p == nullptr) bad(std::string(name) + " is NULL");
  if (*p < 0) bad(std::string(name) + " is " + num(std::int64_t{*p}) + "; it must be >= 0");
  return *p;
}

template <class T>
std::span<const T> array(const T* p, std::int64_t n, std::int64_t per_item, const char* name, const char* count_name) {
  const auto size = checked_size(n, per_item);
  if (!size) bad(std::string(count_name) + " is too large");
  const auto view = caller_input(p, *size);
  if (!view) bad(std::string(name) + " is NULL but " + count_name + " is " + num(n));
  return *view;
}

std::int32_t scalar(const std::int32_t* p, const char* name) {
  if (p == nullptr) bad(std::string(name) + " is NULL");
  return *p;
}

void check_reference(const OutlineArgs& a, bool weights, bool poisson, OutlineInput& r) {
  constexpr Status s = Status::solver_error;
  if (a.ref_modulus == nullptr) fail(s, "ref_modulus is NULL");
  if (!(std::isfinite(*a.ref_modulus) && *a.ref_modulus > 0.0))
    fail(s, "ref_modulus is " + num(*a.ref_modulus) + "; it must be a finite number > 0");
  r.ref_modulus = *a.ref_modulus;
  if (poisson) {
    if (a.ref_poisson == nullptr) fail(s, "ref_poisson is NULL");
    if (!poisson_ok(*a.ref_poisson))
      fail(s, "ref_poisson is " + num(*a.ref_poisson) + "; it must lie in " + num(min_poisson) + " .. " +
                  num(max_poisson));
    r.ref_poisson = *a.ref_poisson;
  }
  if (weights) {
    if (a.ref_area_weight == nullptr) fail(s, "ref_area_weight is NULL");
    if (!(std::isfinite(*a.ref_area_weight) && *a.ref_area_weight > 0.0))
      fail(s, "ref_area_weight is " + num(*a.ref_area_weight) + "; it must be a finite number > 0");
    r.ref_area_weight = *a.ref_area_weight;
  }
}

void check_outline(const OutlineArgs& a, OutlineInput& r) {
  const std::int32_t n_points = count(a.n_points, "n_points");
  const std::int32_t n_segments = count(a.n_segments, "n_segments");
  if (n_segments == 0) bad("n_segments is 0; an outline needs at least one segment");
  const auto py = array(a.point_y, n_points, 1, "point_y", "n_points");
  const auto pz = array(a.point_z, n_points, 1, "point_z", "n_points");
  const auto seg = array(a.segments, n_segments, 2, "segments", "n_segments");
  if (a.element_size == nullptr) bad("element_size is NULL");
  if (!std::isfinite(*a.element_size)) bad("element_size is " + num(*a.element_size) + "; it must be finite");

  for (std::int32_t i = 0; i < n_points; ++i)
    if (!std::isfinite(py[static_cast<std::size_t>(i)]) || !std::isfinite(pz[static_cast<std::size_t>(i)]))
      bad("point " + num(std::int64_t{i} + 1) + " has a coordinate that is not finite");

  // Segments given twice by the same two point numbers, either way round.
  std::unordered_map<std::uint64_t, std::int32_t> seen;
  seen.reserve(static_cast<std::size_t>(n_segments));
  Outline o;
  o.segments.reserve(static_cast<std::size_t>(n_segments));
  for (std::int32_t s = 0; s < n_segments; ++s) {
    const std::int32_t p[2] = {seg[2 * static_cast<std::size_t>(s)], seg[2 * static_cast<std::size_t>(s) + 1]};
    for (const std::int32_t q : p)
      if (q < 1 || q > n_points)
        bad("point " + num(std::int64_t{q}) + " of segment " + num(std::int64_t{s} + 1) + " is out of range 1.." +
            num(std::int64_t{n_points}));
    const auto a0 = static_cast<std::size_t>(p[0] - 1);
    const auto a1 = static_cast<std::size_t>(p[1] - 1);
    if (!(std::hypot(py[a1] - py[a0], pz[a1] - pz[a0]) >= min_segment_length))
      bad("segment " + num(std::int64_t{s} + 1) + " (points " + num(std::int64_t{p[0]}) + " and " +
          num(std::int64_t{p[1]}) + ") is shorter than " + num(min_segment_length));
    const auto lo = static_cast<std::uint64_t>(std::min(p[0], p[1]));
    const auto hi = static_cast<std::uint64_t>(std::max(p[0], p[1]));
    const auto [it, inserted] = seen.try_emplace((lo << 32) | hi, s);
    if (!inserted)
      bad("segment " + num(std::int64_t{s} + 1) + " repeats segment " + num(std::int64_t{it->second} + 1) +
          " (points " + num(std::int64_t{p[0]}) + " and " + num(std::int64_t{p[1]}) + ")");
    o.segments.push_back({p[0] - 1, p[1] - 1});
  }
  o.x.assign(py.begin(), py.end());
  o.y.assign(pz.begin(), pz.end());
  r.outline = std::move(o);
  r.element_size = *a.element_size;
}

void check_regions(const OutlineArgs& a, bool weights, bool poisson, OutlineInput& r) {
  const std::int32_t n = count(a.n_regions, "n_regions");
  r.region_modulus = array(a.region_modulus, n, 1, "region_modulus", "n_regions");
  if (poisson) r.region_poisson = array(a.region_poisson, n, 1, "region_poisson", "n_regions");
  if (weights) r.region_area_weight = array(a.region_area_weight, n, 1, "region_area_weight", "n_regions");
  for (std::size_t i = 0; i < r.region_modulus.size(); ++i) {
    const std::string region = "region " + num(static_cast<std::int64_t>(i) + 1);
    const double e = r.region_modulus[i];
    if (e == 0.0) continue;  // a hole: its other constants are not used
    if (!(std::isfinite(e) && e > 0.0))
      bad(region + " has modulus " + num(e) + "; a solid region needs a finite modulus > 0 (0.0 marks a hole)");
    if (poisson && !poisson_ok(r.region_poisson[i]))
      bad(region + " has Poisson ratio " + num(r.region_poisson[i]) + "; it must lie in " + num(min_poisson) +
          " .. " + num(max_poisson));
    if (weights && !std::isfinite(r.region_area_weight[i]))
      bad(region + " has an area weight that is not finite");
  }
}

void check_bars(const OutlineArgs& a, bool weights, OutlineInput& r) {
  const std::int32_t n = count(a.n_bars, "n_bars");
  r.bar_radius = array(a.bar_radius, n, 1, "bar_radius", "n_bars");
  r.bar_y = array(a.bar_y, n, 1, "bar_y", "n_bars");
  r.bar_z = array(a.bar_z, n, 1, "bar_z", "n_bars");
  r.bar_modulus = array(a.bar_modulus, n, 1, "bar_modulus", "n_bars");
  if (weights) r.bar_area_weight = array(a.bar_area_weight, n, 1, "bar_area_weight", "n_bars");
  for (std::size_t i = 0; i < r.bar_radius.size(); ++i) {
    const std::string bar = "bar " + num(static_cast<std::int64_t>(i) + 1);
    if (!(std::isfinite(r.bar_radius[i]) && r.bar_radius[i] >= 0.0))
      bad(bar + " has radius " + num(r.bar_radius[i]) + "; it must be finite and >= 0");
    if (!std::isfinite(r.bar_y[i]) || !std::isfinite(r.bar_z[i])) bad(bar + " has a centre that is not finite");
    if (!(std::isfinite(r.bar_modulus[i]) && r.bar_modulus[i] >= 0.0))
      bad(bar + " has modulus " + num(r.bar_modulus[i]) + "; it must be finite and >= 0");
    if (weights && !std::isfinite(r.bar_area_weight[i])) bad(bar + " has an area weight that is not finite");
  }
}

void check_stress_points(const OutlineArgs& a, OutlineInput& r) {
  const std::int32_t n = count(a.n_stress_points, "n_stress_points");
  r.stress_y = array(a.stress_y, n, 1, "stress_y", "n_stress_points");
  r.stress_z = array(a.stress_z, n, 1, "stress_z", "n_stress_points");
  for (std::size_t i = 0; i < r.stress_y.size(); ++i)
    if (!std::isfinite(r.stress_y[i]) || !std::isfinite(r.stress_z[i]))
      bad("stress point " + num(static_cast<std::int64_t>(i) + 1) + " has a coordinate that is not finite");
}

}  // namespace

std::optional<std::size_t> solid_region_count(const std::int32_t* n_regions, const double* region_modulus) {
  const auto n = caller_count(n_regions);
  if (!n) return std::nullopt;
  const auto e = caller_input(region_modulus, static_cast<std::size_t>(*n));
  if (!e) return std::nullopt;
  std::size_t solid = 0;
  for (const double v : *e)
    if (v != 0.0) ++solid;
  return solid;
}

void read_outline(const OutlineArgs& a, OutlineExport kind, OutlineInput& in) {
  const bool fm = kind == OutlineExport::first_moment_mesh;
  const bool weights = kind != OutlineExport::detail_mesh && !fm;
  OutlineInput r;
  check_reference(a, weights, !fm, r);
  check_outline(a, r);
  check_regions(a, weights, !fm, r);
  check_bars(a, weights, r);
  if (kind == OutlineExport::mesh_main || kind == OutlineExport::detail_mesh) check_stress_points(a, r);
  if (kind == OutlineExport::mesh_main) {
    const std::int32_t level = scalar(a.analysis_level, "analysis_level");
    r.analysis_level = level < 0 ? 0 : level;
    r.stress_reference = scalar(a.stress_reference, "stress_reference");
  }
  if (!fm) scalar(a.linear_elements, "linear_elements");
  in = std::move(r);
}

}  // namespace bsp
