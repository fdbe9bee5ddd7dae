#include "geometry/outline_domain.h"

#include <cstddef>

namespace bsp {

domain_maker::Domain_Data build_outline_domain(const Outline& outline) {
  domain_maker::Domain_Data record;
  record.nodes.reserve(outline.x.size());
  for (std::size_t i = 0; i < outline.x.size(); ++i) {
    domain_maker::Node_Record node;
    node.on_boundary = 1;
    node.seed = 0;
    node.seed_size = 0.0;
    node.x = outline.x[i];
    node.y = outline.y[i];
    record.nodes.push_back(node);
  }
  record.wires.reserve(outline.segments.size());
  for (std::size_t s = 0; s < outline.segments.size(); ++s) {
    domain_maker::Wire_Record wire;
    wire.number = static_cast<std::int32_t>(s + 1);
    wire.kind = 1;
    wire.nodes = {outline.segments[s][0], outline.segments[s][1]};
    record.wires.push_back(std::move(wire));
  }
  return record;
}

}  // namespace bsp
