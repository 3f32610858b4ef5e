#include "FuzzEntries.h"

#include <QByteArray>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <Tarnwell/spreadsheet/SShtEngine.h>
#include <Tarnwell/spreadsheet/FastCompress.h>

using namespace Tarnwell;

namespace {

void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

QByteArray Bytes(const std::uint8_t* data, std::size_t size) {
  return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

}  // namespace

const TSheetFuzzTarget SheetFuzzTargets[5] = {{"decompress", SheetFuzzDecompress},
                                              {"sheetfile", SheetFuzzSheetFile},
                                              {"cellrecord", SheetFuzzCellRecord},
                                              {"csv", SheetFuzzCsv},
                                              {"formula", SheetFuzzFormula}};

int SheetFuzzDecompress(const std::uint8_t* data, std::size_t size) {
  TFastCompress fc;
  const QByteArray in = Bytes(data, size);
  QByteArray out;
  if (fc.Decompress(in, out)) {
    QByteArray again;
    Require(fc.Decompress(fc.Compress(out), again) && again == out, "decoded data round trip");
  }
  QByteArray back;
  Require(fc.Decompress(fc.Compress(in), back) && back == in, "compressor round trip");
  return 0;
}

int SheetFuzzSheetFile(const std::uint8_t* data, std::size_t size) {
  TSpreadSheetDataCells like;
  QByteArray file = Bytes(data, size);
  // Most mutations lose the signature; half of those get it back with a
  // matching size, so that the body itself is exercised.
  if (!file.startsWith(SheetSignature) && size > 0 && (data[0] & 1)) {
    const auto n = std::uint32_t(size - 1);
    file =
        SheetSignature + QByteArray(1, char(n)) + char(n >> 8) + char(n >> 16) + char(n >> 24) + file.mid(1);
  }
  try {
    auto cells = ReadSheetFileBytes(file, like);
    const TGridRect ext = cells->UsedExtent();
    // A file may name the very last row; writing its heights back is
    // legitimate but too slow for fuzzing.
    if (ext.Bottom > 200000) return 0;
    const QByteArray saved = SheetFileBytes(*cells);
    auto again = ReadSheetFileBytes(saved, like);
    Require(again->CellCount() == cells->CellCount(), "sheet reload keeps every cell");
    (void)CsvBytes(*again);
  } catch (const ETarnwellError&) {
  }
  return 0;
}

int SheetFuzzCellRecord(const std::uint8_t* data, std::size_t size) {
  TSpreadSheetDataCells cells;
  qsizetype pos = 0;
  const char* p = reinterpret_cast<const char*>(data);
  try {
    while (pos < qsizetype(size)) {
      TSpreadSheetCell scratch(0, 0);
      scratch.ReadFrom(p, qsizetype(size), pos);
      QByteArray rec;
      scratch.WriteTo(rec);
      TSpreadSheetCell back(0, 0);
      qsizetype q = 0;
      back.ReadFrom(rec.constData(), rec.size(), q);
      Require(q == rec.size() && back.HasSameFormat(scratch) && back.Text() == scratch.Text(),
              "cell record round trip");
      TSpreadSheetCell* target = cells.GetCell(scratch.Col(), scratch.Row(), true);
      Require(target != nullptr, "record position inside the sheet");
      target->Assign(&scratch);
    }
  } catch (const ETarnwellError&) {
  }
  cells.Recalculate();
  return 0;
}

int SheetFuzzCsv(const std::uint8_t* data, std::size_t size) {
  TSpreadSheetDataCells cells;
  try {
    const QString text = DecodeCsvBytes(Bytes(data, size));
    ImportCsv(cells, text, 1 + int(size % 3), 1);
    const QByteArray csv = CsvBytes(cells);
    TSpreadSheetDataCells back;
    ImportCsv(back, DecodeCsvBytes(csv), 1, 1);
    Require(back.UsedExtent().Bottom <= cells.UsedExtent().Bottom, "csv export keeps the rows");
  } catch (const ETarnwellError&) {
  }
  return 0;
}

int SheetFuzzFormula(const std::uint8_t* data, std::size_t size) {
  TSpreadSheetDataCells cells;
  cells.SetCellText(1, 1, "3");
  cells.SetCellText(1, 2, "-2.5");
  cells.SetCellText(2, 1, "abc");
  cells.SetCellText(2, 2, "=A1*A2");
  const QString f = QLatin1Char('=') + QString::fromLatin1(Bytes(data, size));
  const double v = cells.Formuler()->Evaluate(f);
  Require(std::isfinite(v), "finite result");
  Require(!(cells.Formuler()->SyntaxError() || cells.Formuler()->EvalError()) || v == 0, "errors give 0");
  cells.SetCellText(3, 3, f);
  cells.SetCellText(1, 3, f);
  cells.Recalculate();
  return 0;
}
