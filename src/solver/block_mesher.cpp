#include "solver/block_mesher.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

#include "solver/elements.h"

namespace bsp {
namespace {

// Division counts: a plate gets 50 along and 10 across, a junction square
// 10 by 10; the solid halves of the rectangle and the hexagon 35 by 70 (a
// 70 by 70 grid over the whole), those of the octagon 25 by 50. Rule of this
// library: the counts fix the mesh size per type (pinned by the node and
// element counts in tests/solver/block_mesher_test.cpp).
constexpr std::int32_t along = 50;
constexpr std::int32_t across = 10;
constexpr std::int32_t solid_first = 35, solid_second = 70;
constexpr std::int32_t octagon_first = 25, octagon_second = 50;
// The cross's vertical bar is split into two plates side by side.
constexpr std::int32_t cross_bar = 20;

// Two boundary nodes of neighbouring blocks are one node when both coordinate
// differences are below this share of the blocks' extent in that direction.
// Relative, so the test does not depend on the section's unit; far below
// the smallest element (1/70 of the extent) and far above rounding of the
// bilinear map.
constexpr double merge_tolerance = 1e-7;

}  // namespace

void SectionBlocks::add(std::span<const double, 8> c, std::int32_t k1, std::int32_t k2) {
  corners.insert(corners.end(), c.begin(), c.end());
  first_divisions.push_back(k1);
  second_divisions.push_back(k2);
}

void mirror_blocks(int axis_code, SectionBlocks& blocks) {
  const double s1 = axis_code == mirror_first ? -1.0 : 1.0;
  const double s2 = axis_code == mirror_first ? 1.0 : -1.0;
  const std::size_t n = blocks.count();
  for (std::size_t b = 0; b < n; ++b) {
    const std::array<double, 8> c = {
        blocks.corners[8 * b + 0], blocks.corners[8 * b + 1], blocks.corners[8 * b + 2], blocks.corners[8 * b + 3],
        blocks.corners[8 * b + 4], blocks.corners[8 * b + 5], blocks.corners[8 * b + 6], blocks.corners[8 * b + 7]};
    // Reversed corner order (4, 3, 2, 1) keeps a mirrored block
    // counter-clockwise, and keeps each division count on the pair of edges
    // it counted before.
    const std::array<double, 8> m = {s1 * c[6], s2 * c[7], s1 * c[4], s2 * c[5],
                                     s1 * c[2], s2 * c[3], s1 * c[0], s2 * c[1]};
    blocks.add(m, blocks.first_divisions[b], blocks.second_divisions[b]);
  }
}

SectionBlocks section_blocks(std::int32_t section_type, std::span<const double> dimensions) {
  SectionBlocks b;
  auto D = [&](int i) { return dimensions[static_cast<std::size_t>(i - 1)]; };
  // A block from its four corners, counter-clockwise.
  auto q = [&](double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
               std::int32_t k1, std::int32_t k2) {
    const std::array<double, 8> c = {x1, y1, x2, y2, x3, y3, x4, y4};
    b.add(c, k1, k2);
  };
  // An axis-parallel block [x0, x1] x [y0, y1].
  auto r = [&](double x0, double y0, double x1, double y1, std::int32_t k1, std::int32_t k2) {
    q(x0, y0, x1, y0, x1, y1, x0, y1, k1, k2);
  };
  const int P = along, T = across;
  int mirror = 0;
  switch (section_type) {
    case 1:
      r(-D(2) / 2, -D(1) / 2, 0, D(1) / 2, solid_first, solid_second);
      mirror = mirror_first;
      break;
    case 2:
      r(0, 0, D(2) / 2 - D(4), D(3), P, T);
      r(D(2) / 2 - D(4), D(3), D(2) / 2, D(1), T, P);
      r(D(2) / 2 - D(4), 0, D(2) / 2, D(3), T, T);
      mirror = mirror_first;
      break;
    case 3:
      r(0, D(4) / 2, D(5), D(2) / 2, T, P);
      r(D(1) - D(6), D(4) / 2, D(1), D(3) / 2, T, P);
      r(0, 0, D(5), D(4) / 2, T, T);
      r(D(1) - D(6), 0, D(1), D(4) / 2, T, T);
      r(D(5), 0, D(1) - D(6), D(4) / 2, P, T);
      mirror = mirror_second;
      break;
    case 4:
      r(0, 0, D(2) - D(3), D(4) / 2, P, T);
      r(D(2) - D(3), D(4) / 2, D(2), D(1) / 2, T, P);
      r(D(2) - D(3), 0, D(2), D(4) / 2, T, T);
      mirror = mirror_second;
      break;
    case 5:
      r(-D(2) / 2, 0, -D(2) / 2 + D(3), D(1) / 2 - D(4), T, P);
      r(D(2) / 2 - D(3), 0, D(2) / 2, D(1) / 2 - D(4), T, P);
      r(-D(2) / 2 + D(3), D(1) / 2 - D(4), D(2) / 2 - D(3), D(1) / 2, P, T);
      r(-D(2) / 2, D(1) / 2 - D(4), -D(2) / 2 + D(3), D(1) / 2, T, T);
      r(D(2) / 2 - D(3), D(1) / 2 - D(4), D(2) / 2, D(1) / 2, T, T);
      mirror = mirror_second;
      break;
    case 6:
      r(-D(4) / 2, D(2) / 2, D(4) / 2, D(1) / 2 + D(2) / 2, cross_bar, P);
      r(-D(3) / 2, 0, -D(4) / 2, D(2) / 2, P, T);
      r(D(4) / 2, 0, D(3) / 2, D(2) / 2, P, T);
      r(-D(4) / 2, 0, D(4) / 2, D(2) / 2, cross_bar, T);
      mirror = mirror_second;
      break;
    case 7:
      r(D(4) / 2, -D(1) / 2 - D(2) / 2, D(3) / 2, -D(1) / 2, P, T);
      r(D(4) / 2, D(1) / 2, D(3) / 2, D(1) / 2 + D(2) / 2, P, T);
      r(0, -D(1) / 2 - D(2) / 2, D(4) / 2, -D(1) / 2, T, T);
      r(0, D(1) / 2, D(4) / 2, D(1) / 2 + D(2) / 2, T, T);
      r(0, -D(1) / 2, D(4) / 2, D(1) / 2, T, P);
      mirror = mirror_first;
      break;
    case 8:
      r(0, 0, D(4) / 2, D(2), T, P);
      r(D(4) / 2, D(2), D(1) / 2, D(2) + D(3), P, T);
      r(0, D(2), D(4) / 2, D(2) + D(3), T, T);
      mirror = mirror_first;
      break;
    case 9:
      r(D(3) / 2, -D(1) - D(2) / 2, D(4) / 2, -D(2) / 2, T, P);
      q(-D(4) / 2, D(2) / 2, -D(3) / 2, D(2) / 2, -D(3) / 2, D(1) + D(2) / 2, -D(4) / 2, D(1) + D(2) / 2, T, P);
      q(-D(4) / 2, -D(2) / 2, -D(3) / 2, -D(2) / 2, -D(3) / 2, D(2) / 2, -D(4) / 2, D(2) / 2, T, T);
      r(D(3) / 2, -D(2) / 2, D(4) / 2, D(2) / 2, T, T);
      r(-D(3) / 2, -D(2) / 2, D(3) / 2, D(2) / 2, P, T);
      break;
    case 10:
      r(D(3) / 2, D(2), D(4) / 2, D(1) + D(2), T, P);
      r(D(3) / 2, 0, D(4) / 2, D(2), T, T);
      r(0, 0, D(3) / 2, D(2), P, T);
      mirror = mirror_first;
      break;
    case 11:
      q(-D(4) / 2, -D(1) / 2 - D(2) / 2, -D(3) / 2, -D(1) / 2 - D(2) / 2, -D(3) / 2, -D(2) / 2, -D(4) / 2, -D(2) / 2,
        T, P);
      r(D(3) / 2, -D(1) / 2 - D(2) / 2, D(4) / 2, -D(2) / 2, T, P);
      q(-D(4) / 2, -D(2) / 2, -D(3) / 2, -D(2) / 2, -D(3) / 2, 0, -D(4) / 2, 0, T, T);
      r(D(3) / 2, -D(2) / 2, D(4) / 2, 0, T, T);
      r(-D(3) / 2, -D(2) / 2, D(3) / 2, 0, P, T);
      mirror = mirror_second;
      break;
    case 12:
      r(D(2), -D(1) + D(4) / 2, D(3), D(4) / 2, P, T);
      r(0, -D(1) + D(4) / 2, D(2), D(4) / 2, T, T);
      q(0, 0, D(2), 0, D(2), -D(1) + D(4) / 2, 0, -D(1) + D(4) / 2, T, P);
      mirror = mirror_second;
      break;
    case 13:
      r(0, D(4) / 2, D(3), D(1) / 2, T, P);
      r(0, 0, D(3), D(4) / 2, T, T);
      r(D(3), 0, D(2), D(4) / 2, P, T);
      mirror = mirror_second;
      break;
    case 14:
      r(D(4), 0, D(2) - D(3), D(6), P, T);
      r(D(4), D(1) - D(5), D(2) - D(3), D(1), P, T);
      r(0, D(6), D(4), D(1) - D(5), T, P);
      r(D(2) - D(3), D(6), D(2), D(1) - D(5), T, P);
      r(0, 0, D(4), D(6), T, T);
      r(0, D(1) - D(5), D(4), D(1), T, T);
      r(D(2) - D(3), 0, D(2), D(6), T, T);
      r(D(2) - D(3), D(1) - D(5), D(2), D(1), T, T);
      break;
    case 15:
      r(-D(1) + D(2), D(3) / 2, -D(1) + 2 * D(2), D(3) / 2 + D(4), T, P);
      r(-D(1) + 2 * D(2), -D(2) + D(3) / 2, 0, D(3) / 2, P, T);
      r(-D(1) + D(2), -D(2) + D(3) / 2, -D(1) + 2 * D(2), D(3) / 2, T, T);
      r(0, -D(2) + D(3) / 2, D(2), D(3) / 2, T, T);
      r(0, 0, D(2), -D(2) + D(3) / 2, T, P);
      mirror = mirror_second;
      break;
    case 16:
      r(0, D(3) / 2, D(5), D(1) / 2, T, P);
      // 10 across and 50 along, like block 1 beside it: its edges then carry
      // the same nodes as those of blocks 1 and 5, and the mesh conforms.
      r(D(5), D(3) / 2, D(4) + D(5), D(1) / 2, T, P);
      r(D(4) + D(5), D(3) / 2 - D(4), D(2) - D(4), D(3) / 2, P, T);
      r(0, D(3) / 2 - D(4), D(5), D(3) / 2, T, T);
      r(D(5), D(3) / 2 - D(4), D(4) + D(5), D(3) / 2, T, T);
      r(D(2) - D(4), D(3) / 2 - D(4), D(2), D(3) / 2, T, T);
      r(0, 0, D(5), D(3) / 2 - D(4), T, P);
      r(D(2) - D(4), 0, D(2), D(3) / 2 - D(4), T, P);
      mirror = mirror_second;
      break;
    case 17:
      q(0, -D(2) / 2, D(3) / 2, D(1) - D(2) / 2, D(3) / 2, -D(1) + D(2) / 2, 0, D(2) / 2, solid_first, solid_second);
      mirror = mirror_first;
      break;
    case 20:
      r(0, D(4), D(3), D(1), T, P);
      r(D(3), 0, D(2), D(4), P, T);
      r(0, 0, D(3), D(4), T, T);
      break;
    case 21:
      r(0, D(5) / 2, D(4), D(2) + D(5) / 2, T, P);
      r(0, -D(5) / 2, D(4), D(5) / 2, T, T);
      r(D(4), -D(5) / 2, D(3), D(5) / 2, P, T);
      r(0, -D(1) - D(5) / 2, D(4), -D(5) / 2, T, P);
      break;
    case 22:
      q(D(4) / 2, -D(2) / 2, D(3) / 2, D(1) - D(2) / 2, D(3) / 2, -D(1) + D(2) / 2, D(4) / 2, D(2) / 2, octagon_first,
        octagon_second);
      r(0, -D(2) / 2, D(4) / 2, D(2) / 2, octagon_first, octagon_second);
      mirror = mirror_first;
      break;
    case 23:
      r(0, 0, D(2) - D(4), D(3), P, T);
      r(D(2) - D(4), 0, D(2), D(3), T, T);
      r(D(2) - D(4), D(3), D(2), D(1), T, P);
      break;
    case 24:
      r(0, 0, D(3) / 2, D(6), T, T);
      r(D(3) / 2, 0, D(5) / 2, D(6), P, T);
      r(0, D(6), D(3) / 2, D(1) - D(4), T, P);
      r(0, D(1) - D(4), D(3) / 2, D(1), T, T);
      r(D(3) / 2, D(1) - D(4), D(2) / 2, D(1), P, T);
      mirror = mirror_first;
      break;
    case 25:
      r(0, 0, D(3), D(6), T, T);
      r(D(3), 0, D(5), D(6), P, T);
      r(0, D(6), D(3), D(1) - D(4), T, P);
      r(0, D(1) - D(4), D(3), D(1), T, T);
      r(D(3), D(1) - D(4), D(2), D(1), P, T);
      break;
    case 26:
      r(0, 0, D(3), D(1) - D(4), T, P);
      r(0, D(1) - D(4), D(3), D(1), T, T);
      r(D(3), D(1) - D(4), D(2), D(1), P, T);
      break;
    case 27:
      r(D(3) / 2, 0, D(2) + D(3) / 2, D(4), P, T);
      r(D(3) / 2 - D(4), 0, D(3) / 2, D(4), T, T);
      r(D(3) / 2 - D(4), D(4), D(3) / 2, D(1) - D(4), T, P);
      r(D(3) / 2 - D(4), D(1) - D(4), D(3) / 2, D(1), T, T);
      r(0, D(1) - D(4), D(3) / 2 - D(4), D(1), P, T);
      mirror = mirror_first;
      break;
    default:  // 18, 19: circular, closed form; anything else: no shape
      break;
  }
  if (mirror != 0) mirror_blocks(mirror, b);
  return b;
}

void mesh_blocks(const SectionBlocks& blocks, T_SECDATA& mesh, std::int32_t node_limit) {
  const std::size_t n_blocks = blocks.count();
  std::size_t n_raw = 0, n_elem = 0;
  for (std::size_t b = 0; b < n_blocks; ++b) {
    const auto k1 = static_cast<std::size_t>(blocks.first_divisions[b]);
    const auto k2 = static_cast<std::size_t>(blocks.second_divisions[b]);
    n_raw += (k1 + 1) * (k2 + 1);
    n_elem += k1 * k2;
  }
  if (n_raw > static_cast<std::size_t>(std::max(node_limit, 0)))
    throw std::length_error("block mesh exceeds its node capacity");

  // Length scale of the merge test per direction.
  double x_lo = 0, x_hi = 0, y_lo = 0, y_hi = 0;
  for (std::size_t i = 0; i < 4 * n_blocks; ++i) {
    const double x = blocks.corners[2 * i], y = blocks.corners[2 * i + 1];
    if (i == 0) {
      x_lo = x_hi = x;
      y_lo = y_hi = y;
    }
    x_lo = std::min(x_lo, x);
    x_hi = std::max(x_hi, x);
    y_lo = std::min(y_lo, y);
    y_hi = std::max(y_hi, y);
  }
  const double tol_x = merge_tolerance * (x_hi - x_lo), tol_y = merge_tolerance * (y_hi - y_lo);

  std::vector<double> x(n_raw), y(n_raw);
  std::vector<std::int32_t> conn(4 * n_elem);
  // target[i]: the earlier node that node i is merged into, or i itself.
  std::vector<std::size_t> target(n_raw);
  // Surviving boundary nodes of earlier blocks, block after block, and per
  // block the range they take and their bounding box. A node is compared
  // only with the survivors of blocks whose box, widened by twice the
  // tolerance, holds it: nodes outside cannot pass the test (the widening
  // exceeds the rounding of the box test many times over), and the blocks
  // are visited in order, so the first match is the same as in a scan of
  // every earlier survivor.
  struct Survivors {
    std::size_t begin = 0, end = 0;
    double x_lo = 0, x_hi = 0, y_lo = 0, y_hi = 0;
  };
  std::vector<std::size_t> earlier_boundary;
  std::vector<Survivors> earlier_blocks;
  earlier_blocks.reserve(n_blocks);
  const double reach_x = 2 * tol_x, reach_y = 2 * tol_y;
  auto merge_target = [&](std::size_t node) {
    const double xn = x[node], yn = y[node];
    for (const Survivors& s : earlier_blocks) {
      if (xn < s.x_lo - reach_x || xn > s.x_hi + reach_x || yn < s.y_lo - reach_y || yn > s.y_hi + reach_y) continue;
      for (std::size_t k = s.begin; k < s.end; ++k) {
        const std::size_t e = earlier_boundary[k];
        if (std::abs(xn - x[e]) < tol_x && std::abs(yn - y[e]) < tol_y) return e;
      }
    }
    return node;
  };
  std::size_t first = 0, first_element = 0;
  for (std::size_t b = 0; b < n_blocks; ++b) {
    const std::int32_t k1 = blocks.first_divisions[b], k2 = blocks.second_divisions[b];
    const double* c = &blocks.corners[8 * b];
    const double ds = 2.0 / k1, dt = 2.0 / k2;
    Survivors own{earlier_boundary.size(), earlier_boundary.size(), 0, 0, 0, 0};
    for (std::int32_t j = 0; j <= k2; ++j) {
      const double t = j * dt - 1.0;
      for (std::int32_t i = 0; i <= k1; ++i) {
        const double s = i * ds - 1.0;
        const auto N = Quad4Rule::shape(s, t);
        const std::size_t node = first + static_cast<std::size_t>(j) * static_cast<std::size_t>(k1 + 1) +
                                 static_cast<std::size_t>(i);
        x[node] = N[0] * c[0] + N[1] * c[2] + N[2] * c[4] + N[3] * c[6];
        y[node] = N[0] * c[1] + N[1] * c[3] + N[2] * c[5] + N[3] * c[7];
        target[node] = node;
        if (i == 0 || i == k1 || j == 0 || j == k2) {
          target[node] = merge_target(node);
          if (target[node] == node) {
            if (own.end == own.begin) {
              own.x_lo = own.x_hi = x[node];
              own.y_lo = own.y_hi = y[node];
            }
            own.x_lo = std::min(own.x_lo, x[node]);
            own.x_hi = std::max(own.x_hi, x[node]);
            own.y_lo = std::min(own.y_lo, y[node]);
            own.y_hi = std::max(own.y_hi, y[node]);
            earlier_boundary.push_back(node);
            ++own.end;
          }
        }
      }
    }
    const std::size_t row = static_cast<std::size_t>(k1) + 1;
    std::int32_t* out = conn.data() + 4 * first_element;
    for (std::int32_t j = 1; j <= k2; ++j)
      for (std::int32_t i = 1; i <= k1; ++i) {
        const std::size_t p = first + static_cast<std::size_t>(j - 1) * row + static_cast<std::size_t>(i - 1);
        *out++ = static_cast<std::int32_t>(p);
        *out++ = static_cast<std::int32_t>(p + 1);
        *out++ = static_cast<std::int32_t>(p + row + 1);
        *out++ = static_cast<std::int32_t>(p + row);
      }
    // A block's own nodes are never compared with each other, so its
    // survivors join the list only after it is done.
    earlier_blocks.push_back(own);
    first += row * static_cast<std::size_t>(k2 + 1);
    first_element += static_cast<std::size_t>(k1) * static_cast<std::size_t>(k2);
  }

  // Survivors numbered 1, 2, ... in order of creation.
  std::vector<std::int32_t> number(n_raw, 0);
  mesh.x.clear();
  mesh.y.clear();
  mesh.x.reserve(n_raw);
  mesh.y.reserve(n_raw);
  for (std::size_t i = 0; i < n_raw; ++i)
    if (target[i] == i) {
      mesh.x.push_back(x[i]);
      mesh.y.push_back(y[i]);
      number[i] = static_cast<std::int32_t>(mesh.x.size());
    }
  for (std::int32_t& v : conn) v = number[target[static_cast<std::size_t>(v)]];
  mesh.connectivity = std::move(conn);
  mesh.n_nodes = static_cast<std::int32_t>(mesh.x.size());
  mesh.n_elements = static_cast<std::int32_t>(n_elem);
}

void build_section_blocks(T_SECDATA& record, std::span<const double> dimensions) {
  mesh_blocks(section_blocks(record.section_type, dimensions), record);
}

T_SECDATA standard_section_mesh(std::int32_t section_type, std::span<const double> dimensions) {
  T_SECDATA record;
  record.section_type = section_type;
  build_section_blocks(record, dimensions);
  return record;
}

}  // namespace bsp
