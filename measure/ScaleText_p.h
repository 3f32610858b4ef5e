#pragma once
// Shared by the painters that label a linear scale: how many decimals the
// labels need so that every tick prints its own value rather than a rounded
// (or, with integer steps, a truncated) one.

#include <algorithm>
#include <cmath>

namespace Tarnwell::ScaleText {

// The fewest decimals, at least `atLeast`, with which lo + i * (hi - lo) / n
// prints exactly for every i in 0..n; gives up after three more than asked,
// at which point the labels are as exact as a small picture can show.
inline int Decimals(double lo, double hi, int n, int atLeast) {
  atLeast = std::clamp(atLeast, 0, 18);
  if (n <= 0 || !std::isfinite(lo) || !std::isfinite(hi)) return atLeast;
  const int most = std::min(atLeast + 3, 18);
  for (int d = atLeast; d < most; ++d) {
    const double scale = std::pow(10.0, d);
    bool exact = true;
    for (int i = 0; i <= n && exact; ++i) {
      const double v = (lo + (hi - lo) * i / n) * scale;
      exact = std::abs(v - std::nearbyint(v)) <= 1e-6 * std::max(1.0, std::abs(v));
    }
    if (exact) return d;
  }
  return most;
}

// Value of tick i of n from lo to hi; the ends are the range's own values.
inline double Tick(double lo, double hi, int i, int n) {
  if (n <= 0 || i <= 0) return lo;
  if (i >= n) return hi;
  return lo + (hi - lo) * i / n;
}

}  // namespace Tarnwell::ScaleText
