// TSpreadSheetGrid: header selection, auto-scroll, editor hooks, keys and
// the selection notifications.
#include <QCursor>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QUndoStack>
#include <algorithm>

#include "SShtGrid.h"
#include <Tarnwell/platform/TGraphics.h>

namespace Tarnwell {

// ---------------------------------------------------------------- selection texts

TGridRect TSpreadSheetGrid::SelRect() const {
  const TGridCoordRect s = Selection();
  return {s.Left, s.Top, s.Right, s.Bottom};
}

QString TSpreadSheetGrid::SelectionText() const {
  const THeaderSelection& h = mHeaderSel;
  switch (h.Kind) {
    case 1:
      return ColumnName(h.Col1) + "1:" + ColumnName(h.Col2) + QString::number(RowCount());
    case 2:
      return "A" + QString::number(h.Row1) + ":ZZ" + QString::number(h.Row2);
    case 3:
      return "A1:ZZ" + QString::number(RowCount());
    default: {
      const TGridRect r = SelRect();
      QString s = CellRefName(r.Left, r.Top);
      if (r.Right != r.Left || r.Bottom != r.Top) s += ":" + CellRefName(r.Right, r.Bottom);
      return s;
    }
  }
}

qint64 TSpreadSheetGrid::SelectedCount() const {
  const THeaderSelection& h = mHeaderSel;
  switch (h.Kind) {
    case 1:
      return qint64(std::abs(h.Col2 - h.Col1) + 1) * RowCount();
    case 2:
      return qint64(std::abs(h.Row2 - h.Row1) + 1) * SShtMaxCol;
    case 3:
      return qint64(RowCount()) * SShtMaxCol;
    default: {
      const TGridRect r = SelRect();
      return qint64(r.Right - r.Left + 1) * (r.Bottom - r.Top + 1);
    }
  }
}

// The selection text costs a string per mouse move: built only when somebody
// listens.
bool TSpreadSheetGrid::SelectionListened() const {
  static const QMetaMethod signal = QMetaMethod::fromSignal(&TSpreadSheetGrid::SelectionChanged);
  return OnSelectionChanged || isSignalConnected(signal);
}

void TSpreadSheetGrid::NotifyRange() {
  if (!SelectionListened()) return;
  TW_FIRE(OnSelectionChanged, SelectionChanged, this, false, SelectionText(), Col(), Row(),
          mCells->GetFormatCell(Col(), Row()));
}

void TSpreadSheetGrid::NotifySingle(int col, int row) {
  if (!SelectionListened()) return;
  TW_FIRE(OnSelectionChanged, SelectionChanged, this, true, CellRefName(col, row), col, row,
          mCells->GetFormatCell(col, row));
}

void TSpreadSheetGrid::SetHeaderSelection(int kind, int a, int b) {
  THeaderSelection sel;
  mHeaderSel = THeaderSelection();
  switch (kind) {
    case 1:
      sel.Kind = 1;
      sel.Col1 = std::clamp(std::min(a, b), 1, SShtMaxCol);
      sel.Col2 = std::clamp(std::max(a, b), 1, SShtMaxCol);
      MoveCurrent(sel.Col1, TopRow(), false, false);
      break;
    case 2:
      sel.Kind = 2;
      sel.Row1 = std::clamp(std::min(a, b), 1, SShtMaxRow);
      sel.Row2 = std::clamp(std::max(a, b), 1, SShtMaxRow);
      EnsureRows(sel.Row2);
      MoveCurrent(LeftCol(), sel.Row1, false, false);
      break;
    case 3:
      sel.Kind = 3;
      MoveCurrent(LeftCol(), TopRow(), false, false);
      break;
    default:
      break;
  }
  // Set after moving the current cell, which clears a header selection.
  mHeaderSel = sel;
  InvalidateGrid();
  NotifyRange();
}

// ---------------------------------------------------------------- mouse

void TSpreadSheetGrid::StartHeaderDrag() {
  mHeaderSel.Dragging = true;
  if (!mTicker.isActive()) mTicker.start();
  NotifyRange();
  InvalidateGrid();
}

void TSpreadSheetGrid::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && mHeaderSel.Kind != 0) {
    mHeaderSel = THeaderSelection();
    InvalidateGrid();
  }
  const QPoint pt = e->position().toPoint();
  int index;
  if (e->button() == Qt::LeftButton && e->modifiers() == Qt::NoModifier &&
      CalcSizingState(pt.x(), pt.y(), index) == gsNormal) {
    int col, row;
    MouseToCell(pt.x(), pt.y(), col, row);
    if (col == 0 && row == 0) {
      setFocus();
      if (EditorMode()) HideEditor();
      MoveCurrent(LeftCol(), TopRow(), false, false);
      mHeaderSel = THeaderSelection();
      mHeaderSel.Kind = 3;
      mHeaderSel.Dragging = true;
      InvalidateGrid();
      NotifyRange();
      return;
    }
    if (row == 0 && col > 0) {
      setFocus();
      if (EditorMode()) HideEditor();
      MoveCurrent(col, TopRow(), false, false);
      mHeaderSel = THeaderSelection();
      mHeaderSel.Kind = 1;
      mHeaderSel.Col1 = mHeaderSel.Col2 = col;
      StartHeaderDrag();
      return;
    }
    if (col == 0 && row > 0) {
      setFocus();
      if (EditorMode()) HideEditor();
      MoveCurrent(LeftCol(), row, false, false);
      mHeaderSel = THeaderSelection();
      mHeaderSel.Kind = 2;
      mHeaderSel.Row1 = mHeaderSel.Row2 = row;
      StartHeaderDrag();
      return;
    }
    InvalidateGrid();
  }
  TCustomGrid::mousePressEvent(e);
}

