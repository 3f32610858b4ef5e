// TSpreadSheetGrid: commands on the selection, undo and redo, files.
#include <QFile>
#include <QUndoStack>
#include <algorithm>
#include <memory>
#include <cstring>

#include "SShtGrid.h"
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/THourglass.h>
#include "FastCompress.h"

namespace Tarnwell {

// ---------------------------------------------------------------- undo

// Every step knows the memory it holds, so that the oldest steps can go
// when the undo history passes its limit. A dropped step keeps its place
// but holds nothing; undo stops before it.
class TSheetStep : public QUndoCommand {
 public:
  using QUndoCommand::QUndoCommand;
  virtual qint64 Bytes() const = 0;
  virtual void Drop() = 0;
  bool Dropped() const { return mDropped; }
  void undo() override {
    if (!mDropped) Undo();
  }
  void redo() override {
    // The step was done already when it was pushed.
    if (mFirst) {
      mFirst = false;
      return;
    }
    if (!mDropped) Redo();
  }

 protected:
  virtual void Undo() = 0;
  virtual void Redo() = 0;
  bool mDropped = false;

 private:
  bool mFirst = true;
};

// A step that changed anything of the sheet: the sheet before and after.
class TSheetUndoCommand : public TSheetStep {
 public:
  TSheetUndoCommand(TSpreadSheetGrid* grid, const QString& text, TSpreadSheetGrid::TSnapshot before,
                    TSpreadSheetGrid::TSnapshot after)
      : TSheetStep(text), mGrid(grid), mBefore(std::move(before)), mAfter(std::move(after)) {}
  qint64 Bytes() const override { return mBefore.Data.size() + mAfter.Data.size() + 256; }
  void Drop() override {
    mBefore = mAfter = {};
    mDropped = true;
  }

 protected:
  void Undo() override { mGrid->RestoreSnapshot(mBefore); }
  void Redo() override { mGrid->RestoreSnapshot(mAfter); }

 private:
  TSpreadSheetGrid* mGrid;
  TSpreadSheetGrid::TSnapshot mBefore, mAfter;
};

// Text entered into one cell: its record before and after (empty: no cell).
class TCellUndoCommand : public TSheetStep {
 public:
  TCellUndoCommand(TSpreadSheetGrid* grid, int col, int row, QByteArray before, QByteArray after)
      : TSheetStep(QStringLiteral("Modifica %1").arg(CellRefName(col, row))),
        mGrid(grid),
        mCol(col),
        mRow(row),
        mBefore(std::move(before)),
        mAfter(std::move(after)) {}
  qint64 Bytes() const override { return mBefore.size() + mAfter.size() + 128; }
  void Drop() override {
    mBefore = mAfter = QByteArray();
    mDropped = true;
  }

 protected:
  void Undo() override { mGrid->RestoreCellRecord(mCol, mRow, mBefore); }
  void Redo() override { mGrid->RestoreCellRecord(mCol, mRow, mAfter); }

 private:
  TSpreadSheetGrid* mGrid;
  int mCol, mRow;
  QByteArray mBefore, mAfter;
};

// A format command: the formats of the cells it touched, before and after
// (each distinct format kept once), and the cells and columns it created.
// Contents are never touched, so nothing is re-entered or recalculated.
class TFormatUndoCommand : public TSheetStep {
 public:
  struct TEntry {
    std::int32_t Col, Row;
    std::int32_t Before;  // index into mFormats; -1: the command created the cell
    std::int32_t After;
  };
  TFormatUndoCommand(TSpreadSheetGrid* grid, const QString& text) : TSheetStep(text), mGrid(grid) {}

  std::int32_t Intern(const TCellFormat& f) {
    // Neighbouring cells mostly share a format: look at the latest few.
    const std::int32_t n = std::int32_t(mFormats.size());
    for (std::int32_t i = n - 1; i >= 0 && i >= n - 8; --i)
      if (mFormats[size_t(i)] == f) return i;
    mFormats.push_back(f);
    return n;
  }
  std::vector<TEntry> Entries;
  std::vector<int> CreatedColumns;
  bool Empty() const {
    if (!CreatedColumns.empty()) return false;
    for (const TEntry& e : Entries)
      if (e.Before < 0 || e.After < 0 || !(mFormats[size_t(e.Before)] == mFormats[size_t(e.After)])) return false;
    return true;
  }
  qint64 Bytes() const override {
    return qint64(Entries.size() * sizeof(TEntry) + mFormats.size() * (sizeof(TCellFormat) + 64) +
                  CreatedColumns.size() * sizeof(int)) +
           256;
  }
  void Drop() override {
    Entries = {};
    mFormats = {};
    CreatedColumns = {};
    mDropped = true;
  }

