// A uniform bucket grid over a fixed set of segments (the wires of a region),
// so that trimming a grid against the wires costs work proportional to the
// wire segments near each grid node or cell side instead of all of them.
// Points are indexed by data_2d::Point_Grid; segments need their own grid
// because one segment spans many cells.
//
// The grid only narrows the candidates: every segment that passes near a
// query is returned, possibly with others, and the caller applies its exact
// test. Candidates come back sorted by segment number, so a caller that keeps
// the first match gets the same answer as a scan over every segment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "mesher/data_2d/point.h"

namespace mesher_2d {

struct Box {
  double x_min = 0.0;
  double y_min = 0.0;
  double x_max = 0.0;
  double y_max = 0.0;
};

// Smallest box holding every point; an empty span gives the zero box.
Box bounding_box(std::span<const data_2d::Point> points) noexcept;

// The cell layout: columns and rows of square cells over
// a box. Points outside the box fall into the nearest border cell; clamping
// moves a cell index by no more than the point moved, so neighbourhood queries
// stay complete for outside points too.
class Grid_Frame {
 public:
  // The cell side grows beyond `cell_size` when the box would need more than
  // `max_cells` cells, which bounds the memory whatever sizes a caller asks for.
  Grid_Frame(Box box, double cell_size, std::size_t max_cells);

  std::int64_t column(double x) const noexcept;
  std::int64_t row(double y) const noexcept;
  std::size_t cell(std::int64_t column, std::int64_t row) const noexcept {
    return static_cast<std::size_t>(row * columns_ + column);
  }
  std::size_t cell_count() const noexcept { return static_cast<std::size_t>(columns_ * rows_); }
  double cell_size() const noexcept { return cell_size_; }
  std::int64_t columns() const noexcept { return columns_; }
  std::int64_t rows() const noexcept { return rows_; }

 private:
  Box box_;
  double cell_size_ = 1.0;
  std::int64_t columns_ = 1;
  std::int64_t rows_ = 1;
};

struct Segment {
  data_2d::Point a;
  data_2d::Point b;
};

// A fixed set of segments, item number = position in the span given.
class Segment_Grid {
 public:
  Segment_Grid(std::span<const Segment> segments, Box box, double cell_size, std::size_t max_cells);

  // Every segment that passes through a cell meeting `query`, sorted ascending
  // and without repeats, written to `out` (cleared first).
  void collect(Box query, std::vector<std::uint32_t>& out) const;

 private:
  Grid_Frame frame_;
  std::vector<std::uint32_t> start_;  // per cell, offset into items_ (cell_count + 1 entries)
  std::vector<std::uint32_t> items_;
};

}  // namespace mesher_2d
