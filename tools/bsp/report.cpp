#include "report.h"

#include <iomanip>
#include <set>
#include <sstream>
#include <string_view>
#include <unordered_map>

namespace bsp_cli {
namespace {

std::string csv_field(const std::string& s) {
  if (s.find_first_of(",\"\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string number_text(double v) {
  std::ostringstream o;
  o << std::setprecision(17) << v;
  return o.str();
}

}  // namespace

void write_text_report(std::ostream& out, const std::vector<SectionResult>& sections) {
  for (const SectionResult& s : sections) {
    out << s.name << " (" << s.kind << ")\n";
    if (s.code != 0) out << "  failed: " << s.message << '\n';
    for (const Quantity& q : s.quantities)
      out << "  " << std::left << std::setw(34) << q.key << std::right << std::setw(18) << std::setprecision(10)
          << q.value << "  " << std::left << std::setw(10) << q.unit << q.meaning << std::right << '\n';
    out << '\n';
  }
}

nlohmann::ordered_json section_json(const SectionResult& s) {
  // Ordered: the keys keep the report's order, which is part of the format.
  nlohmann::ordered_json values = nlohmann::ordered_json::object(), units = nlohmann::ordered_json::object();
  for (const Quantity& q : s.quantities) {
    values[q.key] = q.value;
    units[q.key] = q.unit;
  }
  nlohmann::ordered_json j;
  j["name"] = s.name;
  j["kind"] = s.kind;
  j["code"] = s.code;
  j["message"] = s.message;
  j["values"] = std::move(values);
  j["units"] = std::move(units);
  return j;
}

void write_json_report(std::ostream& out, const std::vector<SectionResult>& sections) {
  nlohmann::ordered_json doc = nlohmann::ordered_json::array();
  for (const SectionResult& s : sections) doc.push_back(section_json(s));
  out << std::setw(2) << doc << '\n';
}

void write_csv_report(std::ostream& out, const std::vector<SectionResult>& sections) {
  std::vector<std::string> keys;
  std::set<std::string> seen;
  for (const SectionResult& s : sections)
    for (const Quantity& q : s.quantities)
      if (seen.insert(q.key).second) keys.push_back(q.key);
  out << "name,kind,code,message";
  for (const std::string& k : keys) out << ',' << k;
  out << '\n';
  for (const SectionResult& s : sections) {
    out << csv_field(s.name) << ',' << s.kind << ',' << s.code << ',' << csv_field(s.message);
    std::unordered_map<std::string_view, double> values;
    for (const Quantity& q : s.quantities) values.emplace(q.key, q.value);
    for (const std::string& k : keys) {
      out << ',';
      if (const auto it = values.find(k); it != values.end()) out << number_text(it->second);
    }
    out << '\n';
  }
}

}  // namespace bsp_cli
