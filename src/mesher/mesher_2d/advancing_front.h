// The advancing front that fills a gap with triangles built from existing
// nodes only (it never creates a node). The grid mesher fills the strip
// between its trimmed grid and the wires with it; the loop mesher fills the
// holes it cuts around seeds and open lines with the same front.
//
// The front is a list of directed segments with the unfilled region on their
// left, plus single nodes that must be used. Each open segment (a, b), in
// list order, takes the candidate node c that sees it under the greatest
// angle (strictly between 0.1 and 179 degrees) and whose sides a-c, b-c cross
// no nearby front segment and no side of a nearby element; the triangle
// (a, b, c) is added and the front updated. A segment without a valid
// candidate stays open: the front does not promise to close the gap, and a
// caller must check the result (Mesher_2D::elements_cover_region).
//
// "Nearby" is the search radius: candidates are front end nodes within it of
// the segment's midpoint; the crossing tests take the front segments whose
// midpoint, and the elements whose centroid, lie within it of c. Bucket grids
// find those, so a step costs what lies within the radius, and the result is
// the one a scan over the whole front in list order gives.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "mesher/data_2d/element.h"
#include "mesher/data_2d/node.h"
#include "mesher/data_2d/point.h"
#include "mesher/data_2d/point_grid.h"
#include "mesher/mesher_2d/interrupt_exception.h"
#include "mesher/mesher_2d/node_pair_map.h"

namespace mesher_2d {

class Advancing_Front {
 public:
  // `expected_size`: about how many entries the front will hold.
  Advancing_Front(double search_radius, std::size_t expected_size);

  // Appends the segment a -> b (region on its left), closed already when
  // `done`. A segment from a node to itself, or one already on the front in
  // the same direction, is not added.
  void add_segment(data_2d::Node* a, data_2d::Node* b, bool done);
  // Appends a node that must become a corner of some triangle; a node already
  // entered as single is not added again.
  void add_node(data_2d::Node* node);

  // Runs the front once over its list (entries appended on the way are
  // visited too). The existing `elements` are obstacles; the new triangles
  // are appended to them, counter-clockwise. The interrupt function is polled
  // once per open segment.
  void fill(std::vector<std::unique_ptr<data_2d::Element>>& elements, Interrupt interrupt);

  // Segments still open after fill.
  std::size_t open_segments() const noexcept;

 private:
  struct Entry {
    data_2d::Node* first = nullptr;
    data_2d::Node* second = nullptr;  // null for a single-node entry
    data_2d::Point mid;
    bool done = false;
  };
  void append(data_2d::Node* a, data_2d::Node* b, bool done);
  void index_element(const data_2d::Element& element);
  // The chosen node for open segment `e`, or null.
  data_2d::Node* choose(std::uint32_t e);
  bool crosses_near(data_2d::Point a, data_2d::Point b, data_2d::Point c, std::uint32_t e);
  // Closes the reverse of a -> b when it is on the front, else appends a -> b.
  void advance(data_2d::Node* a, data_2d::Node* b);

  double radius_;
  std::vector<Entry> entries_;
  Node_Pair_Map lookup_;  // first entry per (first, second)
  data_2d::Point_Grid ends_;       // item 2 e + k: end node k of entry e
  data_2d::Point_Grid midpoints_;  // item e: midpoint of segment entry e
  data_2d::Point_Grid centroids_;  // item i: centroid of obstacles_[i]
  std::vector<const data_2d::Element*> obstacles_;
};

}  // namespace mesher_2d
