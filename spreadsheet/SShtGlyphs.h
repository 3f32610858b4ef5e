#pragma once
// The small pictures of the spreadsheet's tool buttons (16 x 16, drawn here).

#include <QImage>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// The pictures of the spreadsheet window's buttons.
enum TSheetGlyph {
  sgNew,
  sgOpen,
  sgSave,
  sgPrintGrid,
  sgLandscape,
  sgPrint,
  sgEdit,
  sgAutoRecalc,
  sgCut,
  sgCopy,
  sgPaste,
  sgSortAsc,
  sgSortDesc,
  sgFindFirst,
  sgFindNext,
  sgFontColor,
  sgAlignLeft,
  sgAlignCenter,
  sgAlignRight,
  sgBackColor,
  sgMakeBox,
  sgRecalc,
  sgUndo,
  sgApply,
  sgLayTop,
  sgLayCenter,
  sgLayBottom,
  sgLineColor
};

// The picture of `g`, 16 x 16 logical pixels drawn at `ratio` device pixels
// per logical pixel (the picture carries that ratio).
TARNWELL_SHEETFORMS_EXPORT QImage SheetGlyph(TSheetGlyph g, qreal ratio = 1);

}  // namespace Tarnwell
