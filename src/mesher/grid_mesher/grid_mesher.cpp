#include "mesher/grid_mesher/grid_mesher.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "mesher/data_2d/mesh_error.h"
#include "mesher/data_2d/point_grid.h"
#include "mesher/data_2d/primitives.h"
#include "mesher/mesher_2d/advancing_front.h"
#include "mesher/mesher_2d/node_pair_map.h"
#include "mesher/mesher_2d/segment_grid.h"

namespace grid_mesher {

using data_2d::Element;
using data_2d::Mesh_Error;
using data_2d::Node;
using data_2d::Point;
using data_2d::Wire;
using mesher_2d::Box;
namespace wire_kind = data_2d::wire_kind;

namespace {

// Two directions closer than this (degrees) to a multiple of 90 degrees apart
// count as one family of the outline, and a rotation angle this close to a
// multiple of 90 is not worth turning. Rule of this library.
constexpr double axis_band_deg = 1.0;
// A direction family needs more than this many segments to set the axes.
constexpr int min_family_segments = 2;

// Rotation angles (degrees) at or below this are no rotation at all.
constexpr double no_rotation_deg = 1e-8;

// Grid nodes closer than this many grid steps to a wire or a seed are
// removed: about half the diagonal of a square cell (sqrt(2)/2 to three
// digits, rule of this library), so the strip left for the gap filling is
// never thinner than that. Pinned by GridMesherRectangle.KeepsInnerGridOfTenByFour.
constexpr double trim_radius_factor = 0.707;

// The gap filling looks this many element sizes around a segment for
// candidates and obstacles. Rule of this library.
constexpr double search_radius_factor = 5.0;

// Largest grid this mesher builds (nodes); an element size so small that the
// grid would exceed it is refused rather than left to exhaust memory.
constexpr double max_grid_nodes = 1e9;

// Cells per wire segment allowed in the segment grid, bounding its memory
// whatever the trim radius.
constexpr std::size_t cells_per_item = 4;
constexpr std::size_t min_cells = 1024;

bool near_axis_multiple(double difference_deg) noexcept {
  const double d = difference_deg;
  return d < axis_band_deg || (d > 90.0 - axis_band_deg && d < 90.0 + axis_band_deg) ||
         (d > 180.0 - axis_band_deg && d < 180.0 + axis_band_deg) ||
         (d > 270.0 - axis_band_deg && d < 270.0 + axis_band_deg) || d > 360.0 - axis_band_deg;
}

// Squared length and number of the segments in each segment's direction
// family: those whose direction differs from its own by a near multiple of
// 90 degrees (near_axis_multiple). Scanning every pair is quadratic, which
// for an outline divided into hundreds of thousands of pieces takes minutes.
// Directions are signed angles in [-180, 180], so with the directions sorted
// the members of segment i's family are runs: the one around its own
// direction, and below and above it one for each difference band about 90,
// 180, 270 and 360 degrees. On either side of i the difference only grows,
// so the ends of each run are found by bisection. Segments whose runs
// coincide have the same members, so a family's sum is formed once, by the
// scan in segment order, bit for bit as the pairwise scan forms it. The
// pieces of one straight segment share their family: the cost is one scan
// per distinct family.
struct DirectionFamily {
  double sum = 0.0;
  int count = 0;
};

std::vector<DirectionFamily> direction_families(const std::vector<double>& angle, const std::vector<double>& length2) {
  const std::size_t n = angle.size();
  const auto scan = [&](double a) {
    DirectionFamily f;
    for (std::size_t j = 0; j < n; ++j) {
      if (near_axis_multiple(std::abs(angle[j] - a))) {
        f.sum += length2[j];
        ++f.count;
      }
    }
    return f;
  };
  std::vector<DirectionFamily> family(n);
  if (!std::all_of(angle.begin(), angle.end(), [](double a) { return a >= -180.0 && a <= 180.0; })) {
    for (std::size_t i = 0; i < n; ++i) family[i] = scan(angle[i]);
    return family;
  }
  // The bands lo < d < hi of near_axis_multiple beyond the one around 0.
  constexpr double b = axis_band_deg, unbounded = std::numeric_limits<double>::infinity();
  constexpr std::array<std::pair<double, double>, 4> bands = {
      {{90.0 - b, 90.0 + b}, {180.0 - b, 180.0 + b}, {270.0 - b, 270.0 + b}, {360.0 - b, unbounded}}};
  std::vector<double> sorted = angle;
  std::sort(sorted.begin(), sorted.end());
  const auto begin = sorted.begin(), end = sorted.end();
  using Key = std::array<std::ptrdiff_t, 2 + 4 * bands.size()>;
  std::map<Key, DirectionFamily> known;
  for (std::size_t i = 0; i < n; ++i) {
    const double a = angle[i];
    const auto split = std::lower_bound(begin, end, a);
    const auto d = [a](double s) { return std::abs(s - a); };
    // Below the split the difference falls with the position, above it rises.
    const auto below_first = [&](auto holds) { return std::partition_point(begin, split, holds) - begin; };
    const auto above_first = [&](auto holds) { return std::partition_point(split, end, holds) - begin; };
    Key key{};
    std::size_t k = 0;
    // A run [from, to) of sorted positions, an empty one as (0, 0).
    const auto put = [&](std::ptrdiff_t from, std::ptrdiff_t to) {
      key[k++] = from < to ? from : 0;
      key[k++] = from < to ? to : 0;
    };
    put(below_first([&](double s) { return d(s) >= b; }), above_first([&](double s) { return d(s) < b; }));
    for (const auto& band : bands) {
      const double lo = band.first, hi = band.second;
      put(below_first([&](double s) { return d(s) >= hi; }), below_first([&](double s) { return d(s) > lo; }));
      put(above_first([&](double s) { return d(s) <= lo; }), above_first([&](double s) { return d(s) < hi; }));
    }
    const auto found = known.find(key);
    family[i] = found != known.end() ? found->second : known.emplace(key, scan(a)).first->second;
  }
  return family;
}

const Wire* outer_wire(const std::vector<std::unique_ptr<Wire>>& wires) noexcept {
  for (const auto& wire : wires) {
    if (wire->kind == wire_kind::outer) return wire.get();
  }
  return nullptr;
}

// Every segment of every wire; a wire of one node enters as a point segment so
// that the node still counts in the distance tests.
std::vector<mesher_2d::Segment> wire_segments(const std::vector<std::unique_ptr<Wire>>& wires) {
  std::vector<mesher_2d::Segment> segments;
  for (const auto& wire : wires) {
    if (wire->nodes.size() == 1) segments.push_back({wire->nodes[0]->point(), wire->nodes[0]->point()});
    for (std::size_t i = 1; i < wire->nodes.size(); ++i) {
      segments.push_back({wire->nodes[i - 1]->point(), wire->nodes[i]->point()});
    }
  }
  return segments;
}

// For the grid rows, from the lowest up: true for each column x that lies
// inside the closed wire, by the parity of the wire's crossings of the row to
// its left (a segment counts when y lies in [its lower end, its upper end)).
// For a point at least the trim radius away from every wire segment this is
// the same answer as the winding-sum test (|sum| near 360 inside, near 0
// outside); points nearer than that are removed by the distance rule anyway,
// so the trimming result does not depend on which test is used there. The
// segments are taken up in the order of their lower ends and dropped once
// below the row, so a row visits only the segments it crosses, not the whole
// wire (a long, finely divided outline has as many segments as rows).
class RowCrossings {
 public:
  explicit RowCrossings(const Wire& wire) {
    for (std::size_t i = 1; i < wire.nodes.size(); ++i)
      segments_.push_back({wire.nodes[i - 1]->point(), wire.nodes[i]->point()});
    std::stable_sort(segments_.begin(), segments_.end(),
                     [](const Edge& a, const Edge& b) { return a.lower() < b.lower(); });
  }

