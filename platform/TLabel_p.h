#pragma once
// Internal counters of the label base, for the tests.

#include "TLabel.h"

namespace Tarnwell {

template <>
struct TProbe<TCustomLabel> {
  static int PaintCount(const TCustomLabel& c) { return c.mPaintCount; }
};
// How many times the label's Paint ran.
inline int PaintCount(const TCustomLabel& c) { return TProbe<TCustomLabel>::PaintCount(c); }

}  // namespace Tarnwell