 protected:
  void Undo() override {
    TSpreadSheetDataCells& cells = mGrid->Cells();
    for (const TEntry& e : Entries)
      if (e.Before >= 0)
        if (TSpreadSheetCell* c = cells.FindCell(e.Col, e.Row)) c->SetFormat(mFormats[size_t(e.Before)]);
    for (auto it = Entries.rbegin(); it != Entries.rend(); ++it)
      if (it->Before < 0) cells.DeleteRect({it->Col, it->Row, it->Col, it->Row});
    for (int col : CreatedColumns)
      cells.DropColumn(col);
    mGrid->InvalidateGrid();
  }
  void Redo() override {
    TSpreadSheetDataCells& cells = mGrid->Cells();
    for (const TEntry& e : Entries)
      if (e.After >= 0)
        if (TSpreadSheetCell* c = cells.GetCell(e.Col, e.Row, true)) c->SetFormat(mFormats[size_t(e.After)]);
    mGrid->InvalidateGrid();
  }

 private:
  TSpreadSheetGrid* mGrid;
  std::vector<TCellFormat> mFormats;
};

// Widths and heights alone (a border drag, a width command).
class TSizesUndoCommand : public TSheetStep {
 public:
  TSizesUndoCommand(TSpreadSheetGrid* grid, const QString& text, TSpreadSheetGrid::TSizes before,
                    TSpreadSheetGrid::TSizes after)
      : TSheetStep(text), mGrid(grid), mBefore(std::move(before)), mAfter(std::move(after)) {}
  qint64 Bytes() const override {
    return qint64(mBefore.Cols.size() + mBefore.Rows.size() + mAfter.Cols.size() + mAfter.Rows.size()) * 48 +
           128;
  }
  void Drop() override {
    mBefore = mAfter = {};
    mDropped = true;
  }

 protected:
  void Undo() override { mGrid->RestoreSizes(mBefore); }
  void Redo() override { mGrid->RestoreSizes(mAfter); }

 private:
  TSpreadSheetGrid* mGrid;
  TSpreadSheetGrid::TSizes mBefore, mAfter;
};

// A command undone by its inverse, or by putting back only what it took:
// the records of removed cells, the texts of erased ones, the sizes before.
// The two actions hold that data; bytes says how much.
class TInverseUndoCommand : public TSheetStep {
 public:
  TInverseUndoCommand(const QString& text, std::function<void()> undo, std::function<void()> redo,
                      std::function<qint64()> bytes)
      : TSheetStep(text), mUndo(std::move(undo)), mRedo(std::move(redo)), mBytes(std::move(bytes)) {}
  qint64 Bytes() const override { return (mBytes ? mBytes() : 0) + 256; }
  void Drop() override {
    mUndo = mRedo = nullptr;
    mBytes = nullptr;
    mDropped = true;
  }

 protected:
  void Undo() override { mUndo(); }
  void Redo() override { mRedo(); }

