// The compact cell store: shared formats, values, display texts kept only
// when they differ, and sheet files read and written piece by piece.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <random>
#include <thread>

#include <Tarnwell/spreadsheet/SShtEngine.h>
#include <Tarnwell/spreadsheet/FastCompress.h>
#include "SheetTestUtil.h"

using namespace Tarnwell;

namespace {

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A file image from a body, as sheet files hold it.
QByteArray FileOfBody(const QByteArray& body) {
  TFastCompress fc;
  const QByteArray packed = fc.Compress(body);
  const quint32 n = quint32(packed.size());
  QByteArray file = SheetSignature;
  file.append(char(n)).append(char(n >> 8)).append(char(n >> 16)).append(char(n >> 24)).append(packed);
  return file;
}

}  // namespace

TEST(SheetCompact, ValuesHoldANumberOrAString) {
  TCellValue s = TCellValue::String("abc"), n = TCellValue::Number(2.5), b = TCellValue::Boolean(true);
  EXPECT_EQ(s.AsString(), "abc");
  EXPECT_EQ(s.AsNumber(), 0);
  EXPECT_EQ(n.AsString(), "");
  EXPECT_EQ(n.AsNumber(), 2.5);
  EXPECT_TRUE(b.AsBoolean());
  // Assignments across kinds, copies and moves leave each value whole.
  TCellValue x = s;
  x = n;
  EXPECT_EQ(x.Kind(), TCellValue::vkNumber);
  EXPECT_EQ(x.AsNumber(), 2.5);
  x = s;
  EXPECT_EQ(x.AsString(), "abc");
  x = TCellValue::String("def");
  EXPECT_EQ(x.AsString(), "def");
  TCellValue moved = std::move(x);
  EXPECT_EQ(moved.AsString(), "def");
  x = TCellValue();
  EXPECT_TRUE(x.IsNull());
  moved = std::move(n);
  EXPECT_EQ(moved.AsNumber(), 2.5);
  EXPECT_EQ(s, TCellValue::String("abc"));
  EXPECT_FALSE(s == TCellValue::Number(0));
  EXPECT_EQ(sizeof(TCellValue), sizeof(QString) + 8);
}

// A computed number shows its 15 significant digits, in fixed notation
// from 1E-4 to below 1E15 and with an exponent outside, with the locale's
// decimal separator: the short decimals and the general conversion agree.
TEST(SheetCompact, NumbersShowTheirFifteenDigits) {
  const struct {
    double v;
    const char* text;
  } cases[] = {
      {1234.5, "1234.5"},   {0.05, "0.05"},     {-0.0001, "-0.0001"},           {0.1 + 0.2, "0.3"},
      {100, "100"},         {-12.25, "-12.25"}, {123456789012345.0, "123456789012345"},
      {1.0 / 3, "0.333333333333333"},           {2.5e-5, "2.5E-5"},             {1e15, "1E15"},
      {999999999999999.9, "1E15"},              {12345678901234.56, "12345678901234.6"},
      {0.000123456789, "0.000123456789"},       {7e-10, "7E-10"},               {-0.0, "0"},
  };
  for (const auto& c : cases) EXPECT_EQ(FloatToText(c.v), QString::fromLatin1(c.text)) << c.v;
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  {
    TSheetLocaleScope scope;
    EXPECT_EQ(FloatToText(1234.5), QStringLiteral("1234,5"));
    EXPECT_EQ(FloatToText(0.1 + 0.2), QStringLiteral("0,3"));
  }
  EXPECT_EQ(FloatToText(-0.05), QStringLiteral("-0,05"));
  QLocale::setDefault(before);
}

