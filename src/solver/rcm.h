// Reverse Cuthill-McKee renumbering of a domain's nodes and the half-bandwidth
// of the result. The band solver (band_llt.h) stores (kd+1)*n doubles and does
// O(n*kd^2) work, so a numbering with a small kd is what keeps memory and time
// down; RCM also leaves a narrow profile inside the band, which the
// factorisation's zero-skipping exploits.
//
// The ordering depends only on the connectivity, never on coordinates or on the
// incoming numbering's quality, and is fully determined (ascending tie-breaks),
// so two runs on the same mesh always give the same equation numbers.
#pragma once

#include <cstdint>

namespace bsp {

// Renumbers a domain's connectivity in place: npe rows by n_elements columns,
// column-major, 1-based node numbers 1..n (checked by the caller). Returns true
// when renumbered. When the work arrays cannot be allocated it writes
// "ERROR DETECTED!" to standard output, leaves the connectivity as it came and
// returns false; the caller then goes on with the old numbering. n < 1 touches
// nothing.
bool RCM_RENUMBER(std::int64_t n, int npe, std::int64_t n_elements, std::int32_t* connectivity);

// Half-bandwidth kd: the largest |p - q| over node numbers p, q of one element;
// 0 without elements.
std::int64_t BANDWIDTH(int npe, std::int64_t n_elements, const std::int32_t* connectivity);

}  // namespace bsp
