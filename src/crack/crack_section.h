// The cracked-section driver: from typed input (edges grouped by material
// key, bars, material records) it builds the CrackDomain, computes the
// uncracked transformed section, searches the neutral axis for compression
// on either face, and reports cracked second moments, cracking moments and
// long-term values in the 14 entries named by crack_slot below (the header's
// BSP_CRACK_* offsets; interface/crack_exports.cpp ties the two by a
// static_assert).
//
// Inputs are trusted: the boundary (interface/crack_exports.cpp) has checked
// indices and finiteness and resolved every key an edge uses to its record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "crack/crack_element.h"

namespace bsp {

// Entries of the result array.
namespace crack_slot {
inline constexpr std::size_t centroid = 0;        // z of the uncracked transformed centroid
inline constexpr std::size_t gross_inertia = 1;   // uncracked, about the centroid
inline constexpr std::size_t axis_upper = 2;      // neutral axis, upper face compressed
inline constexpr std::size_t axis_lower = 3;      // neutral axis, lower face compressed
inline constexpr std::size_t inertia_upper = 4;   // cracked second moment about axis_upper
inline constexpr std::size_t inertia_lower = 5;   // cracked second moment about axis_lower
inline constexpr std::size_t moment_pos = 6;      // positive cracking moment
inline constexpr std::size_t moment_neg = 7;      // negative cracking moment
inline constexpr std::size_t creep_gross = 8;     // creep flexibility, uncracked
inline constexpr std::size_t shrinkage_gross = 9; // shrinkage curvature, uncracked
inline constexpr std::size_t creep_upper = 10;
inline constexpr std::size_t shrinkage_upper = 11;
inline constexpr std::size_t creep_lower = 12;
inline constexpr std::size_t shrinkage_lower = 13;
inline constexpr std::size_t count = 14;
}  // namespace crack_slot

// Offsets in a material parameter record.
namespace crack_param {
inline constexpr std::size_t modulus = 0;
inline constexpr std::size_t tensile_strength = 1;  // concrete only
inline constexpr std::size_t shrinkage = 2;         // concrete only
inline constexpr std::size_t ageing = 3;            // concrete only
inline constexpr std::size_t creep = 4;             // concrete only
inline constexpr std::size_t count = 5;
}  // namespace crack_param

struct CrackMaterialRecord {
  bool steel = false;                 // kind: false concrete, true steel
  std::array<double, crack_param::count> p{};  // p0..p4, offsets crack_param::*
};

struct CrackEdgeInput {
  std::int32_t key = 0;  // material key
  Edge edge;
};

struct CrackBarInput {
  std::int32_t key = 0;  // material key of the domain the bar lies in
  double centre = 0.0;   // z of the bar's centre
  double area = 0.0;
  double modulus = 0.0;
};

struct CrackSectionInput {
  double reference_modulus = 1.0;  // E_ref, > 0
  double second_reference = 0.0;   // kept, not used by any entry
  std::map<std::int32_t, CrackMaterialRecord> materials;  // every key an edge uses
  std::vector<CrackEdgeInput> edges;
  std::vector<CrackBarInput> bars;
};

struct CrackSectionResult {
  std::array<double, crack_slot::count> values{};
  std::int32_t evaluations = 0;  // F evaluations of both neutral-axis searches
};

CrackSectionResult crack_section_property(const CrackSectionInput& input);

}  // namespace bsp
