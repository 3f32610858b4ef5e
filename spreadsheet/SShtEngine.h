#pragma once
// The spreadsheet engine without any widget: cells, the cell store, the
// formula evaluator, sheet files and CSV exchange.
//
// How a grid control sits on it (one TSpreadSheetDataCells per grid):
//   cell at (col, row)        GetCell(col, row, create) / FindCell / GetFormatCell
//   column widths, row heights ColWidth / SetColWidth / RowHeight / SetRowHeight,
//                             DefaultColWidth / DefaultRowHeight (the store is the model)
//   format a selection        FirstCell / NextCell over a THeaderSelection, or
//                             GetCell(..., true) over a TGridRect, then the cell's setters
//   structural edits          EraseRect / DeleteRect / ...HeaderSel, RemoveColumns /
//                             RemoveRows (sizes move too), ShiftColumns / ShiftRowsAll
//                             (false when cells would leave the sheet), MoveColumn / MoveRowAll
//   sort, find, recalculate   Sort, FindText, Recalculate (until stable)
//   files                     SaveSheetToFile (sheet or CSV, through a temporary file),
//                             LoadSheetFromFile (replaces the content only on success),
//                             ImportCsvFile (at a cell); errors are ESheetFileError / ECsvError
//   the control's font        SetDefaultFont

#include "SShtCell.h"
#include "SShtCsv.h"
#include "SShtEval.h"
#include "SShtFile.h"
#include "SShtStore.h"

namespace Tarnwell {

}  // namespace Tarnwell
