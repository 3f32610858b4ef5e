#pragma once
// Internal counters of the button queue, for the tests and benchmarks.

#include "BtnQueDs.h"

namespace Tarnwell {

template <>
struct TProbe<TBtnQueDisplay> {
  static int LastPaintedCount(const TBtnQueDisplay& o) { return o.mLastPainted; }
};
// How many bars the last paint drew (painting skips bars out of sight).
inline int LastPaintedCount(const TBtnQueDisplay& o) { return TProbe<TBtnQueDisplay>::LastPaintedCount(o); }

}  // namespace Tarnwell
