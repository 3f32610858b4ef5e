#pragma once
// Internal counters of the LED, for the tests.

#include "GraphLed.h"

namespace Tarnwell {

template <>
struct TProbe<TGraphicLed> {
  static int PaintCount(const TGraphicLed& l) { return l.mPaintCount; }
};
// How many times the LED's Paint ran.
inline int PaintCount(const TGraphicLed& l) { return TProbe<TGraphicLed>::PaintCount(l); }

}  // namespace Tarnwell
