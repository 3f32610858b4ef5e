#include "SShtFile.h"

#include <QFile>
#include <QIODevice>
#include <QSaveFile>
#include <algorithm>
#include <cstring>

#include "SShtCsv.h"
#include <Tarnwell/platform/THourglass.h>
#include "FastCompress.h"

namespace Tarnwell {

const QByteArray SheetSignature = QByteArray("\x07QVSS100", 8);

namespace {

// The decompressed body may be at most this large: a damaged size or a
// crafted stream must not exhaust memory.
constexpr qsizetype MaxBodySize = qsizetype(1) << 30;
constexpr int MaxSize = TSpreadSheetDataCells::MaxSize;  // widths and heights beyond are damage

void PutI32(QByteArray& out, std::int32_t v) {
  const auto u = std::uint32_t(v);
  const char b[4] = {char(u), char(u >> 8), char(u >> 16), char(u >> 24)};
  out.append(b, 4);
}

std::int32_t GetI32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return std::int32_t(std::uint32_t(u[0]) | (std::uint32_t(u[1]) << 8) | (std::uint32_t(u[2]) << 16) |
                      (std::uint32_t(u[3]) << 24));
}

[[noreturn]] void Fail(const QString& msg) { throw ESheetFileError(msg); }

}  // namespace

int CheckSignature(QIODevice& dev) {
  const qint64 pos = dev.pos();
  const QByteArray head = dev.read(8);
  dev.seek(pos);
  if (head.size() < 8) return 2;
  return head == SheetSignature ? 0 : 1;
}

QByteArray SheetBodyBytes(const TSpreadSheetDataCells& cells, bool wide) {
  const TGridRect ext = cells.UsedExtent();
  const int c = ext.Right, r = ext.Bottom;
  QByteArray body;
  std::vector<const TSpreadSheetCell*> list;
  list.reserve(size_t(cells.CellCount()));
  for (const auto& column : cells.Columns()) {
    if (column->Col() > c) break;
    for (const auto& cell : column->Cells()) {
      if (cell->Row() > r) break;
      list.push_back(cell.get());
    }
  }
  std::stable_sort(list.begin(), list.end(), [](const TSpreadSheetCell* a, const TSpreadSheetCell* b) {
    return a->Row() != b->Row() ? a->Row() < b->Row() : a->Col() < b->Col();
  });
  body.reserve(16 + 4 * (c + r + 2) + qsizetype(list.size()) * 190);
  PutI32(body, 0);
  PutI32(body, 0);
  PutI32(body, c);
  PutI32(body, r);
  for (int i = 0; i <= c; ++i) PutI32(body, cells.ColWidth(i));
  for (int i = 0; i <= r; ++i) PutI32(body, cells.RowHeight(i));
  for (const TSpreadSheetCell* cell : list) cell->WriteTo(body, wide);
  return body;
}

QStringList CellsNotStoredExactly(const TSpreadSheetDataCells& cells, int limit) {
  std::vector<const TSpreadSheetCell*> bad;
  for (const auto& column : cells.Columns())
    for (const auto& cell : column->Cells())
      if (!cell->StoresExactly()) bad.push_back(cell.get());
  std::stable_sort(bad.begin(), bad.end(), [](const TSpreadSheetCell* a, const TSpreadSheetCell* b) {
    return a->Row() != b->Row() ? a->Row() < b->Row() : a->Col() < b->Col();
  });
  QStringList out;
  for (const TSpreadSheetCell* c : bad) {
    if (out.size() >= limit) break;
    if (c->Col() == 0 && c->Row() == 0)
      out << QStringLiteral("default format");
    else if (c->Row() == 0)
      out << QStringLiteral("column %1").arg(ColumnName(c->Col()));
    else if (c->Col() == 0)
      out << QStringLiteral("row %1").arg(c->Row());
    else
      out << CellRefName(c->Col(), c->Row());
  }
  return out;
}

QByteArray SheetFileBytes(const TSpreadSheetDataCells& cells) {
  TFastCompress compressor;
  const QByteArray packed = compressor.Compress(SheetBodyBytes(cells));
  QByteArray file = SheetSignature;
  PutI32(file, std::int32_t(std::uint32_t(packed.size())));
  file.append(packed);
  return file;
}

