#pragma once
// The sparse cell store of one sheet: an ordered list of columns, each an
// ordered list of its cells. Only cells that were written or formatted exist.
// Row 0 of each column and column 0 carry the whole-column and whole-row
// formats; (0,0) is the default format. The store also keeps the column
// widths and row heights so that files and the grid share one model.

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "SShtCell.h"
#include "SShtEval.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

class TFont;

// A rectangle of grid positions, all four edges inclusive.
struct TARNWELL_SPREADSHEET_EXPORT TGridRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TGridRect&) const = default;
};

// Whole columns, rows or sheet selected with the headers (owned by the grid).
struct TARNWELL_SPREADSHEET_EXPORT THeaderSelection {
  std::uint8_t Kind = 0;  // 0 none, 1 columns, 2 rows, 3 whole sheet
  std::int32_t Col1 = 0, Col2 = 0;
  std::int32_t Row1 = 0, Row2 = 0;
  bool Dragging = false;
  std::int32_t IterColumn = -1, IterCell = -1;  // cursor of FirstCell/NextCell
};

using TCellPtr = std::unique_ptr<TSpreadSheetCell>;

// One column of a sheet's sparse store: its cells in row order, each made from the column's
// template cell.
class TARNWELL_SPREADSHEET_EXPORT TSpreadSheetDataColumn {
 public:
  TSpreadSheetDataColumn(int col, TSpreadSheetFormuler* formuler, const TSpreadSheetCell* templ);

  int Col() const { return mCol; }
  const std::vector<TCellPtr>& Cells() const { return mCells; }
  int Count() const { return int(mCells.size()); }
  // The highest row number that holds a cell (0 for the header only).
  int LastRow() const { return mCells.empty() ? 0 : mCells.back()->Row(); }

  TSpreadSheetCell* FindCell(int row) const;
  // Creates the cell when missing and create is set, from templ or else
  // from this column's header cell.
  TSpreadSheetCell* GetCell(int row, const TSpreadSheetCell* templ, bool create);
  void InsertSorted(TCellPtr cell);
  TCellPtr Detach(int row);
  void DeleteRows(int a, int b);
  void EraseRows(int a, int b);
  void EraseAll();
  void Renumber(int col);
  void MoveRow(int from, int to);
  // False (and nothing moved) when a cell would pass the last row.
  bool ShiftRows(int from, int n);
  void DeleteRowsShift(int a, int b);
  // a == -1 sorts the whole column and closes its gaps.
  void Sort(int a, int b, bool descending);
  // The first cell at or below row whose display text contains text
  // (ignoring case); row receives its row.
  TSpreadSheetCell* FindText(const QString& text, int& row) const;
  void RecalcAll();

 private:
  friend class TSpreadSheetDataCells;
  void SetFormuler(TSpreadSheetFormuler* f);
  std::vector<TCellPtr>::iterator LowerBound(int row);
  std::vector<TCellPtr>::iterator UpperBound(int row);

  std::vector<TCellPtr> mCells;
  std::int32_t mCol;
  TSpreadSheetFormuler* mFormuler;
};

// The store is the evaluator's source of numbers (TSheetCellAccess).
class TARNWELL_SPREADSHEET_EXPORT TSpreadSheetDataCells : public TSheetCellAccess {
 public:
  static constexpr int DefaultColWidthInit = 64;
  static constexpr int DefaultRowHeightInit = 16;
  // Widths and heights are clamped to 0..MaxSize pixels.
  static constexpr int MaxSize = 1 << 20;

  TSpreadSheetDataCells();
  virtual ~TSpreadSheetDataCells();
  TSpreadSheetDataCells(const TSpreadSheetDataCells&) = delete;
  TSpreadSheetDataCells& operator=(const TSpreadSheetDataCells&) = delete;

  TSpreadSheetFormuler* Formuler() const { return mFormuler.get(); }
  const std::vector<std::unique_ptr<TSpreadSheetDataColumn>>& Columns() const { return mColumns; }
  TSpreadSheetCell* DefaultCell() const { return mColumns.front()->mCells.front().get(); }

