#include "report.h"

#include <iomanip>

namespace bsp_cli {

void write_text_report(std::ostream& out, const std::vector<SectionResult>& sections) {
  for (const SectionResult& s : sections) {
    out << s.name << " (" << s.kind << ")";
    if (s.code != 0) out << "  result code " << s.code;
    if (!s.error.empty()) out << "  failed: " << s.error;
    out << '\n';
    for (const Quantity& q : s.quantities)
      out << "  " << std::left << std::setw(44) << q.label << std::right << std::setprecision(10)
          << std::setw(18) << q.value << '\n';
    out << '\n';
  }
}

void write_json_report(std::ostream& out, const std::vector<SectionResult>& sections) {
  nlohmann::json doc = nlohmann::json::array();
  for (const SectionResult& s : sections) {
    nlohmann::json entry{{"name", s.name}, {"kind", s.kind}, {"code", s.code}};
    if (!s.error.empty()) entry["error"] = s.error;
    nlohmann::json values = nlohmann::json::object();
    for (const Quantity& q : s.quantities) values[q.key] = q.value;
    entry["values"] = std::move(values);
    doc.push_back(std::move(entry));
  }
  out << std::setw(2) << doc << '\n';
}

}  // namespace bsp_cli
