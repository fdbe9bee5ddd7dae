// Section meshes the analysis tests build themselves: mapped patches glued at
// coincident nodes into connected domains, 6-node triangles or 4-node
// quadrilaterals, and a runner that hands them to the solver entries. Rigid
// motions and renumbering act on a whole section, so invariance tests change
// one thing at a time.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
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

// One connected domain. Node numbers are local and 1-based.
class DomainMesh {
 public:
  explicit DomainMesh(int k) : k_(k) {}

  int k() const { return k_; }

  // The image of the unit square under `map`, nu x nv cells. Nodes that land
  // on existing nodes (within 1e-9, far below any cell of these meshes) are
  // shared; cells whose corners collapse lose their degenerate triangle.
  void add_patch(const std::function<Point(double, double)>& map, int nu, int nv, std::int32_t part) {
    const int step = k_ == 4 ? 1 : 2;
    const int gu = step * nu + 1, gv = step * nv + 1;
    std::vector<std::int32_t> id(static_cast<std::size_t>(gu * gv));
    for (int j = 0; j < gv; ++j)
      for (int i = 0; i < gu; ++i)
        id[static_cast<std::size_t>(j * gu + i)] = node(map(double(i) / (gu - 1), double(j) / (gv - 1)));
    auto at = [&](int i, int j) { return id[static_cast<std::size_t>(j * gu + i)]; };
    for (int cj = 0; cj < nv; ++cj)
      for (int ci = 0; ci < nu; ++ci) {
        const int i = step * ci, j = step * cj;
        if (k_ == 4) {
          add_element({at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)}, part);
        } else {
          add_element({at(i, j), at(i + 2, j), at(i + 2, j + 2), at(i + 1, j), at(i + 2, j + 1), at(i + 1, j + 1)}, part);
          add_element({at(i, j), at(i + 2, j + 2), at(i, j + 2), at(i + 1, j + 1), at(i + 1, j + 2), at(i, j + 1)}, part);
        }
      }
  }

  void add_box(double x0, double y0, double x1, double y1, int nu, int nv, std::int32_t part) {
    add_patch([=](double u, double v) { return Point{x0 + (x1 - x0) * u, y0 + (y1 - y0) * v}; }, nu, nv, part);
  }

  // One straight-sided 6-node triangle from its corners (k = 6 only).
  void add_triangle(Point a, Point b, Point c, std::int32_t part) {
    auto mid = [](Point p, Point q) { return Point{(p.x + q.x) / 2, (p.y + q.y) / 2}; };
    add_element({node(a), node(b), node(c), node(mid(a, b)), node(mid(b, c)), node(mid(c, a))}, part);
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
    if (twice_area < 0) n = k_ == 4 ? std::vector<std::int32_t>{n[0], n[3], n[2], n[1]}
                                     : std::vector<std::int32_t>{n[0], n[2], n[1], n[5], n[4], n[3]};
    connectivity.insert(connectivity.end(), n.begin(), n.end());
    parts.push_back(part);
  }

  int k_;
  std::map<std::pair<long long, long long>, std::int32_t> index_;
};

struct SectionOutput {
  Status status = Status::solver_error;
  std::vector<double> result, offsets;
  double operator[](std::size_t slot) const { return result[slot]; }
};

struct DetailOutput {
  Status status = Status::solver_error;
  std::vector<double> stresses, section, offsets, materials;
};

struct Bar {
  double r = 0, x = 0, y = 0, E = 0, w = 0;
};

