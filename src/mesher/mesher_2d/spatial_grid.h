// Uniform bucket grids that answer "what lies near here" for the meshers, so
// that node lookup, trimming against the wires and the advancing front cost
// work proportional to what is near a query instead of to the whole mesh.
//
// A grid only narrows the candidates: every item that can satisfy a distance
// or crossing test is returned, possibly with others, and the caller applies
// its exact test. Candidates come back sorted by item number, so a caller
// that keeps the first match in item order gets the same answer as a scan
// over every item.
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

// The cell layout shared by both grids: columns and rows of square cells over
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

// Points, inserted one by one under caller-chosen item numbers.
class Point_Grid {
 public:
  Point_Grid(Box box, double cell_size, std::size_t max_cells);

  // An item number may be used once.
  void insert(std::uint32_t item, data_2d::Point p);

  // Every item whose point may lie within `radius` of `centre` (the items of
  // all cells meeting the square of half-side `radius`), sorted ascending,
  // written to `out` (cleared first).
  void collect(data_2d::Point centre, double radius, std::vector<std::uint32_t>& out) const;

 private:
  Grid_Frame frame_;
  std::vector<std::uint32_t> head_;  // per cell: last inserted item + 1, 0 when empty
  std::vector<std::uint32_t> next_;  // per item: the item inserted before it in its cell + 1
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