 private:
  std::function<void()> mUndo, mRedo;
  std::function<qint64()> mBytes;
};

namespace {

// The wide records of the cells of columns c1..c2 and rows r1..r2 (column 0
// and row 0 count), compressed.
QByteArray PackedRecords(const TSpreadSheetDataCells& cells, int c1, int c2, int r1, int r2) {
  QByteArray records;
  for (const auto& column : cells.Columns()) {
    if (column->Col() < c1 || column->Col() > c2) continue;
    for (const auto& c : column->Cells())
      if (c->Row() >= r1 && c->Row() <= r2) c->WriteTo(records, true);
  }
  TFastCompress z;
  return z.Compress(records);
}

// Creates the cells of packed records again, each with its format and text.
void PutBackRecords(TSpreadSheetDataCells& cells, const QByteArray& packed) {
  QByteArray records;
  TFastCompress z;
  if (!z.Decompress(packed, records)) return;
  TSpreadSheetCell scratch(0, 0);
  qsizetype pos = 0;
  try {
    while (pos < records.size()) {
      scratch.ReadFrom(records.constData(), records.size(), pos, true);
      if (TSpreadSheetCell* c = cells.GetCell(scratch.Col(), scratch.Row(), true)) c->Assign(&scratch);
    }
  } catch (const ETarnwellError&) {
    // our own records: cannot happen
  }
}

// The texts of every cell that has one: column, row, length and UTF-16
// units, compressed. Erasing changes nothing else.
QByteArray PackedTexts(const TSpreadSheetDataCells& cells) {
  QByteArray out;
  auto put = [&out](std::uint32_t v) {
    const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    out.append(b, 4);
  };
  for (const auto& column : cells.Columns())
    for (const auto& c : column->Cells()) {
      const QString& t = c->Text();
      if (t.isEmpty()) continue;
      put(std::uint32_t(c->Col()));
      put(std::uint32_t(c->Row()));
      put(std::uint32_t(t.size()));
      out.append(reinterpret_cast<const char*>(t.utf16()), 2 * t.size());
    }
  if (out.isEmpty()) return out;
  TFastCompress z;
  return z.Compress(out);
}

void PutBackTexts(TSpreadSheetDataCells& cells, const QByteArray& packed) {
  QByteArray in;
  TFastCompress z;
  if (!z.Decompress(packed, in)) return;
  auto get = [&in](qsizetype at) {
    const auto* u = reinterpret_cast<const unsigned char*>(in.constData() + at);
    return std::uint32_t(u[0]) | (std::uint32_t(u[1]) << 8) | (std::uint32_t(u[2]) << 16) |
           (std::uint32_t(u[3]) << 24);
  };
  for (qsizetype pos = 0; pos + 12 <= in.size();) {
    const int col = int(get(pos)), row = int(get(pos + 4));
    const qsizetype n = qsizetype(get(pos + 8));
    pos += 12;
    if (2 * n > in.size() - pos) break;
    QString t(n, Qt::Uninitialized);
    std::memcpy(t.data(), in.constData() + pos, size_t(2 * n));
    pos += 2 * n;
    if (TSpreadSheetCell* c = cells.FindCell(col, row)) c->SetText(t);
  }
}

}  // namespace

TSpreadSheetGrid::TSizes TSpreadSheetGrid::TakeSizes() const {
  return {mCells->DefaultColWidth(), mCells->DefaultRowHeight(), mCells->ColWidths(), mCells->RowHeights()};
}

void TSpreadSheetGrid::RestoreSizes(const TSizes& s) {
  mCells->SetDefaultColWidth(s.DefColWidth);
  mCells->SetDefaultRowHeight(s.DefRowHeight);
  for (auto [c, w] : s.Cols) mCells->SetColWidth(c, w);
  for (auto [r, h] : s.Rows) mCells->SetRowHeight(r, h);
  UpdateScrollBars();
  InvalidateGrid();
}

void TSpreadSheetGrid::PushStep(TSheetStep* step) {
  mUndo->push(step);
  // Drop the oldest steps while the history holds more than its limit; the
  // newest step always stays.
  qint64 total = 0;
  const int n = mUndo->count();
  std::vector<qint64> sizes(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    sizes[size_t(i)] = static_cast<const TSheetStep*>(mUndo->command(i))->Bytes();
    total += sizes[size_t(i)];
  }
  for (int i = 0; i < n - 1 && total > mUndoMemoryLimit; ++i) {
    auto* s = const_cast<TSheetStep*>(static_cast<const TSheetStep*>(mUndo->command(i)));
    if (s->Dropped()) continue;
    s->Drop();
    total -= sizes[size_t(i)] - s->Bytes();
  }
}

qint64 TSpreadSheetGrid::UndoMemory() const {
  qint64 total = 0;
  for (int i = 0; i < mUndo->count(); ++i) total += static_cast<const TSheetStep*>(mUndo->command(i))->Bytes();
  return total;
}

void TSpreadSheetGrid::SetUndoMemoryLimit(qint64 bytes) { mUndoMemoryLimit = std::max<qint64>(bytes, 0); }

void TSpreadSheetGrid::FormatSelection(const QString& text, const std::function<void(TSpreadSheetCell*)>& f) {
  if (mInUndo) {
    VisitSelection(f);
    return;
  }
  THourglass busy;
  auto* step = new TFormatUndoCommand(this, text);
  // Columns and header cells the command creates go again on undo.
  const THeaderSelection& hs = mHeaderSel;
  if (hs.Kind == 1 || hs.Kind == 0) {
    const TGridRect r = SelRect();
    const int a = hs.Kind == 1 ? std::max(1, std::min(hs.Col1, hs.Col2)) : r.Left;
    const int b = hs.Kind == 1 ? std::min(SShtMaxCol, std::max(hs.Col1, hs.Col2)) : r.Right;
    for (int c = a; c <= b; ++c)
      if (!mCells->FindColumn(c)) step->CreatedColumns.push_back(c);
  }
  std::vector<std::int32_t> before;  // per visited cell, -1 when it is new
  if (hs.Kind == 2) {
    const int a = std::max(1, std::min(hs.Row1, hs.Row2)), b = std::min(SShtMaxRow, std::max(hs.Row1, hs.Row2));
    for (int r = a; r <= b && r - a < 1000000; ++r)
      if (!mCells->FindCell(0, r)) step->Entries.push_back({0, r, -1, -1});
  }
  if (hs.Kind != 0) {
    // The iteration creates and stamps the header cells first: keep their
    // formats from before that.
    const qsizetype created = qsizetype(step->Entries.size());
    std::vector<std::pair<int, TCellFormat>> headers;
    if (hs.Kind == 1)
      for (int c = std::max(1, std::min(hs.Col1, hs.Col2)); c <= std::min(SShtMaxCol, std::max(hs.Col1, hs.Col2));
           ++c)
        if (const TSpreadSheetCell* h = mCells->FindCell(c, 0)) headers.push_back({c, h->Format()});
    if (hs.Kind == 2)
      for (int r = std::max(1, std::min(hs.Row1, hs.Row2));
           r <= std::min(SShtMaxRow, std::max(hs.Row1, hs.Row2)) && r - std::max(1, std::min(hs.Row1, hs.Row2)) < 1000000;
           ++r)
        if (const TSpreadSheetCell* h = mCells->FindCell(0, r)) headers.push_back({r, h->Format()});
    THeaderSelection it = hs;
    for (TSpreadSheetCell* c = mCells->FirstCell(it); c; c = mCells->NextCell(it)) {
      std::int32_t idx = -2;  // not yet known
      const bool isHeader = (hs.Kind == 1 && c->Row() == 0) || (hs.Kind == 2 && c->Col() == 0);
      if (isHeader) {
        const int key = hs.Kind == 1 ? c->Col() : c->Row();
        for (const auto& [k, fmt] : headers)
          if (k == key) idx = step->Intern(fmt);
        if (idx == -2) {
          // Created by the iteration: already listed (rows) or in a created column.
          bool listed = false;
          for (qsizetype i = 0; i < created; ++i)
            if (step->Entries[size_t(i)].Col == c->Col() && step->Entries[size_t(i)].Row == c->Row()) listed = true;
          if (listed) {
            f(c);
            continue;
          }
          idx = -1;
        }
      } else {
        idx = step->Intern(c->Format());
      }
      f(c);
      step->Entries.push_back({c->Col(), c->Row(), idx, step->Intern(c->Format())});
    }
  } else {
    const TGridRect r = SelRect();
    for (int col = r.Left; col <= r.Right; ++col)
      for (int row = r.Top; row <= r.Bottom; ++row) {
        TSpreadSheetCell* c = mCells->FindCell(col, row);
        const std::int32_t idx = c ? step->Intern(c->Format()) : -1;
        if (!c) c = mCells->GetCell(col, row, true);
        if (!c) continue;
        f(c);
        step->Entries.push_back({col, row, idx, step->Intern(c->Format())});
      }
  }
  // The row header cells the iteration created, listed before it ran.
  for (auto& e : step->Entries)
    if (e.After < 0)
      if (const TSpreadSheetCell* c = mCells->FindCell(e.Col, e.Row)) e.After = step->Intern(c->Format());
  if (step->Empty()) {
    delete step;
    return;
  }
  PushStep(step);
}

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
  s.Data = PackedSheetBody(*mCells, true);
  return s;
}

