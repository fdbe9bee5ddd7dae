// Section files: the JSON format of docs/section-file.md, read and computed
// section by section with libbsp's exports. Each kind of section ("mesh",
// "reinforced", "closed_form", "standard") is one row of the kind table in
// section_file.cpp: its allowed keys and the function that reads and computes
// it, so a new export family adds one row and one function.
#pragma once

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mesh_call.h"

namespace bsp_cli {

// One reported value: a stable key (also the JSON and CSV name), its unit
// dimension in L (length) and F (force), and what it means.
struct Quantity {
  std::string key;
  double value;
  std::string unit;
  std::string meaning;
};

// Closed loop of a reinforced section, for pictures.
struct Loop {
  std::string material;
  std::vector<std::array<double, 2>> points;
};

struct SectionResult {
  std::string name;
  std::string kind;
  std::int32_t code = 0;   // the export's result code; 0 is success
  std::string message;     // empty on success
  std::vector<Quantity> quantities;
  // What a picture needs: the mesh as handed to the exports (mesh sections)
  // or the loops and bars (reinforced, outline and first-moment sections).
  std::shared_ptr<const MeshInput> mesh;
  std::optional<Forces> forces;  // the section's "forces", for a von Mises picture
  std::vector<Loop> loops;
  std::vector<std::array<double, 3>> loop_bars;  // y, z, radius
  std::vector<std::array<double, 2>> stress_points;  // stress points to mark (standard and outline sections), y, z

  double value(const std::string& key, double fallback = 0.0) const;
};

struct Options {
  int level = 2;  // analysis level of mesh sections that do not name one
  // Called before each section with its 1-based position, the count and its
  // name (the command shows it on a terminal: a large mesh takes a while).
  std::function<void(std::size_t, std::size_t, const std::string&)> progress;
};

// Reads and computes every section of a parsed file. `file` names the file in
// messages. A file that fails a check throws InputError before anything is
// computed; a section the library rejects is reported with its code.
std::vector<SectionResult> compute_sections(const nlohmann::json& document, const std::string& file,
                                            const Options& options);

// Why a call failed: the library's message for the last failed call on this
// thread, else the generic meaning of the code.
std::string library_message(std::int32_t code);

}  // namespace bsp_cli
