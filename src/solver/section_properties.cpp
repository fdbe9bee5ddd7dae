#include "solver/section_properties.h"

#include <algorithm>
#include <limits>
#include <numbers>
#include <vector>

namespace bsp {
namespace {

constexpr double pi = std::numbers::pi;

double bar_area(const T_NODE& b) { return b.k * pi * b.r * b.r; }
// Own second moment of the bar's disc about its centre, transformed.
double bar_own_inertia(const T_NODE& b) { return b.k * pi * b.r * b.r * b.r * b.r / 4.0; }

void refresh_material_centroid(T_PART& p) {
  if (p.slot[material_slot::area] == 0.0) return;
  p.slot[material_slot::xc] = p.Sx / p.slot[material_slot::area];
  p.slot[material_slot::yc] = p.Sy / p.slot[material_slot::area];
}

// Listed bars grouped by the element they are attached to, in bar order
// within each element: offsets into `order`, one range per element.
struct BarsByElement {
  std::vector<std::int64_t> start;  // n_elements + 1
  std::vector<std::size_t> order;

  std::span<const std::size_t> of(std::int64_t e) const {
    const auto a = static_cast<std::size_t>(start[static_cast<std::size_t>(e)]);
    const auto b = static_cast<std::size_t>(start[static_cast<std::size_t>(e) + 1]);
    return std::span<const std::size_t>(order).subspan(a, b - a);
  }
};

BarsByElement group_bars(const T_MULTI_DOMAIN& m, std::int64_t n_elements) {
  BarsByElement g;
  g.start.assign(static_cast<std::size_t>(n_elements) + 1, 0);
  for (const T_NODE& b : m.bars)
    if (b.listed && b.element > 0) ++g.start[static_cast<std::size_t>(b.element)];
  for (std::size_t e = 1; e < g.start.size(); ++e) g.start[e] += g.start[e - 1];
  g.order.resize(static_cast<std::size_t>(g.start.back()));
  std::vector<std::int64_t> fill(g.start.begin(), g.start.end() - 1);
  for (std::size_t i = 0; i < m.bars.size(); ++i) {
    const T_NODE& b = m.bars[i];
    if (b.listed && b.element > 0) g.order[static_cast<std::size_t>(fill[static_cast<std::size_t>(b.element - 1)]++)] = i;
  }
  return g;
}

}  // namespace

template <class Rule>
void attach_bars(T_MULTI_DOMAIN& m, std::int64_t element, const T_ELEMENT<Rule>& e) {
  if (e.inverted) return;
  for (T_NODE& b : m.bars) {
    if (!b.listed) continue;
    double nearest = std::numeric_limits<double>::infinity();
    for (int i = 0; i < Rule::n_nodes; ++i) {
      const double dx = e.x[i] - b.x, dy = e.y[i] - b.y;
      nearest = std::min(nearest, dx * dx + dy * dy);
    }
    if (nearest < b.distance2) {
      b.distance2 = nearest;
      b.element = element + 1;
    }
  }
}

template void attach_bars(T_MULTI_DOMAIN&, std::int64_t, const T_QUAD4&);
template void attach_bars(T_MULTI_DOMAIN&, std::int64_t, const T_TRIA6&);

void integrate_domain_properties(T_MULTI_DOMAIN& m) {
  with_elements(m, [&m](auto elements) {
    for (T_SINGLE_DOMAIN& d : m.domains) {
      const auto mine = elements.subspan(static_cast<std::size_t>(d.first_element),
                                         static_cast<std::size_t>(d.n_elements));
      double A = 0, Sx = 0, Sy = 0;
      for (const auto& e : mine) {
        const ElementFirstMoments f = first_moments(e);
        A += f.A;
        Sx += f.Sx;
        Sy += f.Sy;
      }
      d.A = A;
      d.xc = Sx / A;
      d.yc = Sy / A;
      d.Ixx = d.Iyy = d.Ixy = 0;
      for (const auto& e : mine) {
        const SecondMoments s = second_moments(e, d.xc, d.yc);
        d.Ixx += s.Ixx;
        d.Iyy += s.Iyy;
        d.Ixy += s.Ixy;
      }
    }
  });
}

void integrate_material_properties(T_MULTI_DOMAIN& m) {
  if (m.materials.empty()) return;
  const BarsByElement bars = group_bars(m, m.n_elements());
  with_elements(m, [&](auto elements) {
    for (std::size_t i = 0; i < elements.size(); ++i) {
      const auto& e = elements[i];
      if (e.material_record < 0) continue;
      T_PART& p = m.materials[static_cast<std::size_t>(e.material_record)];
      const ElementFirstMoments f = first_moments(e);
      p.slot[material_slot::area] += f.A;
      p.Sx += f.Sx;
      p.Sy += f.Sy;
      p.slot[material_slot::weighted_area] += f.Aw;
      p.empty = false;
      refresh_material_centroid(p);
      const auto attached = bars.of(static_cast<std::int64_t>(i));
      for (std::size_t bi : attached) {
        const T_NODE& b = m.bars[bi];
        const double a = bar_area(b);
        p.slot[material_slot::area] += a;
        p.Sx += a * b.x;
        p.Sy += a * b.y;
        p.slot[material_slot::weighted_area] += (b.w / m.w_ref - 1.0) * pi * b.r * b.r;
      }
      if (!attached.empty()) refresh_material_centroid(p);
    }
    for (std::size_t i = 0; i < elements.size(); ++i) {
      const auto& e = elements[i];
      if (e.material_record < 0) continue;
      T_PART& p = m.materials[static_cast<std::size_t>(e.material_record)];
      const double xc = p.slot[material_slot::xc], yc = p.slot[material_slot::yc];
      const SecondMoments s = second_moments(e, xc, yc);
      p.slot[material_slot::Iyy] += s.Iyy;
      p.slot[material_slot::Ixx] += s.Ixx;
      for (std::size_t bi : bars.of(static_cast<std::int64_t>(i))) {
        const T_NODE& b = m.bars[bi];
        p.slot[material_slot::Iyy] += bar_own_inertia(b) + bar_area(b) * (b.x - xc) * (b.x - xc);
        p.slot[material_slot::Ixx] += bar_own_inertia(b) + bar_area(b) * (b.y - yc) * (b.y - yc);
      }
    }
  });
}

void integrate_section_properties(T_MULTI_DOMAIN& m) {
  double A = 0, Sx = 0, Sy = 0;
  for (const T_SINGLE_DOMAIN& d : m.domains) {
    if (d.A == 0.0) continue;
    A += d.A;
    Sx += d.A * d.xc;
    Sy += d.A * d.yc;
  }
  for (const T_NODE& b : m.bars) {
    const double a = bar_area(b);
    A += a;
    Sx += a * b.x;
    Sy += a * b.y;
  }
  m.A = A;
  m.xc = Sx / A;
  m.yc = Sy / A;
  double Ixx = 0, Iyy = 0, Ixy = 0;
  for (const T_SINGLE_DOMAIN& d : m.domains) {
    if (d.A == 0.0) continue;
    const double dx = d.xc - m.xc, dy = d.yc - m.yc;
    Ixx += d.Ixx + d.A * dy * dy;
    Iyy += d.Iyy + d.A * dx * dx;
    Ixy += d.Ixy + d.A * dx * dy;
  }
  for (const T_NODE& b : m.bars) {
    const double a = bar_area(b);
    const double dx = b.x - m.xc, dy = b.y - m.yc;
    Ixx += bar_own_inertia(b) + a * dy * dy;
    Iyy += bar_own_inertia(b) + a * dx * dx;
    Ixy += a * dx * dy;
  }
  m.Ixx = Ixx;
  m.Iyy = Iyy;
  m.Ixy = Ixy;
}

}  // namespace bsp
