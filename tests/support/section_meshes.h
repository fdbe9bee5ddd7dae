// Section meshes built by the tests in the library's two forms: the solver's (domains, global
// 1-based node numbers) and the host's (parts, each with its own copies of its interface nodes).
// One patch mesher, DomainMesh, makes both, so a rectangle is laid out alike wherever it is used.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <numbers>
#include <numeric>
#include <utility>
#include <vector>

#include "solver/section_result_vector.h"
#include "solver/solver_entries.h"

namespace bsp::test {

struct Point {
  double x = 0, y = 0;
};

// One connected domain of k-node elements (k = 3, 4 or 6). Node numbers are
// local and 1-based.
class DomainMesh {
 public:
  explicit DomainMesh(int k) : k_(k) {}

  int k() const { return k_; }

  // The image of the unit square under `map`, nu x nv cells (k = 3, 6: two triangles each). Nodes
  // within 1e-9 of an existing node (far below any cell here) are shared; degenerate triangles dropped.
  void add_patch(const std::function<Point(double, double)>& map, int nu, int nv, std::int32_t part) {
    const int step = k_ == 6 ? 2 : 1;
    const int gu = step * nu + 1, gv = step * nv + 1;
    std::vector<std::int32_t> id(static_cast<std::size_t>(gu * gv));
    for (int j = 0; j < gv; ++j)
      for (int i = 0; i < gu; ++i)
        id[static_cast<std::size_t>(j * gu + i)] = node(map(double(i) / (gu - 1), double(j) / (gv - 1)));
    auto at = [&](int i, int j) { return id[static_cast<std::size_t>(j * gu + i)]; };
    for (int cj = 0; cj < nv; ++cj)
      for (int ci = 0; ci < nu; ++ci) {
        const int i = step * ci, j = step * cj, s = step;
        if (k_ == 4) {
          add_element({at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)}, part);
        } else if (k_ == 3) {
          add_element({at(i, j), at(i + 1, j), at(i + 1, j + 1)}, part);
          add_element({at(i, j), at(i + 1, j + 1), at(i, j + 1)}, part);
        } else {
          add_element({at(i, j), at(i + s, j), at(i + s, j + s), at(i + 1, j), at(i + s, j + 1), at(i + 1, j + 1)},
                      part);
          add_element({at(i, j), at(i + s, j + s), at(i, j + s), at(i + 1, j + 1), at(i + 1, j + s), at(i, j + 1)},
                      part);
        }
      }
  }

  DomainMesh& add_box(double x0, double y0, double x1, double y1, int nu, int nv, std::int32_t part) {
    add_patch([=](double u, double v) { return Point{x0 + (x1 - x0) * u, y0 + (y1 - y0) * v}; }, nu, nv, part);
    return *this;
  }

  std::vector<double> x, y;
  std::vector<std::int32_t> connectivity;  // local, 1-based, k per element
  std::vector<std::int32_t> parts;

  std::size_t n_elements() const { return parts.size(); }

 private:
  std::int32_t node(Point p) {
    const auto key = std::make_pair(std::llround(p.x * 1e9), std::llround(p.y * 1e9));
    const auto [it, fresh] = index_.try_emplace(key, static_cast<std::int32_t>(x.size()) + 1);
    if (fresh) {
      x.push_back(p.x);
      y.push_back(p.y);
    }
    return it->second;
  }

  // Counter-clockwise corners, degenerate triangles dropped.
  void add_element(std::vector<std::int32_t> n, std::int32_t part) {
    const int corners = k_ == 4 ? 4 : 3;
    double twice_area = 0;
    for (int c = 0; c < corners; ++c) {
      const auto a = static_cast<std::size_t>(n[static_cast<std::size_t>(c)] - 1);
      const auto b = static_cast<std::size_t>(n[static_cast<std::size_t>((c + 1) % corners)] - 1);
      twice_area += x[a] * y[b] - x[b] * y[a];
    }
    if (std::abs(twice_area) < 1e-14) return;
    if (twice_area < 0) {
      if (k_ == 4) n = {n[0], n[3], n[2], n[1]};
      if (k_ == 3) n = {n[0], n[2], n[1]};
      if (k_ == 6) n = {n[0], n[2], n[1], n[5], n[4], n[3]};
    }
    connectivity.insert(connectivity.end(), n.begin(), n.end());
    parts.push_back(part);
  }