TEST(SheetCompact, CellsOfAColumnShareOneFormat) {
  TSpreadSheetDataCells cells;
  THeaderSelection colB;
  colB.Kind = 1;
  colB.Col1 = colB.Col2 = 2;
  for (TSpreadSheetCell* c = cells.FirstCell(colB); c; c = cells.NextCell(colB)) c->IncludeStyle(0);
  const std::size_t formatsBefore = SShtDetail::SharedFormatCount();
  for (int r = 1; r <= 5000; ++r) cells.SetCellText(2, r, QString::number(r));
  EXPECT_LE(SShtDetail::SharedFormatCount(), formatsBefore + 1);
  const TSpreadSheetCell* first = cells.FindCell(2, 1);
  EXPECT_TRUE(first->SharesFormat(*cells.FindCell(2, 5000)));
  EXPECT_TRUE(first->SharesFormat(*cells.FindCell(2, 0)));
  EXPECT_EQ(first->Font().Style, 1);
  // Changing one cell's format leaves every other one as it was.
  TSpreadSheetCell* c = cells.GetCell(2, 7, true);
  c->SetBackground(clRed, scKeepColor, 17);
  c->SetBorders("LR", 0, 2, clBlue);
  EXPECT_EQ(c->BackColor(), clRed);
  EXPECT_EQ(c->Border(cbsRight), (TCellBorder{0, 2, clBlue}));
  EXPECT_EQ(c->Border(cbsTop).Style, CellBorderNone);
  EXPECT_EQ(cells.FindCell(2, 8)->BackColor(), clWhite);
  EXPECT_EQ(cells.FindCell(2, 8)->Border(cbsLeft).Style, CellBorderNone);
  EXPECT_FALSE(c->SharesFormat(*cells.FindCell(2, 8)));
  // The same change on another cell of that format gives the same format.
  TSpreadSheetCell* d = cells.GetCell(2, 9, true);
  d->SetBackground(clRed, scKeepColor, 17);
  d->SetBorders("LR", 0, 2, clBlue);
  EXPECT_TRUE(c->SharesFormat(*d));
  // Undoing the changes returns to the column's format.
  d->SetFormat(cells.FindCell(2, 0)->Format());
  EXPECT_TRUE(d->SharesFormat(*cells.FindCell(2, 1)));
  // A format nobody holds any more is gone.
  const std::size_t held = SShtDetail::SharedFormatCount();
  {
    TSpreadSheetDataCells other;
    other.SetDefaultCellFont({"Nobody Else's Font", 9, clRed, 0});
    other.SetCellText(4, 4, "x");
    EXPECT_EQ(SShtDetail::SharedFormatCount(), held + 1);
  }
  EXPECT_EQ(SShtDetail::SharedFormatCount(), held);
}

TEST(SheetCompact, DisplayTextsFollowTextAndValue) {
  TLocaleGuard it(QLocale(QLocale::Italian, QLocale::Italy));
  TSpreadSheetDataCells cells;
  TSpreadSheetCell* c = cells.GetCell(1, 1, true);
  c->SetText("12");
  EXPECT_EQ(c->DisplayText(), "12");
  c->SetDataType(cdtNumber);
  c->SetText("1,50");
  EXPECT_EQ(c->Text(), "1,50");
  EXPECT_EQ(c->DisplayText(), "1,5");
  c->SetText("abc");  // not a number: shows nothing
  EXPECT_EQ(c->Text(), "abc");
  EXPECT_EQ(c->DisplayText(), "");
  c->SetDataType(cdtGeneral);
  EXPECT_EQ(c->DisplayText(), "");  // the value stays Null until entered again
  c->SetText("abc");
  EXPECT_EQ(c->DisplayText(), "abc");
  cells.SetCellText(1, 2, "=A3*2");
  cells.SetCellText(1, 3, "4");
  cells.Recalculate();
  EXPECT_EQ(cells.CellDisplayText(1, 2), "8");
  cells.SetCellText(1, 3, "x");
  cells.Recalculate();
  EXPECT_EQ(cells.CellDisplayText(1, 2), "Error!");
  EXPECT_EQ(cells.FindCell(1, 2)->Text(), "=A3*2");
  // Records keep text and display text apart, also after a round trip.
  for (const QString& text : {QStringLiteral("7"), QStringLiteral("=A3+1"), QStringLiteral("=2*3")}) {
    cells.SetCellText(1, 3, "5");
    cells.SetCellText(1, 4, text);
    QByteArray rec;
    cells.FindCell(1, 4)->WriteTo(rec);
    TSpreadSheetCell back(0, 0);
    qsizetype pos = 0;
    back.ReadFrom(rec.constData(), rec.size(), pos);
    EXPECT_EQ(pos, rec.size());
    EXPECT_EQ(back.Text(), cells.FindCell(1, 4)->Text());
    EXPECT_EQ(back.DisplayText(), cells.FindCell(1, 4)->DisplayText());
    EXPECT_EQ(back.IsFormula(), cells.FindCell(1, 4)->IsFormula());
    QByteArray again;
    back.WriteTo(again);
    EXPECT_EQ(again, rec);
  }
}

