// Stresses at the stress points for given section forces, per material: the
// normal stress of plane sections (axial force and biaxial bending about the
// centroid), the shear stress of the shear forces (acting through the shear
// centre) and of the torque, and the von Mises stress, each as if the point
// were made of material m. Reads the model after both analyses; computes
// nothing that the analyses did not already provide.
//
// Sign conventions, solver coordinates (x first axis, y second):
//   N  > 0 is tension; the moments are the resultants M_x = int sigma x' dA
//   and M_y = int sigma y' dA about the centroid, so a positive moment puts
//   tension on the positive side of its offset axis;
//   V_x, V_y are forces along x and y through the shear centre;
//   T is the torque about the shear centre, counter-clockwise positive.
#pragma once

#include <cstdint>
#include <span>

#include "solver/model.h"

namespace bsp {

struct DetailForces {
  double N = 0, T = 0;
  double Vx = 0, Vy = 0;
  double Mx = 0, My = 0;  // int sigma x' dA, int sigma y' dA
};

// Doubles of the stress output for n_sp points and n_materials materials.
constexpr std::size_t detail_stress_size(std::size_t n_sp, std::size_t n_materials) {
  return 4 * n_sp * n_materials + 6;
}

// Writes, for material m (0-based) and point i at 4 (m n_sp + i): normal
// stress (E_m/E_ref times the reference stress), the shear stress
// components along x and y (G_m times the strain of the element containing
// the point; 0 for a point in no element or in an inverted one), von Mises.
// Then six values over all (material, point) pairs: largest and smallest
// normal stress, largest shear magnitude, largest von Mises stress and the
// 1-based point and material where that von Mises stress occurs (0, 0
// without points). `out` holds detail_stress_size() doubles.
void detail_stresses(const T_MULTI_DOMAIN& m, const DetailForces& forces, std::span<const double> E,
                     std::span<const double> nu, std::span<double> out);

// 1-based material of the element containing each stress point, 0 when the
// point lies in no element or in an inverted one.
void detail_point_materials(const T_MULTI_DOMAIN& m, std::span<double> out);

}  // namespace bsp
