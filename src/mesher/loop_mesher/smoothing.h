// The smoothing and improvement passes of the loop mesher. They move free
// nodes only: nodes the mesher created (id 0) that carry no boundary mark.
// Wire nodes and seeds stay where they are, since the written mesh keeps
// their input records.
//
// Every move is guarded: a node moves only when each element around it stays
// valid (counter-clockwise triangles; quadrilaterals with a diagonal that
// splits them into two counter-clockwise triangles) and the worst quality
// (primitive 7) of the triangles that the final split makes of those
// elements does not drop. Elements elsewhere do not change, so no pass can
// lower the minimum quality of the finished triangle mesh.
//
// Each pass costs one sweep over the free nodes and their elements.
#pragma once

#include <memory>
#include <vector>

#include "mesher/data_2d/element.h"
#include "mesher/data_2d/node.h"
#include "mesher/mesher_2d/interrupt_exception.h"

namespace loop_mesher {

class Smoother {
 public:
  // Indexes the free nodes of `nodes` and the elements around each; both
  // lists must outlive the smoother and keep their contents while it works.
  Smoother(const std::vector<std::unique_ptr<data_2d::Node>>& nodes,
           const std::vector<std::unique_ptr<data_2d::Element>>& elements);

  // Each free node towards the mean of the nodes it shares a side with.
  void laplacian(int sweeps, mesher_2d::Interrupt interrupt);
  // Each free node towards the mean of the points that would make each
  // neighbour's angle in the node's star equal on both sides (angle-based
  // smoothing: it evens out angles where the Laplacian evens out lengths).
  void angle_based(int sweeps, mesher_2d::Interrupt interrupt);
  // Each free node to the best of a few trial points (the two targets above,
  // the star's centroid and points between them and the node), judged by the
  // worst quality of its elements.
  void improve(int passes, mesher_2d::Interrupt interrupt);

 private:
  struct Free_Node {
    data_2d::Node* node;
    std::vector<const data_2d::Element*> elements;
  };
  // Worst quality of the final triangles of the node's elements, or
  // -infinity when one element is invalid.
  static double local_quality(const Free_Node& f);
  // Moves the node to `target` when that keeps the guard; returns whether.
  static bool try_move(const Free_Node& f, data_2d::Point target);
  static bool laplacian_target(const Free_Node& f, data_2d::Point& target);
  static bool angle_target(const Free_Node& f, data_2d::Point& target);

  std::vector<Free_Node> free_;
};

}  // namespace loop_mesher