// A sheet of many blocks: records cross the 8 KiB chunks of the packed
// body, and the file is written and read piece by piece with the same bytes
// as a whole-buffer compression.
TEST(SheetCompact, LargeSheetsRoundTripByteExact) {
  TSpreadSheetDataCells cells;
  std::mt19937 g(11);
  for (int r = 1; r <= 600; ++r)
    for (int c = 1; c <= 7; ++c) {
      const int k = int(g() % 4);
      cells.SetCellText(c, r, k == 0   ? QStringLiteral("=A%1+%2").arg(r).arg(c)
                              : k == 1 ? QStringLiteral("Voce %1 è qui").arg(g() % 1000)
                                       : QString::number(int(g() % 100000) / 100.0));
      if (g() % 50 == 0) cells.GetCell(c, r, true)->SetBackground(clYellow, scKeepColor, 3);
    }
  cells.GetCell(3, 0, true)->SetFont({"Courier New", 12, clRed, 2});
  cells.SetRowHeight(400, 30);
  cells.Recalculate();
  const QByteArray body = SheetBodyBytes(cells);
  ASSERT_GT(body.size(), 20 * TFastCompress::ChunkSize);
  const QByteArray file = SheetFileBytes(cells);
  EXPECT_EQ(file, FileOfBody(body));
  QTemporaryDir dir;
  const QString path = dir.filePath("big.qvs");
  SaveSheetToFile(cells, sfkSheet, path);
  EXPECT_EQ(ReadFile(path), file);
  TSpreadSheetDataCells loaded;
  LoadSheetFromFile(loaded, path);
  EXPECT_EQ(loaded.CellCount(), cells.CellCount());
  EXPECT_EQ(SheetFileBytes(loaded), file);
  EXPECT_EQ(SheetBodyBytes(loaded, true), SheetBodyBytes(cells, true));
  auto fromBytes = ReadSheetFileBytes(file, loaded);
  EXPECT_EQ(SheetFileBytes(*fromBytes), file);
  // The wide body of undo steps, packed and read the same way.
  const QByteArray wide = SheetBodyBytes(cells, true);
  TFastCompress fc;
  const QByteArray packed = PackedSheetBody(cells, true);
  EXPECT_EQ(packed, fc.Compress(wide));
  TSpreadSheetDataCells back;
  ReadPackedSheetBody(packed, back, true);
  EXPECT_EQ(SheetBodyBytes(back, true), wide);
  EXPECT_THROW(ReadPackedSheetBody(packed.left(packed.size() / 2), back, true), ESheetFileError);
}

