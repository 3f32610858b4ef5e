#pragma once
// Internal counters of the control bases, for the tests.

#include "TControls.h"

namespace Tarnwell {

template <>
struct TProbe<TSpeedButton> {
  static int PaintCount(const TSpeedButton& b) { return b.mPaintCount; }
};
// How many times the button's Paint ran.
inline int PaintCount(const TSpeedButton& b) { return TProbe<TSpeedButton>::PaintCount(b); }

}  // namespace Tarnwell