  // Rows must come with non-decreasing y.
  void mark_inside(double y, const std::vector<double>& columns, std::vector<char>& inside) {
    for (; next_ < segments_.size() && segments_[next_].lower() <= y; ++next_) active_.push_back(next_);
    std::erase_if(active_, [&](std::size_t k) { return !(segments_[k].upper() > y); });
    crossings_.clear();
    for (const std::size_t k : active_) {
      const Point p = segments_[k].p, q = segments_[k].q;
      if ((p.y <= y) != (q.y <= y)) crossings_.push_back(p.x + (y - p.y) * (q.x - p.x) / (q.y - p.y));
    }
    std::sort(crossings_.begin(), crossings_.end());
    std::size_t passed = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      while (passed < crossings_.size() && crossings_[passed] < columns[i]) ++passed;
      inside[i] = static_cast<char>(passed % 2 == 1);
    }
  }

 private:
  struct Edge {
    Point p, q;
    double lower() const { return std::min(p.y, q.y); }
    double upper() const { return std::max(p.y, q.y); }
  };
  std::vector<Edge> segments_;
  std::vector<std::size_t> active_;
  std::size_t next_ = 0;
  std::vector<double> crossings_;
};

}  // namespace

void Grid_Mesher::prepare_mesh() {
  Mesher_2D::prepare_mesh();
  gap_cells_.clear();
  gap_side_cells_.clear();
  unused_grid_nodes_.clear();
  rotated = false;
  rotation_angle = 0.0;
  rotation_centre = {};
  const Wire* outer = outer_wire(wires);
  if (outer == nullptr) return;
  const std::size_t n = outer->nodes.size() < 2 ? 0 : outer->nodes.size() - 1;
  std::vector<double> angle(n);
  std::vector<double> length2(n);
  for (std::size_t i = 0; i < n; ++i) {
    const Point p = outer->nodes[i]->point();
    const Point q = outer->nodes[i + 1]->point();
    angle[i] = data_2d::subtended_angle(p, {p.x + 1.0, p.y}, q);
    length2[i] = data_2d::squared_distance(p, q);
  }
  // The direction family with the most squared length decides the axes.
  const std::vector<DirectionFamily> family = direction_families(angle, length2);
  double best = -1.0;
  std::size_t winner = n;
  for (std::size_t i = 0; i < n; ++i) {
    if (family[i].count > min_family_segments && family[i].sum > best) {
      best = family[i].sum;
      winner = i;
    }
  }
  if (winner == n) return;
  rotation_centre = outer->nodes[winner]->point();
  rotation_angle = angle[winner];
  rotated = !near_axis_multiple(std::abs(rotation_angle));
  if (rotated && std::abs(rotation_angle) > no_rotation_deg) {
    for (const auto& node : nodes) {
      const Point p = data_2d::rotate(node->point(), rotation_centre, -rotation_angle);
      node->x = p.x;
      node->y = p.y;
    }
    reset_node_index();
  }
}

