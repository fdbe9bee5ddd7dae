// The cracked-section driver: from typed input (edges grouped by material
// key, bars, material records) it builds the CrackDomain, computes the
// uncracked transformed section, searches the neutral axis for compression
// on either face, and reports cracked second moments, cracking moments and
// long-term values in the 14 entries named BSP_CRACK_* in bsp.h.
//
// Inputs are trusted: the boundary (interface/crack_exports.cpp) has checked
// indices and finiteness and resolved every key an edge uses to its record.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "bsp/bsp.h"
#include "crack/crack_element.h"

namespace bsp {

struct CrackMaterialRecord {
  bool steel = false;                 // kind: false concrete, true steel
  std::array<double, BSP_CRACK_RECORD_SIZE> p{};  // p0..p4, offsets BSP_CRACK_P_*
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
  std::array<double, BSP_CRACK_N_RESULTS> values{};
  std::int32_t evaluations = 0;  // F evaluations of both neutral-axis searches
};

CrackSectionResult crack_section_property(const CrackSectionInput& input);

}  // namespace bsp