// Damage deep inside a large body is found where it is, named by its place
// in the whole body, and changes nothing.
TEST(SheetCompact, DamageDeepInALargeBody) {
  TSpreadSheetDataCells cells;
  for (int r = 1; r <= 2000; ++r) cells.SetCellText(1 + r % 3, r, QString::number(r));
  QByteArray body = SheetBodyBytes(cells);
  const TGridRect ext = cells.UsedExtent();
  // Find the record of B1500 by walking the records.
  qsizetype pos = 16 + 4 * qsizetype(ext.Right + 1 + ext.Bottom + 1), at = -1;
  TSpreadSheetCell scratch(0, 0);
  while (pos < body.size()) {
    const qsizetype start = pos;
    scratch.ReadFrom(body.constData(), body.size(), pos);
    if (scratch.Col() == 1 && scratch.Row() == 1500) at = start;
  }
  ASSERT_GT(at, 10 * TFastCompress::ChunkSize);
  body[at + 8 + 92] = char(99);  // an unknown pattern
  QTemporaryDir dir;
  const QString path = dir.filePath("bad.qvs");
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(FileOfBody(body));
  }
  TSpreadSheetDataCells target;
  target.SetCellText(1, 1, "keep");
  try {
    LoadSheetFromFile(target, path);
    ADD_FAILURE() << "damage not found";
  } catch (const ESheetFileError& e) {
    EXPECT_TRUE(e.Message().contains(QStringLiteral("cell record at byte %1: pattern 99").arg(at)))
        << e.Message().toStdString();
  }
  EXPECT_EQ(target.CellDisplayText(1, 1), "keep");
  EXPECT_EQ(target.CellCount(), 3);
  // The same body cut inside a record and inside the sizes.
  EXPECT_THROW(ReadSheetFileBytes(FileOfBody(body.left(at + 100)), target), ESheetFileError);
  EXPECT_THROW(ReadSheetFileBytes(FileOfBody(body.left(40)), target), ESheetFileError);
  EXPECT_THROW(ReadSheetFileBytes(FileOfBody(body.left(10)), target), ESheetFileError);
}

// Formats are shared across sheets and threads: counts must stay right
// when cells come and go everywhere at once.
TEST(SheetCompact, FormatsSharedAcrossThreads) {
  const std::size_t before = SShtDetail::SharedFormatCount();
  auto work = [](int seed) {
    std::mt19937 g{unsigned(seed)};
    for (int round = 0; round < 20; ++round) {
      TSpreadSheetDataCells cells;
      for (int i = 0; i < 400; ++i) {
        TSpreadSheetCell* c = cells.GetCell(1 + int(g() % 5), 1 + int(g() % 50), true);
        switch (g() % 4) {
          case 0:
            c->IncludeStyle(int(g() % 4));
            break;
          case 1:
            c->SetBackground(TColor(g() % 4), scKeepColor, -1);
            break;
          case 2:
            c->SetAlignment(int(g() % 3), -1);
            break;
          default:
            c->SetText(QString::number(i));
        }
      }
      for (const auto& column : cells.Columns())
        for (const auto& cell : column->Cells())
          if (cell->Font().Style > 15 || cell->HAlign() > 3) std::abort();
    }
  };
  std::thread a(work, 1), b(work, 2);
  work(3);
  a.join();
  b.join();
  // Memos of the threads that ended let go of theirs; this thread's memos
  // keep at most a few.
  EXPECT_LE(SShtDetail::SharedFormatCount(), before + 16);
}

// Importing CSV text places every field and keeps its bounds check.
TEST(SheetCompact, CsvImportOfManyLines) {
  QString text;
  for (int r = 0; r < 3000; ++r) text += QStringLiteral("%1;\"a;%1\";;x\r\n").arg(r);
  TSpreadSheetDataCells cells;
  ImportCsv(cells, text, 2, 3);
  EXPECT_EQ(cells.CellDisplayText(2, 3), "0");
  EXPECT_EQ(cells.CellDisplayText(3, 3002), "a;2999");
  EXPECT_EQ(cells.FindCell(4, 5), nullptr);
  EXPECT_EQ(cells.CellDisplayText(5, 3002), "x");
  EXPECT_EQ(cells.CellExtent(), (TGridRect{1, 1, 5, 3002}));
  EXPECT_THROW(ImportCsv(cells, text, 700, 1), ECsvError);
  EXPECT_EQ(cells.FindCell(700, 1), nullptr);
}
