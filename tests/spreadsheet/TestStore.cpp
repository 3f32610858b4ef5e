#include <gtest/gtest.h>
#include <utility>

#include <Tarnwell/spreadsheet/SShtCsv.h>
#include <Tarnwell/spreadsheet/SShtStore.h>
#include "SheetTestUtil.h"

using namespace Tarnwell;

namespace {

QStringList ColumnTexts(const TSpreadSheetDataCells& cells, int col) {
  QStringList out;
  if (const TSpreadSheetDataColumn* c = cells.FindColumn(col))
    for (const auto& cell : c->Cells())
      if (cell->Row() > 0) out << QStringLiteral("%1:%2").arg(cell->Row()).arg(cell->DisplayText());
  return out;
}

THeaderSelection Sel(int kind, int a, int b) {
  THeaderSelection s;
  s.Kind = std::uint8_t(kind);
  if (kind == 1) s.Col1 = a, s.Col2 = b;
  if (kind == 2) s.Row1 = a, s.Row2 = b;
  return s;
}

void FormatSelection(TSpreadSheetDataCells& cells, THeaderSelection sel, TColor back) {
  for (TSpreadSheetCell* c = cells.FirstCell(sel); c; c = cells.NextCell(sel))
    c->SetBackground(back, scKeepColor, 18);
}

}  // namespace

TEST(SheetStore, FormatPrecedence) {
  TSpreadSheetDataCells cells;
  EXPECT_EQ(cells.UsedExtent(), (TGridRect{1, 1, 1, 1}));
  EXPECT_EQ(cells.GetFormatCell(4, 4), cells.DefaultCell());
  // Column B, then row 3: the row format wins at (B,3); and the other way.
  FormatSelection(cells, Sel(1, 2, 2), clRed);
  FormatSelection(cells, Sel(2, 3, 3), clBlue);
  EXPECT_EQ(cells.GetFormatCell(2, 3)->BackColor(), clBlue);
  FormatSelection(cells, Sel(1, 2, 2), clGreen);
  EXPECT_EQ(cells.GetFormatCell(2, 3)->BackColor(), clGreen);
  EXPECT_GT(cells.FindCell(2, 0)->FormatStamp(), cells.FindCell(0, 3)->FormatStamp());
  // A new cell takes its row header's format before its column header's.
  cells.FindCell(0, 5) ? void() : FormatSelection(cells, Sel(2, 5, 5), clYellow);
  EXPECT_EQ(cells.GetCell(3, 5, true)->BackColor(), clYellow);
  EXPECT_EQ(cells.GetCell(2, 7, true)->BackColor(), clGreen);
  EXPECT_EQ(cells.GetCell(4, 7, true)->BackColor(), clWhite);
  // Used extent covers formats, widths and heights beyond the data.
  EXPECT_EQ(cells.UsedExtent(), (TGridRect{1, 1, 4, 7}));
  FormatSelection(cells, Sel(2, 20, 20), clRed);
  cells.SetColWidth(30, 100);
  EXPECT_EQ(cells.UsedExtent(), (TGridRect{1, 1, 30, 20}));
  cells.SetColWidth(30, cells.DefaultColWidth());
  cells.SetRowHeight(40, 33);
  EXPECT_EQ(cells.UsedExtent(), (TGridRect{1, 1, 4, 40}));
  // Out of bounds: no cell.
  EXPECT_EQ(cells.GetCell(703, 1, true), nullptr);
  EXPECT_EQ(cells.GetCell(1, SShtMaxRow + 1, true), nullptr);
  EXPECT_FALSE(cells.SetCellText(0 - 1, 1, "x"));
}