void ReadSheetBody(const QByteArray& body, TSpreadSheetDataCells& cells, bool wide) {
  TSheetLocaleScope locale;
  const char* d = body.constData();
  const qsizetype size = body.size();
  if (size < 16) Fail(QStringLiteral("the sheet body is cut off before its area (%1 bytes)").arg(size));
  const int left = GetI32(d), top = GetI32(d + 4), right = GetI32(d + 8), bottom = GetI32(d + 12);
  if (left < 0 || right < left || right > SShtMaxCol)
    Fail(QStringLiteral("column range %1..%2 is outside the sheet").arg(left).arg(right));
  if (top < 0 || bottom < top || bottom > SShtMaxRow)
    Fail(QStringLiteral("row range %1..%2 is outside the sheet").arg(top).arg(bottom));
  qsizetype pos = 16;
  const qint64 sizes = 4LL * ((right - left + 1) + (qint64(bottom) - top + 1));
  if (sizes > size - pos) Fail(QStringLiteral("the column widths and row heights are cut off"));
  for (int i = left; i <= right; ++i, pos += 4) {
    const int w = GetI32(d + pos);
    if (w < 0 || w > MaxSize) Fail(QStringLiteral("column %1 has the width %2").arg(i).arg(w));
    cells.SetColWidth(i, w);
  }
  for (int i = top; i <= bottom; ++i, pos += 4) {
    const int h = GetI32(d + pos);
    if (h < 0 || h > MaxSize) Fail(QStringLiteral("row %1 has the height %2").arg(i).arg(h));
    cells.SetRowHeight(i, h);
  }
  TSpreadSheetCell scratch(0, 0);
  while (pos < size) {
    try {
      scratch.ReadFrom(d, size, pos, wide);
    } catch (const ECellRecordError& e) {
      Fail(e.Message());
    }
    if (scratch.Col() < left || scratch.Col() > right || scratch.Row() < top || scratch.Row() > bottom)
      Fail(QStringLiteral("the record of %1 lies outside the saved area")
               .arg(scratch.Col() == 0 ? QStringLiteral("column 0, row %1").arg(scratch.Row())
                                       : CellRefName(scratch.Col(), scratch.Row())));
    TSpreadSheetCell* target = cells.GetCell(scratch.Col(), scratch.Row(), true);
    target->Assign(&scratch);
  }
}

std::unique_ptr<TSpreadSheetDataCells> ReadSheetFileBytes(const QByteArray& file,
                                                          const TSpreadSheetDataCells& like) {
  THourglass hourglass;
  if (file.size() < 8 || !file.startsWith(SheetSignature))
    Fail(QStringLiteral("not a sheet file (no signature)"));
  if (file.size() < 12) Fail(QStringLiteral("the body size is cut off"));
  const auto s = std::uint32_t(GetI32(file.constData() + 8));
  if (qint64(s) > file.size() - 12)
    Fail(QStringLiteral("the body size %1 is larger than the file (%2 bytes follow)")
             .arg(s)
             .arg(file.size() - 12));
  const QByteArray packed = file.mid(12, qsizetype(s));
  TFastCompress compressor;
  QByteArray body;
  if (!compressor.Decompress(packed, body, MaxBodySize))
    Fail(QStringLiteral("the compressed body is damaged: %1").arg(compressor.LastError()));
  auto cells = like.NewEmptyLike();
  ReadSheetBody(body, *cells);
  cells->Recalculate();
  return cells;
}

QByteArray ReadWholeFile(const QString& fileName) {
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    Fail(QStringLiteral("%1: cannot open: %2").arg(fileName, f.errorString()));
  QByteArray all = f.readAll();
  if (f.error() != QFileDevice::NoError)
    Fail(QStringLiteral("%1: cannot read: %2").arg(fileName, f.errorString()));
  return all;
}

void SaveSheetToFile(const TSpreadSheetDataCells& cells, TSheetFileKind kind, const QString& fileName) {
  THourglass hourglass;
  const QByteArray bytes = kind == sfkCsv ? CsvBytes(cells) : SheetFileBytes(cells);
  QSaveFile f(fileName);
  if (!f.open(QIODevice::WriteOnly))
    Fail(QStringLiteral("%1: cannot create: %2").arg(fileName, f.errorString()));
  if (f.write(bytes) != bytes.size()) {
    const QString err = f.errorString();
    f.cancelWriting();
    Fail(QStringLiteral("%1: cannot write: %2").arg(fileName, err));
  }
  if (!f.commit()) Fail(QStringLiteral("%1: cannot save: %2").arg(fileName, f.errorString()));
}

void LoadSheetFromFile(TSpreadSheetDataCells& cells, const QString& fileName) {
  THourglass hourglass;
  const QByteArray all = ReadWholeFile(fileName);
  std::unique_ptr<TSpreadSheetDataCells> fresh;
  try {
    if (all.size() >= 8 && all.startsWith(SheetSignature)) {
      fresh = ReadSheetFileBytes(all, cells);
    } else {
      fresh = cells.NewEmptyLike();
      ImportCsv(*fresh, DecodeCsvBytes(all), 1, 1);
    }
  } catch (const ETarnwellError& e) {
    Fail(QStringLiteral("%1: %2").arg(fileName, e.Message()));
  } catch (const std::bad_alloc&) {
    Fail(QStringLiteral("%1: not enough memory to load the file").arg(fileName));
  }
  cells.Swap(*fresh);
}

}  // namespace Tarnwell