  int k_;
  std::map<std::pair<long long, long long>, std::int32_t> index_;
};

// ---------------------------------------------------------------------------
// The solver's form.

struct TestMesh {
  std::int32_t k = 4;
  std::vector<double> x{}, y{};
  std::vector<std::int32_t> connectivity{};  // global 1-based
  std::vector<std::int32_t> parts{};         // per element
  std::vector<std::int32_t> domain_elements{}, domain_nodes{};

  void add_domain(const DomainMesh& d) {
    const auto offset = static_cast<std::int32_t>(x.size());
    x.insert(x.end(), d.x.begin(), d.x.end());
    y.insert(y.end(), d.y.begin(), d.y.end());
    for (std::int32_t c : d.connectivity) connectivity.push_back(c + offset);
    parts.insert(parts.end(), d.parts.begin(), d.parts.end());
    domain_elements.push_back(static_cast<std::int32_t>(d.n_elements()));
    domain_nodes.push_back(static_cast<std::int32_t>(d.x.size()));
  }

  // The b x h rectangle from (x0, y0), nx x ny cells, as a new domain.
  void add_rectangle(double x0, double y0, double b, double h, int nx, int ny, std::int32_t part) {
    add_domain(DomainMesh(k).add_box(x0, y0, x0 + b, y0 + h, nx, ny, part));
  }

  // One element from explicit coordinates, taken as given (inverted or curved alike), as a new domain.
  void add_element(const std::vector<double>& ex, const std::vector<double>& ey, std::int32_t part) {
    const auto offset = static_cast<std::int32_t>(x.size());
    for (std::size_t i = 0; i < ex.size(); ++i) {
      x.push_back(ex[i]);
      y.push_back(ey[i]);
      connectivity.push_back(offset + static_cast<std::int32_t>(i) + 1);
    }
    parts.push_back(part);
    domain_elements.push_back(1);
    domain_nodes.push_back(static_cast<std::int32_t>(ex.size()));
  }

  std::size_t n_elements() const { return parts.size(); }
};

// A flat mesh with the materials, bars and stress points a test owns; input() points a SolverInput at them.
struct TestSection {
  TestMesh mesh;
  double E_ref = 1.0, nu_ref = 0.0, w_ref = 1.0;
  std::vector<double> E{1.0}, nu{0.0}, w{1.0};
  std::vector<double> bar_r{}, bar_x{}, bar_y{}, bar_E{}, bar_w{};
  std::vector<double> sp_x{}, sp_y{};
  std::int32_t n_parts = 1, level = 0, stress_reference = 0;

  void add_bar(double r, double x, double y, double E_b, double w_b) {
    bar_r.push_back(r);
    bar_x.push_back(x);
    bar_y.push_back(y);
    bar_E.push_back(E_b);
    bar_w.push_back(w_b);
  }

  SolverInput input() const {
    return {.k = mesh.k, .domain_elements = mesh.domain_elements, .domain_nodes = mesh.domain_nodes,
            .node_x = mesh.x, .node_y = mesh.y, .connectivity = mesh.connectivity, .material_numbers = mesh.parts,
            .n_materials = n_parts, .materials = SolverMaterials{E_ref, nu_ref, w_ref, E, nu, w},
            .bars = SolverBars{bar_r, bar_x, bar_y, bar_E, bar_w}, .stress_x = sp_x, .stress_y = sp_y,
            .analysis_level = level, .stress_reference = stress_reference, .thread_count = 1};
  }
};

struct SectionOutput {
  Status status = Status::solver_error;
  std::vector<double> result, offsets;
  double operator[](std::size_t slot) const { return result[slot]; }
};

struct Bar {
  double r = 0, x = 0, y = 0, E = 0, w = 0;
};

// A section as domains, each meshed by its own DomainMesh.
struct Section {
  explicit Section(int k) : k(k) {}

  int k;
  std::vector<DomainMesh> domains;
  double E_ref = 1.0, nu_ref = 0.0, w_ref = 1.0;
  std::vector<double> E{1.0}, nu{0.0}, w{1.0};
  std::vector<Bar> bars;
  std::vector<double> sp_x, sp_y;
  std::int32_t level = 2, stress_reference = 0;

  DomainMesh& add_domain() { return domains.emplace_back(k); }