// A section: domains in order, materials, bars and stress points.
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

  void transform(const std::function<Point(Point)>& f) {
    for (DomainMesh& d : domains)
      for (std::size_t i = 0; i < d.x.size(); ++i) {
        const Point p = f({d.x[i], d.y[i]});
        d.x[i] = p.x;
        d.y[i] = p.y;
      }
    for (Bar& b : bars) {
      const Point p = f({b.x, b.y});
      b.x = p.x;
      b.y = p.y;
    }
    for (std::size_t i = 0; i < sp_x.size(); ++i) {
      const Point p = f({sp_x[i], sp_y[i]});
      sp_x[i] = p.x;
      sp_y[i] = p.y;
    }
  }
  void translate(double dx, double dy) {
    transform([=](Point p) { return Point{p.x + dx, p.y + dy}; });
  }
  // Quarter turn counter-clockwise: (x, y) -> (-y, x).
  void rotate_quarter() {
    transform([](Point p) { return Point{-p.y, p.x}; });
  }
  // Gives the nodes of domain d new numbers: node i becomes perm(i), a fixed
  // scramble (multiplication by a unit modulo n) that moves almost every node.
  void renumber(std::size_t d) {
    DomainMesh& m = domains[d];
    const std::size_t n = m.x.size();
    std::size_t a = n / 2 + 1;
    while (std::gcd(a, n) != 1) ++a;
    std::vector<double> x(n), y(n);
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t j = (a * i + 3) % n;
      x[j] = m.x[i];
      y[j] = m.y[i];
    }
    for (std::int32_t& c : m.connectivity) c = static_cast<std::int32_t>((a * static_cast<std::size_t>(c - 1) + 3) % n) + 1;
    m.x = x;
    m.y = y;
  }

  // Flattened arrays the SolverInput points into.
  struct Flat {
    std::vector<double> x, y, bar_r, bar_x, bar_y, bar_E, bar_w;
    std::vector<std::int32_t> connectivity, parts, domain_elements, domain_nodes;
  };
  Flat flatten() const {
    Flat f;
    std::int32_t offset = 0;
    for (const DomainMesh& d : domains) {
      f.x.insert(f.x.end(), d.x.begin(), d.x.end());
      f.y.insert(f.y.end(), d.y.begin(), d.y.end());
      for (std::int32_t c : d.connectivity) f.connectivity.push_back(c + offset);
      f.parts.insert(f.parts.end(), d.parts.begin(), d.parts.end());
      f.domain_elements.push_back(static_cast<std::int32_t>(d.n_elements()));
      f.domain_nodes.push_back(static_cast<std::int32_t>(d.x.size()));
      offset += static_cast<std::int32_t>(d.x.size());
    }
    for (const Bar& b : bars) {
      f.bar_r.push_back(b.r);
      f.bar_x.push_back(b.x);
      f.bar_y.push_back(b.y);
      f.bar_E.push_back(b.E);
      f.bar_w.push_back(b.w);
    }
    return f;
  }
  SolverInput input(const Flat& f) const {
    SolverInput in;
    in.k = k;
    in.domain_elements = f.domain_elements;
    in.domain_nodes = f.domain_nodes;
    in.node_x = f.x;
    in.node_y = f.y;
    in.connectivity = f.connectivity;
    in.part_numbers = f.parts;
    in.n_parts = static_cast<std::int32_t>(E.size());
    in.materials = SolverMaterials{E_ref, nu_ref, w_ref, E, nu, w};
    in.bars = SolverBars{f.bar_r, f.bar_x, f.bar_y, f.bar_E, f.bar_w};
    in.stress_x = sp_x;
    in.stress_y = sp_y;
    in.analysis_level = level;
    in.stress_reference = stress_reference;
    in.thread_count = 1;
    return in;
  }

  SectionOutput solve() const {
    const Flat f = flatten();
    SectionOutput out;
    out.result.assign(section_slot::size_for_level(level, sp_x.size()), 0.0);
    out.offsets.assign(2 * sp_x.size(), 0.0);
    out.status = SOLVE_SECTION(input(f), out.result, out.offsets);
    return out;
  }
  // Stresses for section forces given as the host pairs (N, T), (V_y, V_z),
  // (M_y, M_z), (stress reference, unused).
  DetailOutput solve_detail(const std::array<double, 8>& options) const {
    const Flat f = flatten();
    DetailOutput out;
    const std::size_t n_sp = sp_x.size();
    out.stresses.assign(4 * n_sp * E.size() + 6, -1.0);
    out.section.assign(section_slot::basic_count, -1.0);
    out.offsets.assign(2 * n_sp, -1.0);
    out.materials.assign(n_sp, -1.0);
    DetailInput detail;
    detail.options = options;
    detail.n_detail = static_cast<std::int32_t>(E.size());
    SolverInput in = input(f);
    in.materials.w = {};
    in.bars.w = {};
    out.status = SOLVE_DETAIL_SECTION(in, detail, DetailOutputs{out.stresses, out.section, out.offsets, out.materials});
    return out;
  }

  std::vector<double> solve_parts(Status& status) const {
    const Flat f = flatten();
    std::vector<double> parts(10 * E.size(), 0.0);
    status = SOLVE_PART_SECTION(input(f), parts);
    return parts;
  }
};

// Relative difference, for values whose scale the test does not know.
inline double relative(double value, double reference) { return std::abs(value - reference) / std::abs(reference); }

}  // namespace bsp::test
