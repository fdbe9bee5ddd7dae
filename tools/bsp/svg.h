// Pictures of sections as SVG. A picture is a few hundred lines of text
// elements, so the command writes them itself rather than link a drawing
// library: no dependency for the command, byte-for-byte reproducible files,
// and any SVG viewer or converter (rsvg-convert in the tests) can read them.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "section_file.h"

namespace bsp_cli {

// warping, torsion-stress, shear-y, shear-z, von-mises.
bool known_field(const std::string& field);

// Draws section number `section` (1-based; 0: the first drawable one) with an
// optional field. Returns an empty string, or why nothing could be drawn.
std::string write_svg(std::ostream& out, const std::vector<SectionResult>& sections, int section,
                      const std::string& field);

}  // namespace bsp_cli
