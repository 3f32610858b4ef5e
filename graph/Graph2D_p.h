#pragma once
// Internal counters of the graph control, for the tests and benchmarks.

#include "Graph2D.h"

namespace Tarnwell {

template <>
struct TProbe<TCustomGraph2D> {
  static int RenderCount(const TCustomGraph2D& o) { return o.mRenderCount; }
};
// How many times the graph itself was rendered (the rubber band never does).
inline int RenderCount(const TCustomGraph2D& o) { return TProbe<TCustomGraph2D>::RenderCount(o); }

}  // namespace Tarnwell