void Grid_Mesher::write_mesh(domain_maker::Mesh_Data& record) {
  if (rotated && std::abs(rotation_angle) > no_rotation_deg) {
    for (const auto& node : nodes) {
      const Point p = data_2d::rotate(node->point(), rotation_centre, rotation_angle);
      node->x = p.x;
      node->y = p.y;
    }
    reset_node_index();
  }
  Mesher_2D::write_mesh(record);
}

void Grid_Mesher::generate_grid() {
  const Wire* outer = outer_wire(wires);
  if (outer == nullptr) throw Mesh_Error("* no outer wire - Mesher_2D::check_input_data()");
  const double h = element_size * size_factor;
  std::vector<Point> outer_points;
  for (const Node* node : outer->nodes) outer_points.push_back(node->point());
  const Box box = mesher_2d::bounding_box(outer_points);
  const double width = box.x_max - box.x_min;
  const double height = box.y_max - box.y_min;
  const double columns_d = std::max(std::trunc(width / h), 1.0);
  const double rows_d = std::max(std::trunc(height / h), 1.0);
  if (!((columns_d + 1.0) * (rows_d + 1.0) <= max_grid_nodes)) {
    throw Mesh_Error("* too many grid nodes - Grid_Mesher::generate_grid()");
  }
  const auto nx = static_cast<std::size_t>(columns_d);
  const auto ny = static_cast<std::size_t>(rows_d);
  const auto grid_index = [nx](std::size_t i, std::size_t j) { return (nx + 1) * j + i; };

  std::vector<double> xs(nx + 1);
  std::vector<double> ys(ny + 1);
  for (std::size_t i = 0; i <= nx; ++i) xs[i] = box.x_min + static_cast<double>(i) * width / static_cast<double>(nx);
  for (std::size_t j = 0; j <= ny; ++j) ys[j] = box.y_min + static_cast<double>(j) * height / static_cast<double>(ny);

  // Node trimming.
  const double r = trim_radius_factor * h;
  const double r2 = r * r;
  const std::vector<mesher_2d::Segment> segments = wire_segments(wires);
  std::vector<Point> all_points = outer_points;
  for (const auto& node : nodes) all_points.push_back(node->point());
  const Box wide = mesher_2d::bounding_box(all_points);
  const mesher_2d::Segment_Grid segment_grid(segments, wide, r, cells_per_item * segments.size() + min_cells);
  data_2d::Point_Grid seed_grid(r);
  for (std::size_t s = 0; s < seeds.size(); ++s) seed_grid.insert(static_cast<std::int32_t>(s), seeds[s]->point());

  std::vector<char> removed((nx + 1) * (ny + 1), 0);
  std::vector<char> inside(nx + 1);
  std::vector<char> in_hole(nx + 1);
  RowCrossings outer_rows(*outer);
  std::vector<RowCrossings> hole_rows;
  for (const auto& wire : wires)
    if (wire->kind == wire_kind::inner) hole_rows.emplace_back(*wire);
  std::vector<std::uint32_t> near;
  for (std::size_t j = 0; j <= ny; ++j) {
    outer_rows.mark_inside(ys[j], xs, inside);
    std::fill(in_hole.begin(), in_hole.end(), 0);
    for (RowCrossings& hole : hole_rows) {
      std::vector<char> in_this(nx + 1);
      hole.mark_inside(ys[j], xs, in_this);
      for (std::size_t i = 0; i <= nx; ++i) in_hole[i] = static_cast<char>(in_hole[i] || in_this[i]);
    }
    for (std::size_t i = 0; i <= nx; ++i) {
      poll_interrupt();
      const Point p{xs[i], ys[j]};
      bool remove = !inside[i] || in_hole[i];
      if (!remove) {
        for (const std::int32_t s : seed_grid.near(p, r)) {
          remove = remove || data_2d::squared_distance(p, seeds[static_cast<std::size_t>(s)]->point()) < r2;
        }
      }
      if (!remove) {
        segment_grid.collect({p.x - r, p.y - r, p.x + r, p.y + r}, near);
        for (const std::uint32_t s : near) {
          const mesher_2d::Segment& seg = segments[s];
          if (data_2d::squared_distance(p, seg.a) < r2 || data_2d::squared_distance(p, seg.b) < r2) {
            remove = true;
            break;
          }
          const auto foot = data_2d::foot_on_segment(p, seg.a, seg.b);
          if (foot && data_2d::squared_distance(p, *foot) < r2) {
            remove = true;
            break;
          }
        }
      }
      removed[grid_index(i, j)] = static_cast<char>(remove);
    }
  }

  // The surviving grid nodes, numbered in grid order.
  std::vector<std::unique_ptr<Node>> grid_nodes((nx + 1) * (ny + 1));
  for (std::size_t j = 0; j <= ny; ++j) {
    for (std::size_t i = 0; i <= nx; ++i) {
      if (!removed[grid_index(i, j)]) grid_nodes[grid_index(i, j)] = std::make_unique<Node>(0u, xs[i], ys[j]);
    }
  }

  const auto crosses_wire = [&](Point a, Point b) {
    segment_grid.collect({std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)}, near);
    return std::any_of(near.begin(), near.end(), [&](std::uint32_t s) {
      return data_2d::segments_cross(a, b, segments[s].a, segments[s].b);
    });
  };

  // Cell trimming. kept_cell holds, per grid cell, its index in `cells` or -1.
  std::vector<std::unique_ptr<Element>> cells;
  std::vector<std::int64_t> kept_cell(nx * ny, -1);
  for (std::size_t j = 0; j < ny; ++j) {
    for (std::size_t i = 0; i < nx; ++i) {
      poll_interrupt();
      const std::size_t corner_index[4] = {grid_index(i, j), grid_index(i + 1, j), grid_index(i + 1, j + 1),
                                           grid_index(i, j + 1)};
      std::vector<Node*> corners;
      for (const std::size_t k : corner_index) {
        if (grid_nodes[k]) corners.push_back(grid_nodes[k].get());
      }
      if (corners.size() < 3) continue;
      bool trimmed = corners.size() == 3;
      if (corners.size() == 4) {
        bool crossing[4];
        int count = 0;
        for (std::size_t k = 0; k < 4; ++k) {
          crossing[k] = crosses_wire(corners[k]->point(), corners[(k + 1) % 4]->point());
          count += crossing[k] ? 1 : 0;
        }
        if (count == 1) {
          const auto k = static_cast<std::size_t>(std::find(crossing, crossing + 4, true) - crossing);
          corners.erase(corners.begin() + static_cast<std::ptrdiff_t>(k));
          trimmed = true;
        } else if (count == 2) {
          // Adjacent sides k and k+1 share corner k+1; opposite sides share none.
          std::size_t shared = 4;
          for (std::size_t k = 0; k < 4; ++k) {
            if (crossing[k] && crossing[(k + 1) % 4]) shared = (k + 1) % 4;
          }
          if (shared == 4) continue;
          corners.erase(corners.begin() + static_cast<std::ptrdiff_t>(shared));
          trimmed = true;
        } else if (count > 2) {
          continue;
        }
      }
      if (trimmed) {
        bool crosses = false;
        for (std::size_t k = 0; k < 3 && !crosses; ++k) crosses = crosses_wire(corners[k]->point(), corners[(k + 1) % 3]->point());
        if (crosses) continue;
      }
      if (!seeds.empty()) {
        // A seed can only fall on or near the cell if it lies within the
        // cell's longest side of its first corner.
        double reach2 = 0.0;
        for (std::size_t k = 0; k < corners.size(); ++k) {
          reach2 = std::max(reach2, data_2d::squared_distance(corners[k]->point(), corners[(k + 1) % corners.size()]->point()));
        }
        bool discard = false;
        for (const std::int32_t s : seed_grid.near(corners[0]->point(), 2.0 * std::sqrt(reach2))) {
          const Point seed = seeds[static_cast<std::size_t>(s)]->point();
          for (std::size_t k = 0; k < corners.size() && !discard; ++k) {
            const Point a = corners[k]->point();
            const Point b = corners[(k + 1) % corners.size()]->point();
            const auto foot = data_2d::foot_on_segment(seed, a, b);
            discard = foot && data_2d::squared_distance(seed, *foot) < 0.5 * data_2d::squared_distance(a, b);
          }
          discard = discard || std::abs(data_2d::winding_sum_cyclic(seed, corners)) > data_2d::winding_inside;
          if (discard) break;
        }
        if (discard) continue;
      }
      kept_cell[j * nx + i] = static_cast<std::int64_t>(cells.size());
      cells.push_back(std::make_unique<Element>(std::move(corners)));
    }
  }

  // What the gap filling needs from the grid. A whole cell whose four
  // neighbours across its sides are whole cells too has no side on the gap;
  // only the other cells can put sides on the front, and the other side of
  // such a side can only belong to one of them or to a neighbour of one.
  // Keeping these lists here spares the gap filling a table of every side of
  // the grid.
  gap_cells_.clear();
  gap_side_cells_.clear();
  unused_grid_nodes_.clear();
  const auto whole = [&](std::size_t i, std::size_t j) {
    const std::int64_t c = kept_cell[j * nx + i];
    return c >= 0 && cells[static_cast<std::size_t>(c)]->nodes.size() == 4;
  };
  std::vector<char> near_gap(cells.size(), 0);
  for (std::size_t j = 0; j < ny; ++j) {
    for (std::size_t i = 0; i < nx; ++i) {
      const std::int64_t c = kept_cell[j * nx + i];
      if (c < 0) continue;
      const bool inner = whole(i, j) && i > 0 && i + 1 < nx && j > 0 && j + 1 < ny && whole(i - 1, j) && whole(i + 1, j) &&
                         whole(i, j - 1) && whole(i, j + 1);
      if (inner) continue;
      gap_cells_.push_back(cells[static_cast<std::size_t>(c)].get());
      near_gap[static_cast<std::size_t>(c)] = 1;
      const std::int64_t neighbours[4] = {i > 0 ? kept_cell[j * nx + i - 1] : -1, i + 1 < nx ? kept_cell[j * nx + i + 1] : -1,
                                          j > 0 ? kept_cell[(j - 1) * nx + i] : -1, j + 1 < ny ? kept_cell[(j + 1) * nx + i] : -1};
      for (const std::int64_t n : neighbours) {
        if (n >= 0) near_gap[static_cast<std::size_t>(n)] = 1;
      }
    }
  }
  for (std::size_t c = 0; c < cells.size(); ++c) {
    if (near_gap[c] != 0) gap_side_cells_.push_back(cells[c].get());
  }
  std::vector<char> used(grid_nodes.size(), 0);
  for (std::size_t j = 0; j < ny; ++j) {
    for (std::size_t i = 0; i < nx; ++i) {
      if (kept_cell[j * nx + i] < 0) continue;
      for (const std::size_t k : {grid_index(i, j), grid_index(i + 1, j), grid_index(i + 1, j + 1), grid_index(i, j + 1)}) used[k] = 1;
    }
  }
  for (std::size_t k = 0; k < grid_nodes.size(); ++k) {
    if (grid_nodes[k] && used[k] == 0) unused_grid_nodes_.push_back(grid_nodes[k].get());
  }

  for (auto& node : grid_nodes) {
    if (node) nodes.push_back(std::move(node));
  }
  for (auto& cell : cells) elements.push_back(std::move(cell));
}

