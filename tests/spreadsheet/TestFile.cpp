#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <random>

#include <Tarnwell/spreadsheet/SShtEngine.h>
#include "SheetTestUtil.h"
#include <Tarnwell/spreadsheet/FastCompress.h>

using namespace Tarnwell;

namespace {

std::int32_t I32(const QByteArray& b, qsizetype at) {
  return std::int32_t(quint8(b[at]) | (quint8(b[at + 1]) << 8) | (quint8(b[at + 2]) << 16) |
                      (quint32(quint8(b[at + 3])) << 24));
}

// The (col,row) of each record of a body after the sizes.
QList<QPair<int, int>> RecordPositions(const QByteArray& body) {
  const int c = I32(body, 8), r = I32(body, 12);
  qsizetype pos = 16 + 4 * (c + 1) + 4 * (r + 1);
  QList<QPair<int, int>> out;
  TSpreadSheetCell scratch(0, 0);
  while (pos < body.size()) {
    scratch.ReadFrom(body.constData(), body.size(), pos);
    out << qMakePair(scratch.Col(), scratch.Row());
  }
  return out;
}

QByteArray WriteFile(const QString& path, const QByteArray& data) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(data);
  return data;
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(SheetFile, OneCellAtC5) {
  TSpreadSheetDataCells cells;
  cells.SetCellText(3, 5, "x");
  QByteArray body = SheetBodyBytes(cells);
  EXPECT_EQ(I32(body, 0), 0);
  EXPECT_EQ(I32(body, 4), 0);
  EXPECT_EQ(I32(body, 8), 3);
  EXPECT_EQ(I32(body, 12), 5);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(I32(body, 16 + 4 * i), 64);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(I32(body, 32 + 4 * i), 16);
  using P = QPair<int, int>;
  EXPECT_EQ(RecordPositions(body), (QList<P>{P(0, 0), P(3, 0), P(3, 5)}));
  THeaderSelection row5;
  row5.Kind = 2;
  row5.Row1 = row5.Row2 = 5;
  cells.FirstCell(row5);
  body = SheetBodyBytes(cells);
  EXPECT_EQ(RecordPositions(body), (QList<P>{P(0, 0), P(3, 0), P(0, 5), P(3, 5)}));
  const QByteArray file = SheetFileBytes(cells);
  EXPECT_EQ(file.left(8), QByteArray("\x07QVSS100", 8));
  EXPECT_EQ(I32(file, 8), file.size() - 12);
  QByteArray unpacked;
  TFastCompress fc;
  ASSERT_TRUE(fc.Decompress(file.mid(12), unpacked));
  EXPECT_EQ(unpacked, body);
}

TEST(SheetFile, SaveAndLoadKeepEverything) {
  QTemporaryDir dir;
  const QString path = dir.filePath("round.QVS");
  TSpreadSheetDataCells cells;
  cells.SetDefaultCellFont({"Verdana", 10, clNavy, 0});
  TSpreadSheetCell* a = cells.GetCell(1, 1, true);
  a->SetFont({"Courier New", 14, clRed, 1 | 4});
  a->SetBackground(clYellow, clBlue, 9);
  a->SetBorders("LB", 1, 3, clGreen);
  a->SetAlignment(3, 2);
  a->SetText("12");
  TSpreadSheetCell* d = cells.GetCell(2, 1, true);
  d->SetDataType(cdtDate);
  d->SetText(QLocale().toString(
      QDate(2020, 3, 4),
      QLocale().dateFormat(QLocale::ShortFormat).replace("yy", "yyyy").replace("yyyyyyyy", "yyyy")));
  // Forward references: values must be right after loading.
  cells.SetCellText(1, 2, "=B3+A1");
  cells.SetCellText(2, 3, "=C4*2");
  cells.SetCellText(3, 4, "=A1+1");
  cells.SetCellText(4, 4, "=1/0");
  THeaderSelection colD;
  colD.Kind = 1;
  colD.Col1 = colD.Col2 = 4;
  for (TSpreadSheetCell* c = cells.FirstCell(colD); c; c = cells.NextCell(colD))
    c->SetBackground(clAqua, scKeepColor, 17);
  cells.SetColWidth(2, 120);
  cells.SetColWidth(9, 10);  // beyond the data
  cells.SetRowHeight(3, 40);
  cells.SetColWidth(3, -7);  // clamped, so that the file stays readable
  cells.Recalculate();
  SaveSheetToFile(cells, sfkSheet, path);

  TSpreadSheetDataCells loaded;
  loaded.SetCellText(20, 20, "old");
  LoadSheetFromFile(loaded, path);
  EXPECT_EQ(loaded.FindCell(20, 20), nullptr);
  EXPECT_EQ(loaded.DefaultCell()->Font(), (TCellFont{"Verdana", 10, clNavy, 0}));
  const TSpreadSheetCell* la = loaded.FindCell(1, 1);
  ASSERT_NE(la, nullptr);
  EXPECT_TRUE(la->HasSameFormat(*a));
  EXPECT_EQ(la->Border(cbsBottom), (TCellBorder{1, 3, clGreen}));
  EXPECT_EQ(loaded.FindCell(2, 1)->DataType(), cdtDate);
  EXPECT_EQ(loaded.FindCell(2, 1)->Value().AsNumber(), DateToSerial(QDate(2020, 3, 4)));
  EXPECT_EQ(loaded.CellDisplayText(1, 2), "38");
  EXPECT_EQ(loaded.FindCell(1, 2)->Text(), "=B3+A1");
  EXPECT_EQ(loaded.CellDisplayText(4, 4), "Error!");
  EXPECT_EQ(loaded.GetFormatCell(4, 50)->Pattern(), 17);
  EXPECT_EQ(loaded.FindCell(4, 0)->FormatStamp(), cells.FindCell(4, 0)->FormatStamp());
  EXPECT_EQ(loaded.ColWidth(2), 120);
  EXPECT_EQ(loaded.ColWidth(9), 10);
  EXPECT_EQ(loaded.RowHeight(3), 40);
  EXPECT_EQ(loaded.ColWidth(3), 0);
  EXPECT_EQ(loaded.CellCount(), cells.CellCount());
  // Saving the loaded sheet gives the same bytes.
  EXPECT_EQ(SheetFileBytes(loaded), ReadFile(path));
}

TEST(SheetFile, DamagedFilesChangeNothing) {
  QTemporaryDir dir;
  TSpreadSheetDataCells cells;
  for (int r = 1; r <= 60; ++r) cells.SetCellText(1 + r % 5, r, QStringLiteral("=%1*2").arg(r));
  const QByteArray good = SheetFileBytes(cells);
  TSpreadSheetDataCells target;
  target.SetCellText(2, 2, "keep");
  const QString path = dir.filePath("bad.qvs");
  auto expectFailure = [&](const QByteArray& data, const char* what) {
    WriteFile(path, data);
    try {
      LoadSheetFromFile(target, path);
      ADD_FAILURE() << "loaded " << what;
    } catch (const ESheetFileError& e) {
      EXPECT_TRUE(e.Message().startsWith(path)) << e.Message().toStdString();
    }
    EXPECT_EQ(target.CellDisplayText(2, 2), "keep") << what;
    EXPECT_EQ(target.CellCount(), 3) << what;
  };
  for (qsizetype cut = 8; cut < good.size(); cut += 37) expectFailure(good.left(cut), "truncated");
  QByteArray big = good;
  big[11] = char(0x7F);
  expectFailure(big, "size beyond the file");
  QByteArray flag = good;
  flag[14] = char(0x11);
  expectFailure(flag, "unknown flag");
  // A body whose area is out of range, compressed correctly.
  TFastCompress fc;
  QByteArray body = SheetBodyBytes(cells);
  body[8] = char(0xFF);
  body[9] = char(0x7F);
  QByteArray file = SheetSignature;
  const QByteArray packed = fc.Compress(body);
  const quint32 n = quint32(packed.size());
  file.append(char(n)).append(char(n >> 8)).append(char(n >> 16)).append(char(n >> 24)).append(packed);
  expectFailure(file, "column range");
  // A record outside the saved area.
  body = SheetBodyBytes(cells);
  body[8] = char(1);  // the area ends at column A, the records go on to E
  file = SheetSignature;
  const QByteArray packed2 = fc.Compress(body.left(16 + 4 * 2) + body.mid(16 + 4 * 6));
  const quint32 n2 = quint32(packed2.size());
  file.append(char(n2)).append(char(n2 >> 8)).append(char(n2 >> 16)).append(char(n2 >> 24)).append(packed2);
  expectFailure(file, "record outside the area");
  EXPECT_THROW(LoadSheetFromFile(target, dir.filePath("missing.qvs")), ESheetFileError);
  // Saving where nothing can be written reports it.
  EXPECT_THROW(SaveSheetToFile(cells, sfkSheet, dir.filePath("no/such/dir/x.qvs")), ESheetFileError);
}

TEST(SheetFile, CompiledFormulasMatchTheText) {
  // Values from recalculation equal a fresh evaluation of each text.
  TSpreadSheetDataCells cells;
  std::mt19937 g(5);
  const char* ops[] = {"+", "-", "*", "/", "^", "%"};
  const char* fns[] = {"SUM", "MEAN", "MAX", "MIN", "ABS", "SQRT", "ROUND"};
  for (int r = 1; r <= 40; ++r) cells.SetCellText(1, r, QString::number(int(g() % 19) - 9));
  for (int i = 0; i < 3000; ++i) {
    QString f = "=";
    const int terms = 1 + int(g() % 4);
    for (int t = 0; t < terms; ++t) {
      if (t) f += ops[g() % 6];
      switch (g() % 4) {
        case 0:
          f += QString::number(int(g() % 9) + 1);
          break;
        case 1:
          f += QStringLiteral("A%1").arg(1 + g() % 40);
          break;
        case 2:
          f += QStringLiteral("%1(A%2:A%3)").arg(fns[g() % 7]).arg(1 + g() % 40).arg(1 + g() % 40);
          break;
        default:
          f += QStringLiteral("(B%1-%2)").arg(1 + g() % 60).arg(g() % 5);
          break;
      }
    }
    cells.SetCellText(2 + i / 60, 1 + i % 60, f);
  }
  cells.Recalculate();
  int checked = 0;
  for (const auto& column : cells.Columns())
    for (const auto& cell : column->Cells()) {
      if (!cell->IsFormula()) continue;
      const double v = cells.Formuler()->Evaluate(cell->Text());
      if (cells.Formuler()->EvalError()) {
        EXPECT_EQ(cell->DisplayText(), "Error!") << cell->Text().toStdString();
      } else {
        EXPECT_EQ(cell->Value().AsNumber(), v == 0 ? 0.0 : v) << cell->Text().toStdString();
      }
      ++checked;
    }
  EXPECT_GT(checked, 2500);
}

TEST(SheetCsv, WriteQuotedAndReadBack) {
  TSpreadSheetDataCells cells;
  cells.SetCellText(1, 1, "plain");
  cells.SetCellText(2, 1, "a;b");
  cells.SetCellText(3, 1, "say \"hi\"");
  cells.SetCellText(1, 2, "two\nlines");
  cells.SetCellText(3, 3, QString::fromUtf8("caffè €"));
  cells.SetCellText(2, 3, "=2+3");
  cells.SetRowHeight(30, 50);  // sizes add no empty lines
  const QByteArray csv = CsvBytes(cells);
  EXPECT_EQ(
      csv,
      QString::fromUtf8("plain;\"a;b\";\"say \"\"hi\"\"\"\r\n\"two\nlines\";;\r\n;5;caffè €\r\n").toUtf8());
  TSpreadSheetDataCells back;
  ImportCsv(back, DecodeCsvBytes(csv), 1, 1);
  for (int c = 1; c <= 3; ++c)
    for (int r = 1; r <= 3; ++r)
      EXPECT_EQ(back.CellDisplayText(c, r), cells.CellDisplayText(c, r)) << c << "," << r;
  // Files of the older rule read as they always did.
  const QList<QStringList> old = ParseCsv("\"a;b\";c\r\nsay \"hi\";x\r\n\"open;end\r\n;;z");
  EXPECT_EQ(old, (QList<QStringList>{{"a;b", "c"}, {"say \"hi\"", "x"}, {"open;end"}, {"", "", "z"}}));
  // Importing at a cell keeps the rest; empty fields skip missing cells.
  TSpreadSheetDataCells at;
  at.SetCellText(1, 1, "stay");
  at.SetCellText(3, 2, "gone");
  ImportCsv(at, "1;;2\n;;\n", 2, 2);
  EXPECT_EQ(at.CellDisplayText(1, 1), "stay");
  EXPECT_EQ(at.CellDisplayText(2, 2), "1");
  EXPECT_EQ(at.CellDisplayText(3, 2), "");  // an existing cell takes the empty field
  EXPECT_EQ(at.CellDisplayText(4, 2), "2");
  EXPECT_EQ(at.FindCell(2, 3), nullptr);
  EXPECT_THROW(ImportCsv(at, "1;2;3", 701, 1), ECsvError);
  EXPECT_EQ(at.FindCell(701, 1), nullptr);
}

TEST(SheetCsv, ShortCsvFilesOpenAsCsv) {
  QTemporaryDir dir;
  const QString path = dir.filePath("short.csv");
  WriteFile(path, "1;=A1*3");
  TSpreadSheetDataCells cells;
  cells.SetCellText(5, 5, "old");
  LoadSheetFromFile(cells, path);
  EXPECT_EQ(cells.CellDisplayText(2, 1), "3");
  EXPECT_EQ(cells.FindCell(5, 5), nullptr);
  WriteFile(path, "");
  LoadSheetFromFile(cells, path);
  EXPECT_EQ(cells.CellCount(), 1);
  // 8-bit files are read in the code page.
  WriteFile(path, "caff\xE8;\x80\r\n");
  LoadSheetFromFile(cells, path);
  EXPECT_EQ(cells.CellDisplayText(1, 1), QString::fromUtf8("caffè"));
  EXPECT_EQ(cells.CellDisplayText(2, 1), QString::fromUtf8("€"));
}

TEST(SheetCsv, PythonReadsOursAndWeReadPythons) {
  if (!HavePython()) GTEST_SKIP() << "python3 not found: independent CSV check skipped";
  TSpreadSheetDataCells cells;
  const QStringList texts = {"a;b", "say \"hi\"", "x\r\ny", "", QString::fromUtf8("perché"),
                             "3,5", " pad ",      "\"q\""};
  for (int i = 0; i < texts.size(); ++i) cells.SetCellText(1 + i % 3, 1 + i / 3, texts[i]);
  QByteArray out;
  QString err;
  const QString readScript = QStringLiteral(
      "import csv, io, json, sys\n"
      "rows = list(csv.reader(io.TextIOWrapper(sys.stdin.buffer, encoding='utf-8', newline=''), "
      "delimiter=';'))\n"
      "print(json.dumps(rows))\n");
  ASSERT_TRUE(RunPython(readScript, CsvBytes(cells), out, err)) << err.toStdString();
  const QJsonArray rows = QJsonDocument::fromJson(out).array();
  ASSERT_EQ(rows.size(), 3);
  for (int i = 0; i < texts.size(); ++i) EXPECT_EQ(rows[i / 3].toArray()[i % 3].toString(), texts[i]) << i;

  const QString writeScript = QStringLiteral(
      "import csv, sys, io\n"
      "w = csv.writer(io.TextIOWrapper(sys.stdout.buffer, encoding='utf-8', newline=''), delimiter=';')\n"
      "w.writerow(['name', 'note', 'n'])\n"
      "w.writerow(['Rossi; Mario', 'he said \"ciao\"', '12'])\n"
      "w.writerow(['multi\\nline', '', '=C2*2'])\n"
      "w.writerow(['àèìòù', 'x', ''])\n"
      "sys.stdout.flush()\n");
  ASSERT_TRUE(RunPython(writeScript, QByteArray(), out, err)) << err.toStdString();
  TSpreadSheetDataCells in;
  ImportCsv(in, DecodeCsvBytes(out), 1, 1);
  EXPECT_EQ(in.CellDisplayText(1, 2), "Rossi; Mario");
  EXPECT_EQ(in.CellDisplayText(2, 2), "he said \"ciao\"");
  EXPECT_EQ(in.CellDisplayText(1, 3), "multi\nline");
  EXPECT_EQ(in.CellDisplayText(3, 3), "24");
  EXPECT_EQ(in.CellDisplayText(1, 4), QString::fromUtf8("àèìòù"));
  EXPECT_EQ(in.FindCell(3, 4), nullptr);
}

// A byte-order mark names the encoding, in either byte order; text that
// breaks its mark's encoding is an error that keeps the sheet.
TEST(SheetCsv, ByteOrderMarksNameTheEncoding) {
  const QString text = QString::fromUtf8("Città;→ ≤ Δ\r\n1,5;日本語 ✓\r\n");
  QStringEncoder le(QStringConverter::Utf16LE), be(QStringConverter::Utf16BE), u8(QStringConverter::Utf8),
      u32(QStringConverter::Utf32LE);
  const QByteArray files[] = {
      QByteArray("\xFF\xFE", 2) + QByteArray(le.encode(text)),
      QByteArray("\xFE\xFF", 2) + QByteArray(be.encode(text)),
      QByteArray("\xEF\xBB\xBF") + QByteArray(u8.encode(text)),
      QByteArray("\xFF\xFE\x00\x00", 4) + QByteArray(u32.encode(text)),
  };
  QTemporaryDir dir;
  const QString path = dir.filePath("bom.csv");
  for (const QByteArray& bytes : files) {
    WriteFile(path, bytes);
    TSpreadSheetDataCells cells;
    ImportCsvFile(cells, path, 1, 1);
    EXPECT_EQ(cells.CellDisplayText(1, 1), QString::fromUtf8("Città"));
    EXPECT_EQ(cells.CellDisplayText(2, 1), QString::fromUtf8("→ ≤ Δ"));
    EXPECT_EQ(cells.CellDisplayText(2, 2), QString::fromUtf8("日本語 ✓"));
    EXPECT_EQ(cells.CellExtent(), (TGridRect{1, 1, 2, 2}));
    // Opening the file as a sheet reads it the same way.
    TSpreadSheetDataCells opened;
    LoadSheetFromFile(opened, path);
    EXPECT_EQ(opened.CellDisplayText(2, 2), QString::fromUtf8("日本語 ✓"));
  }
  // UTF-16 cut in the middle of a character: an error, nothing imported.
  WriteFile(path, QByteArray("\xFF\xFE", 2) + QByteArray(le.encode(QStringLiteral("ab"))) + "c");
  TSpreadSheetDataCells cells;
  cells.SetCellText(1, 1, "keep");
  EXPECT_THROW(ImportCsvFile(cells, path, 1, 1), ECsvError);
  EXPECT_EQ(cells.CellDisplayText(1, 1), "keep");
  EXPECT_THROW(LoadSheetFromFile(cells, path), ESheetFileError);
  EXPECT_EQ(cells.CellDisplayText(1, 1), "keep");
  // Without a mark: UTF-8 when valid, else the 8-bit code page.
  EXPECT_EQ(DecodeCsvBytes("caff\xC3\xA8"), QString::fromUtf8("caffè"));
  EXPECT_EQ(DecodeCsvBytes("caff\xE8"), QString::fromUtf8("caffè"));
}