void TSpreadSheetGrid::mouseMoveEvent(QMouseEvent* e) {
  if (mHeaderSel.Dragging && (mHeaderSel.Kind == 1 || mHeaderSel.Kind == 2)) {
    const QPoint pt = e->position().toPoint();
    int col, row;
    // Past the cells the end stays at the last one reached, never column A.
    MouseToCellClamped(pt.x(), pt.y(), col, row);
    col = std::max(col, 1);
    row = std::max(row, 1);
    if (mHeaderSel.Kind == 1 && col != mHeaderSel.Col2) {
      mHeaderSel.Col2 = col;
      InvalidateGrid();
      NotifyRange();
    } else if (mHeaderSel.Kind == 2 && row != mHeaderSel.Row2) {
      mHeaderSel.Row2 = row;
      InvalidateGrid();
      NotifyRange();
    }
    return;
  }
  const TGridCoordRect before = Selection();
  TCustomGrid::mouseMoveEvent(e);
  if (!(Selection() == before)) NotifyRange();
}

void TSpreadSheetGrid::mouseReleaseEvent(QMouseEvent* e) {
  if (mHeaderSel.Dragging) {
    mTicker.stop();
    if (mHeaderSel.Col1 > mHeaderSel.Col2) std::swap(mHeaderSel.Col1, mHeaderSel.Col2);
    if (mHeaderSel.Row1 > mHeaderSel.Row2) std::swap(mHeaderSel.Row1, mHeaderSel.Row2);
    mHeaderSel.Dragging = false;
  }
  TCustomGrid::mouseReleaseEvent(e);
}

void TSpreadSheetGrid::Tick() {
  if (!mHeaderSel.Dragging) {
    mTicker.stop();
    return;
  }
  TickAt(viewport()->mapFromGlobal(QCursor::pos()));
}

void TSpreadSheetGrid::TickAt(const QPoint& pos) {
  if (!mHeaderSel.Dragging || (mHeaderSel.Kind != 1 && mHeaderSel.Kind != 2)) return;
  int col, row;
  MouseToCellClamped(pos.x(), pos.y(), col, row);
  if (mHeaderSel.Kind == 1) {
    if (pos.x() < FixedWidth() || col <= LeftCol()) {
      if (LeftCol() >= 2) setLeftCol(LeftCol() - 1);
    } else if (col >= LeftCol() + VisibleColCount()) {
      setLeftCol(LeftCol() + 1);
    }
    col = std::max(col, 1);
    if (col != mHeaderSel.Col2) {
      mHeaderSel.Col2 = col;
      InvalidateGrid();
    }
  } else {
    if (pos.y() < FixedHeight() || row <= TopRow()) {
      if (TopRow() >= 2) setTopRow(TopRow() - 1);
    } else if (row >= TopRow() + VisibleRowCount()) {
      setTopRow(TopRow() + 1);
    }
    row = std::max(row, 1);
    if (row != mHeaderSel.Row2) {
      mHeaderSel.Row2 = row;
      InvalidateGrid();
    }
  }
}

// ---------------------------------------------------------------- hooks

bool TSpreadSheetGrid::SelectCell(int col, int row) {
  if (mHeaderSel.Kind != 0 && !mHeaderSel.Dragging) {
    mHeaderSel = THeaderSelection();
    InvalidateGrid();
  }
  bool can = true;
  if (OnSelectCell) OnSelectCell(this, col, row, can);
  if (!can) return false;
  NotifySingle(col, row);
  return true;
}

QString TSpreadSheetGrid::GetEditMask(int col, int row) {
  QString mask = mCells->GetFormatCell(col, row)->EditMask();
  if (OnGetEditMask) OnGetEditMask(this, col, row, mask);
  return mask;
}