  TestSection flatten() const {
    TestSection f{.mesh = {.k = k}, .E_ref = E_ref, .nu_ref = nu_ref, .w_ref = w_ref, .E = E, .nu = nu, .w = w,
                  .sp_x = sp_x, .sp_y = sp_y, .n_parts = static_cast<std::int32_t>(E.size()), .level = level,
                  .stress_reference = stress_reference};
    for (const DomainMesh& d : domains) f.mesh.add_domain(d);
    for (const Bar& b : bars) f.add_bar(b.r, b.x, b.y, b.E, b.w);
    return f;
  }

  SectionOutput solve() const {
    const TestSection f = flatten();
    SectionOutput out;
    out.result.assign(section_slot::size_for_level(level, sp_x.size()), 0.0);
    out.offsets.assign(2 * sp_x.size(), 0.0);
    out.status = SOLVE_SECTION(f.input(), out.result, out.offsets);
    return out;
  }
};

// Relative difference, for values whose scale the test does not know.
inline double relative(double value, double reference) { return std::abs(value - reference) / std::abs(reference); }

// Saint-Venant torsion constant of a b x t rectangle, b >= t (Timoshenko & Goodier, Theory of
// Elasticity, sec. 109); the series' terms fall as n^-5, so 100 of them leave an error below 1e-12.
inline double rectangle_torsion_constant(double b, double t) {
  if (b < t) std::swap(b, t);
  double sum = 0.0;
  for (int n = 1; n < 201; n += 2) sum += std::tanh(n * std::numbers::pi * b / (2 * t)) / std::pow(n, 5);
  return b * t * t * t / 3.0 - 64.0 / std::pow(std::numbers::pi, 5) * std::pow(t, 4) * sum;
}

// ---------------------------------------------------------------------------
// The host's form.

struct PartsMesh {
  std::vector<double> y, z;
  std::vector<std::int32_t> connectivity;
  std::vector<std::int32_t> element_material;
  std::vector<std::int32_t> part_node_count;
  std::vector<std::int32_t> part_element_count;
  int nodes_per_element = 3;

  std::int32_t n_nodes() const { return static_cast<std::int32_t>(y.size()); }
  std::int32_t n_elements() const { return static_cast<std::int32_t>(element_material.size()); }
  std::int32_t n_parts() const { return static_cast<std::int32_t>(part_node_count.size()); }

  // Appends another mesh as further parts.
  void append(const PartsMesh& other) {
    const auto offset = n_nodes();
    y.insert(y.end(), other.y.begin(), other.y.end());
    z.insert(z.end(), other.z.begin(), other.z.end());
    for (std::int32_t n : other.connectivity) connectivity.push_back(n + offset);
    element_material.insert(element_material.end(), other.element_material.begin(), other.element_material.end());
    part_node_count.insert(part_node_count.end(), other.part_node_count.begin(), other.part_node_count.end());
    part_element_count.insert(part_element_count.end(), other.part_element_count.begin(),
                              other.part_element_count.end());
  }

  void transform(double c, double s, double dy, double dz) {
    for (std::size_t i = 0; i < y.size(); ++i) {
      const double a = y[i], b = z[i];
      y[i] = c * a - s * b + dy;
      z[i] = s * a + c * b + dz;
    }
  }
};

// One part made of a domain (x -> y, y -> z, part numbers -> materials).
inline PartsMesh as_part(const DomainMesh& d) {
  return {d.x, d.y, d.connectivity, d.parts, {static_cast<std::int32_t>(d.x.size())},
          {static_cast<std::int32_t>(d.n_elements())}, d.k()};
}

// One part: the rectangle [y0, y0 + b] x [z0, z0 + h] in ny x nz cells of two triangles each.
inline PartsMesh rectangle_part(double y0, double z0, double b, double h, int ny, int nz, std::int32_t material,
                                bool six_node = false) {
  return as_part(DomainMesh(six_node ? 6 : 3).add_box(y0, z0, y0 + b, z0 + h, ny, nz, material));
}

// A rectangle split into column strips, each its own part with its own copies of the boundary nodes.
inline PartsMesh striped_rectangle(double b, double h, int ny, int nz, int strips, std::int32_t material) {
  PartsMesh all;
  for (int s = 0; s < strips; ++s) {
    const int c0 = ny * s / strips, c1 = ny * (s + 1) / strips;
    all.append(rectangle_part(b * c0 / ny, 0.0, b * (c1 - c0) / ny, h, c1 - c0, nz, material));
  }
  return all;
}

