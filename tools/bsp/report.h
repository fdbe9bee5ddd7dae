// Output of the bsp command: a text report for people (every value with its
// unit dimension and meaning), JSON for programs, CSV for spreadsheets and
// batches. The keys are the same in all three and stable across releases.
#pragma once

#include <nlohmann/json.hpp>

#include <ostream>
#include <vector>

#include "section_file.h"

namespace bsp_cli {

void write_text_report(std::ostream& out, const std::vector<SectionResult>& sections);

// {"name", "kind", "code", "message", "values": {key: number}, "units": {key: unit}}
nlohmann::ordered_json section_json(const SectionResult& s);
void write_json_report(std::ostream& out, const std::vector<SectionResult>& sections);

// One row per section: name, kind, code, message, then one column per key
// (the union of the sections' keys in order of first appearance).
void write_csv_report(std::ostream& out, const std::vector<SectionResult>& sections);

}  // namespace bsp_cli
