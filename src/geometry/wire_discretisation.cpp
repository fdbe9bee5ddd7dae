#include "geometry/wire_discretisation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

extern "C" {
// LAPACK: solves A X = B by LU with partial pivoting; A is n x n column-major,
// overwritten by its factors, B (n x nrhs) by the solution.
void dgesv_(const int* n, const int* nrhs, double* a, const int* lda, int* ipiv, double* b, const int* ldb,
            int* info);
}

namespace bsp {
namespace {

using data_2d::Point;

// Samples per spline interval (s = 0, 1/4, 1/2, 3/4), the last vertex added
// at the end: enough to follow a spline through an outline's corners to the
// accuracy that cutting at the element size needs. Rule of this library.
constexpr int samples_per_interval = 4;

// Most pieces one wire may get: node indices are int32.
constexpr double max_pieces = static_cast<double>(std::numeric_limits<std::int32_t>::max() / 2);

// m = round(L / h), halves away from zero, at least 1.
int piece_count(double length, double h) {
  const double m = std::round(length / std::abs(h));
  if (!(m <= max_pieces)) throw std::length_error("discretise_wires: a wire would get too many pieces");
  return std::max(1, static_cast<int>(m));
}

Point hermite(Point p0, Point p1, Point t0, Point t1, double s) {
  const Point a = 2.0 * p0 - 2.0 * p1 + t0 + t1;
  const Point b = -3.0 * p0 + 3.0 * p1 - 2.0 * t0 - t1;
  return s * (s * (s * a + b) + t0) + p0;
}

}  // namespace

std::vector<Point> spline_tangents(std::span<const Point> p) {
  const int n = static_cast<int>(p.size());
  if (n < 2) throw std::invalid_argument("spline_tangents: a wire needs two vertices");
  const auto un = static_cast<std::size_t>(n);
  std::vector<double> a(un * un, 0.0);
  std::vector<double> b(2 * un, 0.0);
  const auto at = [&](std::size_t row, std::size_t col) -> double& { return a[col * un + row]; };
  for (std::size_t i = 0; i < un; ++i) {
    Point rhs;
    if (i == 0) {
      at(0, 0) = 2.0;
      at(0, 1) = 1.0;
      rhs = 3.0 * (p[1] - p[0]);
    } else if (i == un - 1) {
      at(i, i - 1) = 1.0;
      at(i, i) = 2.0;
      rhs = 3.0 * (p[i] - p[i - 1]);
    } else {
      at(i, i - 1) = 1.0;
      at(i, i) = 4.0;
      at(i, i + 1) = 1.0;
      rhs = 3.0 * (p[i + 1] - p[i - 1]);
    }
    b[i] = rhs.x;
    b[un + i] = rhs.y;
  }
  const int nrhs = 2;
  int info = 0;
  std::vector<int> ipiv(un);
  dgesv_(&n, &nrhs, a.data(), &n, ipiv.data(), b.data(), &n, &info);
  if (info != 0) throw std::runtime_error("spline_tangents: DGESV found the tangent system singular");
  std::vector<Point> t(un);
  for (std::size_t i = 0; i < un; ++i) t[i] = {b[i], b[un + i]};
  return t;
}

std::vector<Point> discretise_polyline(std::span<const Point> p, double h) {
  if (p.size() < 2) throw std::invalid_argument("discretise_polyline: a wire needs two vertices");
  if (p.size() == 2) {
    const int m = piece_count(std::hypot(p[1].x - p[0].x, p[1].y - p[0].y), h);
    std::vector<Point> out;
    out.reserve(static_cast<std::size_t>(m) + 1);
    out.push_back(p[0]);
    for (int k = 1; k < m; ++k) out.push_back(p[0] + (static_cast<double>(k) / m) * (p[1] - p[0]));
    out.push_back(p[1]);
    return out;
  }

  const std::vector<Point> t = spline_tangents(p);
  std::vector<Point> samples;
  samples.reserve((p.size() - 1) * samples_per_interval + 1);
  for (std::size_t i = 0; i + 1 < p.size(); ++i)
    for (int s = 0; s < samples_per_interval; ++s)
      samples.push_back(hermite(p[i], p[i + 1], t[i], t[i + 1], static_cast<double>(s) / samples_per_interval));
  samples.push_back(p.back());

  // Arc length at every sample.
  std::vector<double> arc(samples.size(), 0.0);
  for (std::size_t j = 1; j < samples.size(); ++j)
    arc[j] = arc[j - 1] + std::hypot(samples[j].x - samples[j - 1].x, samples[j].y - samples[j - 1].y);
  const double length = arc.back();
  const int m = piece_count(length, h);

  std::vector<Point> out;
  out.reserve(static_cast<std::size_t>(m) + 1);
  out.push_back(p.front());
  std::size_t j = 1;
  for (int k = 1; k < m; ++k) {
    const double target = length * static_cast<double>(k) / m;
    while (j + 1 < samples.size() && arc[j] < target) ++j;
    const double span = arc[j] - arc[j - 1];
    const double u = span > 0.0 ? (target - arc[j - 1]) / span : 0.0;
    out.push_back(samples[j - 1] + u * (samples[j] - samples[j - 1]));
  }
  out.push_back(p.back());
  return out;
}

void discretise_wires(domain_maker::Mesh_Data& record, double h) {
  std::vector<Point> vertices;
  for (domain_maker::Wire_Record& wire : record.wires) {
    vertices.clear();
    for (const std::int32_t index : wire.nodes) {
      const domain_maker::Node_Record& node = record.nodes.at(static_cast<std::size_t>(index));
      vertices.push_back({node.x, node.y});
    }
    const std::vector<Point> cut = discretise_polyline(vertices, h);
    std::vector<std::int32_t> nodes;
    nodes.reserve(cut.size());
    nodes.push_back(wire.nodes.front());
    for (std::size_t k = 1; k + 1 < cut.size(); ++k) {
      if (record.nodes.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw std::length_error("discretise_wires: too many nodes");
      nodes.push_back(static_cast<std::int32_t>(record.nodes.size()));
      domain_maker::Node_Record node;
      node.on_boundary = 1;
      node.seed = 0;
      node.seed_size = 0.0;
      node.x = cut[k].x;
      node.y = cut[k].y;
      record.nodes.push_back(node);
    }
    nodes.push_back(wire.nodes.back());
    wire.nodes = std::move(nodes);
  }
}

}  // namespace bsp
