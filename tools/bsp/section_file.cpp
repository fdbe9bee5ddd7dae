#include "section_file.h"

#include <bsp/bsp.h>

#include <cstdint>
#include <limits>
#include <map>
#include <stdexcept>

namespace bsp_cli {
namespace {

using nlohmann::json;

[[noreturn]] void fail(const std::string& where, const std::string& what) {
  throw std::runtime_error(where + ": " + what);
}

const json& field(const json& obj, const char* name, const std::string& where) {
  if (!obj.is_object() || !obj.contains(name)) fail(where, std::string("missing \"") + name + "\"");
  return obj.at(name);
}

double number(const json& v, const std::string& where) {
  if (!v.is_number()) fail(where, "expected a number");
  return v.get<double>();
}

double number_or(const json& obj, const char* name, double fallback, const std::string& where) {
  return obj.contains(name) ? number(obj.at(name), where + "." + name) : fallback;
}

std::int32_t integer(const json& v, const std::string& where) {
  if (!v.is_number_integer()) fail(where, "expected an integer");
  const auto x = v.get<std::int64_t>();
  if (x < std::numeric_limits<std::int32_t>::min() || x > std::numeric_limits<std::int32_t>::max())
    fail(where, "integer out of range");
  return static_cast<std::int32_t>(x);
}

const json& array(const json& v, const std::string& where) {
  if (!v.is_array()) fail(where, "expected an array");
  return v;
}

// {"kind": "closed_form", "code": 1..10, "dimensions": [...]}
SectionResult closed_form(const json& s, SectionResult r) {
  const std::int32_t code = integer(field(s, "code", r.name), r.name + ".code");
  std::vector<double> dims;
  for (const json& d : array(field(s, "dimensions", r.name), r.name + ".dimensions"))
    dims.push_back(number(d, r.name + ".dimensions"));
  dims.resize(std::max<std::size_t>(dims.size(), 6), 0.0);  // the exports read up to six
  double j = 0.0, a1 = 0.0, a2 = 0.0;
  BSPAnalyticTorsionalConstant(&code, dims.data(), &j);
  r.error = BSPLastError();
  BSPAnalyticShearArea(&code, dims.data(), &a1, &a2);
  r.quantities = {{"torsional_constant", "torsional constant J", j},
                  {"shear_area_1", "shear area, force along the first axis", a1},
                  {"shear_area_2", "shear area, force along the second axis", a2}};
  return r;
}

// {"kind": "cracked", "reference_modulus": E, "materials": {"name": {"type": "concrete"|"steel",
//  "modulus", "tensile_strength", "shrinkage", "ageing", "creep"}}, "nodes": [[y, z], ...],
//  "edges": [["material", i, j], ...] (0-based nodes, loops counter-clockwise),
//  "bars": [{"material": name, "z", "area", "modulus"}]}
SectionResult cracked(const json& s, SectionResult r) {
  const std::string& n = r.name;
  // Parameter record q occupies entries 5q..5q+4 and entries 0 and 1 hold the
  // reference values, so record 0 would overlap them: material key k uses
  // record k + 1.
  const json& materials = field(s, "materials", n);
  std::map<std::string, std::int32_t> keys;
  std::vector<std::int32_t> material_table;
  std::vector<double> parameters(static_cast<std::size_t>(BSP_CRACK_RECORD_SIZE) * (materials.size() + 1), 0.0);
  parameters[0] = number(field(s, "reference_modulus", n), n + ".reference_modulus");
  for (const auto& [name, m] : materials.items()) {
    const std::string w = n + ".materials." + name;
    const std::string type = field(m, "type", w).get<std::string>();
    if (type != "concrete" && type != "steel") fail(w + ".type", "expected \"concrete\" or \"steel\"");
    const auto key = static_cast<std::int32_t>(keys.size());
    keys[name] = key;
    material_table.push_back(type == "concrete" ? 0 : 1);
    material_table.push_back(key + 1);
    double* p = parameters.data() + BSP_CRACK_RECORD_SIZE * (key + 1);
    p[BSP_CRACK_P_MODULUS] = number(field(m, "modulus", w), w + ".modulus");
    p[BSP_CRACK_P_TENSILE_STRENGTH] = number_or(m, "tensile_strength", 0.0, w);
    p[BSP_CRACK_P_SHRINKAGE] = number_or(m, "shrinkage", 0.0, w);
    p[BSP_CRACK_P_AGEING] = number_or(m, "ageing", 0.0, w);
    p[BSP_CRACK_P_CREEP] = number_or(m, "creep", 0.0, w);
  }
  auto key_of = [&](const json& v, const std::string& w) {
    const auto it = keys.find(v.get<std::string>());
    if (it == keys.end()) fail(w, "unknown material");
    return it->second;
  };
  std::vector<double> ys, zs;
  for (const json& p : array(field(s, "nodes", n), n + ".nodes")) {
    if (!p.is_array() || p.size() != 2) fail(n + ".nodes", "expected [y, z] pairs");
    ys.push_back(number(p[0], n + ".nodes"));
    zs.push_back(number(p[1], n + ".nodes"));
  }
  std::vector<std::int32_t> edges;
  for (const json& e : array(field(s, "edges", n), n + ".edges")) {
    if (!e.is_array() || e.size() != 3) fail(n + ".edges", "expected [material, i, j]");
    edges.push_back(key_of(e[0], n + ".edges"));
    for (int k = 1; k < 3; ++k) {
      const std::int32_t node = integer(e[k], n + ".edges");
      if (node < 0 || static_cast<std::size_t>(node) >= ys.size()) fail(n + ".edges", "node out of range");
      edges.push_back(node);
    }
  }
  std::vector<std::int32_t> bar_refs;
  std::vector<double> bar_records;
  if (s.contains("bars")) {
    for (const json& b : array(s.at("bars"), n + ".bars")) {
      const std::string w = n + ".bars";
      bar_refs.push_back(key_of(field(b, "material", w), w));
      bar_refs.push_back(static_cast<std::int32_t>(bar_records.size() / 3));
      bar_records.push_back(number(field(b, "z", w), w + ".z"));
      bar_records.push_back(number(field(b, "area", w), w + ".area"));
      bar_records.push_back(number(field(b, "modulus", w), w + ".modulus"));
    }
  }
  double out[BSP_CRACK_N_RESULTS] = {};
  CrackSectionProperty(out, static_cast<std::int32_t>(bar_refs.size() / 2),
                       static_cast<std::int32_t>(edges.size() / 3), material_table.data(), edges.data(),
                       bar_refs.data(), parameters.data(), bar_records.data(), ys.data(), zs.data());
  r.error = BSPLastError();
  r.quantities = {
      {"centroid", "uncracked centroid z", out[BSP_CRACK_CENTROID]},
      {"gross_inertia", "uncracked second moment I_g", out[BSP_CRACK_GROSS_INERTIA]},
      {"axis_upper", "neutral axis, upper face compressed", out[BSP_CRACK_AXIS_UPPER]},
      {"axis_lower", "neutral axis, lower face compressed", out[BSP_CRACK_AXIS_LOWER]},
      {"inertia_upper", "cracked second moment, upper face compressed", out[BSP_CRACK_INERTIA_UPPER]},
      {"inertia_lower", "cracked second moment, lower face compressed", out[BSP_CRACK_INERTIA_LOWER]},
      {"cracking_moment_pos", "positive cracking moment", out[BSP_CRACK_MOMENT_POS]},
      {"cracking_moment_neg", "negative cracking moment", out[BSP_CRACK_MOMENT_NEG]},
  };
  return r;
}

// {"kind": "meshed", "reference": {"modulus", "poisson", "area_weight"},
//  "materials": [{"modulus", "poisson", "area_weight"}, ...],
//  "parts": [{"material": 1-based, "nodes": [[y, z], ...],
//             "triangles": [[a, b, c], ...] (1-based within the part, counter-clockwise)}],
//  "stress_points": [[y, z], ...]}
// The parts are handed to BSPCombMain one after another, as a host that
// meshes part by part would; the library glues them.
SectionResult meshed(const json& s, SectionResult r) {
  const std::string& n = r.name;
  const json& ref = field(s, "reference", n);
  const double ref_modulus = number(field(ref, "modulus", n + ".reference"), n + ".reference.modulus");
  const double ref_poisson = number_or(ref, "poisson", 0.0, n + ".reference");
  const double ref_weight = number_or(ref, "area_weight", 1.0, n + ".reference");
  std::vector<double> moduli, poissons, weights;
  for (const json& m : array(field(s, "materials", n), n + ".materials")) {
    moduli.push_back(number(field(m, "modulus", n + ".materials"), n + ".materials.modulus"));
    poissons.push_back(number_or(m, "poisson", 0.0, n + ".materials"));
    weights.push_back(number_or(m, "area_weight", 1.0, n + ".materials"));
  }
  std::vector<double> ys, zs;
  std::vector<std::int32_t> connectivity, element_material, part_nodes, part_elements;
  for (const json& part : array(field(s, "parts", n), n + ".parts")) {
    const std::string w = n + ".parts";
    const std::int32_t material = integer(field(part, "material", w), w + ".material");
    const auto offset = static_cast<std::int32_t>(ys.size());
    const json& nodes = array(field(part, "nodes", w), w + ".nodes");
    for (const json& p : nodes) {
      if (!p.is_array() || p.size() != 2) fail(w + ".nodes", "expected [y, z] pairs");
      ys.push_back(number(p[0], w + ".nodes"));
      zs.push_back(number(p[1], w + ".nodes"));
    }
    const json& triangles = array(field(part, "triangles", w), w + ".triangles");
    for (const json& t : triangles) {
      if (!t.is_array() || t.size() != 3) fail(w + ".triangles", "expected [a, b, c]");
      for (const json& v : t) connectivity.push_back(offset + integer(v, w + ".triangles"));
      element_material.push_back(material);
    }
    part_nodes.push_back(static_cast<std::int32_t>(nodes.size()));
    part_elements.push_back(static_cast<std::int32_t>(triangles.size()));
  }
  std::vector<double> sy, sz;
  if (s.contains("stress_points")) {
    for (const json& p : array(s.at("stress_points"), n + ".stress_points")) {
      if (!p.is_array() || p.size() != 2) fail(n + ".stress_points", "expected [y, z] pairs");
      sy.push_back(number(p[0], n + ".stress_points"));
      sz.push_back(number(p[1], n + ".stress_points"));
    }
  }
  const auto n_nodes = static_cast<std::int32_t>(ys.size());
  const auto n_points = static_cast<std::int32_t>(sy.size());
  const auto n_elements = static_cast<std::int32_t>(element_material.size());
  const auto n_materials = static_cast<std::int32_t>(moduli.size());
  const auto n_parts = static_cast<std::int32_t>(part_nodes.size());
  const std::int32_t n_bars = 0, level = 1, reference = 0, six_node = 0;
  std::vector<double> result(static_cast<std::size_t>(43 + 3 * n_points), 0.0);
  std::vector<double> coords(static_cast<std::size_t>(2 * n_points) + 1, 0.0);
  r.code = BSPCombMain(result.data(), coords.data(), &n_nodes, &n_points, &n_elements, &n_materials, &n_parts,
                       ys.data(), zs.data(), sy.data(), sz.data(), connectivity.data(), element_material.data(),
                       part_nodes.data(), part_elements.data(), &ref_modulus, &ref_poisson, &ref_weight,
                       moduli.data(), poissons.data(), weights.data(), &n_bars, nullptr, nullptr, nullptr,
                       nullptr, nullptr, &level, &reference, &six_node);
  if (r.code != 0) r.error = BSPLastError();
  r.quantities = {
      {"area", "transformed area A", result[BSP_SLOT_AREA]},
      {"centroid_y", "centroid y", result[BSP_SLOT_CENTROID_Y]},
      {"centroid_z", "centroid z", result[BSP_SLOT_CENTROID_Z]},
      {"i1", "second moment I1 (y'^2)", result[BSP_SLOT_I1]},
      {"i2", "second moment I2 (z'^2)", result[BSP_SLOT_I2]},
      {"i12", "product moment I12", result[BSP_SLOT_I12]},
      {"principal_angle_deg", "principal angle, degrees", result[BSP_SLOT_PRINCIPAL_ANGLE_DEG]},
      {"torsional_constant", "torsional constant J", result[BSP_SLOT_TORSION_CONSTANT]},
      {"warping_constant", "warping constant Iw", result[BSP_SLOT_WARPING_CONSTANT]},
      {"alpha_y", "shear-area ratio, force along y", result[BSP_SLOT_ALPHA_Y]},
      {"alpha_z", "shear-area ratio, force along z", result[BSP_SLOT_ALPHA_Z]},
      {"centroid_minus_sc_y", "centroid minus shear centre, y", result[BSP_SLOT_CENTROID_MINUS_SC_Y]},
      {"centroid_minus_sc_z", "centroid minus shear centre, z", result[BSP_SLOT_CENTROID_MINUS_SC_Z]},
  };
  return r;
}

}  // namespace

std::vector<SectionResult> compute_sections(const json& document) {
  std::vector<SectionResult> results;
  const json& sections = array(field(document, "sections", "file"), "sections");
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const json& s = sections[i];
    SectionResult r;
    r.name = s.is_object() && s.contains("name") ? s.at("name").get<std::string>()
                                                   : "section " + std::to_string(i + 1);
    r.kind = field(s, "kind", r.name).get<std::string>();
    if (r.kind == "closed_form")
      results.push_back(closed_form(s, std::move(r)));
    else if (r.kind == "cracked")
      results.push_back(cracked(s, std::move(r)));
    else if (r.kind == "meshed")
      results.push_back(meshed(s, std::move(r)));
    else
      fail(r.name + ".kind", "unknown kind \"" + r.kind + "\"");
  }
  return results;
}

}  // namespace bsp_cli
