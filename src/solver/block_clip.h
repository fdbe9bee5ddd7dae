// Cuts through the block list of a standard shape: the area and first
// moments of the part on one side of a line parallel to a section axis, the
// width of the shape along such a line, and the shape's extent. The blocks of
// a type are its exact outline (straight-sided convex quadrilaterals that
// overlap nowhere), so these give the plastic neutral axes, the plastic
// moduli and the first moments of the classical shear stress for every type
// at once, without a formula per type.
#pragma once

#include <vector>

#include "solver/block_mesher.h"

namespace bsp {

// Axis of a cut: lines u = c, where u is the first coordinate (x) for
// cut_across_first and the second (y) for cut_across_second.
enum class CutAxis { first = 0, second = 1 };

struct Extent {
  double lo = 0.0, hi = 0.0;
};

// Smallest and largest u over all block corners; {0, 0} without blocks.
Extent blocks_extent(const SectionBlocks& blocks, CutAxis axis);

// Area and first moments (integral of x dA, of y dA) of the part of the
// blocks with u > c (beyond) and with u < c (before); exact for straight
// edges up to rounding.
struct CutMoments {
  double area = 0.0, first_x = 0.0, first_y = 0.0;
};
CutMoments moments_beyond(const SectionBlocks& blocks, CutAxis axis, double c);
CutMoments moments_before(const SectionBlocks& blocks, CutAxis axis, double c);

// The area function a(c) = area with u > c, prepared for many evaluations:
// an axis-parallel rectangle (most blocks) costs a few operations, any other
// block a clip. Equal to moments_beyond(...).area up to rounding.
class AreaBeyond {
 public:
  AreaBeyond(const SectionBlocks& blocks, CutAxis axis);
  double operator()(double c) const;
  // True when every block is an axis-parallel rectangle: a(c) is then a sum,
  // in a fixed order, of terms that each fall or stay as c grows, so it
  // never rises with c, not even by rounding (rounded addition and
  // subtraction are monotone). A clipped polygon gives no such promise.
  bool non_increasing() const { return others_.empty(); }

 private:
  struct Strip {
    double u_lo, u_hi, width;  // [u_lo, u_hi] along u, constant width across
  };
  const SectionBlocks* blocks_;
  CutAxis axis_;
  std::vector<Strip> strips_;
  std::vector<std::size_t> others_;  // blocks that are not axis-parallel rectangles
};

// Integral of |u - c| dA over all blocks: the plastic modulus about the line
// u = c when that line halves the area.
double absolute_moment(const SectionBlocks& blocks, CutAxis axis, double c);

// Length of the line u = c inside the shape. Each block counts on the
// half-open range lo <= c < hi of its own u, so a cut along an edge shared by
// two blocks counts the material beyond it once; both walls of a hollow
// shape count.
double cut_width(const SectionBlocks& blocks, CutAxis axis, double c);

// Area, first and second moments of all blocks about the origin: integrals
// of 1, x, y, x^2, y^2 and x y over the shape, exact for straight edges.
struct BlockMoments {
  double area = 0.0, first_x = 0.0, first_y = 0.0, xx = 0.0, yy = 0.0, xy = 0.0;
};
BlockMoments blocks_moments(const SectionBlocks& blocks);

}  // namespace bsp
