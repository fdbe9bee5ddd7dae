#include "crack/crack_section.h"

#include <cmath>
#include <memory>

#include "crack/crack_domain.h"
#include "crack/neutral_axis.h"

namespace bsp {
namespace {

// Magnitudes below this are treated as zero for domain areas and cracking
// moments: about the double epsilon, rule of this library.
constexpr double negligible = 2.2e-16;

// A cracking moment of this size and sign means "no concrete cracks on this
// face"; rule of this library, pinned by CrackSection tests.
constexpr double no_cracking_positive = 1.0;
constexpr double no_cracking_negative = -1.0;

std::shared_ptr<CrackDomain> build(const CrackSectionInput& in) {
  auto section = std::make_shared<CrackDomain>(in.reference_modulus, in.second_reference);
  std::map<std::int32_t, std::shared_ptr<DomainBase>> by_key;
  for (const CrackEdgeInput& e : in.edges) {
    auto& domain = by_key[e.key];
    if (!domain) {
      const CrackMaterialRecord& rec = in.materials.at(e.key);
      if (rec.steel)
        domain = std::make_shared<SteelDomain>();
      else
        domain = std::make_shared<ConcDomain>();
      domain->set_parameters(rec.p[crack_param::modulus], rec.p[crack_param::tensile_strength]);
      domain->set_long_term_parameters(rec.p[crack_param::shrinkage], rec.p[crack_param::ageing],
                                       rec.p[crack_param::creep]);
      section->add_domain(domain);
    }
    domain->add_edge(e.edge);
  }
  // A bar whose key has no edges lies in no material: host modulus 0, and
  // nothing around it can crack.
  std::shared_ptr<DomainBase> hostless;
  for (const CrackBarInput& b : in.bars) {
    const auto it = by_key.find(b.key);
    if (it != by_key.end()) {
      it->second->add_rebar(b.centre, b.area, b.modulus);
      continue;
    }
    if (!hostless) {
      hostless = std::make_shared<SteelDomain>();
      hostless->set_parameters(0.0, 0.0);
      section->add_domain(hostless);
    }
    hostless->add_rebar(b.centre, b.area, b.modulus);
  }
  section->prepare();
  return section;
}

// Creep and shrinkage sums of one state (uncracked, or cracked for a side)
// of a section whose domains hold the axis of that state.
struct LongTermSums {
  double creep = 0.0;
  double shrinkage = 0.0;
};

// Which part of an AxisMoments a query must fill: each domain query is a
// pass over all its edges and bars, so the sums ask only for what they use.
enum class Want { area_and_first, second };

// The long-term sums of one state: `whole(axis, want)` gives the section's
// long-term transformed area and moments about an axis (modulus-weighted, so
// that i_eff is a flexural stiffness and the shrinkage sum a curvature), and
// `net(domain, axis, want)` each concrete domain's net concrete (bars
// removed) with its effective modulus. The creep sum uses `reference`, the
// state's own centroid or neutral axis.
template <class Whole, class Net>
LongTermSums long_term_sums(const CrackDomain& section, Whole&& whole, double reference, Net&& net) {
  LongTermSums s;
  const AxisMoments about_zero = whole(0.0, Want::area_and_first);
  if (about_zero.area == 0.0) return s;
  const double z_eff = about_zero.first / about_zero.area;
  const double i_eff = whole(z_eff, Want::second).second;
  if (i_eff == 0.0) return s;
  for (const auto& d : section.domains()) {
    const AxisMoments net_zero = net(*d, 0.0, Want::area_and_first);
    if (std::abs(net_zero.area) < negligible) continue;
    const double i_d = net(*d, z_eff, Want::second).second;
    const double delta = z_eff - net_zero.first / net_zero.area;
    s.creep += d->creep_coefficient() * (i_d + net_zero.area * delta * (reference - z_eff)) / i_eff;
    s.shrinkage -= net_zero.area * d->shrinkage_strain() * delta / i_eff;
  }
  return s;
}

}  // namespace

CrackSectionResult crack_section_property(const CrackSectionInput& in) {
  CrackSectionResult result;
  auto& v = result.values;
  v[crack_slot::moment_pos] = no_cracking_positive;
  v[crack_slot::moment_neg] = no_cracking_negative;
  if (in.edges.empty()) return result;

  const std::shared_ptr<CrackDomain> section = build(in);
  const double e_ref = section->modulus();
  const double z_bar = section->centroid();
  const double i_g = section->gross_second_moment();
  v[crack_slot::centroid] = z_bar;
  v[crack_slot::gross_inertia] = i_g;

  // Neutral axes and cracked second moments, compression on the upper face
  // (no sign change: the whole section is compressed, axis at z_max) and on
  // the lower face (axis at z_min).
  struct SideSlots {
    Side side;
    std::size_t axis_slot;
    std::size_t inertia_slot;
    double no_bracket_end;
  };
  const SideSlots sides[] = {
      {Side::upper, crack_slot::axis_upper, crack_slot::inertia_upper, section->z_max()},
      {Side::lower, crack_slot::axis_lower, crack_slot::inertia_lower, section->z_min()},
  };
  for (const SideSlots& s : sides) {
    const auto f = [&](double a) {
      section->set_axis(a, s.side);
      return section->active_first_moment_stiffness(s.side);
    };
    const RootSearchResult root = find_neutral_axis(f, section->z_min(), section->z_max(), s.no_bracket_end);
    result.evaluations += root.evaluations;
    v[s.axis_slot] = root.root;
    section->set_axis(root.root, s.side);
    v[s.inertia_slot] = section->active_second_moment_stiffness(s.side);
  }

  CrackingPair pair;
  section->apply_cracking(pair, z_bar, 1.0 / (e_ref * i_g));
  if (std::abs(pair.positive) >= negligible) v[crack_slot::moment_pos] = pair.positive;
  if (std::abs(pair.negative) >= negligible) v[crack_slot::moment_neg] = pair.negative;

  // Uncracked long-term values.
  {
    const auto whole = [&](double axis, Want want) {
      if (want == Want::second) return AxisMoments{0.0, 0.0, e_ref * section->second_moment_stiffness(Modulus::long_term, axis)};
      return AxisMoments{e_ref * section->area_stiffness(Modulus::long_term),
                         e_ref * section->first_moment_stiffness(Modulus::long_term, axis), 0.0};
    };
    const auto net = [](const DomainBase& d, double axis, Want want) {
      if (want == Want::second) return AxisMoments{0.0, 0.0, d.net_long_term_second_moment(axis)};
      return AxisMoments{d.net_long_term_area(), d.net_long_term_first_moment(axis), 0.0};
    };
    const LongTermSums s = long_term_sums(*section, whole, z_bar, net);
    if (i_g != 0.0) {
      v[crack_slot::creep_gross] = s.creep / (e_ref * i_g);
      v[crack_slot::shrinkage_gross] = s.shrinkage;
    }
  }

  // Cracked long-term values of each side, about the side's own long-term
  // centroid as the uncracked ones are about theirs.
  struct LongTermSlots {
    Side side;
    std::size_t axis_slot;
    std::size_t inertia_slot;
    std::size_t creep_slot;
    std::size_t shrinkage_slot;
  };
  const LongTermSlots long_term[] = {
      {Side::upper, crack_slot::axis_upper, crack_slot::inertia_upper, crack_slot::creep_upper,
       crack_slot::shrinkage_upper},
      {Side::lower, crack_slot::axis_lower, crack_slot::inertia_lower, crack_slot::creep_lower,
       crack_slot::shrinkage_lower},
  };
  for (const LongTermSlots& s : long_term) {
    const double i_cr = v[s.inertia_slot];
    if (i_cr == 0.0) continue;
    const double a = v[s.axis_slot];
    section->set_axis(a, s.side);
    const AxisMoments about_axis{section->long_term_active_area_stiffness(s.side),
                                 section->long_term_active_first_moment_stiffness(s.side),
                                 section->long_term_active_second_moment_stiffness(s.side)};
    const auto whole = [&](double axis, Want) { return e_ref * shift_axis(about_axis, a, axis); };
    const auto net = [&](const DomainBase& d, double axis, Want want) {
      if (want == Want::second) return AxisMoments{0.0, 0.0, d.net_long_term_active_second_moment(s.side, axis)};
      return AxisMoments{d.net_long_term_active_area(s.side), d.net_long_term_active_first_moment(s.side, axis), 0.0};
    };
    const LongTermSums sums = long_term_sums(*section, whole, a, net);
    v[s.creep_slot] = sums.creep / (e_ref * i_cr);
    v[s.shrinkage_slot] = sums.shrinkage;
  }
  return result;
}

}  // namespace bsp
