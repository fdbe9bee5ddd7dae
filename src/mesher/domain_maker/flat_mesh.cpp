#include "mesher/domain_maker/flat_mesh.h"

namespace domain_maker {

void append_flat_mesh(const Mesh_Data& mesh, Flat_Mesh& out) {
  out.n_nodes = static_cast<std::int32_t>(mesh.nodes.size());
  out.n_elements = static_cast<std::int32_t>(mesh.elements.size());
  out.x.reserve(out.x.size() + mesh.nodes.size());
  out.y.reserve(out.y.size() + mesh.nodes.size());
  for (const Node_Record& node : mesh.nodes) {
    out.x.push_back(node.x);
    out.y.push_back(node.y);
  }
  for (const std::vector<std::int32_t>& element : mesh.elements) {
    for (const std::int32_t index : element) out.connectivity.push_back(index + 1);
  }
}

}  // namespace domain_maker
