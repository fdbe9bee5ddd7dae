#include "geometry/element_sizing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/outline_domain.h"
#include "geometry/wire_discretisation.h"
#include "mesher/domain_maker/domain_maker.h"
#include "mesher/mesher_2d/run_mesher.h"

namespace bsp {
namespace {

// Closed polygon, one segment per side.
Outline polygon(std::vector<double> x, std::vector<double> y) {
  Outline o{std::move(x), std::move(y), {}};
  const auto n = static_cast<std::int32_t>(o.x.size());
  for (std::int32_t k = 0; k < n; ++k) o.segments.push_back({k, (k + 1) % n});
  return o;
}

// Pieces each segment gets at size h (the wire cut of the drivers).
std::vector<int> pieces(const Outline& o, double h) {
  std::vector<int> out;
  for (const auto& s : o.segments) {
    const data_2d::Point p[2] = {{o.x[static_cast<std::size_t>(s[0])], o.y[static_cast<std::size_t>(s[0])]},
                                 {o.x[static_cast<std::size_t>(s[1])], o.y[static_cast<std::size_t>(s[1])]}};
    out.push_back(static_cast<int>(discretise_polyline(p, h).size()) - 1);
  }
  return out;
}

struct SizingCase {
  const char* name;
  Outline outline;
  double requested;
  double f, h;
  std::vector<int> pieces;  // per segment, after scaling
};

class ElementSizing : public testing::TestWithParam<SizingCase> {};

// Worked values: both automatic branches, requested size below and at 0.02, a negative size.
TEST_P(ElementSizing, GivesDocumentedScaleSizeAndPieces) {
  const SizingCase& c = GetParam();
  Outline o = c.outline;
  const ElementSize s = choose_element_size(o, c.requested, section_size_divisors);
  // f and h are formed by one division and one product of exact inputs: a few ulps.
  EXPECT_NEAR(s.f, c.f, 1e-14 * std::abs(c.f));
  EXPECT_NEAR(s.h, c.h, 1e-14 * c.h);
  for (std::size_t i = 0; i < o.x.size(); ++i) {
    EXPECT_DOUBLE_EQ(o.x[i], c.outline.x[i] * s.f);
    EXPECT_DOUBLE_EQ(o.y[i], c.outline.y[i] * s.f);
  }
  EXPECT_EQ(pieces(o, s.h), c.pieces);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ElementSizing,
    testing::Values(
        SizingCase{"Requested001UnitSquare", polygon({0, 1, 1, 0}, {0, 0, 1, 1}), 0.01, 200, 2, {100, 100, 100, 100}},
        SizingCase{"AutoSegments30And4", polygon({0, 30, 30, 0}, {0, 0, 4, 4}), 0.0, 1, 2, {15, 2, 15, 2}},
        SizingCase{"AutoUnitSquare", polygon({0, 1, 1, 0}, {0, 0, 1, 1}), 0.0, 30, 2, {15, 15, 15, 15}},
        SizingCase{"Auto10By1", polygon({0, 10, 10, 0}, {0, 0, 1, 1}), 0.0, 4, 2, {20, 2, 20, 2}},
        SizingCase{"Requested002NotScaled", polygon({0, 1, 1, 0}, {0, 0, 1, 1}), 0.02, 1, 0.02, {50, 50, 50, 50}},
        SizingCase{"Requested0019Scaled", polygon({0, 1, 1, 0}, {0, 0, 1, 1}), 0.019, 2 / 0.019, 2, {53, 53, 53, 53}},
        SizingCase{"NegativeTurnsAndScales", polygon({0, 1, 1, 0}, {0, 0, 1, 1}), -0.5, -4, 2, {2, 2, 2, 2}}),
    [](const testing::TestParamInfo<SizingCase>& i) { return std::string(i.param.name); });

// The estimate counts what wires get: 3 pieces for 2.5 h, 2 for 2.4 h, 1 (not 0) below h / 2.
TEST(ElementSizing, RoundsHalvesAwayAndKeepsShortWires) {
  Outline o = polygon({0, 5, 5, 5.4}, {0, 0, 4.8, 4.8});
  o.segments.pop_back();
  EXPECT_EQ(pieces(o, 2.0), (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(wire_piece_estimate(o, 2.0), 6.0);
}

// The automatic size is at most L_min / 2: every segment gets two pieces, whatever the shape.
TEST(ElementSizing, AutomaticSizeGivesEverySegmentTwoPieces) {
  for (const double aspect : {1e-3, 0.07, 1.0, 13.0, 400.0}) {
    Outline o = polygon({0, aspect, aspect, 0}, {0, 0, 1, 1});
    const ElementSize s = choose_element_size(o, 0.0, section_size_divisors);
    for (const int p : pieces(o, s.h)) EXPECT_GE(p, 2) << "aspect " << aspect;
    EXPECT_GE(s.h, 2.0 - 1e-12) << "scaled sizes stay at or above 2 (rounding of f * a)";
  }
}

// The estimate the drivers cap against is within 15 % of the grid mesher's count.
TEST(ElementSizing, TriangleEstimateFollowsTheGridMesher) {
  const std::pair<Outline, double> shapes[] = {{polygon({0, 40, 40, 0}, {0, 0, 30, 30}), 1200.0},
                          {polygon({0, 60, 60, 30, 30, 0}, {0, 0, 10, 10, 40, 40}), 60 * 10 + 30 * 30},
                          {polygon({0, 50, 0}, {0, 0, 50}), 1250.0}};
  for (const auto& [outline, area] : shapes) {
    for (const double h : {1.0, 2.5}) {
      domain_maker::Domain_Data d = build_outline_domain(outline);
      d.element_size = h;
      discretise_wires(d, h);
      std::vector<std::int32_t> loose;
      domain_maker::Domain_Maker().make_domain(d, loose);
      domain_maker::Mesh_Data region = domain_maker::make_domain_mesh_data(d, 0);
      region.quadratic = 1;
      domain_maker::Flat_Mesh flat;
      mesher_2d::run_grid_mesher(region, flat);
      const double estimate = triangle_estimate(area, h);
      EXPECT_NEAR(flat.n_elements, estimate, 0.15 * estimate) << "area " << area << " h " << h;
    }
  }
}

}  // namespace
}  // namespace bsp
