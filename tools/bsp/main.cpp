// bsp: computes the sections of a JSON section file with libbsp and prints a
// report. Usage: bsp [--json] FILE
#include <fstream>
#include <iostream>
#include <string>

#include "report.h"
#include "section_file.h"

int main(int argc, char** argv) {
  bool as_json = false;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--json") {
      as_json = true;
    } else if (arg == "-h" || arg == "--help") {
      std::cout << "usage: bsp [--json] FILE\n"
                   "Computes the sections listed in the JSON section FILE and prints their properties.\n";
      return 0;
    } else if (path.empty()) {
      path = arg;
    } else {
      std::cerr << "bsp: more than one file given\n";
      return 2;
    }
  }
  if (path.empty()) {
    std::cerr << "usage: bsp [--json] FILE\n";
    return 2;
  }
  std::ifstream in(path);
  if (!in) {
    std::cerr << "bsp: cannot open " << path << '\n';
    return 2;
  }
  try {
    const nlohmann::json document = nlohmann::json::parse(in);
    const auto sections = bsp_cli::compute_sections(document);
    if (as_json)
      bsp_cli::write_json_report(std::cout, sections);
    else
      bsp_cli::write_text_report(std::cout, sections);
    bool failed = false;
    for (const auto& s : sections) {
      if (s.code == 0 && s.error.empty()) continue;
      std::cerr << "bsp: " << s.name << ": " << (s.error.empty() ? "failed" : s.error) << '\n';
      failed = true;
    }
    if (failed) return 1;
  } catch (const std::exception& e) {
    std::cerr << "bsp: " << path << ": " << e.what() << '\n';
    return 2;
  }
  return 0;
}
