#include "crack/neutral_axis.h"

#include <cmath>
#include <optional>

namespace bsp {
namespace {

// Sign with the library's convention: a value too small to trust is +1.
double sign_of(double x) noexcept { return std::abs(x) < neutral_axis_zero ? 1.0 : (x > 0.0 ? 1.0 : -1.0); }

// No double lies strictly between a and b (in either order).
bool collapsed(double a, double b) noexcept {
  const double lo = a < b ? a : b;
  const double hi = a < b ? b : a;
  return std::nextafter(lo, hi) >= hi;
}

struct Bracket {
  double a, fa, b, fb;
};

class CountedF {
 public:
  explicit CountedF(const std::function<double(double)>& f) : f_(f) {}
  double operator()(double x) {
    ++count_;
    return f_(x);
  }
  std::int32_t count() const noexcept { return count_; }

 private:
  const std::function<double(double)>& f_;
  std::int32_t count_ = 0;
};

// Ridders (Numerical Recipes, 9.2): fit an exponential through the bracket
// ends and the midpoint. Returns the root, or nothing when the step cannot be
// formed or the new point brackets nothing, leaving `br` as last narrowed.
std::optional<double> ridders(CountedF& f, Bracket& br) {
  double x = br.a;
  for (int step = 0; step < neutral_axis_max_steps; ++step) {
    const double mid = 0.5 * (br.a + br.b);
    const double fm = f(mid);
    const double d = fm * fm - br.fa * br.fb;
    if (d < 0.0 && sign_of(d) < 0.0) return std::nullopt;
    const double root_d = std::sqrt(d > 0.0 ? d : 0.0);
    if (root_d < neutral_axis_zero) return std::nullopt;
    x = mid + (mid - br.a) * sign_of(br.fa - br.fb) * fm / root_d;
    const double fx = f(x);
    if (std::abs(fx) < neutral_axis_tolerance) return x;
    if (sign_of(fm) * sign_of(fx) < 0.0) {
      br = {mid, fm, x, fx};
    } else if (sign_of(br.fa) * sign_of(fx) < 0.0) {
      br.b = x;
      br.fb = fx;
    } else if (sign_of(br.fb) * sign_of(fx) < 0.0) {
      br.a = x;
      br.fa = fx;
    } else {
      return std::nullopt;
    }
    if (collapsed(br.a, br.b)) return x;
  }
  return x;
}

// False position on the bracket Ridders left: the secant through the pair
// whose values differ in sign.
double false_position(CountedF& f, Bracket br) {
  double x_prev = br.a, f_prev = br.fa;
  double x = br.b, fx = br.fb;
  for (int step = 0; step < neutral_axis_max_steps; ++step) {
    const double denom = fx - f_prev;
    if (denom == 0.0) break;
    const double x_new = x - (x - x_prev) * fx / denom;
    const double f_new = f(x_new);
    if (std::abs(f_new) < neutral_axis_tolerance) return x_new;
    if (sign_of(f_new) * sign_of(fx) < 0.0) {
      x_prev = x;
      f_prev = fx;
    }
    x = x_new;
    fx = f_new;
    if (collapsed(x, x_prev)) break;
  }
  return x;
}

}  // namespace

RootSearchResult find_neutral_axis(const std::function<double(double)>& f, double lo, double hi,
                                   double no_bracket_end) {
  CountedF counted(f);
  RootSearchResult r;
  const double f_lo = counted(lo);
  if (std::abs(f_lo) < neutral_axis_zero) {
    r.root = lo;
  } else if (const double f_hi = counted(hi); std::abs(f_hi) < neutral_axis_zero) {
    r.root = hi;
  } else if (sign_of(f_lo) == sign_of(f_hi)) {
    r.root = no_bracket_end;
    r.method = RootMethod::no_bracket;
  } else {
    Bracket br{lo, f_lo, hi, f_hi};
    if (const auto x = ridders(counted, br)) {
      r.root = *x;
      r.method = RootMethod::ridders;
    } else {
      r.root = false_position(counted, br);
      r.method = RootMethod::false_position;
    }
  }
  r.evaluations = counted.count();
  return r;
}

}  // namespace bsp
