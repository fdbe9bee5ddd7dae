#include "section_file.h"

#include <bsp/bsp.h>

#include <cmath>
#include <iomanip>
#include <map>
#include <numbers>
#include <sstream>

#include "json_reader.h"
#include "outline.h"

namespace bsp_cli {
namespace {

// A material as the file names it once, at the top.
struct Material {
  double modulus = 0, poisson = 0, area_weight = 1;
  std::string type;  // "concrete", "steel" or empty (reinforced sections need it)
  double tensile_strength = 0, shrinkage = 0, ageing = 0, creep = 0;
};

struct Context {
  std::map<std::string, Material> materials;
  Options options;
};

// The command sees only the public header, so this small predicate on the
// file's own elements lives here (outline.cpp has the loop predicates).
double orientation(const std::array<double, 2>& a, const std::array<double, 2>& b, const std::array<double, 2>& c) {
  return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
}

const Material& find_material(const Context& c, const Value& v, std::string* name = nullptr) {
  const std::string n = v.string();
  const auto it = c.materials.find(n);
  if (it == c.materials.end()) {
    std::string known;
    for (const auto& [k, m] : c.materials) known += (known.empty() ? "" : ", ") + k;
    v.fail("unknown material \"" + n + "\" (the file's \"materials\" name: " + (known.empty() ? "none" : known) + ")");
  }
  if (name != nullptr) *name = n;
  return it->second;
}

std::map<std::string, Material> read_materials(const Value& doc) {
  std::map<std::string, Material> out;
  if (!doc.has("materials")) return out;
  for (const auto& [name, v] : doc.at("materials").members()) {
    // Names become part of result keys ("materials.steel.area").
    if (name.empty() || name.find('.') != std::string::npos) v.fail("a material name is not empty and has no \".\"");
    v.object({"E", "nu", "area_weight", "type", "tensile_strength", "shrinkage", "ageing", "creep"});
    Material m;
    m.modulus = v.at("E").positive();
    m.poisson = v.number_or("nu", 0.0);
    if (m.poisson < 0.0 || m.poisson > 0.5) v.at("nu").fail("expected a Poisson ratio 0 .. 0.5");
    m.area_weight = v.number_or("area_weight", 1.0);
    if (v.has("type")) {
      m.type = v.at("type").string();
      if (m.type != "concrete" && m.type != "steel") v.at("type").fail("expected \"concrete\" or \"steel\"");
    }
    m.tensile_strength = v.number_or("tensile_strength", 0.0);
    m.shrinkage = v.number_or("shrinkage", 0.0);
    m.ageing = v.number_or("ageing", 0.0);
    m.creep = v.number_or("creep", 0.0);
    out.emplace(name, m);
  }
  return out;
}

// ---------------------------------------------------------------- mesh

// The names, units and meanings of the section property vector's slots, in
// report order. Offsets come from the header only.
struct SlotRow {
  int slot;
  int min_level;
  const char* key;
  const char* unit;
  const char* meaning;
};
constexpr SlotRow kSlotRows[] = {
    {BSP_SLOT_AREA, 0, "area", "L^2", "transformed area A (E / E_ref weighted)"},
    {BSP_SLOT_WEIGHTED_AREA, 0, "weighted_area", "L^2", "area weighted by area_weight / reference area_weight"},
    {BSP_SLOT_CENTROID_Y, 0, "centroid_y", "L", "centroid y"},
    {BSP_SLOT_CENTROID_Z, 0, "centroid_z", "L", "centroid z"},
    {BSP_SLOT_I1, 0, "i1", "L^4", "second moment about the centroid, integral y'^2 dA"},
    {BSP_SLOT_I2, 0, "i2", "L^4", "second moment about the centroid, integral z'^2 dA"},
    {BSP_SLOT_I12, 0, "i12", "L^4", "product moment about the centroid, integral y'z' dA"},
    {BSP_SLOT_TORSION_CONSTANT, 0, "torsion_constant", "L^4", "Saint-Venant torsion constant J"},
    {BSP_SLOT_WARPING_CONSTANT, 0, "warping_constant", "L^6", "warping constant Iw about the shear centre"},
    {BSP_SLOT_ALPHA_Y, 0, "alpha_y", "1", "shear-area ratio, force along y (shear area = A / alpha_y)"},
    {BSP_SLOT_ALPHA_Z, 0, "alpha_z", "1", "shear-area ratio, force along z"},
    {BSP_SLOT_CENTROID_MINUS_SC_Y, 0, "centroid_minus_sc_y", "L", "centroid y minus shear centre y"},
    {BSP_SLOT_CENTROID_MINUS_SC_Z, 0, "centroid_minus_sc_z", "L", "centroid z minus shear centre z"},
    {BSP_SLOT_TORSION_STRESS_MAX, 0, "torsion_stress_max", "L",
     "largest torsion shear stress per unit twist and unit G (times G_ref theta, or T / J)"},
    {BSP_SLOT_TAU_Y_OF_VY, 0, "tau_y_of_vy", "1/L^2", "shear stress along y for a unit force along y, at its largest"},
    {BSP_SLOT_TAU_Z_OF_VY, 0, "tau_z_of_vy", "1/L^2", "shear stress along z for a unit force along y"},
    {BSP_SLOT_TAU_Y_OF_VZ, 0, "tau_y_of_vz", "1/L^2", "shear stress along y for a unit force along z"},
    {BSP_SLOT_TAU_Z_OF_VZ, 0, "tau_z_of_vz", "1/L^2", "shear stress along z for a unit force along z, at its largest"},
    {BSP_SLOT_PRINCIPAL_ANGLE_DEG, 1, "principal_angle_deg", "deg", "angle of the principal axes from y"},
    {BSP_SLOT_MODULUS_Y, 1, "modulus_y", "L^3", "elastic modulus I1 / extreme y offset of the stress points"},
    {BSP_SLOT_MODULUS_Z, 1, "modulus_z", "L^3", "elastic modulus I2 / extreme z offset of the stress points"},
    {BSP_SLOT_RADIUS_Y, 1, "radius_y", "L", "radius of gyration sqrt(I1 / A)"},
    {BSP_SLOT_RADIUS_Z, 1, "radius_z", "L", "radius of gyration sqrt(I2 / A)"},
    {BSP_SLOT_RADIUS_MAJOR, 1, "radius_major", "L", "radius of gyration about the major principal axis"},
    {BSP_SLOT_RADIUS_MINOR, 1, "radius_minor", "L", "radius of gyration about the minor principal axis"},
    {BSP_SLOT_RADIUS_POLAR_SC, 1, "radius_polar_sc", "L", "polar radius of gyration about the shear centre"},
};

struct PartRow {
  int offset;
  const char* key;
  const char* unit;
  const char* meaning;
};
constexpr PartRow kPartRows[] = {
    {BSP_PART_AREA, "area", "L^2", "transformed area, bars included"},
    {BSP_PART_WEIGHTED_AREA, "weighted_area", "L^2", "weighted area"},
    {BSP_PART_CENTROID_Y, "centroid_y", "L", "centroid y of this material"},
    {BSP_PART_CENTROID_Z, "centroid_z", "L", "centroid z of this material"},
    {BSP_PART_I1, "i1", "L^4", "second moment about its own centroid, y'^2"},
    {BSP_PART_I2, "i2", "L^4", "second moment about its own centroid, z'^2"},
    {BSP_PART_TORSION_CONSTANT, "torsion_constant", "L^4", "this material's share of J"},
    {BSP_PART_WARPING, "warping_constant", "L^6", "this material's share of Iw"},
    {BSP_PART_ALPHA_Y, "alpha_y", "1", "shear-area ratio, force along y"},
    {BSP_PART_ALPHA_Z, "alpha_z", "1", "shear-area ratio, force along z"},
};

// The six fields of the level-3 extremes, in the header's order.
constexpr const char* kExtremeFields[6] = {"tau_y_of_vy", "tau_z_of_vy", "tau_y_of_vz",
                                           "tau_z_of_vz", "torsion_y",   "torsion_z"};

constexpr const char* kDetailStress[4][3] = {{"normal", "F/L^2", "normal stress"},
                                             {"shear_y", "F/L^2", "shear stress along y"},
                                             {"shear_z", "F/L^2", "shear stress along z"},
                                             {"von_mises", "F/L^2", "von Mises stress sqrt(s^2 + 3 t^2)"}};

std::int32_t material_number(MeshInput& m, const Context& c, const Value& v) {
  std::string name;
  const Material& mat = find_material(c, v, &name);
  for (std::size_t i = 0; i < m.material_names.size(); ++i)
    if (m.material_names[i] == name) return static_cast<std::int32_t>(i + 1);
  m.material_names.push_back(name);
  m.modulus.push_back(mat.modulus);
  m.poisson.push_back(mat.poisson);
  m.area_weight.push_back(mat.area_weight);
  return static_cast<std::int32_t>(m.material_names.size());
}

std::shared_ptr<MeshInput> read_mesh(const Value& s, const Context& c) {
  auto m = std::make_shared<MeshInput>();
  m->nodes_per_element = 0;
  for (const Value& part : s.at("parts").array(1)) {
    part.object({"material", "nodes", "elements"});
    const std::int32_t material = material_number(*m, c, part.at("material"));
    const auto offset = static_cast<std::int32_t>(m->node_y.size());
    const auto nodes = part.at("nodes").array(3);
    for (const Value& p : nodes) {
      const auto yz = p.point();
      m->node_y.push_back(yz[0]);
      m->node_z.push_back(yz[1]);
    }
    const auto elements = part.at("elements").array(1);
    for (const Value& e : elements) {
      const auto numbers = e.array();
      if (numbers.size() != 3 && numbers.size() != 6)
        e.fail("expected 3 corner node numbers or 6 (corners, then mid-sides of edges 1-2, 2-3, 3-1)");
      if (m->nodes_per_element == 0) m->nodes_per_element = static_cast<std::int32_t>(numbers.size());
      if (static_cast<std::int32_t>(numbers.size()) != m->nodes_per_element)
        e.fail("all elements of a section have the same node count (" + std::to_string(m->nodes_per_element) +
               " before this one)");
      for (const Value& v : numbers) {
        const std::int32_t k = v.integer();
        if (k < 1 || static_cast<std::size_t>(k) > nodes.size())
          v.fail("node " + std::to_string(k) + " is out of range 1.." + std::to_string(nodes.size()) +
                 " of this part");
        m->connectivity.push_back(offset + k);
      }
      // The library rejects such an element too, but only the file knows
      // where it is.
      const auto corner = [&](int c) {
        const auto i = static_cast<std::size_t>(m->connectivity[m->connectivity.size() - numbers.size() + c] - 1);
        return std::array<double, 2>{m->node_y[i], m->node_z[i]};
      };
      if (!(orientation(corner(0), corner(1), corner(2)) > 0.0))
        e.fail("the corners are clockwise or in one line; list them counter-clockwise");
      m->element_material.push_back(material);
    }
    m->part_nodes.push_back(static_cast<std::int32_t>(nodes.size()));
    m->part_elements.push_back(static_cast<std::int32_t>(elements.size()));
  }
  if (s.has("bars")) {
    for (const Value& b : s.at("bars").array()) {
      b.object({"material", "y", "z", "diameter"});
      const std::int32_t k = material_number(*m, c, b.at("material"));
      m->bar_y.push_back(b.at("y").number());
      m->bar_z.push_back(b.at("z").number());
      m->bar_radius.push_back(b.at("diameter").positive() / 2.0);
      m->bar_modulus.push_back(m->modulus[k - 1]);
      m->bar_area_weight.push_back(m->area_weight[k - 1]);
    }
  }
  if (s.has("stress_points")) {
    for (const Value& p : s.at("stress_points").array()) {
      const auto yz = p.point();
      m->stress_y.push_back(yz[0]);
      m->stress_z.push_back(yz[1]);
    }
  }
  if (s.has("stress_reference")) {
    const Value v = s.at("stress_reference");
    const std::string r = v.string();
    if (r != "centroid" && r != "shear_centre") v.fail("expected \"centroid\" or \"shear_centre\"");
    m->stress_reference = r == "shear_centre" ? 1 : 0;
  }
  // The reference material is the first part's unless named: its E and nu
  // both, so that J and the stresses are in that material's terms.
  const Material& ref = s.has("reference") ? find_material(c, s.at("reference")) : c.materials.at(m->material_names[0]);
  m->ref_modulus = ref.modulus;
  m->ref_poisson = ref.poisson;
  m->ref_area_weight = ref.area_weight;
  return m;
}

void add(std::vector<Quantity>& q, std::string key, double value, std::string unit, std::string meaning) {
  q.push_back({std::move(key), value, std::move(unit), std::move(meaning)});
}

int read_level(const Value& s, const Context& c) {
  if (!s.has("level")) return c.options.level;
  const int level = s.at("level").integer();
  if (level < 0 || level > 3) s.at("level").fail("expected 0, 1, 2 or 3");
  return level;
}

std::optional<Forces> read_forces(const Value& s) {
  if (!s.has("forces")) return std::nullopt;
  const Value f = s.at("forces").object({"N", "T", "Vy", "Vz", "My", "Mz"});
  return Forces{f.number_or("N", 0), f.number_or("T", 0), f.number_or("Vy", 0),
                f.number_or("Vz", 0), f.number_or("My", 0), f.number_or("Mz", 0)};
}

// The section property vector of BSPCombMain or BSPMeshMain, by name.
void report_properties(std::vector<Quantity>& q, const CombResult& comb, int level, const std::vector<double>& sy,
                       const std::vector<double>& sz, int reference, bool first_moments) {
  const auto& v = comb.result;
  add(q, "level", level, "1", "analysis level the values below were computed at");
  for (const SlotRow& row : kSlotRows) {
    if (level < row.min_level) continue;
    add(q, row.key, v[row.slot], row.unit, row.meaning);
    if (row.slot == BSP_SLOT_CENTROID_MINUS_SC_Z) {
      add(q, "shear_centre_y", v[BSP_SLOT_CENTROID_Y] - v[BSP_SLOT_CENTROID_MINUS_SC_Y], "L", "shear centre y");
      add(q, "shear_centre_z", v[BSP_SLOT_CENTROID_Z] - v[BSP_SLOT_CENTROID_MINUS_SC_Z], "L", "shear centre z");
    }
  }
  // Principal second moments from I1, I2, I12 (Mohr's circle).
  const double mean = 0.5 * (v[BSP_SLOT_I1] + v[BSP_SLOT_I2]);
  const double radius = std::hypot(0.5 * (v[BSP_SLOT_I1] - v[BSP_SLOT_I2]), v[BSP_SLOT_I12]);
  add(q, "i_major", mean + radius, "L^4", "major principal second moment");
  add(q, "i_minor", mean - radius, "L^4", "minor principal second moment");
  const std::size_t n = sy.size();
  if (level >= 1) add(q, "polar_moment_sc", v[BSP_SLOT_POLAR_MOMENT_SC(n)], "L^4", "polar moment about the shear centre, bars left out");
  if (level >= 1 && first_moments) {
    add(q, "first_moment_y", v[BSP_SLOT_FIRST_MOMENT_Y], "L^3",
        "first moment about the centroidal axis y' = 0: |Q of the part y' > 0| + |Q of the part y' < 0|, bars included");
    add(q, "first_moment_z", v[BSP_SLOT_FIRST_MOMENT_Z], "L^3", "likewise about the centroidal axis z' = 0");
  }
  const char* ref = reference == 0 ? "centroid" : "shear centre";
  for (std::size_t i = 0; i < n; ++i) {
    const std::string p = "stress_points." + std::to_string(i + 1) + ".";
    add(q, p + "y", sy[i], "L", "stress point y");
    add(q, p + "z", sz[i], "L", "stress point z");
    add(q, p + "offset_y", comb.offsets[2 * i], "L", std::string("y minus the ") + ref + " y");
    add(q, p + "offset_z", comb.offsets[2 * i + 1], "L", std::string("z minus the ") + ref + " z");
    if (level >= 2) {
      add(q, p + "warping", v[BSP_SLOT_STRESS_POINTS + i], "L^2", "warping function, mean removed");
      add(q, p + "torsion_y", v[BSP_SLOT_STRESS_POINTS + n + i], "L", "torsion stress along y per unit twist and G");
      add(q, p + "torsion_z", v[BSP_SLOT_STRESS_POINTS + 2 * n + i], "L", "torsion stress along z per unit twist and G");
    }
  }
  if (level >= 3) {
    const int x = BSP_SLOT_EXTREMES(n);
    for (int f = 0; f < 6; ++f) {
      const std::string p = std::string("extremes.") + kExtremeFields[f] + ".";
      const char* unit = f < 4 ? "1/L^2" : "L";
      add(q, p + "value", v[x + 12 + f], unit, "signed largest value of the field");
      add(q, p + "y", v[x + 2 * f], "L", "where it occurs, y");
      add(q, p + "z", v[x + 2 * f + 1], "L", "where it occurs, z");
      add(q, p + "offset_y", v[x + 18 + 2 * f], "L", std::string("that point minus the ") + ref + ", y");
      add(q, p + "offset_z", v[x + 18 + 2 * f + 1], "L", std::string("that point minus the ") + ref + ", z");
    }
  }
}

// Rows of BSPPartMain or BSPPartMeshMain: group k is keyed groups[k].
void report_parts(std::vector<Quantity>& q, const PartResult& parts, const std::vector<std::string>& groups) {
  for (std::size_t k = 0; k < groups.size(); ++k)
    for (const PartRow& row : kPartRows)
      add(q, groups[k] + "." + row.key, parts.part[BSP_PART_SLOTS * k + row.offset], row.unit, row.meaning);
}

// Stresses of BSPDetail or BSPDetailMesh. Group k (a material, or a polygon's
// region) is keyed groups[k]; `within` names what contains a point
// ("material", "polygon") and `number` turns the library's 1-based group of
// a point into the number reported.
void report_detail(std::vector<Quantity>& q, const DetailResult& d, std::size_t n, const std::vector<std::string>& groups,
                   const std::string& within, const std::vector<std::string>& labels,
                   const std::function<int(int)>& number) {
  const std::size_t n_groups = groups.size();
  for (std::size_t i = 0; i < n; ++i) {
    const std::string p = "stress_points." + std::to_string(i + 1) + ".";
    const int in = static_cast<int>(d.out4[i]);
    add(q, p + within, in == 0 ? 0 : number(in), "1",
        in == 0 ? "no " + within + " contains the point (0)"
                : "1-based " + within + " containing the point: " + labels[static_cast<std::size_t>(number(in) - 1)]);
    for (std::size_t k = 0; k < n_groups; ++k)
      for (int cpt = 0; cpt < 4; ++cpt)
        add(q, p + groups[k] + "." + kDetailStress[cpt][0], d.out2[4 * (k * n + i) + cpt], kDetailStress[cpt][1],
            std::string(kDetailStress[cpt][2]) + " as if of " + labels[k]);
  }
  const double* e = d.out2.data() + 4 * n * n_groups;
  add(q, "stresses.normal_max", e[0], "F/L^2", "largest normal stress at the stress points");
  add(q, "stresses.normal_min", e[1], "F/L^2", "smallest normal stress at the stress points");
  add(q, "stresses.shear_max", e[2], "F/L^2", "largest shear stress magnitude");
  add(q, "stresses.von_mises_max", e[3], "F/L^2", "largest von Mises stress");
  add(q, "stresses.von_mises_max_point", e[4], "1", "1-based stress point of that von Mises stress");
  add(q, "stresses.von_mises_max_" + within, e[5] == 0 ? 0 : number(static_cast<int>(e[5])), "1",
      "1-based " + within + " of that von Mises stress");
}

bool failed(SectionResult& r, std::int32_t code) {
  r.code = code;
  if (code != 0) r.message = library_message(code);
  return code != 0;
}

SectionResult mesh_section(const Value& s, const Context& c, SectionResult r) {
  const auto m = read_mesh(s, c);
  const int level = read_level(s, c);
  const std::optional<Forces> forces = read_forces(s);
  r.mesh = m;
  r.forces = forces;
  const CombResult comb = comb_main(*m, m->stress_y, m->stress_z, level);
  if (failed(r, comb.code)) return r;
  report_properties(r.quantities, comb, level, m->stress_y, m->stress_z, m->stress_reference, false);
  const PartResult parts = part_main(*m);
  if (failed(r, parts.code)) return r;
  std::vector<std::string> groups;
  for (const std::string& name : m->material_names) groups.push_back("materials." + name);
  report_parts(r.quantities, parts, groups);
  const std::size_t n = m->stress_y.size();
  if (forces && n > 0) {
    const DetailResult d = detail(*m, m->stress_y, m->stress_z, *forces);
    if (failed(r, d.code)) return r;
    report_detail(r.quantities, d, n, m->material_names, "material", m->material_names, [](int k) { return k; });
  }
  return r;
}

// ---------------------------------------------------------------- outline

// Polygons with holes, one material each, turned into the outline exports'
// points, segments and regions. Also keeps the loops for pictures.
struct Drawing {
  std::vector<std::string> material;  // per polygon
  OutlineGeometry geometry;
};

Drawing read_polygons(const Value& s, const Context& c, SectionResult& r) {
  Drawing d;
  std::vector<Polygon> polygons;
  const auto values = s.at("polygons").array(1);
  for (const Value& p : values) {
    p.object({"material", "outline", "holes"});
    std::string name;
    find_material(c, p.at("material"), &name);
    Polygon poly;
    for (const Value& q : p.at("outline").array(3)) poly.outline.push_back(q.point());
    if (p.has("holes"))
      for (const Value& h : p.at("holes").array()) {
        poly.holes.emplace_back();
        for (const Value& q : h.array(3)) poly.holes.back().push_back(q.point());
      }
    r.loops.push_back({name, poly.outline});
    for (const auto& h : poly.holes) r.loops.push_back({name, h});
    d.material.push_back(name);
    polygons.push_back(std::move(poly));
  }
  OutlineBuild b = build_outline(polygons);
  if (b.problem) {
    const Value& p = values[static_cast<std::size_t>(b.problem->polygon)];
    (b.problem->loop < 0 ? p.at("outline") : p.at("holes").array()[static_cast<std::size_t>(b.problem->loop)])
        .fail(b.problem->what);
  }
  d.geometry = std::move(b.geometry);
  return d;
}

// Circular bars {"material", "y", "z", "diameter"}: radius, y, z, E, area weight.
void read_bars(const Value& s, const Context& c, std::vector<double>& radius, std::vector<double>& y,
               std::vector<double>& z, std::vector<double>& modulus, std::vector<double>* area_weight) {
  if (!s.has("bars")) return;
  for (const Value& b : s.at("bars").array()) {
    b.object({"material", "y", "z", "diameter"});
    const Material& m = find_material(c, b.at("material"));
    y.push_back(b.at("y").number());
    z.push_back(b.at("z").number());
    radius.push_back(b.at("diameter").positive() / 2.0);
    modulus.push_back(m.modulus);
    if (area_weight != nullptr) area_weight->push_back(m.area_weight);
  }
}

double read_element_size(const Value& s) {
  if (!s.has("element_size")) return 0.0;
  const double h = s.at("element_size").number();
  if (h < 0.0) s.at("element_size").fail("expected 0 (the library chooses) or a size > 0");
  return h;
}

SectionResult outline_section(const Value& s, const Context& c, SectionResult r) {
  const Drawing d = read_polygons(s, c, r);
  OutlineInput o;
  o.geometry = d.geometry;
  std::vector<int> solid_polygon;  // polygon of each solid region, in region order
  for (int p : o.geometry.region_polygon) {
    const Material* m = p < 0 ? nullptr : &c.materials.at(d.material[static_cast<std::size_t>(p)]);
    o.region_modulus.push_back(m ? m->modulus : 0.0);  // 0: a void, not meshed
    o.region_poisson.push_back(m ? m->poisson : 0.0);
    o.region_area_weight.push_back(m ? m->area_weight : 1.0);
    if (m) solid_polygon.push_back(p);
  }
  read_bars(s, c, o.bar_radius, o.bar_y, o.bar_z, o.bar_modulus, &o.bar_area_weight);
  if (s.has("stress_points"))
    for (const Value& p : s.at("stress_points").array()) {
      const auto yz = p.point();
      o.stress_y.push_back(yz[0]);
      o.stress_z.push_back(yz[1]);
      r.stress_points.push_back(yz);
    }
  if (s.has("stress_reference")) {
    const std::string ref = s.at("stress_reference").string();
    if (ref != "centroid" && ref != "shear_centre") s.at("stress_reference").fail("expected \"centroid\" or \"shear_centre\"");
    o.stress_reference = ref == "shear_centre" ? 1 : 0;
  }
  const Material& ref = s.has("reference") ? find_material(c, s.at("reference")) : c.materials.at(d.material[0]);
  o.ref_modulus = ref.modulus;
  o.ref_poisson = ref.poisson;
  o.ref_area_weight = ref.area_weight;
  o.element_size = read_element_size(s);
  const int level = read_level(s, c);
  const std::optional<Forces> forces = read_forces(s);
  r.forces = forces;
  for (std::size_t b = 0; b < o.bar_y.size(); ++b)
    r.loop_bars.push_back({o.bar_y[b], o.bar_z[b], o.bar_radius[b]});

  const CombResult comb = mesh_main(o, level);
  if (failed(r, comb.code)) return r;
  report_properties(r.quantities, comb, level, o.stress_y, o.stress_z, o.stress_reference, true);
  // Rows by polygon (1-based, the file's order), not by region.
  const std::size_t n_poly = d.material.size(), n = o.stress_y.size();
  std::vector<std::size_t> region_of(n_poly);
  for (std::size_t k = 0; k < solid_polygon.size(); ++k) region_of[static_cast<std::size_t>(solid_polygon[k])] = k;
  std::vector<std::string> groups, labels;
  for (std::size_t p = 0; p < n_poly; ++p) {
    groups.push_back("polygons." + std::to_string(p + 1));
    labels.push_back("polygon " + std::to_string(p + 1) + " (" + d.material[p] + ")");
  }
  PartResult parts = part_mesh_main(o);
  if (failed(r, parts.code)) return r;
  PartResult by_polygon{0, std::vector<double>(BSP_PART_SLOTS * n_poly)};
  for (std::size_t p = 0; p < n_poly; ++p)
    std::copy_n(parts.part.begin() + static_cast<std::ptrdiff_t>(BSP_PART_SLOTS * region_of[p]), BSP_PART_SLOTS,
                by_polygon.part.begin() + static_cast<std::ptrdiff_t>(BSP_PART_SLOTS * p));
  report_parts(r.quantities, by_polygon, groups);
  if (forces && n > 0) {
    DetailResult dm = detail_mesh(o, *forces);
    if (failed(r, dm.code)) return r;
    std::vector<double> stresses(dm.out2);
    for (std::size_t p = 0; p < n_poly; ++p)
      std::copy_n(dm.out2.begin() + static_cast<std::ptrdiff_t>(4 * n * region_of[p]), 4 * n,
                  stresses.begin() + static_cast<std::ptrdiff_t>(4 * n * p));
    dm.out2 = std::move(stresses);
    report_detail(r.quantities, dm, n, groups, "polygon", labels,
                  [&](int k) { return solid_polygon[static_cast<std::size_t>(k - 1)] + 1; });
  }
  return r;
}

// ---------------------------------------------------------------- first moments

SectionResult first_moment_section(const Value& s, const Context& c, SectionResult r) {
  if (s.has("polygons") == s.has("parts"))
    s.fail("give \"polygons\" (an outline the library meshes) or \"parts\" (3-node triangles), one of them");
  const Point about = s.has("about") ? s.at("about").point() : Point{0.0, 0.0};
  std::vector<double> bar_r, bar_y, bar_z, bar_e;
  read_bars(s, c, bar_r, bar_y, bar_z, bar_e, nullptr);
  const auto n_bars = static_cast<std::int32_t>(bar_r.size());
  double area = 0, moment_z = 0, moment_y = 0;
  if (s.has("polygons")) {
    const Drawing d = read_polygons(s, c, r);
    const Material& ref = s.has("reference") ? find_material(c, s.at("reference")) : c.materials.at(d.material[0]);
    std::vector<double> region_e;
    for (int p : d.geometry.region_polygon)
      region_e.push_back(p < 0 ? 0.0 : c.materials.at(d.material[static_cast<std::size_t>(p)]).modulus);
    const OutlineGeometry& g = d.geometry;
    const auto n_regions = static_cast<std::int32_t>(region_e.size()), n_points = static_cast<std::int32_t>(g.point_y.size()),
               n_segments = static_cast<std::int32_t>(g.segments.size() / 2);
    const double h = read_element_size(s);
    if (failed(r, BSPFirstMomentOfAreaMesh(&area, &moment_z, &moment_y, &about[0], &about[1], &n_regions, &n_bars,
                                           bar_r.data(), bar_y.data(), bar_z.data(), &ref.modulus, region_e.data(),
                                           bar_e.data(), &n_points, g.point_y.data(), g.point_z.data(), &n_segments,
                                           g.segments.data(), &h)))
      return r;
  } else {
    const auto parts = s.at("parts").array(1);
    const Material& ref = find_material(c, s.has("reference") ? s.at("reference") : parts[0].at("material"));
    for (std::size_t k = 0; k < parts.size(); ++k) {
      const Value& part = parts[k];
      part.object({"material", "nodes", "elements"});
      const Material& m = find_material(c, part.at("material"));
      std::vector<double> y, z;
      for (const Value& p : part.at("nodes").array(3)) {
        const auto yz = p.point();
        y.push_back(yz[0]);
        z.push_back(yz[1]);
      }
      std::vector<std::int32_t> conn;
      for (const Value& e : part.at("elements").array(1)) {
        const auto numbers = e.array();
        if (numbers.size() != 3) e.fail("expected 3 corner node numbers (first moments take 3-node triangles)");
        for (const Value& v : numbers) {
          const std::int32_t i = v.integer();
          if (i < 1 || static_cast<std::size_t>(i) > y.size())
            v.fail("node " + std::to_string(i) + " is out of range 1.." + std::to_string(y.size()) + " of this part");
          conn.push_back(i);
        }
      }
      // The bars go with the first part; each part is one call (one modulus).
      const auto n_nodes = static_cast<std::int32_t>(y.size()), n_el = static_cast<std::int32_t>(conn.size() / 3),
                 nb = k == 0 ? n_bars : 0;
      double a = 0, mz = 0, my = 0;
      BSPFirstMomentOfArea(&a, &mz, &my, &about[0], &about[1], &n_nodes, &n_el, y.data(), z.data(), conn.data(),
                           &ref.modulus, &m.modulus, &nb, bar_r.data(), bar_y.data(), bar_z.data(), bar_e.data());
      if (const char* why = BSPLastError(); why != nullptr && *why != '\0') {
        r.code = BSP_E_INPUT;
        r.message = std::string("parts[") + std::to_string(k + 1) + "]: " + why;
        return r;
      }
      area += a, moment_z += mz, moment_y += my;
    }
  }
  auto& q = r.quantities;
  add(q, "about_y", about[0], "L", "y of the point the moments are taken about");
  add(q, "about_z", about[1], "L", "z of the point the moments are taken about");
  add(q, "area", area, "L^2", "area, each part weighted by E / E_ref (bars: their excess over the material they replace)");
  add(q, "moment_y", moment_y, "L^3", "first moment integral (y - about_y) dA");
  add(q, "moment_z", moment_z, "L^3", "first moment integral (z - about_z) dA");
  add(q, "centroid_y", about[0] + moment_y / area, "L", "centroid y of the piece, about_y + moment_y / area");
  add(q, "centroid_z", about[1] + moment_z / area, "L", "centroid z of the piece, about_z + moment_z / area");
  return r;
}

// ---------------------------------------------------------------- reinforced

constexpr const char* kCrackKeys[BSP_CRACK_N_RESULTS][3] = {
    {"centroid_z", "L", "z of the uncracked transformed centroid"},
    {"gross_inertia", "L^4", "uncracked second moment I_g about the centroid"},
    {"axis_upper", "L", "neutral axis, upper face (z >= axis) compressed"},
    {"axis_lower", "L", "neutral axis, lower face compressed"},
    {"inertia_upper", "L^4", "cracked second moment about axis_upper"},
    {"inertia_lower", "L^4", "cracked second moment about axis_lower"},
    {"cracking_moment_pos", "F L", "positive cracking moment (1.0: no concrete cracks)"},
    {"cracking_moment_neg", "F L", "negative cracking moment (-1.0: no concrete cracks)"},
    {"creep_gross", "1/(F L^2)", "creep flexibility, uncracked"},
    {"shrinkage_gross", "1/L", "shrinkage curvature, uncracked"},
    {"creep_upper", "1/(F L^2)", "creep flexibility, cracked, upper face compressed"},
    {"shrinkage_upper", "1/L", "shrinkage curvature, cracked, upper face compressed"},
    {"creep_lower", "1/(F L^2)", "creep flexibility, cracked, lower face compressed"},
    {"shrinkage_lower", "1/L", "shrinkage curvature, cracked, lower face compressed"},
};

SectionResult reinforced_section(const Value& s, const Context& c, SectionResult r) {
  // Material key k (0-based, order of first use) uses parameter record k + 1:
  // record 0 would overlap the reference values at parameters[0], [1].
  std::vector<std::string> keys;
  std::vector<std::int32_t> table;
  std::vector<double> parameters(BSP_CRACK_RECORD_SIZE, 0.0);
  auto key_of = [&](const Value& v) {
    std::string name;
    const Material& m = find_material(c, v, &name);
    for (std::size_t k = 0; k < keys.size(); ++k)
      if (keys[k] == name) return static_cast<std::int32_t>(k);
    if (m.type.empty()) v.fail("material \"" + name + "\" needs \"type\": \"concrete\" or \"steel\" in a reinforced section");
    keys.push_back(name);
    table.push_back(m.type == "concrete" ? 0 : 1);
    table.push_back(static_cast<std::int32_t>(keys.size()));
    parameters.insert(parameters.end(), {m.modulus, m.tensile_strength, m.shrinkage, m.ageing, m.creep});
    return static_cast<std::int32_t>(keys.size() - 1);
  };
  std::vector<double> ys, zs;
  std::vector<std::int32_t> edges, loop_key;
  for (const Value& l : s.at("loops").array(1)) {
    l.object({"material", "points"});
    const std::int32_t key = key_of(l.at("material"));
    Loop loop{keys[key], {}};
    for (const Value& p : l.at("points").array(3)) loop.points.push_back(p.point());
    if (const auto x = self_crossing(loop.points)) {
      const auto edge = [&](std::size_t e) {
        return std::to_string(e + 1) + "-" + std::to_string((e + 1) % loop.points.size() + 1);
      };
      l.at("points").fail("the loop crosses itself: edge " + edge(x->first) + " crosses edge " + edge(x->second));
    }
    if (signed_area(loop.points) == 0.0) l.at("points").fail("the loop encloses no area");
    const auto first = static_cast<std::int32_t>(ys.size());
    const auto n = static_cast<std::int32_t>(loop.points.size());
    for (std::int32_t i = 0; i < n; ++i) {
      ys.push_back(loop.points[i][0]);
      zs.push_back(loop.points[i][1]);
      edges.insert(edges.end(), {key, first + i, first + (i + 1) % n});
    }
    loop_key.push_back(key);
    r.loops.push_back(std::move(loop));
  }
  parameters[0] = s.has("reference_modulus") ? s.at("reference_modulus").positive()
                                             : parameters[BSP_CRACK_RECORD_SIZE + BSP_CRACK_P_MODULUS];
  std::vector<std::int32_t> bar_refs;
  std::vector<double> bar_records;
  std::int32_t no_host = -1;  // a key with no edges: a bar outside every loop lies in no material
  if (s.has("bars")) {
    for (const Value& b : s.at("bars").array()) {
      b.object({"material", "y", "z", "area", "diameter", "host"});
      const std::int32_t own = key_of(b.at("material"));
      const double y = b.at("y").number(), z = b.at("z").number();
      if (b.has("area") == b.has("diameter")) b.fail("give exactly one of \"area\" and \"diameter\"");
      const double area = b.has("area") ? b.at("area").positive()
                                        : std::numbers::pi * std::pow(b.at("diameter").positive() / 2.0, 2);
      // The host is the smallest loop around the bar unless the file names it.
      std::int32_t host = -1;
      if (b.has("host")) {
        host = key_of(b.at("host"));
      } else {
        double best = 0;
        for (std::size_t l = 0; l < r.loops.size(); ++l) {
          const double a = std::abs(signed_area(r.loops[l].points));
          if (inside(r.loops[l].points, y, z) && (host < 0 || a < best)) {
            host = loop_key[l];
            best = a;
          }
        }
      }
      if (host < 0) {
        if (no_host < 0) {
          no_host = static_cast<std::int32_t>(table.size() / 2);
          table.insert(table.end(), {1, 1});
        }
        host = no_host;
      }
      bar_refs.insert(bar_refs.end(), {host, static_cast<std::int32_t>(bar_records.size() / 3)});
      bar_records.insert(bar_records.end(), {z, area, c.materials.at(keys[own]).modulus});
      r.loop_bars.push_back({y, z, std::sqrt(area / std::numbers::pi)});
    }
  }
  double out[BSP_CRACK_N_RESULTS] = {};
  CrackSectionProperty(out, static_cast<std::int32_t>(bar_refs.size() / 2), static_cast<std::int32_t>(edges.size() / 3),
                       table.data(), edges.data(), bar_refs.data(), parameters.data(), bar_records.data(), ys.data(),
                       zs.data());
  for (int i = 0; i < BSP_CRACK_N_RESULTS; ++i) add(r.quantities, kCrackKeys[i][0], out[i], kCrackKeys[i][1], kCrackKeys[i][2]);
  return r;
}

// ---------------------------------------------------------------- closed forms

struct Shape {
  const char* name;
  std::int32_t code;
  std::size_t dimensions;
};
constexpr Shape kShapes[] = {
    {"rectangle", BSP_ANALYTIC_RECTANGLE, 2},       {"box", BSP_ANALYTIC_BOX, 6},
    {"i_outstand", BSP_ANALYTIC_I_OUTSTAND, 6},     {"i_outstand_90", BSP_ANALYTIC_I_OUTSTAND_90, 6},
    {"i_full", BSP_ANALYTIC_I_FULL, 6},             {"i_full_90", BSP_ANALYTIC_I_FULL_90, 6},
    {"tee", BSP_ANALYTIC_TEE, 4},                   {"tee_90", BSP_ANALYTIC_TEE_90, 4},
    {"split_tee", BSP_ANALYTIC_SPLIT_TEE, 5},       {"split_tee_90", BSP_ANALYTIC_SPLIT_TEE_90, 5},
};

SectionResult closed_form_section(const Value& s, const Context&, SectionResult r) {
  const Value sv = s.at("shape");
  const std::string name = sv.string();
  const Shape* shape = nullptr;
  std::string names;
  for (const Shape& sh : kShapes) {
    if (name == sh.name) shape = &sh;
    names += (names.empty() ? "" : ", ") + std::string(sh.name);
  }
  if (shape == nullptr) sv.fail("unknown shape \"" + name + "\" (known: " + names + ")");
  const Value dv = s.at("dimensions");
  const auto dims_v = dv.array();
  if (dims_v.size() != shape->dimensions)
    dv.fail("a " + name + " takes " + std::to_string(shape->dimensions) + " dimensions, found " +
            std::to_string(dims_v.size()));
  std::vector<double> dims;
  for (const Value& d : dims_v) dims.push_back(d.positive());
  double j = 0, a1 = 0, a2 = 0;
  BSPAnalyticTorsionalConstant(&shape->code, dims.data(), &j);
  BSPAnalyticShearArea(&shape->code, dims.data(), &a1, &a2);
  if (j == 0.0) {
    r.code = BSP_E_INPUT;
    r.message = "the closed form rejects these dimensions (a wall thickness or centre-line length is not > 0)";
    return r;
  }
  add(r.quantities, "torsion_constant", j, "L^4", "torsion constant J (engineering formula)");
  add(r.quantities, "shear_area_1", a1, "L^2", "shear area, force along the first axis");
  add(r.quantities, "shear_area_2", a2, "L^2", "shear area, force along the second axis");
  return r;
}

// ---------------------------------------------------------------- standard

// The catalogue of standard sections as the file names them: a type number,
// a friendlier name, and one name per dimension D1, D2, ... in order.
struct StandardType {
  std::int32_t type;
  const char* name;
  std::initializer_list<const char*> dimensions;
};
const StandardType kStandardTypes[] = {
    {1, "rectangle", {"height", "width"}},
    {2, "trough", {"height", "width", "bottom", "wall"}},
    {3, "i_unequal_y", {"depth", "flange_width_0", "flange_width_1", "web", "flange_0", "flange_1"}},
    {4, "tee_y", {"flange_width", "depth", "flange", "stem"}},
    {5, "box", {"height", "width", "side_wall", "top_bottom"}},
    {6, "cross", {"height_less_bar", "bar", "width", "vertical_bar"}},
    {7, "i", {"web_height", "flanges", "flange_width", "web"}},
    {8, "tee", {"flange_width", "stem_length", "flange", "stem"}},
    {9, "zed", {"flange_length", "web", "clear_width", "width"}},
    {10, "channel_up", {"leg_height", "web", "clear_width", "width"}},
    {11, "h", {"height_less_web", "web", "clear_width", "width"}},
    {12, "channel_y", {"flange", "web", "depth", "height"}},
    {13, "tee_side", {"flange_width", "depth", "flange", "stem"}},
    {14, "box_walls", {"height", "width", "wall_y_max", "wall_y_0", "top", "bottom"}},
    {15, "lipped_channel", {"width", "plate", "depth", "lip"}},
    {16, "plate_box", {"plate_height", "depth", "box_height", "box_wall", "plate"}},
    {17, "hexagon", {"rise", "height", "width"}},
    {18, "tube", {"outer_radius", "inner_radius"}},
    {19, "circle", {"radius"}},
    {20, "angle", {"height", "width", "vertical_leg", "horizontal_leg"}},
    {21, "tee_side_offset", {"flange_below", "flange_above", "depth", "flange", "stem"}},
    {22, "octagon", {"chamfer", "height", "width", "flat_width"}},
    {23, "angle_y_max", {"height", "width", "horizontal_leg", "vertical_leg"}},
    {24, "i_unequal", {"height", "top_flange_width", "web", "top_flange", "bottom_flange_width", "bottom_flange"}},
    {25, "channel_unequal", {"height", "top_flange_width", "web", "top_flange", "bottom_flange_width", "bottom_flange"}},
    {26, "angle_top", {"height", "width", "web", "top_leg"}},
    {27, "hat", {"height", "brim", "crown_width", "plate"}},
};

const StandardType& standard_type(const Value& v) {
  if (v.raw().is_string()) {
    const std::string n = v.string();
    for (const StandardType& t : kStandardTypes)
      if (n == t.name) return t;
    std::string names;
    for (const StandardType& t : kStandardTypes) names += (names.empty() ? "" : ", ") + std::string(t.name);
    v.fail("unknown standard type \"" + n + "\" (known: " + names + ", or a number 1..27)");
  }
  const std::int32_t t = v.integer();
  if (t < 1 || t > 27) v.fail("unknown standard type " + std::to_string(t) + " (known: 1..27 or a name)");
  return kStandardTypes[t - 1];
}

// What the validation did, read from the given and the corrected dimensions
// (the exports return no status): 1 a value below 1e-7 or not finite was
// replaced, 2 a relational rule shrank a value, 99 a value above 1e7 was
// flagged, 0 nothing.
int dimension_status(const std::vector<double>& given, const std::vector<double>& used) {
  int status = 0;
  for (std::size_t i = 0; i < given.size(); ++i) {
    if (!std::isfinite(given[i]) || given[i] < 1.0000000116860974e-7) return 1;  // 1e-7 in single precision
    if (given[i] != used[i]) status = 2;
  }
  if (status == 0)
    for (double d : given)
      if (d > 1e7) return 99;
  return status;
}

constexpr const char* kStatusMeaning[] = {"", "a value below 1e-7 was replaced", "a rule between dimensions shrank a value"};

SectionResult standard_section(const Value& s, const Context&, SectionResult r) {
  const StandardType& t = standard_type(s.at("type"));
  const std::vector<const char*> names(t.dimensions);
  const Value dv = s.at("dimensions");
  std::vector<double> given;
  if (dv.raw().is_object()) {
    dv.object(t.dimensions);
    for (const char* n : names) given.push_back(dv.at(n).number());
  } else {
    const auto items = dv.array();
    if (items.size() != names.size()) {
      std::string list;
      for (const char* n : names) list += (list.empty() ? "" : ", ") + std::string(n);
      dv.fail("a " + std::string(t.name) + " (type " + std::to_string(t.type) + ") takes " +
              std::to_string(names.size()) + " dimensions (" + list + "), found " + std::to_string(items.size()));
    }
    for (const Value& d : items) given.push_back(d.number());
  }
  const double nu = s.at("nu").number();
  if (nu <= -1.0 || nu > 0.5) s.at("nu").fail("expected a Poisson ratio above -1 and at most 0.5");
  bool closed = false;
  if (s.has("closed_form")) {
    const Value c = s.at("closed_form");
    if (!c.raw().is_boolean()) c.fail("expected true or false");
    closed = c.raw().get<bool>();
  }
  std::int32_t origin = 1, order = 1;  // the exports' defaults: shear centre, type-1 points
  if (s.has("stress_point_origin")) {
    const std::string o = s.at("stress_point_origin").string();
    if (o != "centroid" && o != "shear_centre") s.at("stress_point_origin").fail("expected \"centroid\" or \"shear_centre\"");
    origin = o == "centroid" ? 0 : 1;
  }
  if (s.has("stress_point_order")) {
    order = s.at("stress_point_order").integer();
    if (order != 1 && order != 2) s.at("stress_point_order").fail("expected 1 or 2");
    order = order == 2 ? 0 : 1;
  }

  bool meshed = false;
  if (s.has("meshed")) {
    const Value m = s.at("meshed");
    if (!m.raw().is_boolean()) m.fail("expected true or false");
    meshed = m.raw().get<bool>();
  }
  // The meshed path's analysis level; 1 (as BSPMAIN) adds the classical
  // shear maxima V Q / (I b).
  std::int32_t level = 1;
  if (s.has("level")) {
    if (!meshed) s.at("level").fail("only a \"meshed\": true standard section takes a level");
    level = s.at("level").integer();
    if (level < 0 || level > 3) s.at("level").fail("expected 0, 1, 2 or 3");
  }
  if (meshed && origin == 1 && order == 0)
    s.at("stress_point_order").fail("the meshed path gives order-2 stress points about the centroid only (add \"stress_point_origin\": \"centroid\")");

  std::vector<double> dims = given, v(BSP_STD_RESULT_SIZE, 0.0);
  const std::int32_t a6 = closed ? 2 : 0;
  std::int32_t code = 0;
  if (meshed && order == 0)
    code = BSPMAINGENCIVIL(v.data(), dims.data(), &t.type, nullptr, &nu, &a6, &level, nullptr);
  else if (meshed)
    code = BSPMAINGENERAL(v.data(), dims.data(), &t.type, nullptr, &nu, &a6, &level, &origin, nullptr);
  else if (origin == 1 && order == 1)
    BSPMAIN(v.data(), dims.data(), &t.type, nullptr, &nu, &a6, nullptr);
  else
    BSPMAIN_EXPAND(v.data(), dims.data(), &t.type, nullptr, &nu, &a6, nullptr, &origin, &order);
  const std::string why = code != 0 ? library_message(code) : "";

  auto& q = r.quantities;
  add(q, "type", t.type, "1", std::string("standard section type (") + t.name + ")");
  if (meshed) add(q, "meshed_level", level, "1", "computed through the meshed path at this analysis level");
  for (std::size_t i = 0; i < names.size(); ++i)
    add(q, std::string("dimensions.") + names[i], dims[i], "L", "D" + std::to_string(i + 1) + " as used");
  const int status = dimension_status(given, dims);
  add(q, "dimension_status", status, "1", "0 as given; 1 replaced, 2 shrunk, 99 above 1e7 (no properties)");
  if (status != 0) {
    // The exports give no properties for corrected dimensions; the report
    // names every change so nothing is corrected silently.
    std::string what;
    for (std::size_t i = 0; i < names.size(); ++i)
      if (!(given[i] == dims[i])) {
        add(q, std::string("given_dimensions.") + names[i], given[i], "L", "D" + std::to_string(i + 1) + " as given");
        std::ostringstream o;
        o << std::setprecision(17) << "D" << i + 1 << " (" << names[i] << ") corrected from " << given[i] << " to "
          << dims[i];
        what += (what.empty() ? "" : "; ") + o.str();
      }
    r.code = BSP_E_INPUT;
    r.message = status == 99 ? "a dimension above 1e7 was flagged (status 99); no properties"
                             : "dimensions corrected (status " + std::to_string(status) + ": " + kStatusMeaning[status] +
                                   "): " + what + "; no properties";
    return r;
  }
  if (code != 0 || v[BSP_SLOT_AREA] == 0.0) {
    r.code = code != 0 ? code : BSP_E_INPUT;
    r.message = code != 0 ? why : "the library gave no properties for this standard section";
    return r;
  }
  for (const SlotRow& row : kSlotRows) {
    std::string meaning = row.meaning;
    if (row.slot == BSP_SLOT_MODULUS_Y) meaning = "elastic modulus I1 / y of the stress point of largest |y| from the centroid";
    if (row.slot == BSP_SLOT_MODULUS_Z) meaning = "elastic modulus I2 / z of the stress point of largest |z| from the centroid";
    add(q, row.key, v[row.slot], row.unit, meaning);
    if (row.slot == BSP_SLOT_CENTROID_MINUS_SC_Z) {
      add(q, "shear_centre_y", v[BSP_SLOT_CENTROID_Y] - v[BSP_SLOT_CENTROID_MINUS_SC_Y], "L", "shear centre y");
      add(q, "shear_centre_z", v[BSP_SLOT_CENTROID_Z] - v[BSP_SLOT_CENTROID_MINUS_SC_Z], "L", "shear centre z");
    }
  }
  const double i1 = v[BSP_SLOT_I1], i2 = v[BSP_SLOT_I2], i12 = v[BSP_SLOT_I12];
  const double mean = 0.5 * (i1 + i2), radius = std::hypot(0.5 * (i1 - i2), i12);
  add(q, "i_major", mean + radius, "L^4", "major principal second moment");
  add(q, "i_minor", mean - radius, "L^4", "minor principal second moment");
  add(q, "plastic_modulus_y", v[BSP_STD_SLOT_PLASTIC_MODULUS_Y], "L^3",
      "plastic modulus, bending about y: integral |z - z_p| dA, z_p halving the area (0: none for this type)");
  add(q, "plastic_modulus_z", v[BSP_STD_SLOT_PLASTIC_MODULUS_Z], "L^3", "plastic modulus, bending about z: integral |y - y_p| dA");
  const char* ref = origin == 0 ? "centroid" : "shear centre";
  const double oy = origin == 0 ? v[BSP_SLOT_CENTROID_Y] : v[BSP_SLOT_CENTROID_Y] - v[BSP_SLOT_CENTROID_MINUS_SC_Y];
  const double oz = origin == 0 ? v[BSP_SLOT_CENTROID_Z] : v[BSP_SLOT_CENTROID_Z] - v[BSP_SLOT_CENTROID_MINUS_SC_Z];
  for (int i = 0; i < 4; ++i) {
    const std::string p = "stress_points." + std::to_string(i + 1) + ".";
    const double dy = v[BSP_STD_SLOT_POINTS + 2 * i], dz = v[BSP_STD_SLOT_POINTS + 2 * i + 1];
    add(q, p + "offset_y", dy, "L", std::string("stress point y minus the ") + ref + " y");
    add(q, p + "offset_z", dz, "L", std::string("stress point z minus the ") + ref + " z");
    add(q, p + "y", oy + dy, "L", "stress point y in the shape's frame");
    add(q, p + "z", oz + dz, "L", "stress point z in the shape's frame");
    r.stress_points.push_back({oy + dy, oz + dz});
  }
  return r;
}

// ---------------------------------------------------------------- kinds

struct Kind {
  const char* name;
  std::initializer_list<const char*> keys;
  SectionResult (*compute)(const Value&, const Context&, SectionResult);
};
const Kind kKinds[] = {
    {"mesh",
     {"name", "kind", "parts", "bars", "stress_points", "stress_reference", "forces", "reference", "level"},
     mesh_section},
    {"outline",
     {"name", "kind", "polygons", "bars", "stress_points", "stress_reference", "forces", "reference", "level",
      "element_size"},
     outline_section},
    {"first_moment",
     {"name", "kind", "polygons", "parts", "bars", "about", "reference", "element_size"},
     first_moment_section},
    {"reinforced", {"name", "kind", "loops", "bars", "reference_modulus"}, reinforced_section},
    {"closed_form", {"name", "kind", "shape", "dimensions"}, closed_form_section},
    {"standard",
     {"name", "kind", "type", "dimensions", "nu", "closed_form", "stress_point_origin", "stress_point_order", "meshed",
      "level"},
     standard_section},
};

}  // namespace

double SectionResult::value(const std::string& key, double fallback) const {
  for (const Quantity& q : quantities)
    if (q.key == key) return q.value;
  return fallback;
}

std::string library_message(std::int32_t code) {
  if (const char* text = BSPLastError(); text != nullptr && *text != '\0') return text;
  switch (code) {
    case BSP_E_INPUT: return "the library's input checks failed (code -1)";
    case BSP_E_SOLVER: return "the solver found the section degenerate or invalid (code -3)";
    default: return "the library failed with code " + std::to_string(code);
  }
}

std::vector<SectionResult> compute_sections(const nlohmann::json& document, const std::string& file,
                                            const Options& options) {
  const Value doc = Value(document, file, "").object({"materials", "sections"});
  Context context{read_materials(doc), options};
  std::vector<SectionResult> results;
  const auto sections = doc.at("sections").array(1);
  for (const Value& s : sections) {
    SectionResult r;
    const std::string kind = s.at("kind").string();
    const Kind* k = nullptr;
    std::string names;
    for (const Kind& candidate : kKinds) {
      if (kind == candidate.name) k = &candidate;
      names += (names.empty() ? "" : ", ") + std::string(candidate.name);
    }
    if (k == nullptr) s.at("kind").fail("unknown kind \"" + kind + "\" (known: " + names + ")");
    s.object(k->keys);
    r.kind = kind;
    r.name = s.has("name") ? s.at("name").string() : s.path();
    if (options.progress) options.progress(results.size() + 1, sections.size(), r.name);
    results.push_back(k->compute(s, context, std::move(r)));
  }
  return results;
}

}  // namespace bsp_cli
