#include "svg.h"

#include "standard_blocks.h"

#include <bsp/bsp.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <iomanip>
#include <limits>
#include <map>
#include <numbers>
#include <sstream>

namespace bsp_cli {
namespace {

constexpr double kWidth = 640, kHeight = 480, kMargin = 40, kBar = 90;  // pixels; kBar: room for the colour bar

constexpr const char* kMaterialFill[] = {"#c6dbef", "#fdd0a2", "#c7e9c0", "#dadaeb", "#fcbba1", "#d9d9d9"};

// Maps section coordinates (y right, z up) to picture pixels (x right, y down)
// with one scale for both axes, so shapes keep their proportions.
struct View {
  double y0, z1, scale;
  double x(double y) const { return kMargin + (y - y0) * scale; }
  double py(double z) const { return kMargin + (z1 - z) * scale; }
};

View fit(const std::vector<std::array<double, 2>>& pts, double right_room) {
  double y0 = std::numeric_limits<double>::max(), y1 = -y0, z0 = y0, z1 = -y0;
  for (const auto& p : pts) {
    y0 = std::min(y0, p[0]), y1 = std::max(y1, p[0]), z0 = std::min(z0, p[1]), z1 = std::max(z1, p[1]);
  }
  const double w = std::max(y1 - y0, 1e-300), h = std::max(z1 - z0, 1e-300);
  const double scale = std::min((kWidth - 2 * kMargin - right_room) / w, (kHeight - 2 * kMargin) / h);
  return {y0, z1, scale};
}

// A perceptually ordered ramp (dark blue, teal, green, yellow), t in [0, 1].
std::string ramp(double t) {
  static constexpr double stops[5][3] = {{68, 1, 84}, {59, 82, 139}, {33, 145, 140}, {94, 201, 98}, {253, 231, 37}};
  t = std::clamp(std::isfinite(t) ? t : 0.0, 0.0, 1.0) * 4;
  const int i = std::min(3, static_cast<int>(t));
  const double f = t - i;
  std::ostringstream o;
  o << "rgb(";
  for (int c = 0; c < 3; ++c) o << (c ? "," : "") << static_cast<int>(stops[i][c] + f * (stops[i + 1][c] - stops[i][c]));
  o << ")";
  return o.str();
}

std::string num(double v) {
  std::ostringstream o;
  o << std::setprecision(6) << v;
  return o.str();
}

// The field value in each element, sampled at the element's centroid through
// the exports themselves (stress points there), so the picture shows what the
// library computes and nothing the command derives.
std::vector<double> element_field(const MeshInput& m, const std::optional<Forces>& forces, const std::string& field,
                                  std::string& problem) {
  const std::size_t n = m.element_material.size(), k = static_cast<std::size_t>(m.nodes_per_element);
  std::vector<double> cy(n), cz(n);
  for (std::size_t e = 0; e < n; ++e) {
    for (int c = 0; c < 3; ++c) {
      cy[e] += m.node_y[m.connectivity[k * e + c] - 1] / 3;
      cz[e] += m.node_z[m.connectivity[k * e + c] - 1] / 3;
    }
  }
  std::vector<double> out(n, 0.0);
  if (field == "warping" || field == "torsion-stress") {
    const CombResult r = comb_main(m, cy, cz, 2);
    if (r.code != 0) {
      problem = "the field could not be computed: " + library_message(r.code);
      return {};
    }
    for (std::size_t e = 0; e < n; ++e)
      out[e] = field == "warping" ? r.result[BSP_SLOT_STRESS_POINTS + e]
                                  : std::hypot(r.result[BSP_SLOT_STRESS_POINTS + n + e],
                                               r.result[BSP_SLOT_STRESS_POINTS + 2 * n + e]);
    return out;
  }
  Forces f;
  if (field == "shear-y") f.vy = 1;
  if (field == "shear-z") f.vz = 1;
  if (field == "von-mises") {
    if (!forces) {
      problem = "--field von-mises needs the section's \"forces\"";
      return {};
    }
    f = *forces;
  }
  const DetailResult d = detail(m, cy, cz, f);
  if (d.code != 0) {
    problem = "the field could not be computed: " + library_message(d.code);
    return {};
  }
  for (std::size_t e = 0; e < n; ++e) {
    const std::size_t mat = static_cast<std::size_t>(std::abs(m.element_material[e])) - 1, i = 4 * (mat * n + e);
    out[e] = field == "von-mises" ? d.out2[i + 3] : std::hypot(d.out2[i + 1], d.out2[i + 2]);
  }
  return out;
}

void colour_bar(std::ostream& o, double lo, double hi, const std::string& field) {
  const double x = kWidth - kBar + 30, top = kMargin, h = kHeight - 2 * kMargin;
  for (int i = 0; i < 50; ++i)
    o << "<rect x='" << x << "' y='" << num(top + h * i / 50.0) << "' width='18' height='" << num(h / 50.0 + 0.5)
      << "' fill='" << ramp(1.0 - i / 49.0) << "'/>\n";
  // Labels centred on the bar, so a long number stays inside the picture.
  o << "<text x='" << x + 9 << "' y='" << top - 8 << "' font-size='11' text-anchor='middle'>" << num(hi) << "</text>\n"
    << "<text x='" << x + 9 << "' y='" << top + h + 16 << "' font-size='11' text-anchor='middle'>" << num(lo)
    << "</text>\n"
    << "<text x='" << x + 24 << "' y='" << top + h / 2 << "' font-size='11' transform='rotate(90 " << x + 24 << ' '
    << top + h / 2 << ")'>" << field << "</text>\n";
}

void marks(std::ostream& o, const View& v, const SectionResult& s, double span) {
  const double cy = s.value("centroid_y"), cz = s.value("centroid_z");
  // Principal axes through the centroid, the major one solid.
  const double a = s.value("principal_angle_deg") * std::numbers::pi / 180, r = 0.45 * span;
  for (int axis = 0; axis < 2; ++axis) {
    const double t = a + axis * std::numbers::pi / 2, dy = r * std::cos(t), dz = r * std::sin(t);
    o << "<line x1='" << num(v.x(cy - dy)) << "' y1='" << num(v.py(cz - dz)) << "' x2='" << num(v.x(cy + dy))
      << "' y2='" << num(v.py(cz + dz)) << "' stroke='#b2182b' stroke-width='1.2'"
      << (axis ? " stroke-dasharray='6 4'" : "") << "/>\n"
      << "<text x='" << num(v.x(cy + dy) + 4) << "' y='" << num(v.py(cz + dz) - 4)
      << "' font-size='12' fill='#b2182b'>" << (axis ? "2" : "1") << "</text>\n";
  }
  o << "<circle cx='" << num(v.x(cy)) << "' cy='" << num(v.py(cz)) << "' r='4' fill='white' stroke='black'/>\n"
    << "<text x='" << num(v.x(cy) + 6) << "' y='" << num(v.py(cz) + 14) << "' font-size='12'>C</text>\n";
  const double sy = s.value("shear_centre_y", cy), sz = s.value("shear_centre_z", cz);
  o << "<rect x='" << num(v.x(sy) - 4) << "' y='" << num(v.py(sz) - 4)
    << "' width='8' height='8' fill='black' transform='rotate(45 " << num(v.x(sy)) << ' ' << num(v.py(sz)) << ")'/>\n"
    << "<text x='" << num(v.x(sy) + 6) << "' y='" << num(v.py(sz) - 6) << "' font-size='12'>S</text>\n";
}

void draw_mesh(std::ostream& o, const SectionResult& s, const std::vector<double>& field, const std::string& name) {
  const MeshInput& m = *s.mesh;
  std::vector<std::array<double, 2>> pts;
  for (std::size_t i = 0; i < m.node_y.size(); ++i) pts.push_back({m.node_y[i], m.node_z[i]});
  std::vector<std::array<double, 2>> shown = pts;  // the shear centre may lie outside the section
  shown.push_back({s.value("shear_centre_y"), s.value("shear_centre_z")});
  const View v = fit(shown, field.empty() ? 0 : kBar);
  double lo = 0, hi = 0;
  if (!field.empty()) {
    lo = *std::min_element(field.begin(), field.end());
    hi = *std::max_element(field.begin(), field.end());
  }
  const std::size_t k = static_cast<std::size_t>(m.nodes_per_element);
  // Element outline in drawing order: corner, mid-side, corner, ...
  const std::vector<int> order = k == 6 ? std::vector<int>{0, 3, 1, 4, 2, 5} : std::vector<int>{0, 1, 2};
  // Edges met once are the section's outline (outer boundary and holes);
  // nodes are matched by position, since parts repeat their shared nodes.
  std::map<std::array<double, 4>, int> edge_count;
  auto key = [&](std::size_t a, std::size_t b) {
    std::array<double, 2> p{m.node_y[a], m.node_z[a]}, q{m.node_y[b], m.node_z[b]};
    if (q < p) std::swap(p, q);
    return std::array<double, 4>{p[0], p[1], q[0], q[1]};
  };
  for (std::size_t e = 0; e < m.element_material.size(); ++e) {
    o << "<polygon points='";
    for (int c : order) {
      const auto n = static_cast<std::size_t>(m.connectivity[k * e + c] - 1);
      o << num(v.x(m.node_y[n])) << ',' << num(v.py(m.node_z[n])) << ' ';
    }
    const std::size_t mat = static_cast<std::size_t>(std::abs(m.element_material[e]) - 1);
    const std::string fill = field.empty() ? kMaterialFill[mat % 6] : ramp(hi > lo ? (field[e] - lo) / (hi - lo) : 0.5);
    o << "' fill='" << fill << "' stroke='#666' stroke-width='0.3'/>\n";
    for (std::size_t c = 0; c < order.size(); ++c)
      ++edge_count[key(m.connectivity[k * e + order[c]] - 1, m.connectivity[k * e + order[(c + 1) % order.size()]] - 1)];
  }
  for (const auto& [e, count] : edge_count)
    if (count == 1)
      o << "<line x1='" << num(v.x(e[0])) << "' y1='" << num(v.py(e[1])) << "' x2='" << num(v.x(e[2])) << "' y2='"
        << num(v.py(e[3])) << "' stroke='black' stroke-width='1.5'/>\n";
  for (std::size_t b = 0; b < m.bar_y.size(); ++b)
    o << "<circle cx='" << num(v.x(m.bar_y[b])) << "' cy='" << num(v.py(m.bar_z[b])) << "' r='"
      << num(std::max(1.5, m.bar_radius[b] * v.scale)) << "' fill='#444'/>\n";
  double y0 = 1e300, y1 = -1e300, z0 = 1e300, z1 = -1e300;
  for (const auto& p : pts) y0 = std::min(y0, p[0]), y1 = std::max(y1, p[0]), z0 = std::min(z0, p[1]), z1 = std::max(z1, p[1]);
  marks(o, v, s, std::hypot(y1 - y0, z1 - z0));
  for (std::size_t i = 0; i < m.stress_y.size(); ++i)
    o << "<circle cx='" << num(v.x(m.stress_y[i])) << "' cy='" << num(v.py(m.stress_z[i]))
      << "' r='3.5' fill='#e41a1c'/>\n<text x='" << num(v.x(m.stress_y[i]) + 5) << "' y='"
      << num(v.py(m.stress_z[i]) - 5) << "' font-size='11' fill='#e41a1c'>" << i + 1 << "</text>\n";
  if (!field.empty()) colour_bar(o, lo, hi, name);
}

void draw_points(std::ostream& o, const View& v, const std::vector<std::array<double, 2>>& points) {
  for (std::size_t i = 0; i < points.size(); ++i) {
    const auto& p = points[i];
    o << "<circle cx='" << num(v.x(p[0])) << "' cy='" << num(v.py(p[1])) << "' r='3.5' fill='#e41a1c'/>\n<text x='"
      << num(v.x(p[0]) + 5) << "' y='" << num(v.py(p[1]) - 5) << "' font-size='11' fill='#e41a1c'>" << i + 1
      << "</text>\n";
  }
}

// Loops filled by material (a hole left white), bars; then the cracked
// axes (reinforced sections), the centroid (first-moment pieces) or the
// centroid, shear centre, principal axes and stress points (outlines, whose
// mesh the library makes and keeps to itself).
void draw_loops(std::ostream& o, const SectionResult& s) {
  std::vector<std::array<double, 2>> pts;
  for (const Loop& l : s.loops) pts.insert(pts.end(), l.points.begin(), l.points.end());
  double y0 = 1e300, y1 = -1e300, z0 = 1e300, z1 = -1e300;
  for (const auto& p : pts) y0 = std::min(y0, p[0]), y1 = std::max(y1, p[0]), z0 = std::min(z0, p[1]), z1 = std::max(z1, p[1]);
  const bool outline = s.kind == "outline";
  if (outline) pts.push_back({s.value("shear_centre_y"), s.value("shear_centre_z")});
  const View v = fit(pts, 0);
  std::map<std::string, std::size_t> colour;
  for (const Loop& l : s.loops) colour.emplace(l.material, colour.size());
  for (const auto& [material, c] : colour) {
    o << "<path fill-rule='evenodd' fill='" << kMaterialFill[c % 6] << "' stroke='black' stroke-width='1.5' d='";
    for (const Loop& l : s.loops) {
      if (l.material != material) continue;
      for (std::size_t i = 0; i < l.points.size(); ++i)
        o << (i ? 'L' : 'M') << num(v.x(l.points[i][0])) << ',' << num(v.py(l.points[i][1])) << ' ';
      o << "Z ";
    }
    o << "'/>\n";
  }
  for (const auto& b : s.loop_bars)
    o << "<circle cx='" << num(v.x(b[0])) << "' cy='" << num(v.py(b[1])) << "' r='" << num(std::max(1.5, b[2] * v.scale))
      << "' fill='#444'/>\n";
  if (outline) {
    marks(o, v, s, std::hypot(y1 - y0, z1 - z0));
    draw_points(o, v, s.stress_points);
    o << "<text x='" << kMargin << "' y='" << kHeight - 12 << "' font-size='12'>"
      << "outline as drawn (the library meshes it internally)</text>\n";
    return;
  }
  if (s.kind == "first_moment") {
    const double cy = s.value("centroid_y"), cz = s.value("centroid_z");
    o << "<circle cx='" << num(v.x(cy)) << "' cy='" << num(v.py(cz)) << "' r='4' fill='white' stroke='black'/>\n"
      << "<text x='" << num(v.x(cy) + 6) << "' y='" << num(v.py(cz) + 14) << "' font-size='12'>C</text>\n";
    return;
  }
  // Horizontal lines: the uncracked centroid and the two neutral axes.
  const char* lines[3][3] = {{"centroid_z", "C", ""}, {"axis_upper", "a1", "6 4"}, {"axis_lower", "a0", "2 3"}};
  for (const auto& l : lines) {
    const double z = v.py(s.value(l[0]));
    o << "<line x1='" << kMargin / 2 << "' y1='" << num(z) << "' x2='" << kWidth - kMargin / 2 << "' y2='" << num(z)
      << "' stroke='#b2182b' stroke-dasharray='" << l[2] << "'/>\n<text x='4' y='" << num(z - 3)
      << "' font-size='12' fill='#b2182b'>" << l[1] << "</text>\n";
  }
}

// The standard shapes as the library builds them: quadrilateral blocks with
// corners counter-clockwise, each coordinate a linear expression in the
// dimensions D1..D6, and the coordinate the type mirrors (y, z, or - for
// none) to make the other half. The table is python/bsp/standard_blocks.txt,
// which the Python package reads too. Types 18 and 19 are circles.

// Value of a linear expression such as "-D1+2*D2" or "D3/2-D4".
double linear(const std::string& e, const std::vector<double>& d) {
  double sum = 0;
  std::size_t i = 0;
  auto digits = [&](std::size_t j) {
    while (j < e.size() && (std::isdigit(static_cast<unsigned char>(e[j])) || e[j] == '.')) ++j;
    return j;
  };
  while (i < e.size()) {
    double term = 1;
    if (e[i] == '+' || e[i] == '-') term = e[i++] == '-' ? -1 : 1;
    if (std::size_t j = digits(i); j > i) {
      term *= std::stod(e.substr(i, j - i));
      i = j + (j < e.size() && e[j] == '*');
    }
    if (i + 1 < e.size() && e[i] == 'D') {
      const auto k = static_cast<std::size_t>(e[i + 1] - '1');
      term *= k < d.size() ? d[k] : 0.0;
      i += 2;
    }
    if (i < e.size() && e[i] == '/') {
      const std::size_t j = digits(i + 1);
      term /= std::stod(e.substr(i + 1, j - i - 1));
      i = j;
    }
    sum += term;
  }
  return sum;
}

using Ring = std::vector<std::array<double, 2>>;

// The outline of a standard section in its own frame: the blocks, or for
// the tube and the circle their circles about the centroid.
std::vector<Ring> standard_shape(const SectionResult& s) {
  const int type = static_cast<int>(s.value("type"));
  std::vector<double> d;
  for (const Quantity& q : s.quantities)
    if (q.key.rfind("dimensions.", 0) == 0) d.push_back(q.value);
  std::vector<Ring> blocks, mirrored;
  if (type == 18 || type == 19) {
    for (std::size_t k = 0; k < (type == 18 ? 2u : 1u) && k < d.size(); ++k) {
      Ring c;
      for (int i = 0; i < 96; ++i) {
        const double t = 2 * std::numbers::pi * i / 96;
        c.push_back({s.value("centroid_y") + d[k] * std::cos(t), s.value("centroid_z") + d[k] * std::sin(t)});
      }
      blocks.push_back(c);
    }
    return blocks;
  }
  std::istringstream table(kStandardBlocks);
  for (std::string line; std::getline(table, line);) {
    std::istringstream fields(line);
    int t = 0;
    std::string mirror, corner;
    fields >> t >> mirror;
    if (t != type) continue;
    Ring quad;
    while (fields >> corner) {
      const auto comma = corner.find(',');
      quad.push_back({linear(corner.substr(0, comma), d), linear(corner.substr(comma + 1), d)});
    }
    blocks.push_back(quad);
    if (mirror == "-") continue;
    for (auto& p : quad) p[mirror == "y" ? 0 : 1] *= -1;
    std::reverse(quad.begin(), quad.end());
    mirrored.push_back(quad);
  }
  blocks.insert(blocks.end(), mirrored.begin(), mirrored.end());
  return blocks;
}

// A standard section: its outline from the dimensions (the blocks the
// library meshes, thin lines between them), the four stress points, the
// centroid, the shear centre and the principal axes.
void draw_standard(std::ostream& o, const SectionResult& s) {
  const std::vector<Ring> shape = standard_shape(s);
  std::vector<std::array<double, 2>> pts = s.stress_points;
  for (const Ring& r : shape) pts.insert(pts.end(), r.begin(), r.end());
  double y0 = 1e300, y1 = -1e300, z0 = 1e300, z1 = -1e300;
  for (const auto& p : pts) y0 = std::min(y0, p[0]), y1 = std::max(y1, p[0]), z0 = std::min(z0, p[1]), z1 = std::max(z1, p[1]);
  pts.push_back({s.value("shear_centre_y"), s.value("shear_centre_z")});
  const View v = fit(pts, 0);
  const int type = static_cast<int>(s.value("type"));
  if (type == 18 || type == 19) {
    o << "<path fill-rule='evenodd' fill='" << kMaterialFill[0] << "' stroke='black' stroke-width='1.5' d='";
    for (const Ring& r : shape) {
      for (std::size_t i = 0; i < r.size(); ++i) o << (i ? 'L' : 'M') << num(v.x(r[i][0])) << ',' << num(v.py(r[i][1])) << ' ';
      o << "Z ";
    }
    o << "'/>\n";
  } else {
    std::map<std::array<double, 4>, int> edges;  // sides met once are the outline
    for (const Ring& r : shape) {
      o << "<polygon points='";
      for (std::size_t i = 0; i < r.size(); ++i) {
        o << num(v.x(r[i][0])) << ',' << num(v.py(r[i][1])) << ' ';
        auto a = r[i], b = r[(i + 1) % r.size()];
        if (b < a) std::swap(a, b);
        ++edges[{a[0] + 0.0, a[1] + 0.0, b[0] + 0.0, b[1] + 0.0}];
      }
      o << "' fill='" << kMaterialFill[0] << "' stroke='#9ecae1' stroke-width='0.6'/>\n";
    }
    for (const auto& [e, count] : edges)
      if (count == 1)
        o << "<line x1='" << num(v.x(e[0])) << "' y1='" << num(v.py(e[1])) << "' x2='" << num(v.x(e[2])) << "' y2='"
          << num(v.py(e[3])) << "' stroke='black' stroke-width='1.5'/>\n";
  }
  o << "<text x='" << kMargin << "' y='" << kHeight - 12 << "' font-size='12'>type " << type
    << ": outline from the dimensions as used (thin lines: the library's blocks)</text>\n";
  marks(o, v, s, std::hypot(y1 - y0, z1 - z0));
  draw_points(o, v, s.stress_points);
}

}  // namespace

bool known_field(const std::string& f) {
  return f == "warping" || f == "torsion-stress" || f == "shear-y" || f == "shear-z" || f == "von-mises";
}

std::string write_svg(std::ostream& out, const std::vector<SectionResult>& sections, int section,
                      const std::string& field) {
  const SectionResult* s = nullptr;
  if (section > 0) {
    if (static_cast<std::size_t>(section) > sections.size()) return "--section " + std::to_string(section) + ": the file has " + std::to_string(sections.size()) + " sections";
    s = &sections[section - 1];
    if (!s->mesh && s->loops.empty() && s->stress_points.empty()) return "section " + std::to_string(section) + " (" + s->kind + ") has no geometry to draw";
  } else {
    for (const SectionResult& c : sections)
      if (c.mesh || !c.loops.empty() || !c.stress_points.empty()) {
        s = &c;
        break;
      }
    if (s == nullptr) return "no section in the file has geometry to draw (mesh, outline, first_moment, reinforced or standard)";
  }
  if (s->code != 0) return "section \"" + s->name + "\" failed and is not drawn";
  if (!field.empty() && !s->mesh) return "--field colours meshes; section \"" + s->name + "\" has none";
  std::ostringstream body;
  if (s->mesh) {
    std::string problem;
    const std::vector<double> values = field.empty() ? std::vector<double>{} : element_field(*s->mesh, s->forces, field, problem);
    if (!problem.empty()) return problem;
    draw_mesh(body, *s, values, field);
  } else if (!s->loops.empty()) {
    draw_loops(body, *s);
  } else {
    draw_standard(body, *s);
  }
  out << "<?xml version='1.0' encoding='UTF-8'?>\n<svg xmlns='http://www.w3.org/2000/svg' width='" << kWidth
      << "' height='" << kHeight << "' viewBox='0 0 " << kWidth << ' ' << kHeight
      << "' font-family='sans-serif'>\n<rect width='100%' height='100%' fill='white'/>\n<title>";
  for (char c : s->name) out << (c == '<' ? std::string("&lt;") : c == '&' ? std::string("&amp;") : std::string(1, c));
  out << "</title>\n" << body.str() << "</svg>\n";
  return "";
}

}  // namespace bsp_cli
