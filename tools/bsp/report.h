// Output of the bsp command: a plain-text report for people, or JSON for
// programs.
#pragma once

#include <ostream>
#include <vector>

#include "section_file.h"

namespace bsp_cli {

void write_text_report(std::ostream& out, const std::vector<SectionResult>& sections);
void write_json_report(std::ostream& out, const std::vector<SectionResult>& sections);

}  // namespace bsp_cli
