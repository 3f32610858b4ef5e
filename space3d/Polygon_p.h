#pragma once
// Internal counters of the animated polygon, for the tests.

#include "Polygon.h"

namespace Tarnwell {

template <>
struct TProbe<TAnimatedPolygon> {
  static int FrameCount(const TAnimatedPolygon& o) { return o.mFrameCount; }
};
// Frames drawn so far.
inline int FrameCount(const TAnimatedPolygon& o) { return TProbe<TAnimatedPolygon>::FrameCount(o); }

}  // namespace Tarnwell
