// TSpreadSheetGrid: commands on the selection, undo and redo, files.
#include <QFile>
#include <QUndoStack>
#include <algorithm>

#include "SShtGrid.h"
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/THourglass.h>
#include "FastCompress.h"

namespace Tarnwell {

// ---------------------------------------------------------------- undo

// A step that changed anything of the sheet: the sheet before and after.
class TSheetUndoCommand : public QUndoCommand {
 public:
  TSheetUndoCommand(TSpreadSheetGrid* grid, const QString& text, TSpreadSheetGrid::TSnapshot before,
                    TSpreadSheetGrid::TSnapshot after)
      : QUndoCommand(text), mGrid(grid), mBefore(std::move(before)), mAfter(std::move(after)) {}
  void undo() override { mGrid->RestoreSnapshot(mBefore); }
  void redo() override {
    // The step was done already when it was pushed.
    if (mFirst) {
      mFirst = false;
      return;
    }
    mGrid->RestoreSnapshot(mAfter);
  }

 private:
  TSpreadSheetGrid* mGrid;
  TSpreadSheetGrid::TSnapshot mBefore, mAfter;
  bool mFirst = true;
};

// Text entered into one cell: its record before and after (empty: no cell).
class TCellUndoCommand : public QUndoCommand {
 public:
  TCellUndoCommand(TSpreadSheetGrid* grid, int col, int row, QByteArray before, QByteArray after)
      : QUndoCommand(QStringLiteral("Modifica %1").arg(CellRefName(col, row))),
        mGrid(grid),
        mCol(col),
        mRow(row),
        mBefore(std::move(before)),
        mAfter(std::move(after)) {}
  void undo() override { mGrid->RestoreCellRecord(mCol, mRow, mBefore); }
  void redo() override {
    if (mFirst) {
      mFirst = false;
      return;
    }
    mGrid->RestoreCellRecord(mCol, mRow, mAfter);
  }