// One part: the disc of radius r about the origin in 6-node triangles, rings x sectors cells (the
// inner ring a fan), nodes on a polar lattice so the rim is curved quadratically. (A polar
// DomainMesh patch would put the fan's mid-side nodes off their edges.)
inline PartsMesh disc_part(double r, int rings, int sectors, std::int32_t material) {
  PartsMesh m;
  m.nodes_per_element = 6;
  const int na = 2 * sectors;
  m.y.push_back(0.0);
  m.z.push_back(0.0);
  for (int i = 1; i <= 2 * rings; ++i)
    for (int a = 0; a < na; ++a) {
      const double t = 2.0 * std::numbers::pi * a / na;
      m.y.push_back(r * i / (2 * rings) * std::cos(t));
      m.z.push_back(r * i / (2 * rings) * std::sin(t));
    }
  auto at = [&](int i, int a) -> std::int32_t {
    if (i == 0) return 1;
    return static_cast<std::int32_t>(2 + (i - 1) * na + ((a % na) + na) % na);
  };
  auto push = [&](std::initializer_list<std::int32_t> nodes) {
    for (std::int32_t n : nodes) m.connectivity.push_back(n);
    m.element_material.push_back(material);
  };
  for (int p = 0; p < rings; ++p)
    for (int s = 0; s < sectors; ++s) {
      const int i0 = 2 * p, i1 = 2 * p + 2, a0 = 2 * s, a1 = 2 * s + 2;
      if (p == 0) {
        push({at(0, 0), at(i1, a0), at(i1, a1), at(1, a0), at(i1, a0 + 1), at(1, a1)});
        continue;
      }
      push({at(i0, a0), at(i1, a0), at(i1, a1), at(i0 + 1, a0), at(i1, a0 + 1), at(i0 + 1, a0 + 1)});
      push({at(i0, a0), at(i1, a1), at(i0, a1), at(i0 + 1, a0 + 1), at(i0 + 1, a1), at(i0, a0 + 1)});
    }
  m.part_node_count.push_back(m.n_nodes());
  m.part_element_count.push_back(m.n_elements());
  return m;
}

// Sections of axis-aligned plates on one set of grid lines, stops (next coordinate, cells up to it):
// every part is the block of cells between ys[i0..i1] and zs[j0..j1], so touching parts match exactly.
inline std::vector<double> grid_lines(std::initializer_list<std::pair<double, int>> stops, double start) {
  std::vector<double> lines{start};
  double at = start;
  for (const auto& [next, cells] : stops) {
    for (int c = 1; c <= cells; ++c) lines.push_back(at + (next - at) * c / cells);
    at = next;
  }
  return lines;
}

inline PartsMesh grid_part(const std::vector<double>& ys, const std::vector<double>& zs, int i0, int i1, int j0, int j1,
                           std::int32_t material) {
  DomainMesh d(3);
  // The patch's lattice points are exactly the grid's: u = i / (i1 - i0).
  const auto line = [](const std::vector<double>& lines, int first, int last, double u) {
    return lines[static_cast<std::size_t>(first + std::lround(u * (last - first)))];
  };
  d.add_patch([&](double u, double v) { return Point{line(ys, i0, i1, u), line(zs, j0, j1, v)}; }, i1 - i0, j1 - j0,
              material);
  return as_part(d);
}

// Doubly symmetric I: flanges b wide, web of centre-line height h, all plates
// t thick, on common grid lines in seven parts (flanges in three pieces).
inline constexpr double plate_t = 0.2, plate_h = 10.0, plate_b = 5.0;
inline PartsMesh plate_i_section() {
  const double t = plate_t, h = plate_h, b = plate_b;
  const auto ys = grid_lines({{-t / 2, 24}, {t / 2, 2}, {b / 2, 24}}, -b / 2);
  const auto zs = grid_lines({{-h / 2 + t / 2, 2}, {h / 2 - t / 2, 98}, {h / 2 + t / 2, 2}}, -h / 2 - t / 2);
  PartsMesh m;
  for (const auto& [j0, j1] : {std::pair{0, 2}, std::pair{100, 102}}) {
    m.append(grid_part(ys, zs, 0, 24, j0, j1, 1));
    m.append(grid_part(ys, zs, 24, 26, j0, j1, 1));
    m.append(grid_part(ys, zs, 26, 50, j0, j1, 1));
  }
  m.append(grid_part(ys, zs, 24, 26, 2, 100, 1));
  return m;
}

}  // namespace bsp::test
