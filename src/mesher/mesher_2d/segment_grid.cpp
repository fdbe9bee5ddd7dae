#include "mesher/mesher_2d/segment_grid.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace mesher_2d {

namespace {

// A segment is registered in the cells around points sampled along it at this
// fraction of the cell side. Every point of the segment is then within a
// quarter cell of a sample, so it lies in the sample's cell or a neighbour,
// and registering the 3 x 3 block around each sample covers every cell the
// segment passes through.
constexpr double segment_sample_fraction = 0.5;

}  // namespace

Box bounding_box(std::span<const data_2d::Point> points) noexcept {
  if (points.empty()) return {};
  Box box{points[0].x, points[0].y, points[0].x, points[0].y};
  for (const data_2d::Point& p : points) {
    box.x_min = std::min(box.x_min, p.x);
    box.y_min = std::min(box.y_min, p.y);
    box.x_max = std::max(box.x_max, p.x);
    box.y_max = std::max(box.y_max, p.y);
  }
  return box;
}

Grid_Frame::Grid_Frame(Box box, double cell_size, std::size_t max_cells) : box_(box) {
  const double width = std::max(box.x_max - box.x_min, 0.0);
  const double height = std::max(box.y_max - box.y_min, 0.0);
  const double limit = static_cast<double>(std::max<std::size_t>(max_cells, 1));
  double side = std::isfinite(cell_size) && cell_size > 0.0 ? cell_size : std::max({width, height, 1.0});
  // Grow the side until the cell count fits; each pass at least halves the
  // count estimate, so this ends after a few passes.
  for (;;) {
    const double columns = std::floor(width / side) + 1.0;
    const double rows = std::floor(height / side) + 1.0;
    if (columns * rows <= limit) {
      columns_ = static_cast<std::int64_t>(columns);
      rows_ = static_cast<std::int64_t>(rows);
      break;
    }
    side *= std::max(std::sqrt(columns * rows / limit), 1.5);
  }
  cell_size_ = side;
}

std::int64_t Grid_Frame::column(double x) const noexcept {
  const double c = std::floor((x - box_.x_min) / cell_size_);
  if (!(c > 0.0)) return 0;  // also catches NaN
  return c >= static_cast<double>(columns_ - 1) ? columns_ - 1 : static_cast<std::int64_t>(c);
}

std::int64_t Grid_Frame::row(double y) const noexcept {
  const double r = std::floor((y - box_.y_min) / cell_size_);
  if (!(r > 0.0)) return 0;
  return r >= static_cast<double>(rows_ - 1) ? rows_ - 1 : static_cast<std::int64_t>(r);
}

Segment_Grid::Segment_Grid(std::span<const Segment> segments, Box box, double cell_size, std::size_t max_cells)
    : frame_(box, cell_size, max_cells) {
  // (cell, segment) pairs, then a counting sort into one array per cell.
  std::vector<std::pair<std::size_t, std::uint32_t>> pairs;
  std::vector<std::size_t> cells;
  const double step = segment_sample_fraction * frame_.cell_size();
  for (std::uint32_t s = 0; s < segments.size(); ++s) {
    const Segment& seg = segments[s];
    const double length = std::hypot(seg.b.x - seg.a.x, seg.b.y - seg.a.y);
    const double samples = std::isfinite(length) ? std::ceil(length / step) : 0.0;
    const std::size_t n = static_cast<std::size_t>(samples) + 1;
    cells.clear();
    for (std::size_t k = 0; k <= n; ++k) {
      const double t = static_cast<double>(k) / static_cast<double>(n);
      const data_2d::Point p{seg.a.x + t * (seg.b.x - seg.a.x), seg.a.y + t * (seg.b.y - seg.a.y)};
      const std::int64_t col = frame_.column(p.x);
      const std::int64_t row = frame_.row(p.y);
      for (std::int64_t r = row - 1; r <= row + 1; ++r) {
        for (std::int64_t c = col - 1; c <= col + 1; ++c) {
          const std::int64_t cc = std::clamp<std::int64_t>(c, 0, frame_.columns() - 1);
          const std::int64_t rr = std::clamp<std::int64_t>(r, 0, frame_.rows() - 1);
          cells.push_back(frame_.cell(cc, rr));
        }
      }
    }
    std::sort(cells.begin(), cells.end());
    cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
    for (const std::size_t cell : cells) pairs.emplace_back(cell, s);
  }
  start_.assign(frame_.cell_count() + 1, 0);
  for (const auto& [cell, s] : pairs) ++start_[cell + 1];
  for (std::size_t c = 0; c < frame_.cell_count(); ++c) start_[c + 1] += start_[c];
  items_.resize(pairs.size());
  std::vector<std::uint32_t> fill(start_.begin(), start_.end() - 1);
  for (const auto& [cell, s] : pairs) items_[fill[cell]++] = s;
}

void Segment_Grid::collect(Box query, std::vector<std::uint32_t>& out) const {
  out.clear();
  const std::int64_t c0 = frame_.column(query.x_min);
  const std::int64_t c1 = frame_.column(query.x_max);
  const std::int64_t r0 = frame_.row(query.y_min);
  const std::int64_t r1 = frame_.row(query.y_max);
  for (std::int64_t r = r0; r <= r1; ++r) {
    for (std::int64_t c = c0; c <= c1; ++c) {
      const std::size_t cell = frame_.cell(c, r);
      out.insert(out.end(), items_.begin() + start_[cell], items_.begin() + start_[cell + 1]);
    }
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
}

}  // namespace mesher_2d