QString TSpreadSheetGrid::GetEditText(int col, int row) {
  // A formula opens as its formula: committing must never turn it into
  // the constant it shows.
  const TSpreadSheetCell* own = mCells->FindCell(col, row);
  QString text = !own ? QString() : own->IsFormula() ? own->Text() : own->DisplayText();
  // A date or time opens in the shape of its type's mask (a long or
  // East Asian display text would not fit it); another mask gets the text.
  if (own && !own->IsFormula() && own->DataType() >= cdtDate &&
      own->EditMask() == CellDataTypeEditMask(own->DataType()) && !own->Value().IsNull() &&
      own->Value().Kind() != TCellValue::vkString)
    text = CellEditText(own->Value(), own->DataType());
  if (OnGetEditText) OnGetEditText(this, col, row, text);
  return text;
}

void TSpreadSheetGrid::SetEditText(int col, int row, const QString& value) {
  SetCellTextUndoable(col, row, value);
  // Leaving an edited cell recalculates the sheet when asked to.
  if (mAutoRecalc) Recalculate();
  TW_FIRE(OnSetEditText, editTextSet, this, col, row, value);
}

void TSpreadSheetGrid::MoveColumn(int from, int to) {
  Undoable(tr("Sposta colonna"), [&] { TCustomGrid::MoveColumn(from, to); });
}

void TSpreadSheetGrid::MoveRow(int from, int to) {
  Undoable(tr("Sposta riga"), [&] { TCustomGrid::MoveRow(from, to); });
}

void TSpreadSheetGrid::ColumnMoved(int from, int to) {
  Undoable(tr("Sposta colonna"), [&] { mCells->MoveColumn(from, to); });
  InvalidateGrid();
  TW_FIRE(OnColumnMoved, columnMoved, this, from, to);
}

void TSpreadSheetGrid::RowMoved(int from, int to) {
  Undoable(tr("Sposta riga"), [&] { mCells->MoveRowAll(from, to); });
  InvalidateGrid();
  TW_FIRE(OnRowMoved, rowMoved, this, from, to);
}

void TSpreadSheetGrid::TopLeftChanged() {
  // Rows grow as the view nears the end, never while painting.
  if (TopRow() + VisibleRowCount() >= RowCount() - 1) EnsureRows(TopRow() + VisibleRowCount());
  TW_FIRE(OnTopLeftChanged, topLeftChanged, this);
}

// Cells without a font of their own take the control's font and text colour
// (setFont, setPalette, a style sheet, a parent's font).
void TSpreadSheetGrid::FontViewChanged() {
  mCells->SetDefaultFont(Font());
  TCustomGrid::FontViewChanged();
}

void TSpreadSheetGrid::OptionsApplied() {
  TCustomGrid::OptionsApplied();
  if (EditEnabled() == mEditEnabledSeen) return;
  mEditEnabledSeen = EditEnabled();
  Q_EMIT EditEnabledChanged(mEditEnabledSeen);
}

void TSpreadSheetGrid::keyPressEvent(QKeyEvent* e) {
  if (e->matches(QKeySequence::Copy)) {
    CopyToClipboard();
    return;
  }
  if (e->matches(QKeySequence::Paste)) {
    PasteFromClipboard();
    return;
  }
  if (e->matches(QKeySequence::Cut)) {
    CutToClipboard();
    return;
  }
  if (e->matches(QKeySequence::Undo)) {
    Undo();
    return;
  }
  if (e->matches(QKeySequence::Redo) || (e->key() == Qt::Key_Y && e->modifiers() == Qt::ControlModifier) ||
      (e->key() == Qt::Key_Z && e->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier))) {
    Redo();
    return;
  }
  if (e->key() == Qt::Key_Delete && e->modifiers() == Qt::NoModifier) {
    DeleteSelection();
    return;
  }
  const TGridCoordRect before = Selection();
  if (e->key() == Qt::Key_End && (e->modifiers() & Qt::ControlModifier)) {
    // The last used cell, not the last of the sheet's 702 columns and
    // thousand-odd rows that hold nothing.
    const TGridRect used = mCells->CellExtent();
    EnsureRows(used.Bottom);
    MoveCurrent(std::min(used.Right, ColCount() - 1), std::min(used.Bottom, RowCount() - 1),
                e->modifiers() & Qt::ShiftModifier);
  } else {
    TCustomGrid::keyPressEvent(e);
  }
  if (!(Selection() == before) &&
      !(before.Left == before.Right && before.Top == before.Bottom && Selection().Left == Selection().Right &&
        Selection().Top == Selection().Bottom))
    NotifyRange();
}

}  // namespace Tarnwell