TEST(SheetStore, SortIsATotalOrder) {
  TSpreadSheetDataCells cells;
  cells.SetCellText(2, 3, "b");
  cells.SetCellText(2, 9, "a");
  cells.Sort(2, 2, 10, false);
  EXPECT_EQ(ColumnTexts(cells, 2), (QStringList{"2:a", "3:b"}));
  // Whole column: gaps close, other columns stay.
  cells.SetCellText(3, 5, "z");
  cells.SetCellText(2, 8, "0");
  cells.Sort(2, -1, -1, true);
  EXPECT_EQ(ColumnTexts(cells, 2), (QStringList{"1:b", "2:a", "3:0"}));
  EXPECT_EQ(ColumnTexts(cells, 3), (QStringList{"5:z"}));
  // A one-row range is left alone.
  cells.Sort(2, 2, 2, false);
  EXPECT_EQ(ColumnTexts(cells, 2), (QStringList{"1:b", "2:a", "3:0"}));
  // Mixed types, erased cells and errors: many rows, both directions.
  TSpreadSheetDataCells mixed;
  const char* texts[] = {"5", "", "abc", "=1/0", "2", "T", "-1", "x", "", "3.5", "=2+2", "F", "10"};
  for (int rep = 0; rep < 40; ++rep)
    for (int i = 0; i < int(std::size(texts)); ++i) {
      TSpreadSheetCell* c = mixed.GetCell(1, rep * 13 + i + 1, true);
      c->SetDataType(i % 3 == 0 ? cdtNumber : (i % 3 == 1 ? cdtGeneral : cdtBoolean));
      c->SetText(texts[(i + rep) % std::size(texts)]);
    }
  const int count = mixed.FindColumn(1)->Count();
  mixed.Sort(1, -1, -1, false);
  mixed.Sort(1, 10, 300, true);
  mixed.Sort(1, -1, -1, true);
  EXPECT_EQ(mixed.FindColumn(1)->Count(), count);
  // Numbers ascend within the numeric cells.
  TSpreadSheetDataCells nums;
  for (int i = 0; i < 6; ++i) {
    TSpreadSheetCell* c = nums.GetCell(1, i + 1, true);
    c->SetDataType(cdtNumber);
    c->SetText(QString::number((i * 7) % 6 - 2));
  }
  nums.Sort(1, -1, -1, false);
  EXPECT_EQ(ColumnTexts(nums, 1), (QStringList{"1:-2", "2:-1", "3:0", "4:1", "5:2", "6:3"}));
}

TEST(SheetStore, StructuralEdits) {
  TSpreadSheetDataCells cells;
  for (int c = 1; c <= 4; ++c)
    for (int r = 1; r <= 4; ++r) cells.SetCellText(c, r, CellRefName(c, r));
  cells.MoveColumn(1, 3);
  EXPECT_EQ(cells.CellDisplayText(3, 1), "A1");
  EXPECT_EQ(cells.CellDisplayText(1, 1), "B1");
  EXPECT_EQ(cells.CellDisplayText(2, 2), "C2");
  cells.MoveColumn(3, 1);
  cells.MoveRowAll(4, 1);
  EXPECT_EQ(cells.CellDisplayText(2, 1), "B4");
  EXPECT_EQ(cells.CellDisplayText(2, 2), "B1");
  cells.MoveRowAll(1, 4);
  EXPECT_EQ(cells.CellDisplayText(2, 4), "B4");
  EXPECT_TRUE(cells.ShiftColumns(2, 2));
  EXPECT_EQ(cells.CellDisplayText(4, 1), "B1");
  EXPECT_EQ(cells.CellDisplayText(2, 1), "");
  cells.DeleteColumnsShift(2, 3);
  EXPECT_EQ(cells.CellDisplayText(2, 1), "B1");
  EXPECT_TRUE(cells.ShiftRowsAll(2, 3));
  EXPECT_EQ(cells.CellDisplayText(1, 5), "A2");
  cells.DeleteRowsShiftAll(2, 4);
  EXPECT_EQ(cells.CellDisplayText(1, 2), "A2");
  // Nothing may be pushed off the sheet.
  cells.SetCellText(SShtMaxCol, 1, "edge");
  EXPECT_FALSE(cells.ShiftColumns(1, 1));
  EXPECT_EQ(cells.CellDisplayText(SShtMaxCol, 1), "edge");
  // Erase keeps formats, delete drops them.
  THeaderSelection col3 = Sel(1, 3, 3);
  FormatSelection(cells, col3, clRed);
  cells.EraseHeaderSel(col3);
  EXPECT_EQ(cells.CellDisplayText(3, 1), "");
  EXPECT_EQ(cells.GetFormatCell(3, 9)->BackColor(), clRed);
  cells.DeleteHeaderSel(col3);
  EXPECT_EQ(cells.FindColumn(3), nullptr);
  cells.EraseRect({1, 1, 2, 2});
  EXPECT_EQ(cells.CellDisplayText(1, 1), "");
  ASSERT_NE(cells.FindCell(1, 1), nullptr);
  cells.DeleteRect({1, 1, 1, 2});
  EXPECT_EQ(cells.FindCell(1, 1), nullptr);
  // Removing rows moves the sizes with them.
  cells.SetRowHeight(5, 40);
  cells.RemoveRows(3, 4);
  EXPECT_EQ(cells.RowHeight(3), 40);
  EXPECT_EQ(cells.RowHeight(5), cells.DefaultRowHeight());
  cells.ClearAll();
  EXPECT_EQ(cells.CellCount(), 1);
}