void TSpreadSheetGrid::RestoreSnapshot(const TSnapshot& s) {
  if (s.IsRegion) {
    if (s.Area.Top == 0) {
      // Whole columns: the records hold every cell of them, headers too.
      for (int c = s.Area.Left; c <= s.Area.Right; ++c) mCells->DropColumn(c);
    } else {
      mCells->DeleteRect(s.Area);
    }
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
  auto fresh = mCells->NewEmptyLike();
  fresh->SetDefaultColWidth(s.DefColWidth);
  fresh->SetDefaultRowHeight(s.DefRowHeight);
  try {
    ReadPackedSheetBody(s.Data, *fresh, true);
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

void TSpreadSheetGrid::Undoable(const QString& text, const std::function<void()>& f, const TGridRect* area,
                                bool wholeRows) {
  if (mInUndo) {
    f();
    return;
  }
  if (wholeRows) {
    // Erasing or deleting whole rows creates no column: every column and
    // column 0 over those rows serve.
    if (area && (area->Left != 0 || area->Top < 1)) area = nullptr;
  } else {
    // An area serves only when restoring it cannot leave new columns behind;
    // row 0 (the header cells of whole columns) may be part of it.
    if (area && (area->Left < 1 || area->Top < 0)) area = nullptr;
    for (int c = area ? area->Left : 1; area && c <= area->Right; ++c)
      if (!mCells->FindColumn(c)) area = nullptr;
  }
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
  if (!(before == after)) PushStep(new TSheetUndoCommand(this, text, std::move(before), std::move(after)));
}

// Sizing with the mouse is one step from press to release; it keeps only
// the sizes.
void TSpreadSheetGrid::SizingBegun() { mSizingBefore = std::make_unique<TSizes>(TakeSizes()); }

void TSpreadSheetGrid::SizingEnded() {
  if (!mSizingBefore) return;
  TSizes before = std::move(*mSizingBefore);
  mSizingBefore.reset();
  TSizes after = TakeSizes();
  if (!(before == after))
    PushStep(new TSizesUndoCommand(this, tr("Dimensione"), std::move(before), std::move(after)));
}

void TSpreadSheetGrid::SizesUndoable(const QString& text, const std::function<void()>& f) {
  if (mInUndo) {
    f();
    return;
  }
  TSizes before = TakeSizes();
  f();
  TSizes after = TakeSizes();
  if (!(before == after)) PushStep(new TSizesUndoCommand(this, text, std::move(before), std::move(after)));
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
  if (before != after && !mInUndo) PushStep(new TCellUndoCommand(this, col, row, before, after));
  InvalidateCell(col, row);
}

void TSpreadSheetGrid::Undo() {
  if (EditorMode()) CancelEditor();
  // Steps dropped for memory cannot be undone: the history ends there.
  const int i = mUndo->index();
  if (i > 0 && static_cast<const TSheetStep*>(mUndo->command(i - 1))->Dropped()) return;
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

const TGridRect* TSpreadSheetGrid::RowsArea() {
  mAreaScratch = {0, std::min(mHeaderSel.Row1, mHeaderSel.Row2), SShtMaxCol, std::max(mHeaderSel.Row1, mHeaderSel.Row2)};
  return &mAreaScratch;
}

const TGridRect* TSpreadSheetGrid::SelArea() {
  if (mHeaderSel.Kind == 1) {
    // Whole columns: those columns alone, header cells included.
    mAreaScratch = {std::min(mHeaderSel.Col1, mHeaderSel.Col2), 0, std::max(mHeaderSel.Col1, mHeaderSel.Col2),
                    SShtMaxRow};
    return &mAreaScratch;
  }
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
  FormatSelection(tr("Tipo dati"), [&](TSpreadSheetCell* c) { c->SetDataType(t); });
  InvalidateSelection();
}

void TSpreadSheetGrid::SetSelectionFont(const TCellFont& f) {
  FormatSelection(tr("Carattere"), [&](TSpreadSheetCell* c) { c->SetFont(f); });
  InvalidateSelection();
}

void TSpreadSheetGrid::SetSelectionAlignment(int word) {
  FormatSelection(tr("Allineamento"), [&](TSpreadSheetCell* c) { c->SetAlignment(word & 0xFF, (word >> 8) & 0xFF); });
  InvalidateSelection();
}

void TSpreadSheetGrid::SetSelectionBackground(TColor back, TColor ink, int pattern) {
  FormatSelection(tr("Sfondo"), [&](TSpreadSheetCell* c) { c->SetBackground(back, ink, pattern); });
  InvalidateSelection();
}

void TSpreadSheetGrid::SetSelectionBorders(const QString& sides, const TCellBorder& b) {
  FormatSelection(tr("Bordi"), [&](TSpreadSheetCell* c) { c->SetBorders(sides, b); });
  InvalidateSelection();
}

void TSpreadSheetGrid::IncludeSelectionStyle(int s) {
  FormatSelection(tr("Stile"), [&](TSpreadSheetCell* c) { c->IncludeStyle(s); });
  InvalidateSelection();
}

void TSpreadSheetGrid::ExcludeSelectionStyle(int s) {
  FormatSelection(tr("Stile"), [&](TSpreadSheetCell* c) { c->ExcludeStyle(s); });
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
    SizesUndoable(tr("Larghezza colonne"), [&] {
      for (int c = std::min(mHeaderSel.Col1, mHeaderSel.Col2);
           c <= std::max(mHeaderSel.Col1, mHeaderSel.Col2); ++c)
        mCells->SetColWidth(c, w);
    });
  else if (mHeaderSel.Kind == 3)
    SizesUndoable(tr("Larghezza colonne"), [&] { mCells->SetDefaultColWidth(w); });
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
    SizesUndoable(tr("Altezza righe"), [&] {
      for (int r = std::min(mHeaderSel.Row1, mHeaderSel.Row2);
           r <= std::max(mHeaderSel.Row1, mHeaderSel.Row2); ++r)
        mCells->SetRowHeight(r, h);
    });
  else if (mHeaderSel.Kind == 3)
    SizesUndoable(tr("Altezza righe"), [&] { mCells->SetDefaultRowHeight(h); });
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
  if (mHeaderSel.Kind == 3 && !mInUndo) {
    // The whole sheet: formats stay, so the texts alone come back on undo.
    THourglass busy;
    const QByteArray texts = PackedTexts(*mCells);
    if (texts.isEmpty()) return;
    THeaderSelection all;
    all.Kind = 3;
    mCells->EraseHeaderSel(all);
    PushStep(new TInverseUndoCommand(
        tr("Cancella contenuto"),
        [this, texts] {
          PutBackTexts(*mCells, texts);
          mCells->Recalculate();
          AfterStructureChange();
        },
        [this, all] {
          mCells->EraseHeaderSel(all);
          AfterStructureChange();
        },
        [size = texts.size()] { return qint64(size); }));
    InvalidateSelection();
    return;
  }
  Undoable(
      tr("Cancella contenuto"),
      [&] {
        if (mHeaderSel.Kind != 0)
          mCells->EraseHeaderSel(mHeaderSel);
        else
          mCells->EraseRect(SelRect());
      },
      mHeaderSel.Kind == 2 ? RowsArea() : SelArea(), mHeaderSel.Kind == 2);
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
      mHeaderSel.Kind == 2 ? RowsArea() : SelArea(), mHeaderSel.Kind == 2);
  InvalidateSelection();
}

void TSpreadSheetGrid::RemoveSelection() {
  switch (mHeaderSel.Kind) {
    case 0:
      DeleteSelection();
      return;
    case 1:
    case 2: {
      BeginUpdate();
      const bool cols = mHeaderSel.Kind == 1;
      const int a = std::max(cols ? mHeaderSel.Col1 : mHeaderSel.Row1, 1);
      const int b = std::min(cols ? mHeaderSel.Col2 : mHeaderSel.Row2, cols ? SShtMaxCol : SShtMaxRow);
      auto remove = [this, cols, a, b] {
        if (cols)
          mCells->RemoveColumns(a, b);
        else
          mCells->RemoveRows(a, b);
      };
      if (mInUndo || b < a) {
        remove();
      } else {
        // Undo shifts back what moved and puts back the removed cells and
        // the sizes: the rest of the sheet is not copied.
        THourglass busy;
        bool changes = false;
        for (const auto& column : mCells->Columns())
          changes |= cols ? column->Col() >= a : column->LastRow() >= a;
        const std::map<int, int>& sizes = cols ? mCells->ColWidths() : mCells->RowHeights();
        changes |= !sizes.empty() && sizes.rbegin()->first >= a;
        if (changes) {
          const TSizes before = TakeSizes();
          const QByteArray removed =
              cols ? PackedRecords(*mCells, a, b, 0, SShtMaxRow) : PackedRecords(*mCells, 0, SShtMaxCol, a, b);
          remove();
          const qint64 bytes = removed.size() + qint64(before.Cols.size() + before.Rows.size()) * 48;
          PushStep(new TInverseUndoCommand(
              cols ? tr("Rimuovi colonne") : tr("Rimuovi righe"),
              [this, cols, a, b, before, removed] {
                if (cols)
                  mCells->ShiftColumns(a, b - a + 1);
                else
                  mCells->ShiftRowsAll(a, b - a + 1);
                PutBackRecords(*mCells, removed);
                RestoreSizes(before);
                mCells->Recalculate();
                AfterStructureChange();
              },
              [this, remove] {
                remove();
                mCells->Recalculate();
                AfterStructureChange();
              },
              [bytes] { return bytes; }));
        }
      }
      EndUpdate();
      break;
    }
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
  else if (mHeaderSel.Kind == 1 || mHeaderSel.Kind == 2) {
    // The inverse of inserting is removing the empty columns or rows it
    // made: nothing of the sheet is copied.
    const bool cols = mHeaderSel.Kind == 1;
    const int from = std::max(cols ? mHeaderSel.Col1 : mHeaderSel.Row1, 1);
    bool moves = false;
    for (const auto& column : mCells->Columns()) moves |= cols ? column->Col() >= from : column->LastRow() >= from;
    auto insert = [this, cols, from, n] {
      return cols ? mCells->ShiftColumns(from, n) : mCells->ShiftRowsAll(from, n);
    };
    ok = insert();
    if (ok && moves && !mInUndo)
      PushStep(new TInverseUndoCommand(
          cols ? tr("Inserisci colonne") : tr("Inserisci righe"),
          [this, cols, from, n] {
            if (cols)
              mCells->DeleteColumnsShift(from, from + n - 1);
            else
              mCells->DeleteRowsShiftAll(from, from + n - 1);
            mCells->Recalculate();
            AfterStructureChange();
          },
          [this, insert] {
            insert();
            mCells->Recalculate();
            AfterStructureChange();
          },
          nullptr));
  } else {
    return true;
  }
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

QString TSpreadSheetGrid::CellDisplayText(int col, int row) const {
  if (row == 0) return col == 0 ? QString() : ColumnName(col);
  if (col == 0) return QString::number(row);
  return const_cast<TSpreadSheetGrid*>(this)->GetCellText(col, row);
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
    if (mInUndo) {
      LoadSheetFromFile(*mCells, fileName);
    } else {
      // The sheet before is kept; the opened one only when it is undone
      // (it is what the sheet holds until then), so opening a large file
      // does not copy it as well.
      auto before = std::make_shared<TSnapshot>(TakeSnapshot());
      LoadSheetFromFile(*mCells, fileName);
      auto after = std::make_shared<TSnapshot>();
      auto taken = std::make_shared<bool>(false);
      PushStep(new TInverseUndoCommand(
          tr("Apri"),
          [this, before, after, taken] {
            if (!*taken) {
              *after = TakeSnapshot();
              *taken = true;
            }
            RestoreSnapshot(*before);
          },
          [this, after] { RestoreSnapshot(*after); },
          [before, after] { return qint64(before->Data.size() + after->Data.size()); }));
    }
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
