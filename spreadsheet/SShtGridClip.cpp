// TSpreadSheetGrid: the clipboard. The private block carries the source
// kind, the area, column widths and row heights as the kind has them and
// the cell records; plain text is tab-separated so other programs can
// exchange cells with us. Data from the clipboard may come from anywhere:
// it is checked whole before anything is changed.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QtEndian>
#include <algorithm>

#include "SShtGrid.h"
#include <Tarnwell/platform/TDialogs.h>
#include <Tarnwell/platform/THourglass.h>

namespace Tarnwell {

namespace {

void PutI32(QByteArray& out, std::int32_t v) {
  char b[4];
  qToLittleEndian(v, b);
  out.append(b, 4);
}

std::int32_t GetI32(const char* p) { return qFromLittleEndian<std::int32_t>(p); }

const QString kBadClipboard =
    QStringLiteral("I dati degli Appunti non sono validi: nulla è stato incollato.");
const QString kPastTheSheet =
    QStringLiteral("Impossibile incollare: le celle andrebbero oltre la colonna ZZ o l'ultima riga.");

}  // namespace

QString SShtClipboardMimeType() {
  // The name under which the format is registered on systems with named
  // clipboard formats.
  return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(SShtClipboardFormatName);
}

QString SShtWideClipboardMimeType() { return QStringLiteral("application/x-tarnwell-sheet-cells-utf16"); }

// ---------------------------------------------------------------- copy

QByteArray TSpreadSheetGrid::CopyBlock(bool wide) const {
  THourglass busy;
  const TGridRect used = mCells->UsedExtent();
  const int kind = mHeaderSel.Kind;
  TGridRect a;
  switch (kind) {
    case 1:
      a = {mHeaderSel.Col1, 0, mHeaderSel.Col2, used.Bottom};
      break;
    case 2:
      a = {0, mHeaderSel.Row1, used.Right, mHeaderSel.Row2};
      break;
    case 3:
      a = {0, 0, used.Right, used.Bottom};
      break;
    default:
      a = SelRect();
      break;
  }
  QByteArray out;
  out.append(char(kind));
  PutI32(out, a.Left);
  PutI32(out, a.Top);
  PutI32(out, a.Right);
  PutI32(out, a.Bottom);
  if (kind == 1 || kind == 3)
    for (int c = a.Left; c <= a.Right; ++c) PutI32(out, mCells->ColWidth(c));
  if (kind == 2 || kind == 3)
    for (int r = a.Top; r <= a.Bottom; ++r) PutI32(out, mCells->RowHeight(r));
  // Row by row, each from the left: gather per column, then order.
  std::vector<const TSpreadSheetCell*> cells;
  for (const auto& col : mCells->Columns()) {
    if (col->Col() < a.Left || col->Col() > a.Right) continue;
    for (const auto& c : col->Cells())
      if (c->Row() >= a.Top && c->Row() <= a.Bottom) cells.push_back(c.get());
  }
  std::stable_sort(cells.begin(), cells.end(), [](const TSpreadSheetCell* x, const TSpreadSheetCell* y) {
    return x->Row() != y->Row() ? x->Row() < y->Row() : x->Col() < y->Col();
  });
  for (const TSpreadSheetCell* c : cells) c->WriteTo(out, wide);
  return out;
}

QString TSpreadSheetGrid::CopyText() const {
  const TGridRect used = mCells->UsedExtent();
  TGridRect a;
  switch (mHeaderSel.Kind) {
    case 1:
      a = {mHeaderSel.Col1, 1, mHeaderSel.Col2, used.Bottom};
      break;
    case 2:
      a = {1, mHeaderSel.Row1, used.Right, mHeaderSel.Row2};
      break;
    case 3:
      a = {1, 1, used.Right, used.Bottom};
      break;
    default:
      a = SelRect();
      break;
  }
  QString out;
  for (int r = a.Top; r <= a.Bottom; ++r) {
    for (int c = a.Left; c <= a.Right; ++c) {
      if (c > a.Left) out += QLatin1Char('\t');
      out += mCells->CellDisplayText(c, r);
    }
    out += QStringLiteral("\r\n");
  }
  return out;
}

QMimeData* TSpreadSheetGrid::CreateMimeData() const {
  auto* data = new QMimeData;
  data->setData(SShtClipboardMimeType(), CopyBlock());
  // The same block with wide records: what our own sheets paste.
  data->setData(SShtWideClipboardMimeType(), CopyBlock(true));
  data->setText(CopyText());
  return data;
}

bool TSpreadSheetGrid::CopyToClipboard() {
  if (EditorMode()) HideEditor();
  QClipboard* cb = QGuiApplication::clipboard();
  if (!cb) return false;
  try {
    cb->setMimeData(CreateMimeData());
  } catch (const std::exception&) {
    return false;
  }
  // The copy counts only when the clipboard took it.
  const QMimeData* now = cb->mimeData();
  return now && now->hasFormat(SShtClipboardMimeType());
}

bool TSpreadSheetGrid::CutToClipboard() {
  // Nothing is deleted unless the copy succeeded.
  if (!CopyToClipboard()) return false;
  DeleteSelection();
  return true;
}

// ---------------------------------------------------------------- paste

bool TSpreadSheetGrid::PasteFromClipboard() {
  if (EditorMode()) HideEditor();
  QClipboard* cb = QGuiApplication::clipboard();
  const QMimeData* data = cb ? cb->mimeData() : nullptr;
  return data && PasteMimeData(data);
}

bool TSpreadSheetGrid::PasteMimeData(const QMimeData* data) {
  if (data->hasFormat(SShtWideClipboardMimeType()))
    return PasteBlock(data->data(SShtWideClipboardMimeType()), true);
  if (data->hasFormat(SShtClipboardMimeType())) return PasteBlock(data->data(SShtClipboardMimeType()));
  if (data->hasText()) return PasteText(data->text());
  return false;
}

bool TSpreadSheetGrid::PasteBlock(const QByteArray& block, bool wide) {
  THourglass busy;
  const char* d = block.constData();
  const qsizetype size = block.size();
  auto bad = [&] {
    MessageDlg(kBadClipboard, mtError, mbOK);
    return false;
  };
  if (size < 17) return bad();
  const int k = std::uint8_t(d[0]);
  const int L = GetI32(d + 1), T = GetI32(d + 5), R = GetI32(d + 9), B = GetI32(d + 13);
  if (k > 3 || L < 0 || T < 0 || R < L || B < T || R > SShtMaxCol || B > SShtMaxRow) return bad();
  if ((k == 0 && (L < 1 || T < 1)) || (k == 1 && T != 0) || (k == 2 && L != 0) ||
      (k == 3 && (L != 0 || T != 0)))
    return bad();
  qsizetype pos = 17;
  const qint64 nCols = qint64(R) - L + 1, nRows = qint64(B) - T + 1;
  const qint64 sizesBytes = 4 * ((k == 1 || k == 3 ? nCols : 0) + (k == 2 || k == 3 ? nRows : 0));
  if (sizesBytes > size - pos) return bad();
  std::vector<int> widths, heights;
  if (k == 1 || k == 3)
    for (qint64 i = 0; i < nCols; ++i, pos += 4) widths.push_back(GetI32(d + pos));
  if (k == 2 || k == 3)
    for (qint64 i = 0; i < nRows; ++i, pos += 4) heights.push_back(GetI32(d + pos));
  for (int w : widths)
    if (w < 0 || w > TSpreadSheetDataCells::MaxSize) return bad();
  for (int h : heights)
    if (h < 0 || h > TSpreadSheetDataCells::MaxSize) return bad();

  // Every record is read before anything is placed.
  std::vector<std::unique_ptr<TSpreadSheetCell>> records;
  while (pos < size) {
    auto scratch = std::make_unique<TSpreadSheetCell>(0, 0);
    try {
      scratch->ReadFrom(d, size, pos, wide);
    } catch (const ETarnwellError&) {
      return bad();
    }
    if (scratch->Col() < L || scratch->Col() > R || scratch->Row() < T || scratch->Row() > B) return bad();
    records.push_back(std::move(scratch));
  }

  const int dk = mHeaderSel.Kind;
  const int dc = (k == 2 || k == 3) ? 1 : 0, dr = (k == 1 || k == 3) ? 1 : 0;
  const int curCol = Col(), curRow = Row();
  // Where each record goes (col -1: skipped), checked against the sheet.
  struct TPlace {
    qint64 Col, Row;
  };
  std::vector<TPlace> places;
  places.reserve(records.size());
  for (const auto& rec : records) {
    const qint64 c = rec->Col(), r = rec->Row();
    TPlace p{-1, -1};
    if (dk == 3)
      p = {c, r};
    else if (r == 0 && c > 0 && dk == 1)
      p = {c + mHeaderSel.Col1 - L - dc, 0};
    else if (c == 0 && r > 0 && dk == 2)
      p = {0, r + mHeaderSel.Row1 - T - dr};
    else if (c > 0 && r > 0)
      p = {c + curCol - L - dc, r + curRow - T - dr};
    if (p.Col >= 0 && (p.Col > SShtMaxCol || p.Row > SShtMaxRow || p.Col < 0 || p.Row < 0)) {
      MessageDlg(kPastTheSheet, mtError, mbOK);
      return false;
    }
    places.push_back(p);
  }
  auto widthTarget = [&](int c) -> qint64 {
    if (dk == 3) return c;
    if (dk == 1) return qint64(c) + mHeaderSel.Col1 - L - dc;
    return -1;
  };
  auto heightTarget = [&](int r) -> qint64 {
    if (dk == 3) return r;
    if (dk == 2) return qint64(r) + mHeaderSel.Row1 - T - dr;
    return -1;
  };
  if (k == 1 || k == 3)
    for (int i = 0; i < int(widths.size()); ++i)
      if (widthTarget(L + i) > SShtMaxCol) {
        MessageDlg(kPastTheSheet, mtError, mbOK);
        return false;
      }

  // Cells pasted into cells touch only their target area; sizes and
  // header formats need the whole sheet kept.
  TGridRect target{SShtMaxCol, SShtMaxRow, 0, 0};
  for (const TPlace& p : places)
    if (p.Col >= 0) {
      target.Left = std::min(target.Left, int(p.Col));
      target.Top = std::min(target.Top, int(p.Row));
      target.Right = std::max(target.Right, int(p.Col));
      target.Bottom = std::max(target.Bottom, int(p.Row));
    }
  const bool cellsOnly = k == 0 && dk == 0 && target.Left <= target.Right;
  qint64 lastRow = 0;
  Undoable(
      tr("Incolla"),
      [&] {
        // A whole-sheet destination is cleared first, so that the widths and
        // heights set next stay.
        if (dk == 3) {
          mCells->ClearAll();
          mCells->ResetSizes();
        }
        for (int i = 0; i < int(widths.size()); ++i)
          if (const qint64 t = widthTarget(L + i); t >= 0) mCells->SetColWidth(int(t), widths[i]);
        for (int i = 0; i < int(heights.size()); ++i)
          if (const qint64 t = heightTarget(T + i); t >= 0 && t <= SShtMaxRow)
            mCells->SetRowHeight(int(t), heights[i]);
        TSheetLocaleScope locale;
        for (size_t i = 0; i < records.size(); ++i) {
          if (places[i].Col < 0) continue;
          if (TSpreadSheetCell* c = mCells->GetCell(int(places[i].Col), int(places[i].Row), true)) {
            c->Assign(records[i].get());
            lastRow = std::max(lastRow, places[i].Row);
          }
        }
        mCells->Recalculate();
      },
      cellsOnly ? &target : nullptr);
  EnsureRows(int(lastRow));
  UpdateScrollBars();
  InvalidateGrid();
  return true;
}

bool TSpreadSheetGrid::PasteText(const QString& text) {
  THourglass busy;
  QStringList lines = text.split(QLatin1Char('\n'));
  for (QString& l : lines)
    if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  if (lines.isEmpty()) return false;
  const int col0 = Col(), row0 = Row();
  std::vector<QStringList> fields;
  fields.reserve(lines.size());
  for (const QString& l : lines) {
    QStringList f = l.split(QLatin1Char('\t'));
    // An empty remainder after the last tab writes nothing.
    if (f.size() > 1 && f.back().isEmpty()) f.removeLast();
    if (!f.isEmpty() && qint64(col0) + f.size() - 1 > SShtMaxCol) {
      MessageDlg(kPastTheSheet, mtError, mbOK);
      return false;
    }
    fields.push_back(std::move(f));
  }
  if (qint64(row0) + qint64(fields.size()) - 1 > SShtMaxRow) {
    MessageDlg(kPastTheSheet, mtError, mbOK);
    return false;
  }
  int widest = 1;
  for (const QStringList& f : fields) widest = std::max(widest, int(f.size()));
  const TGridRect target{col0, row0, col0 + widest - 1, row0 + int(fields.size()) - 1};
  Undoable(
      tr("Incolla"),
      [&] {
        TSheetLocaleScope locale;
        for (size_t i = 0; i < fields.size(); ++i) {
          const int row = row0 + int(i);
          for (int j = 0; j < fields[i].size(); ++j) {
            const int col = col0 + j;
            if (fields[i][j].isEmpty() && !mCells->FindCell(col, row)) continue;
            mCells->SetCellText(col, row, fields[i][j]);
          }
        }
        mCells->Recalculate();
      },
      &target);
  EnsureRows(row0 + int(fields.size()));
  InvalidateGrid();
  return true;
}

}  // namespace Tarnwell
