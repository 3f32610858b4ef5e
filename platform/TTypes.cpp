#include "TTypes.h"

#include <cfenv>
#include <limits>

namespace Tarnwell {

TRect IntersectRect(const TRect& a, const TRect& b) {
  TRect r(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom));
  if (r.IsEmpty()) return TRect();
  return r;
}

TRect UnionRect(const TRect& a, const TRect& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  return TRect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
               std::max(a.Bottom, b.Bottom));
}

std::int64_t nearest64(double x) {
  if (std::isnan(x)) return 0;
  constexpr double lo = -9.2e18, hi = 9.2e18;
  if (x <= lo) return std::int64_t(lo);
  if (x >= hi) return std::int64_t(hi);
  // nearbyint honours the current rounding mode, which is to-nearest-even
  // unless someone changed it; do not depend on that.
  double f = std::floor(x);
  double diff = x - f;
  double r;
  if (diff < 0.5)
    r = f;
  else if (diff > 0.5)
    r = f + 1;
  else
    r = (std::fmod(f, 2.0) == 0.0) ? f : f + 1;
  return std::int64_t(r);
}

int nearest(double x) { return ClampToInt(nearest64(x)); }

int ClampToInt(std::int64_t v) {
  if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return int(v);
}

int ClampToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v <= double(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  if (v >= double(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  return int(v);
}

}  // namespace Tarnwell
