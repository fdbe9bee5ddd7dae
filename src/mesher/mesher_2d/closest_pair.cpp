#include "mesher/mesher_2d/closest_pair.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <utility>
#include <vector>

namespace mesher_2d {

double smallest_distance(std::span<const data_2d::Point> points) {
  std::vector<data_2d::Point> p(points.begin(), points.end());
  std::sort(p.begin(), p.end(), [](data_2d::Point a, data_2d::Point b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  double best = std::numeric_limits<double>::infinity();
  // Points whose x lies within `best` of the sweep position, ordered by y.
  std::multiset<std::pair<double, double>> strip;
  std::size_t left = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    while (left < i && p[i].x - p[left].x >= best) {
      strip.erase(strip.find({p[left].y, p[left].x}));
      ++left;
    }
    const auto lowest = strip.lower_bound({p[i].y - best, -std::numeric_limits<double>::infinity()});
    for (auto it = lowest; it != strip.end() && it->first <= p[i].y + best; ++it) {
      const double dx = p[i].x - it->second;
      const double dy = p[i].y - it->first;
      best = std::min(best, std::sqrt(dx * dx + dy * dy));
    }
    strip.emplace(p[i].y, p[i].x);
  }
  return best;
}

}  // namespace mesher_2d