TEST(SheetStore, FindWalksColumnsDownward) {
  TSpreadSheetDataCells cells;
  cells.SetCellText(1, 5, "Hello");
  cells.SetCellText(2, 1, "say hello");
  cells.SetCellText(1, 9, "HELLO there");
  int col = 1, row = 1;
  ASSERT_TRUE(cells.FindText("hello", col, row));
  EXPECT_EQ(std::make_pair(col, row), std::make_pair(1, 5));
  row = 6;
  ASSERT_TRUE(cells.FindText("hello", col, row));
  EXPECT_EQ(std::make_pair(col, row), std::make_pair(1, 9));
  row = 10;
  ASSERT_TRUE(cells.FindText("hello", col, row));
  EXPECT_EQ(std::make_pair(col, row), std::make_pair(2, 1));
  row = 2;
  EXPECT_FALSE(cells.FindText("hello", col, row));
}

TEST(SheetStore, RecalculationSettlesChains) {
  TSpreadSheetDataCells cells;
  // A4 <- A3 <- A2 <- A1: every link is a forward reference.
  cells.SetCellText(1, 5, "1");
  cells.SetCellText(1, 1, "=A2+1");
  cells.SetCellText(1, 2, "=A3+1");
  cells.SetCellText(1, 3, "=A4+1");
  cells.SetCellText(1, 4, "=A5+1");
  cells.SetCellText(1, 5, "10");
  const int passes = cells.Recalculate();
  EXPECT_EQ(cells.CellDisplayText(1, 1), "14");
  EXPECT_LE(passes, 6);
  // Backward references settle in one pass.
  TSpreadSheetDataCells back;
  back.SetCellText(1, 1, "1");
  for (int r = 2; r <= 50; ++r) back.SetCellText(1, r, QStringLiteral("=A%1*2").arg(r - 1));
  back.SetCellText(1, 1, "2");
  EXPECT_EQ(back.Recalculate(), 1);
  EXPECT_EQ(back.FindCell(1, 50)->Value().AsNumber(), std::pow(2.0, 50));
  // A long chain of references to the row below settles in two passes.
  TSpreadSheetDataCells down;
  for (int r = 1; r < 3000; ++r) down.SetCellText(1, r, QStringLiteral("=A%1+1").arg(r + 1));
  down.SetCellText(1, 3000, "5");
  EXPECT_EQ(down.Recalculate(), 1);
  EXPECT_EQ(down.CellDisplayText(1, 1), "3004");
  // Zigzag between columns: each pass settles part of it.
  TSpreadSheetDataCells zig;
  zig.SetCellText(1, 1, "=B2*2");  // reads forward
  zig.SetCellText(2, 2, "=A3+1");  // reads backward... from a later row
  zig.SetCellText(1, 3, "=B4+1");
  zig.SetCellText(2, 4, "7");
  zig.Recalculate();
  EXPECT_EQ(zig.CellDisplayText(1, 1), "18");
  // A cycle ends quickly, however many formulas the sheet has.
  TSpreadSheetDataCells cyc;
  for (int r = 1; r <= 2000; ++r) cyc.SetCellText(3, r, QStringLiteral("=%1*2").arg(r));
  cyc.SetCellText(1, 1, "=B1+1");
  cyc.SetCellText(2, 1, "=A1+1");
  cyc.SetCellText(4, 1, "=C1+A1");
  EXPECT_LE(cyc.Recalculate(), 3);
  EXPECT_EQ(cyc.CellDisplayText(3, 2000), "4000");
}