void Grid_Mesher::fill_gaps() {
  std::size_t wire_segment_count = 0;
  for (const auto& wire : wires) wire_segment_count += wire->nodes.size();
  mesher_2d::Advancing_Front front(search_radius_factor * element_size, 4 * wire_segment_count + elements.size());

  for (const auto& wire : wires) {
    for (std::size_t i = 1; i < wire->nodes.size(); ++i) {
      front.add_segment(wire->nodes[i - 1], wire->nodes[i], false);
      front.add_segment(wire->nodes[i], wire->nodes[i - 1], wire->kind != wire_kind::open_line);
    }
  }

  // Nodes on no wire and in no cell: the input nodes off the wires (no cell
  // uses them), then the grid nodes all of whose cells were discarded, in
  // node order; then the seeds, which no cell uses either.
  for (const auto& node : nodes) {
    if (node->id > 0 && node->on_boundary == 0) front.add_node(node.get());
  }
  for (Node* node : unused_grid_nodes_) front.add_node(node);
  for (Node* seed : seeds) front.add_node(seed);

  // Sides of kept cells that no other cell has, reversed; wire segments are
  // on the front already.
  std::size_t side_count = 0;
  for (const Element* cell : gap_side_cells_) side_count += cell->nodes.size();
  mesher_2d::Node_Pair_Map sides(side_count);
  for (const Element* cell : gap_side_cells_) {
    const std::size_t k = cell->nodes.size();
    for (std::size_t i = 0; i < k; ++i) sides.insert(cell->nodes[i], cell->nodes[(i + 1) % k], 0);
  }
  mesher_2d::Node_Pair_Map initial_segments(2 * wire_segment_count);
  for (const auto& [wire, list] : initial_wires) {
    for (std::size_t i = 1; i < list.size(); ++i) {
      initial_segments.insert(list[i - 1], list[i], 0);
      initial_segments.insert(list[i], list[i - 1], 0);
    }
  }
  for (const Element* cell : gap_cells_) {
    const std::size_t k = cell->nodes.size();
    for (std::size_t i = 0; i < k; ++i) {
      Node* a = cell->nodes[i];
      Node* b = cell->nodes[(i + 1) % k];
      if (!sides.contains(b, a) && !initial_segments.contains(a, b)) front.add_segment(b, a, false);
    }
  }

  front.fill(elements, interrupt);
}

void Grid_Mesher::generate_mesh(domain_maker::Mesh_Data& record, mesher_2d::Interrupt interrupt_function) {
  interrupt = interrupt_function;
  clear();
  load_input_data(record);
  prepare_mesh();
  generate_grid();
  fill_gaps();
  // The front may leave holes (or, on unusual outlines, overlaps); a mesh
  // that does not cover the region exactly would give wrong properties, so
  // it is refused here and the drivers fall back to the loop mesher.
  if (!elements_cover_region()) throw Mesh_Error("* failed to fill gaps - Grid_Mesher::generate_mesh()");
  // No caller uses the smoothing sequence of finish_mode 2, so it finishes
  // like mode 1; any other value leaves the quadrilaterals.
  if (finish_mode == domain_maker::finish_mode::split_quadrilaterals ||
      finish_mode == domain_maker::finish_mode::smooth_then_split) {
    split_quadrilaterals();
  }
  if (record.quadratic != 0) make_quadratic();
  write_mesh(record);
}

}  // namespace grid_mesher
