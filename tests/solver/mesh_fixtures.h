// Small meshes for the solver tests: structured rectangles of 4-node
// quadrilaterals or 6-node triangles, laid out domain after domain as the
// solver's entries expect, and the SolverInput that points at them.
#pragma once

#include <cstdint>
#include <vector>

#include "solver/solver_entries.h"

namespace bsp::test {

struct TestMesh {
  std::int32_t k = 4;
  std::vector<double> x, y;
  std::vector<std::int32_t> connectivity;  // global 1-based
  std::vector<std::int32_t> parts;         // per element
  std::vector<std::int32_t> domain_elements, domain_nodes;

  // Appends a b x h rectangle with its lower left corner at (x0, y0), split
  // into nx x ny cells, as a new domain; every element gets `part`. With
  // k = 6 each cell is two triangles (lower right, then upper left).
  void add_rectangle(double x0, double y0, double b, double h, int nx, int ny, std::int32_t part) {
    const auto offset = static_cast<std::int32_t>(x.size());
    const int grid = k == 4 ? 1 : 2;  // grid steps per cell
    const int gx = grid * nx + 1, gy = grid * ny + 1;
    for (int j = 0; j < gy; ++j)
      for (int i = 0; i < gx; ++i) {
        x.push_back(x0 + b * i / (gx - 1));
        y.push_back(y0 + h * j / (gy - 1));
      }
    auto node = [&](int i, int j) { return offset + j * gx + i + 1; };
    std::int32_t n_el = 0;
    for (int cj = 0; cj < ny; ++cj)
      for (int ci = 0; ci < nx; ++ci) {
        const int i = grid * ci, j = grid * cj;
        if (k == 4) {
          connectivity.insert(connectivity.end(), {node(i, j), node(i + 1, j), node(i + 1, j + 1), node(i, j + 1)});
          ++n_el;
        } else {
          connectivity.insert(connectivity.end(), {node(i, j), node(i + 2, j), node(i + 2, j + 2), node(i + 1, j),
                                                   node(i + 2, j + 1), node(i + 1, j + 1)});
          connectivity.insert(connectivity.end(), {node(i, j), node(i + 2, j + 2), node(i, j + 2), node(i + 1, j + 1),
                                                   node(i + 1, j + 2), node(i, j + 1)});
          n_el += 2;
        }
      }
    parts.insert(parts.end(), static_cast<std::size_t>(n_el), part);
    domain_elements.push_back(n_el);
    domain_nodes.push_back(gx * gy);
  }

  // Appends one element from explicit coordinates as a new domain.
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

// Materials and bars that a test owns; input() points a SolverInput at them.
struct TestSection {
  TestMesh mesh;
  double E_ref = 1.0, nu_ref = 0.0, w_ref = 1.0;
  std::vector<double> E{1.0}, nu{0.0}, w{1.0};
  std::vector<double> bar_r, bar_x, bar_y, bar_E, bar_w;
  std::vector<double> sp_x, sp_y;
  std::int32_t n_parts = 1;

  void add_bar(double r, double x, double y, double E_b, double w_b) {
    bar_r.push_back(r);
    bar_x.push_back(x);
    bar_y.push_back(y);
    bar_E.push_back(E_b);
    bar_w.push_back(w_b);
  }

  SolverInput input() const {
    SolverInput in;
    in.k = mesh.k;
    in.domain_elements = mesh.domain_elements;
    in.domain_nodes = mesh.domain_nodes;
    in.node_x = mesh.x;
    in.node_y = mesh.y;
    in.connectivity = mesh.connectivity;
    in.part_numbers = mesh.parts;
    in.n_parts = n_parts;
    in.materials = SolverMaterials{E_ref, nu_ref, w_ref, E, nu, w};
    in.bars = SolverBars{bar_r, bar_x, bar_y, bar_E, bar_w};
    in.stress_x = sp_x;
    in.stress_y = sp_y;
    in.thread_count = 1;
    return in;
  }
};

}  // namespace bsp::test
