#pragma once
// What the formula evaluator may know of a sheet: the sheet's bounds and the
// numbers its cells hold. The cell store implements it; the evaluator sees
// nothing else of the store or of the cells, so either can change on its own
// and an evaluator can run over any source of numbers (a test table, a view).

#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// Sheet bounds: columns A..ZZ, rows as far as an eight-digit reference reaches.
constexpr int SShtMaxCol = 702;
constexpr int SShtMaxRow = 99999999;

// What the formula evaluator reads of a sheet: the numbers of single cells and of blocks,
// within the sheet's bounds.
class TARNWELL_SPREADSHEET_EXPORT TSheetCellAccess {
 public:
  // The number a formula reads at (col, row), inside the bounds: 0 where
  // there is no cell or an emptied one. False when the cell holds something
  // that is not a number (an evaluation error).
  virtual bool ReadNumber(int col, int row, double& out) = 0;
  // The numbers of the block c1..c2 x r1..r2 (ordered, inside the bounds)
  // into out[(c - c1) * (r2 - r1 + 1) + (r - r1)]; positions without a cell
  // are left untouched (the caller zeroes the block). False as ReadNumber.
  // One call per range: a sum over a column must not cost a call per cell.
  virtual bool ReadRange(int c1, int r1, int c2, int r2, double* out) = 0;

 protected:
  ~TSheetCellAccess() = default;
};

}  // namespace Tarnwell
