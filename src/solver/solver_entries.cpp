#include "solver/solver_entries.h"

namespace bsp {

std::int32_t INIT_OMP(std::int32_t requested) { return requested > 0 ? requested : 1; }

Status SOLVE_SECTION(const SolverInput&, std::span<double>, std::span<double>) { return Status::solver_error; }
Status SOLVE_PART_SECTION(const SolverInput&, std::span<double>) { return Status::solver_error; }
Status SOLVE_DETAIL_SECTION(const SolverInput&, const DetailInput&, const DetailOutputs&) {
  return Status::solver_error;
}

}  // namespace bsp
