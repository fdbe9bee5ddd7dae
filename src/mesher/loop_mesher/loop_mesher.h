// The fallback mesher: it meshes what the grid mesher cannot. The region is
// reduced to one closed loop of boundary nodes (each hole joined to the outer
// wire by a bridge walked in and out), the loop is cut by straight chords
// into smaller loops until every loop has at most eight segments (six when
// the wire segments are of even length), and each final loop is filled with
// a fixed pattern of quadrilaterals (loop_stamps.h); a loop with an odd
// number of segments, which no quadrilateral pattern can fill, keeps one
// triangle. Smoothing passes then move the created nodes (smoothing.h);
// seeds and open lines are put in by clearing the mesh around them and
// filling the hole with the grid mesher's advancing front. The
// quadrilaterals are finally split into triangles.
//
// Unlike the grid mesher it puts nodes inside the region wherever chords and
// patterns need them, and it never adds a node on a wire. It fails with a
// Mesh_Error when a loop cannot be cut, a loop cannot be filled or the
// finished mesh does not cover the region exactly.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "mesher/data_2d/node.h"
#include "mesher/data_2d/wire.h"
#include "mesher/domain_maker/mesh_data.h"
#include "mesher/loop_mesher/loop.h"
#include "mesher/loop_mesher/loop_stamps.h"
#include "mesher/mesher_2d/mesher_2d.h"

namespace loop_mesher {

// Room reserved in the loop list at construction; more loops are accepted.
inline constexpr std::size_t reserved_loops = 5000;

class Loop_Mesher : public mesher_2d::Mesher_2D {
 public:
  Loop_Mesher();

  // Load, check, prepare; single loop; splitting; closure; smoothing;
  // clean-up (split_flat_quadrilaterals); seeds and open lines; split into
  // triangles; coverage check; quadratic when asked; write. With
  // an offset layer asked for, a failure of the layer or of the splitting is
  // reported on the standard error stream and the run starts again without.
  void generate_mesh(domain_maker::Mesh_Data& record, mesher_2d::Interrupt interrupt) override;
  // The base clearing, plus loops and open lines.
  void clear() override;
  // The base preparation; open lines set aside; uniform and span_squared.
  void prepare_mesh() override;
  // Each quadrilateral with a corner above 165 degrees becomes two triangles
  // along the diagonal whose worse triangle is the better one (the clean-up
  // pass). Unlike the base version nothing is deleted, so no gap can open
  // in the mesh.
  void split_flat_quadrilaterals() override;

  // The steps of generate_mesh, public for tests and benchmarks.
  // Joins every inner wire to the outer wire's loop and appends the result
  // (with its angles and sizes) to the loop list.
  void make_single_wire_domain();
  // Cuts loops until none has more than eight segments (six when uniform)
  // and no eight-segment loop has a corner above 215 degrees. Throws
  // "* failed to bisect loop - Loop_mesher::bisect_loop()" after 50
  // bisections per node of the initial loop, or when a loop of more than
  // eight segments has no chord.
  void split_loops();
  // Cuts loop `index` by one chord; its two pieces are appended and the loop
  // is removed (left null until split_loops compacts the list). Returns false
  // when no chord exists and the loop may stay; throws when it must be cut.
  bool bisect_loop(std::size_t index, bool required);
  // Fills every loop: three segments give a triangle, four a quadrilateral,
  // six and eight the patterns of loop_stamps.h, five and seven (left only
  // by loops with an odd segment count) the diagonal filling; any other
  // count throws.
  void generate_loop_closure_mesh();
  void stamp_6_node_loop(const Loop& loop);
  void stamp_8_node_loop(const Loop& loop);
  // Clears the mesh around seeds and open lines and fills the hole.
  void insert_seeds_and_open_lines();

  const std::vector<std::unique_ptr<Loop>>& get_loops() const noexcept { return loops; }
  bool is_uniform() const noexcept { return uniform; }
  double get_span_squared() const noexcept { return span_squared; }
  std::size_t get_bisection_count() const noexcept { return bisections_; }
  // Smoothing and improvement passes on (the default) or off; off is for
  // measuring what they gain.
  void set_smoothing(bool on) noexcept { smoothing_ = on; }

 private:
  struct Chord {
    std::size_t i;
    std::size_t j;
  };
  std::optional<Chord> choose_chord(const Loop& loop) const;
  double chord_cost(const Loop& loop, std::size_t i, std::size_t j, double best) const;
  bool chord_crosses_loop(const Loop& loop, std::size_t i, std::size_t j) const;
  // Elements from a filling of `corners` (its interior points become nodes).
  void add_cells(const std::vector<data_2d::Node*>& corners, const Loop_Fill& fill);
  void smooth_passes(int laplacian, int angle, int improve);

  std::vector<std::unique_ptr<Loop>> loops;
  std::vector<std::unique_ptr<data_2d::Wire>> open_lines;
  bool uniform = false;
  double span_squared = 0.0;
  std::size_t bisections_ = 0;
  bool smoothing_ = true;
};

}  // namespace loop_mesher
