// An edge of the domain maker: a polyline of the user's outline between two
// junctions (or a closed polyline), plus the bookkeeping the domain tracing
// needs. Edges are owned by the Domain_Maker; the connection lists hold plain
// pointers to other edges of the same maker.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "mesher/data_2d/wire.h"

namespace domain_maker {

// Edge number given to the reversed copy of an edge that separates two
// regions; such a twin never came from the input. Rule of this library.
inline constexpr std::int32_t twin_edge_number = -999;

class Edge : public data_2d::Wire {
 public:
  Edge() = default;
  Edge(std::int32_t number_, std::vector<data_2d::Node*> nodes_)
      : data_2d::Wire(data_2d::wire_kind::outer, std::move(nodes_)), number(number_) {}
  Edge(const Edge&) = default;
  Edge& operator=(const Edge&) = default;
  ~Edge() override;

  // The producer's edge number (the leading field of its wire record); signed
  // because twins carry twin_edge_number.
  std::int32_t number = 0;
  // 1 once the edge belongs to a traced domain or was removed as dangling.
  std::uint8_t used = 0;
  // 1 while the edge may separate two regions; cleared for every edge an
  // outer boundary walk passes, so an edge that keeps it gets a twin.
  std::uint8_t interior = 1;
  // Edges that have this edge's first node (first_links) or last node
  // (last_links) as their own first or last node.
  std::vector<Edge*> first_links;
  std::vector<Edge*> last_links;
  // The reversed copy made for an edge between two regions, and back.
  Edge* twin = nullptr;
  // 1 for the reversed copy itself (its number alone cannot tell: an input
  // edge may carry any number).
  std::uint8_t is_twin = 0;
  // 1 for an edge kept out of domain tracing: a line that ends inside a
  // region (a candidate open line) or an edge whose walk cannot close.
  std::uint8_t loose = 0;
};

}  // namespace domain_maker
