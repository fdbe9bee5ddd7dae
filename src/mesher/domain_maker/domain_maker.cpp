#include "mesher/domain_maker/domain_maker.h"

#include <stdexcept>

namespace domain_maker {

Domain_Maker::~Domain_Maker() = default;

void Domain_Maker::make_domain(Domain_Data&, std::vector<std::int32_t>&, bool) {}

Mesh_Data make_domain_mesh_data(const Domain_Data& section, std::size_t domain) {
  if (domain >= section.domains.size()) throw std::out_of_range("domain number");
  return {};
}

}  // namespace domain_maker
