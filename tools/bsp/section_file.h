// Section files of the bsp command: a JSON document with a list of sections,
// each turned into the flat arrays of one export call and computed. This is
// the only place that knows the file format; report.h prints what it yields.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <utility>
#include <vector>

namespace bsp_cli {

// One computed quantity: a label a person reads, a key for JSON output, a value.
struct Quantity {
  std::string key;
  std::string label;
  double value;
};

struct SectionResult {
  std::string name;
  std::string kind;
  int code = 0;  // the export's result code; 0 for the exports that return none
  std::string error;  // BSPLastError after a failed call, empty on success
  std::vector<Quantity> quantities;
};

// Throws std::runtime_error with a message naming the section and field at
// fault when the document does not describe a section the exports accept.
std::vector<SectionResult> compute_sections(const nlohmann::json& document);

}  // namespace bsp_cli
