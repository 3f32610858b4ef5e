#pragma once
// The small pictures of the spreadsheet's tool buttons (16 x 16, drawn here).

#include <QImage>

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

QImage SheetGlyph(TSheetGlyph g);

}  // namespace Tarnwell