TEST(SheetStore, RecalculationFollowsDependenciesInOneCall) {
  // A loan table: A_r = C_(r-1), B = A*1%, C = A+B-200.
  TSpreadSheetDataCells loan;
  loan.SetCellText(1, 1, "10000");
  for (int r = 1; r <= 300; ++r) {
    const QString n = QString::number(r);
    if (r > 1) loan.SetCellText(1, r, "=C" + QString::number(r - 1));
    loan.SetCellText(2, r, "=A" + n + "*0.01");
    loan.SetCellText(3, r, "=A" + n + "+B" + n + "-200");
  }
  loan.SetCellText(1, 1, "5000");
  loan.Recalculate();
  double a = 5000;
  for (int r = 1; r <= 300; ++r) {
    const double b = a * 0.01, c = a + b - 200;
    ASSERT_NEAR(loan.FindCell(3, r)->Value().AsNumber(), c, 1e-9 * std::fabs(c) + 1e-9) << r;
    a = c;
  }
  // A chain laid against the row order, zig-zagging between two columns.
  TSpreadSheetDataCells zig;
  zig.SetCellText(1, 800, "1");
  for (int r = 799; r >= 1; --r)
    zig.SetCellText(r % 2 ? 2 : 1, r, QStringLiteral("=%1%2+1").arg((r + 1) % 2 ? "B" : "A").arg(r + 1));
  zig.SetCellText(1, 800, "2");
  zig.Recalculate();
  EXPECT_EQ(zig.CellDisplayText(2, 1), "801");
}

TEST(SheetStore, CircularReferencesShowError) {
  TSpreadSheetDataCells cells;
  cells.SetCellText(2, 1, "=B2+1");
  cells.SetCellText(2, 2, "=B1+1");
  cells.SetCellText(3, 1, "=B1*2");     // reads the cycle
  cells.SetCellText(4, 1, "=D1+1");     // reads itself
  cells.SetCellText(5, 1, "=SUM(E2:E3)");
  cells.SetCellText(5, 2, "=E1");       // through a range
  cells.SetCellText(1, 1, "=7");        // untouched by any cycle
  for (int round = 0; round < 2; ++round) {
    cells.Recalculate();
    for (auto [c, r] : {std::pair{2, 1}, {2, 2}, {3, 1}, {4, 1}, {5, 1}, {5, 2}})
      EXPECT_EQ(cells.CellDisplayText(c, r), "Error!") << c << "," << r;
    EXPECT_EQ(cells.CellDisplayText(1, 1), "7");
  }
  // Breaking the cycle settles it.
  cells.SetCellText(2, 2, "1");
  cells.Recalculate();
  EXPECT_EQ(cells.CellDisplayText(2, 1), "2");
  EXPECT_EQ(cells.CellDisplayText(3, 1), "4");
}

// General cells as CSV import and typing make them: numbers by value (the
// locale's decimal separator), texts by the locale's collation, cells that
// show nothing last in both directions.
TEST(SheetStore, GeneralNumbersSortAsNumbersBlanksLast) {
  TLocaleGuard it(QLocale(QLocale::Italian, QLocale::Italy));
  TSpreadSheetDataCells cells;
  ImportCsv(cells, QString::fromUtf8("10\n\n100\n9\n \nbanana\n2,5\nÉclair\n5\nApe\n-3\n"), 1, 1);
  cells.SetCellText(1, 20, "");  // an erased cell
  TSpreadSheetCell* n = cells.GetCell(1, 21, true);
  n->SetDataType(cdtNumber);
  n->SetText("7");  // a Number cell among them
  const QStringList up{"1:-3", "2:2,5", "3:5", "4:7", "5:9", "6:10", "7:100", "8:Ape", "9:banana", "10:Éclair",
                       "11: ", "12:"};
  cells.Sort(1, -1, -1, false);
  EXPECT_EQ(ColumnTexts(cells, 1), up);
  cells.Sort(1, -1, -1, true);
  EXPECT_EQ(ColumnTexts(cells, 1), (QStringList{"1:Éclair", "2:banana", "3:Ape", "4:100", "5:10", "6:9", "7:7",
                                                "8:5", "9:2,5", "10:-3", "11: ", "12:"}));
  // A range sorts the same way; the blank stays below the values.
  cells.Sort(1, 4, 12, false);
  EXPECT_EQ(ColumnTexts(cells, 1).mid(3),
            (QStringList{"4:-3", "5:2,5", "6:5", "7:7", "8:9", "9:10", "10:100", "11: ", "12:"}));
}
