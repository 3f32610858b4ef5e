#pragma once
// Internal counters of the spreadsheet grid, for the tests and benchmarks.

#include "SShtGrid.h"

namespace Tarnwell {

template <>
struct TProbe<TSpreadSheetGrid> {
  static int TileCacheCount(const TSpreadSheetGrid& o) { return int(o.mTiles.size()); }
};
// How many coloured pattern tiles the grid keeps.
inline int TileCacheCount(const TSpreadSheetGrid& o) { return TProbe<TSpreadSheetGrid>::TileCacheCount(o); }

}  // namespace Tarnwell
