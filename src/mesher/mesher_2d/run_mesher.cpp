#include "mesher/mesher_2d/run_mesher.h"

#include "mesher/data_2d/mesh_error.h"
#include "mesher/grid_mesher/grid_mesher.h"
#include "mesher/loop_mesher/loop_mesher.h"
#include "mesher/mesher_2d/mesher_2d.h"

namespace mesher_2d {

namespace {

void set_caller_fields(domain_maker::Mesh_Data& record) {
  record.finish_mode = domain_maker::finish_mode::split_quadrilaterals;
  record.size_factor = 1.0;
}

}  // namespace

void run_grid_mesher(domain_maker::Mesh_Data& record, domain_maker::Flat_Mesh& out) {
  set_caller_fields(record);
  {
    grid_mesher::Grid_Mesher mesher;
    mesher.generate_mesh(record, nullptr);
  }
  domain_maker::append_flat_mesh(record, out);
}

void run_loop_mesher(domain_maker::Mesh_Data& record, domain_maker::Flat_Mesh& out) {
  set_caller_fields(record);
  {
    loop_mesher::Loop_Mesher mesher;
    mesher.generate_mesh(record, nullptr);
  }
  domain_maker::append_flat_mesh(record, out);
}

}  // namespace mesher_2d
