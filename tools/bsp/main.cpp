// bsp: computes the sections of a JSON section file with libbsp and reports
// their properties; `bsp batch` runs one section file per line of a JSON
// Lines file on several threads. See `bsp --help` and docs/section-file.md.
#include <bsp/bsp.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "json_reader.h"
#include "report.h"
#include "section_file.h"
#include "svg.h"

namespace {

constexpr const char* kUsage = R"(usage: bsp [OPTIONS] FILE
       bsp batch [--jobs N] [--csv] [--level N] FILE.jsonl
       bsp --version | --help

Computes every section of the JSON section FILE with libbsp and prints its
properties: one line per value with its key, value, unit dimension (L length,
F force, 1 plain number) and meaning.

Options:
  --json          JSON instead of text: a list of sections, each with "name",
                  "kind", "code", "message", "values" {key: number} and
                  "units" {key: dimension}; keys are stable
  --csv           CSV: one row per section, one column per key
  --level N       analysis level 0..3 of mesh and outline sections that give
                  none (2):
                  1 adds principal angle, moduli and radii; 2 the warping and
                  torsion stresses at the stress points; 3 the field extremes
  --svg FILE      draw the first drawable section: mesh or outline (a
                  standard section's from its dimensions), holes, bars,
                  centroid, shear centre, principal axes, stress points
  --field NAME    colour the mesh in the picture by warping, torsion-stress,
                  shear-y, shear-z or von-mises (the section's "forces")
  --section N     draw section N (1-based) instead of the first drawable one

Section file (full description: docs/section-file.md):
  {"materials": {"steel": {"E": 210000, "nu": 0.3}, ...},
   "sections": [ {"kind": "mesh" | "outline" | "first_moment" | "reinforced" |
                 "closed_form" | "standard", "name": ...}, ...]}
  mesh         "parts": [{"material", "nodes": [[y, z], ...],
                          "elements": [[a, b, c] or 6 numbers, ...]}],
               optional "bars" [{"material", "y", "z", "diameter"}],
               "stress_points" [[y, z]], "stress_reference" "centroid" |
               "shear_centre", "forces" {"N","T","Vy","Vz","My","Mz"},
               "reference" (material name), "level"
  outline      "polygons": [{"material", "outline": [[y, z], ...],
                             "holes": [[[y, z], ...], ...]}] (the library
               meshes them; polygons may share sides, not overlap), optional
               "bars", "stress_points", "stress_reference", "forces",
               "reference", "level" as for mesh, "element_size" (0: auto)
  first_moment "polygons" (as outline) or "parts" (3-node, as mesh), "about"
               [y, z], optional "bars", "reference", "element_size": area
               and first moments of that piece about the point
  reinforced   "loops": [{"material", "points": [[y, z], ...]}]
               (counter-clockwise; a hole clockwise), optional "bars"
               [{"material", "y", "z", "area" | "diameter", "host"}],
               "reference_modulus"; materials need "type" concrete|steel
  closed_form  "shape": rectangle, box, i_outstand, i_full, tee, split_tee
               (each also with _90), "dimensions": [D1, D2, ...]
  standard     "type": 1..27 or a name (e.g. "tee"), "dimensions": [D1, ...]
               or {"name": value, ...}, "nu"; optional "closed_form" true,
               "stress_point_origin" "shear_centre" | "centroid",
               "stress_point_order" 1 | 2, "meshed" true (the general
               meshed path) with its "level"
Numbers in the file and in messages are 1-based: node numbers of an element
count the nodes of its own part from 1; "parts[2]" is the second part.
Unknown keys are errors.

Exit status: 0 all sections computed; 1 the library rejected a section
(reported with its code); 2 the file or the command line is wrong.
)";

std::string version_text() {
  const int v = BSPVersion();
  std::ostringstream o;
  o << "bsp " << v / 1000000 << '.' << v / 1000 % 1000 << '.' << v % 1000 << " (library); header "
    << BSP_VERSION_MAJOR << '.' << BSP_VERSION_MINOR << '.' << BSP_VERSION_PATCH;
  return o.str();
}

int usage_error(const std::string& what) {
  std::cerr << "bsp: " << what << "\n(bsp --help describes the options and the file format)\n";
  return 2;
}

// One section file per line; a line that fails is reported on its own line
// and the batch goes on.
int run_batch(int argc, char** argv) {
  unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
  bool csv = false;
  bsp_cli::Options options;
  std::string path;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--level" && i + 1 < argc) {
      const std::string v = argv[++i];
      if (v.size() != 1 || v[0] < '0' || v[0] > '3') return usage_error("--level needs 0, 1, 2 or 3");
      options.level = v[0] - '0';
    } else if (arg == "--jobs" && i + 1 < argc) {
      const int j = std::atoi(argv[++i]);
      if (j < 1) return usage_error("--jobs needs a number >= 1");
      jobs = static_cast<unsigned>(j);
    } else if (arg == "--csv") {
      csv = true;
    } else if (path.empty() && arg.rfind("--", 0) != 0) {
      path = arg;
    } else {
      return usage_error("unexpected argument " + arg);
    }
  }
  if (path.empty()) return usage_error("batch needs a .jsonl file");
  std::ifstream in(path);
  if (!in) return usage_error(path + ": cannot be opened");
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);

  std::vector<std::vector<bsp_cli::SectionResult>> results(lines.size());
  std::vector<std::string> errors(lines.size());
  std::atomic<std::size_t> next{0}, done{0};
  const bool progress = isatty(STDERR_FILENO) != 0;
  std::mutex progress_mutex;
  auto worker = [&] {
    for (std::size_t i; (i = next++) < lines.size();) {
      const std::string where = path + ":" + std::to_string(i + 1);
      try {
        if (lines[i].find_first_not_of(" \t\r") != std::string::npos)
          results[i] = bsp_cli::compute_sections(bsp_cli::parse_json_text(lines[i], where), where, options);
      } catch (const std::exception& e) {
        errors[i] = e.what();
      }
      const std::size_t d = ++done;
      if (progress && (d % 64 == 0 || d == lines.size())) {
        std::lock_guard<std::mutex> lock(progress_mutex);
        const std::size_t width = 40, filled = width * d / lines.size();
        std::fprintf(stderr, "\r[%s%s] %zu/%zu", std::string(filled, '#').c_str(),
                     std::string(width - filled, ' ').c_str(), d, lines.size());
        if (d == lines.size()) std::fputc('\n', stderr);
      }
    }
  };
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < std::min<std::size_t>(jobs, lines.size()); ++t) pool.emplace_back(worker);
  for (auto& t : pool) t.join();

  int status = 0;
  std::vector<bsp_cli::SectionResult> all;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!errors[i].empty()) {
      status = 1;
      bsp_cli::SectionResult failed;
      failed.name = path + ":" + std::to_string(i + 1);
      failed.kind = "error";
      failed.code = -1;
      failed.message = errors[i];
      results[i].push_back(failed);
    }
    for (auto& r : results[i]) {
      if (r.code != 0) status = 1;
      if (csv) {
        all.push_back(std::move(r));
      } else {
        nlohmann::ordered_json j = bsp_cli::section_json(r);
        j["line"] = i + 1;
        std::cout << j.dump() << '\n';
      }
    }
  }
  if (csv) bsp_cli::write_csv_report(std::cout, all);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "batch") return run_batch(argc, argv);
  enum class Format { text, json, csv } format = Format::text;
  bsp_cli::Options options;
  std::string path, svg_path, field;
  int section = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= argc) return std::nullopt;
      return std::string(argv[++i]);
    };
    if (arg == "--json") {
      format = Format::json;
    } else if (arg == "--csv") {
      format = Format::csv;
    } else if (arg == "-h" || arg == "--help") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "--version") {
      std::cout << version_text() << '\n';
      return 0;
    } else if (arg == "--level") {
      const auto v = value();
      if (!v || v->size() != 1 || (*v)[0] < '0' || (*v)[0] > '3') return usage_error("--level needs 0, 1, 2 or 3");
      options.level = (*v)[0] - '0';
    } else if (arg == "--svg") {
      const auto v = value();
      if (!v) return usage_error("--svg needs a file name");
      svg_path = *v;
    } else if (arg == "--field") {
      const auto v = value();
      if (!v || !bsp_cli::known_field(*v))
        return usage_error("--field needs warping, torsion-stress, shear-y, shear-z or von-mises");
      field = *v;
    } else if (arg == "--section") {
      const auto v = value();
      section = v ? std::atoi(v->c_str()) : 0;
      if (section < 1) return usage_error("--section needs a number >= 1");
    } else if (arg.rfind("--", 0) == 0) {
      return usage_error("unknown option " + arg);
    } else if (path.empty()) {
      path = arg;
    } else {
      return usage_error("more than one file given");
    }
  }
  if (path.empty()) return usage_error("no section file given");
  if (!field.empty() && svg_path.empty()) return usage_error("--field draws into the picture of --svg");
  if (isatty(STDERR_FILENO) != 0)
    options.progress = [](std::size_t i, std::size_t n, const std::string& name) {
      std::fprintf(stderr, "\r\033[Kbsp: section %zu/%zu: %s", i, n, name.c_str());
      std::fflush(stderr);
    };
  try {
    const auto sections = bsp_cli::compute_sections(bsp_cli::read_json_file(path), path, options);
    if (options.progress) std::fprintf(stderr, "\r\033[K");
    if (format == Format::json)
      bsp_cli::write_json_report(std::cout, sections);
    else if (format == Format::csv)
      bsp_cli::write_csv_report(std::cout, sections);
    else
      bsp_cli::write_text_report(std::cout, sections);
    if (!svg_path.empty()) {
      std::ofstream out(svg_path);
      if (!out) return usage_error(svg_path + ": cannot be written");
      const std::string problem = bsp_cli::write_svg(out, sections, section, field);
      if (!problem.empty()) return usage_error(problem);
    }
    for (const auto& s : sections)
      if (s.code != 0) return 1;
  } catch (const bsp_cli::InputError& e) {
    if (options.progress) std::fputs("\r\033[K", stderr);
    std::cerr << "bsp: " << e.what() << '\n';
    return 2;
  } catch (const std::exception& e) {
    if (options.progress) std::fputs("\r\033[K", stderr);
    std::cerr << "bsp: " << path << ": " << e.what() << '\n';
    return 2;
  }
  return 0;
}