 private:
  TSpreadSheetGrid* mGrid;
  int mCol, mRow;
  QByteArray mBefore, mAfter;
  bool mFirst = true;
};

TSpreadSheetGrid::TSnapshot TSpreadSheetGrid::TakeSnapshot(const TGridRect* area) const {
  TSnapshot s;
  s.DefColWidth = mCells->DefaultColWidth();
  s.DefRowHeight = mCells->DefaultRowHeight();
  if (area) {
    s.IsRegion = true;
    s.Area = *area;
    for (const auto& col : mCells->Columns()) {
      if (col->Col() < area->Left || col->Col() > area->Right) continue;
      for (const auto& c : col->Cells())
        if (c->Row() >= area->Top && c->Row() <= area->Bottom) c->WriteTo(s.Data, true);
    }
    return s;
  }
  TFastCompress z;
  s.Data = z.Compress(SheetBodyBytes(*mCells, true));
  return s;
}

void TSpreadSheetGrid::RestoreSnapshot(const TSnapshot& s) {
  if (s.IsRegion) {
    mCells->DeleteRect(s.Area);
    TSpreadSheetCell scratch(0, 0);
    qsizetype pos = 0;
    try {
      while (pos < s.Data.size()) {
        scratch.ReadFrom(s.Data.constData(), s.Data.size(), pos, true);
        if (TSpreadSheetCell* c = mCells->GetCell(scratch.Col(), scratch.Row(), true)) c->Assign(&scratch);
      }
    } catch (const ETarnwellError&) {
      // our own records: cannot happen
    }
    mCells->Recalculate();
    AfterStructureChange();
    return;
  }
  QByteArray body;
  TFastCompress z;
  if (!z.Decompress(s.Data, body)) return;
  auto fresh = mCells->NewEmptyLike();
  fresh->SetDefaultColWidth(s.DefColWidth);
  fresh->SetDefaultRowHeight(s.DefRowHeight);
  try {
    ReadSheetBody(body, *fresh, true);
  } catch (const ETarnwellError&) {
    return;  // our own bytes: cannot happen, but never leave half a sheet
  }
  fresh->Recalculate();
  mCells->Swap(*fresh);
  AfterStructureChange();
}

void TSpreadSheetGrid::RestoreCellRecord(int col, int row, const QByteArray& record) {
  if (record.isEmpty()) {
    mCells->DeleteRect({col, row, col, row});
  } else {
    TSpreadSheetCell scratch(col, row);
    qsizetype pos = 0;
    try {
      scratch.ReadFrom(record.constData(), record.size(), pos, true);
    } catch (const ETarnwellError&) {
      return;
    }
    if (TSpreadSheetCell* c = mCells->GetCell(col, row, true)) c->Assign(&scratch);
  }
  if (mAutoRecalc) mCells->Recalculate();
  EnsureRows(row);
  InvalidateGrid();
}

void TSpreadSheetGrid::Undoable(const QString& text, const std::function<void()>& f, const TGridRect* area) {
  if (mInUndo) {
    f();
    return;
  }
  // An area serves only when restoring it cannot leave new columns behind.
  if (area && (area->Left < 1 || area->Top < 1)) area = nullptr;
  for (int c = area ? area->Left : 1; area && c <= area->Right; ++c)
    if (!mCells->FindColumn(c)) area = nullptr;
  mInUndo = true;
  THourglass busy;  // snapshots of a large sheet take a moment
  TSnapshot before = TakeSnapshot(area);
  try {
    f();
  } catch (...) {
    mInUndo = false;
    throw;
  }
  TSnapshot after = TakeSnapshot(area);
  mInUndo = false;
  if (!(before == after)) mUndo->push(new TSheetUndoCommand(this, text, std::move(before), std::move(after)));
}

// Sizing with the mouse is one step from press to release.
void TSpreadSheetGrid::SizingBegun() { mSizingBefore = std::make_unique<TSnapshot>(TakeSnapshot()); }

void TSpreadSheetGrid::SizingEnded() {
  if (!mSizingBefore) return;
  TSnapshot before = std::move(*mSizingBefore);
  mSizingBefore.reset();
  TSnapshot after = TakeSnapshot();
  if (!(before == after))
    mUndo->push(new TSheetUndoCommand(this, tr("Dimensione"), std::move(before), std::move(after)));
}

void TSpreadSheetGrid::SetCellTextUndoable(int col, int row, const QString& text) {
  EnsureRows(row);
  if (!mCells->FindColumn(col) && !mInUndo) {
    // A new column brings its header cell: only a snapshot undoes that.
    Undoable(tr("Modifica %1").arg(CellRefName(col, row)), [&] { mCells->SetCellText(col, row, text); });
    InvalidateCell(col, row);
    return;
  }
  QByteArray before;
  if (const TSpreadSheetCell* c = mCells->FindCell(col, row)) c->WriteTo(before, true);
  if (!mCells->SetCellText(col, row, text)) return;
  QByteArray after;
  mCells->FindCell(col, row)->WriteTo(after, true);
  if (before != after && !mInUndo) mUndo->push(new TCellUndoCommand(this, col, row, before, after));
  InvalidateCell(col, row);
}

void TSpreadSheetGrid::Undo() {
  if (EditorMode()) CancelEditor();
  mUndo->undo();
}

void TSpreadSheetGrid::Redo() {
  if (EditorMode()) CancelEditor();
  mUndo->redo();
}

void TSpreadSheetGrid::AfterStructureChange() {
  const TGridRect used = mCells->UsedExtent();
  EnsureRows(used.Bottom);
  UpdateScrollBars();
  InvalidateGrid();
}

// ---------------------------------------------------------------- queries

QString TSpreadSheetGrid::GetSelectedText() const {
  if (SelectedCount() != 1) return QString();
  const TSpreadSheetCell* c = mCells->FindCell(Col(), Row());
  return c ? c->DisplayText() : QString();
}

TCellFont TSpreadSheetGrid::GetSelectionFont() const {
  const TSpreadSheetCell* c = SelectedCount() == 1 ? mCells->FindCell(Col(), Row()) : nullptr;
  if (c) return c->Font();
  return TCellFont{QString(), -1, scKeepColor, scKeepStyle};
}

int TSpreadSheetGrid::GetSelectionAlignment() const {
  const TSpreadSheetCell* c = SelectedCount() == 1 ? mCells->FindCell(Col(), Row()) : nullptr;
  if (c) return c->HAlign() | (c->VAlign() << 8);
  return scKeepHAlign | (scKeepVAlign << 8);
}

void TSpreadSheetGrid::GetSelectionBackground(TColor& back, TColor& ink, int& pattern) const {
  const TSpreadSheetCell* c = SelectedCount() == 1 ? mCells->FindCell(Col(), Row()) : nullptr;
  back = c ? c->BackColor() : scKeepColor;
  ink = c ? c->PatternColor() : scKeepColor;
  pattern = c ? c->Pattern() : scKeepPattern;
}

// ---------------------------------------------------------------- formats

const TGridRect* TSpreadSheetGrid::SelArea() {
  mAreaScratch = SelRect();
  return mHeaderSel.Kind == 0 ? &mAreaScratch : nullptr;
}

void TSpreadSheetGrid::VisitSelection(const std::function<void(TSpreadSheetCell*)>& f) {
  if (mHeaderSel.Kind != 0) {
    THeaderSelection it = mHeaderSel;
    for (TSpreadSheetCell* c = mCells->FirstCell(it); c; c = mCells->NextCell(it)) f(c);
    return;
  }
  const TGridRect r = SelRect();
  for (int col = r.Left; col <= r.Right; ++col)
    for (int row = r.Top; row <= r.Bottom; ++row)
      if (TSpreadSheetCell* c = mCells->GetCell(col, row, true)) f(c);
}

void TSpreadSheetGrid::InvalidateSelection() {
  if (mHeaderSel.Kind == 0) {
    const TGridRect r = SelRect();
    for (int col = r.Left; col <= r.Right; ++col)
      for (int row = r.Top; row <= r.Bottom && row < TopRow() + VisibleRowCount() + 1; ++row)
        if (row >= TopRow()) InvalidateCell(col, row);
    return;
  }
  InvalidateGrid();
}

void TSpreadSheetGrid::SetSelectionDataType(int t) {
  Undoable(
      tr("Tipo dati"), [&] { VisitSelection([&](TSpreadSheetCell* c) { c->SetDataType(t); }); }, SelArea());
  InvalidateSelection();
}

void TSpreadSheetGrid::SetSelectionFont(const TCellFont& f) {
  Undoable(
      tr("Carattere"), [&] { VisitSelection([&](TSpreadSheetCell* c) { c->SetFont(f); }); }, SelArea());
  InvalidateSelection();
}

void TSpreadSheetGrid::SetSelectionAlignment(int word) {
  Undoable(
      tr("Allineamento"),
      [&] { VisitSelection([&](TSpreadSheetCell* c) { c->SetAlignment(word & 0xFF, (word >> 8) & 0xFF); }); },
      SelArea());
  InvalidateSelection();
}

void TSpreadSheetGrid::SetSelectionBackground(TColor back, TColor ink, int pattern) {
  Undoable(
      tr("Sfondo"),
      [&] { VisitSelection([&](TSpreadSheetCell* c) { c->SetBackground(back, ink, pattern); }); }, SelArea());
  InvalidateSelection();
}

void TSpreadSheetGrid::SetSelectionBorders(const QString& sides, const TCellBorder& b) {
  Undoable(
      tr("Bordi"), [&] { VisitSelection([&](TSpreadSheetCell* c) { c->SetBorders(sides, b); }); }, SelArea());
  InvalidateSelection();
}

void TSpreadSheetGrid::IncludeSelectionStyle(int s) {
  Undoable(
      tr("Stile"), [&] { VisitSelection([&](TSpreadSheetCell* c) { c->IncludeStyle(s); }); }, SelArea());
  InvalidateSelection();
}

void TSpreadSheetGrid::ExcludeSelectionStyle(int s) {
  Undoable(
      tr("Stile"), [&] { VisitSelection([&](TSpreadSheetCell* c) { c->ExcludeStyle(s); }); }, SelArea());
  InvalidateSelection();
}

// ---------------------------------------------------------------- sizes

int TSpreadSheetGrid::GetSelColWidth() const {
  if (mHeaderSel.Kind == 1) return ColWidth(mHeaderSel.Col1);
  if (mHeaderSel.Kind == 3) return DefaultColWidth();
  return -1;
}

void TSpreadSheetGrid::SetSelColWidth(int w) {
  if (w <= 1) return;
  if (mHeaderSel.Kind == 1)
    Undoable(tr("Larghezza colonne"), [&] {
      for (int c = std::min(mHeaderSel.Col1, mHeaderSel.Col2);
           c <= std::max(mHeaderSel.Col1, mHeaderSel.Col2); ++c)
        mCells->SetColWidth(c, w);
    });
  else if (mHeaderSel.Kind == 3)
    Undoable(tr("Larghezza colonne"), [&] { mCells->SetDefaultColWidth(w); });
  UpdateScrollBars();
  InvalidateGrid();
}

int TSpreadSheetGrid::GetSelRowHeight() const {
  if (mHeaderSel.Kind == 2) return RowHeight(mHeaderSel.Row1);
  if (mHeaderSel.Kind == 3) return DefaultRowHeight();
  return -1;
}

void TSpreadSheetGrid::SetSelRowHeight(int h) {
  if (h <= 1) return;
  if (mHeaderSel.Kind == 2)
    Undoable(tr("Altezza righe"), [&] {
      for (int r = std::min(mHeaderSel.Row1, mHeaderSel.Row2);
           r <= std::max(mHeaderSel.Row1, mHeaderSel.Row2); ++r)
        mCells->SetRowHeight(r, h);
    });
  else if (mHeaderSel.Kind == 3)
    Undoable(tr("Altezza righe"), [&] { mCells->SetDefaultRowHeight(h); });
  UpdateScrollBars();
  InvalidateGrid();
}

// ---------------------------------------------------------------- structure

void TSpreadSheetGrid::MakeBox(int style, int width, TColor color) {
  const TGridRect r = SelRect();
  Undoable(
      tr("Riquadro"),
      [&] {
        for (int col = r.Left; col <= r.Right; ++col) {
          if (TSpreadSheetCell* c = mCells->GetCell(col, r.Top, true))
            c->SetBorders(QStringLiteral("T"), style, width, color);
          if (TSpreadSheetCell* c = mCells->GetCell(col, r.Bottom, true))
            c->SetBorders(QStringLiteral("B"), style, width, color);
        }
        for (int row = r.Top; row <= r.Bottom; ++row) {
          if (TSpreadSheetCell* c = mCells->GetCell(r.Left, row, true))
            c->SetBorders(QStringLiteral("L"), style, width, color);
          if (TSpreadSheetCell* c = mCells->GetCell(r.Right, row, true))
            c->SetBorders(QStringLiteral("R"), style, width, color);
        }
      },
      SelArea());
  InvalidateSelection();
}

void TSpreadSheetGrid::EraseSelection() {
  Undoable(
      tr("Cancella contenuto"),
      [&] {
        if (mHeaderSel.Kind != 0)
          mCells->EraseHeaderSel(mHeaderSel);
        else
          mCells->EraseRect(SelRect());
      },
      SelArea());
  InvalidateSelection();
}

void TSpreadSheetGrid::DeleteSelection() {
  Undoable(
      tr("Elimina"),
      [&] {
        if (mHeaderSel.Kind != 0)
          mCells->DeleteHeaderSel(mHeaderSel);
        else
          mCells->DeleteRect(SelRect());
      },
      SelArea());
  InvalidateSelection();
}

void TSpreadSheetGrid::RemoveSelection() {
  switch (mHeaderSel.Kind) {
    case 0:
      DeleteSelection();
      return;
    case 1:
      BeginUpdate();
      Undoable(tr("Rimuovi colonne"), [&] { mCells->RemoveColumns(mHeaderSel.Col1, mHeaderSel.Col2); });
      EndUpdate();
      break;
    case 2:
      BeginUpdate();
      Undoable(tr("Rimuovi righe"), [&] { mCells->RemoveRows(mHeaderSel.Row1, mHeaderSel.Row2); });
      EndUpdate();
      break;
    default:
      ClearSheet();
      break;
  }
  UpdateScrollBars();
  InvalidateGrid();
}

bool TSpreadSheetGrid::RefuseBeyondSheet(const QString& what) {
  MessageDlg(what, mtError, mbOK);
  return false;
}

bool TSpreadSheetGrid::InsertAtSelection(int n) {
  if (n <= 0) return true;
  bool ok = true;
  // Counts past the sheet's size can only fail (and would overflow the shift).
  if ((mHeaderSel.Kind == 1 && n > SShtMaxCol) || (mHeaderSel.Kind == 2 && n > SShtMaxRow))
    ok = false;
  else if (mHeaderSel.Kind == 1)
    Undoable(tr("Inserisci colonne"), [&] { ok = mCells->ShiftColumns(mHeaderSel.Col1, n); });
  else if (mHeaderSel.Kind == 2)
    Undoable(tr("Inserisci righe"), [&] { ok = mCells->ShiftRowsAll(mHeaderSel.Row1, n); });
  else
    return true;
  if (!ok)
    return RefuseBeyondSheet(
        mHeaderSel.Kind == 1
            ? QStringLiteral("Impossibile inserire: le celle andrebbero oltre la colonna ZZ.")
            : QStringLiteral("Impossibile inserire: le celle andrebbero oltre l'ultima riga."));
  AfterStructureChange();
  return true;
}

void TSpreadSheetGrid::SortSelection(bool descending) {
  if (mHeaderSel.Kind == 2) return;
  Undoable(
      tr("Ordina"),
      [&] {
        if (mHeaderSel.Kind == 1) {
          for (int c = mHeaderSel.Col1; c <= mHeaderSel.Col2; ++c) mCells->Sort(c, -1, -1, descending);
        } else if (mHeaderSel.Kind == 3) {
          mCells->Sort(-1, -1, -1, descending);
        } else {
          const TGridRect r = SelRect();
          for (int c = r.Left; c <= r.Right; ++c) mCells->Sort(c, r.Top, r.Bottom, descending);
        }
      },
      SelArea());
  InvalidateGrid();
}

bool TSpreadSheetGrid::FindFirst(const QString& text) {
  mSearchText = text;
  if (text.isEmpty()) return false;
  int col = 1, row = 1;
  if (!mCells->FindText(text, col, row)) return false;
  EnsureRows(row);
  MoveCurrent(col, row, false);
  return true;
}

bool TSpreadSheetGrid::FindNext() {
  if (mSearchText.isEmpty()) return false;
  int col = Col(), row = Row() + 1;
  if (!mCells->FindText(mSearchText, col, row)) return false;
  EnsureRows(row);
  MoveCurrent(col, row, false);
  return true;
}

void TSpreadSheetGrid::Recalculate() {
  // One call that settles every formula: no pending events are processed
  // between passes, so the grid cannot be closed half-way.
  THourglass busy;
  mCells->Recalculate();
  InvalidateGrid();
}

void TSpreadSheetGrid::ClearSheet() {
  BeginUpdate();
  Undoable(tr("Svuota il foglio"), [&] {
    mCells->ClearAll();
    mCells->SetDefaultColWidth(mCells->DefaultColWidth());
    mCells->SetDefaultRowHeight(mCells->DefaultRowHeight());
  });
  ClearTileCache();
  UpdateScrollBars();
  EndUpdate();
}

QString TSpreadSheetGrid::GetCellText(int col, int row) {
  EnsureRows(row);
  return mCells->CellDisplayText(col, row);
}

void TSpreadSheetGrid::SetCellText(int col, int row, const QString& text) {
  SetCellTextUndoable(col, row, text);
}

// ---------------------------------------------------------------- files

bool TSpreadSheetGrid::SaveToFile(int kind, const QString& fileName) {
  THourglass busy;
  if (kind != sfkCsv) {
    // The sheet file holds 8-bit texts: say which cells would change, and
    // save only when the user agrees.
    constexpr int shown = 10;
    const QStringList lossy = CellsNotStoredExactly(*mCells, shown + 1);
    if (!lossy.isEmpty()) {
      QString list = lossy.mid(0, shown).join(QStringLiteral(", "));
      if (lossy.size() > shown) list += QStringLiteral(", ...");
      const int answer = MessageDlg(
          QStringLiteral("Alcune celle contengono caratteri che il file .qvs non può conservare e che "
                         "verrebbero salvati come \"?\": %1.\nSalvare comunque?")
              .arg(list),
          mtWarning, mbYes | mbNo);
      if (answer != mrYes) return false;
    }
  }
  SaveSheetToFile(*mCells, kind == sfkCsv ? sfkCsv : sfkSheet, fileName);
  return true;
}

int TSpreadSheetGrid::CheckSignature(QIODevice& dev) { return Tarnwell::CheckSignature(dev); }

void TSpreadSheetGrid::LoadFromFile(const QString& fileName) {
  // The engine replaces the content only when the whole file was read: a
  // damaged file leaves the sheet as it was.
  THourglass busy;
  BeginUpdate();
  try {
    Undoable(tr("Apri"), [&] { LoadSheetFromFile(*mCells, fileName); });
  } catch (...) {
    EndUpdate();
    throw;
  }
  mHeaderSel = THeaderSelection();
  ClearTileCache();
  AfterStructureChange();
  EndUpdate();
}

void TSpreadSheetGrid::ImportCSVFile(const QString& fileName) {
  THourglass busy;
  Undoable(tr("Importa"), [&] { Tarnwell::ImportCsvFile(*mCells, fileName, Col(), Row()); });
  AfterStructureChange();
}

}  // namespace Tarnwell