  void SetDefaultFont(const TFont& font);
  void SetDefaultCellFont(const TCellFont& font);
  TSpreadSheetDataColumn* FindColumn(int col) const;
  // The cell at (col, row); created when missing and create is set (a new
  // cell takes its row header's format, else its column header's). Null
  // outside the sheet's bounds.
  TSpreadSheetCell* GetCell(int col, int row, bool create);
  TSpreadSheetCell* FindCell(int col, int row) const;
  // The cell that gives the format of a position: the cell itself, else
  // the later-stamped of its column and row headers, else the default cell.
  TSpreadSheetCell* GetFormatCell(int col, int row) const;
  // The text shown at a position ("" without a cell).
  QString CellDisplayText(int col, int row) const;
  // Enters a cell record read into source (TSpreadSheetCell::ReadFrom) at
  // its position: the cell GetCell(col, row, true)->Assign(&source) gives,
  // made quickly for records that arrive in row order. With a probe (an
  // evaluator that reads no cells) formulas may be left unevaluated, for a
  // caller that recalculates the sheet next. Null outside the bounds.
  TSpreadSheetCell* PlaceRecord(const TSpreadSheetCell& source, TSpreadSheetFormuler* probe = nullptr);
  // Enters text into the cell, creating it; false outside the bounds.
  bool SetCellText(int col, int row, const QString& text);
  int CellCount() const;

  void ClearAll();
  void DeleteRect(const TGridRect& r);
  // Removes column col (1 and up) with its header cell, as if never made.
  void DropColumn(int col);
  void DeleteHeaderSel(const THeaderSelection& sel);
  void EraseRect(const TGridRect& r);
  void EraseHeaderSel(const THeaderSelection& sel);
  void MoveColumn(int from, int to);
  void MoveRowAll(int from, int to);
  // False (and nothing moved) when cells would pass column ZZ.
  bool ShiftColumns(int from, int n);
  // False (and nothing moved) when cells would pass the last row.
  bool ShiftRowsAll(int from, int n);
  void DeleteColumnsShift(int a, int b);
  void DeleteRowsShiftAll(int a, int b);
  // Removing also closes the gap in the column widths / row heights.
  void RemoveColumns(int a, int b);
  void RemoveRows(int a, int b);
  // col == -1: every column; top == -1: whole columns. Each column is
  // sorted on its own.
  void Sort(int col, int top, int bottom, bool descending);
  // Searches down each column, then on to the next one from row 1.
  bool FindText(const QString& text, int& col, int& row) const;
  // One pass over every cell, column 0 first, each column from the top.
  void RecalcAll();
  // Evaluates every formula once, each after the formulas it reads, so a
  // chain of any length and direction settles in one call. The formulas of
  // a circular reference show "Error!" (and so do the ones reading them).
  // Returns 1, or 0 for a sheet without formulas.
  int Recalculate();
  // (1, 1, last used column, last used row), formats, widths and heights
  // included; both at least 1.
  TGridRect UsedExtent() const;
  // The extent of the cells of columns 1 and up alone (what CSV exports):
  // row formats, widths and heights do not widen it.
  TGridRect CellExtent() const;

  // Iteration over a header selection; kinds 1 and 2 create and stamp the
  // header cells first. Null when finished.
  TSpreadSheetCell* FirstCell(THeaderSelection& sel);
  TSpreadSheetCell* NextCell(THeaderSelection& sel);
  // A stamp later than every stamp of this sheet's header cells.
  TDateTime NextFormatStamp() const;

  int DefaultColWidth() const { return mDefaultColWidth; }
  // Also resets every individual width.
  void SetDefaultColWidth(int w);
  int DefaultRowHeight() const { return mDefaultRowHeight; }
  void SetDefaultRowHeight(int h);
  int ColWidth(int col) const;
  void SetColWidth(int col, int w);
  int RowHeight(int row) const;
  void SetRowHeight(int row, int h);
  const std::map<int, int>& ColWidths() const { return mColWidths; }
  const std::map<int, int>& RowHeights() const { return mRowHeights; }
  void ResetSizes();

  // Exchanges the whole content (cells, sizes) with other; each store keeps
  // its own evaluator.
  void Swap(TSpreadSheetDataCells& other);
  // An empty store with this one's default format and default sizes.
  std::unique_ptr<TSpreadSheetDataCells> NewEmptyLike() const;

  // What formulas read (TSheetCellAccess).
  bool ReadNumber(int col, int row, double& out) override;
  bool ReadRange(int c1, int r1, int c2, int r2, double* out) override;

 private:
  std::vector<std::unique_ptr<TSpreadSheetDataColumn>>::iterator LowerBound(int col);
  TSpreadSheetDataColumn* GetColumn(int col);
  void ResetColumn0();
  bool AdvanceIter(THeaderSelection& sel);
  bool IterMatches(const THeaderSelection& sel, const TSpreadSheetCell* c) const;

  std::vector<std::unique_ptr<TSpreadSheetDataColumn>> mColumns;
  std::unique_ptr<TSpreadSheetFormuler> mFormuler;
  int mDefaultColWidth = DefaultColWidthInit;
  int mDefaultRowHeight = DefaultRowHeightInit;
  std::map<int, int> mColWidths;
  std::map<int, int> mRowHeights;
};

}  // namespace Tarnwell
