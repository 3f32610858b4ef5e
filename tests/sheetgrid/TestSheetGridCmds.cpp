#include <gtest/gtest.h>

#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtEndian>
#include <random>

#include "SheetGridTestUtil.h"
#include <Tarnwell/platform/TDialogs.h>
#include "TestUtil.h"
#include <Tarnwell/spreadsheet/FastCompress.h>

using namespace Tarnwell;

namespace {

QByteArray Body(const TSpreadSheetGrid& g) { return SheetBodyBytes(g.Cells()); }

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What a sheet holds, apart from computed values and empty columns: texts,
// formats and sizes.
std::string Canon(const TSpreadSheetGrid& g) {
  QString out;
  const TSpreadSheetDataCells& c = g.Cells();
  for (const auto& col : c.Columns())
    for (const auto& cell : col->Cells()) {
      const TCellFont& f = cell->Font();
      out += QStringLiteral("%1,%2:%3|%4 %5 %6 %7|%8 %9|%10 %11 %12|%13\n")
                 .arg(cell->Col())
                 .arg(cell->Row())
                 .arg(cell->Text())
                 .arg(f.Name)
                 .arg(f.Size)
                 .arg(f.Color)
                 .arg(f.Style)
                 .arg(cell->HAlign())
                 .arg(cell->VAlign())
                 .arg(cell->BackColor())
                 .arg(cell->PatternColor())
                 .arg(cell->Pattern())
                 .arg(cell->DataType());
      for (const TCellBorder& b : cell->Borders())
        out += QStringLiteral("[%1 %2 %3]").arg(b.Style).arg(b.Width).arg(b.Color);
    }
  out += QStringLiteral("W%1 H%2").arg(c.DefaultColWidth()).arg(c.DefaultRowHeight());
  for (auto [k, v] : c.ColWidths()) out += QStringLiteral(" c%1=%2").arg(k).arg(v);
  for (auto [k, v] : c.RowHeights()) out += QStringLiteral(" r%1=%2").arg(k).arg(v);
  return out.toStdString();
}

void Select(TSpreadSheetGrid& g, int l, int t, int r, int b) {
  g.SetHeaderSelection(0);
  g.SetSelection({l, t, r, b});
}

void Fill(TSpreadSheetGrid& g) {
  g.SetCellText(2, 2, "1");
  g.SetCellText(3, 2, "=B2*2");
  g.SetCellText(2, 3, "testo");
  g.SetCellText(3, 3, "4");
  g.Cells().GetCell(3, 3, true)->SetBackground(clYellow, clRed, 5);
  g.Cells().GetCell(2, 3, true)->SetBorders("LT", 0, 2, clBlue);
}

}  // namespace

TEST(SheetGridCmds, CopyB2C3AndPasteAtE5) {
  TCLocale c;
  auto g = MakeGrid();
  Fill(*g);
  Select(*g, 2, 2, 3, 3);
  const QByteArray block = g->CopyBlock();
  EXPECT_EQ(g->CopyText(), "1\t2\r\ntesto\t4\r\n");
  Select(*g, 5, 5, 5, 5);
  ASSERT_TRUE(g->PasteBlock(block));
  EXPECT_EQ(g->GetCellText(5, 5), "1");
  EXPECT_EQ(g->Cells().FindCell(6, 5)->Text(), "=B2*2");  // references unchanged
  EXPECT_EQ(g->GetCellText(5, 6), "testo");
  EXPECT_EQ(g->Cells().FindCell(6, 6)->Pattern(), 5);
  EXPECT_EQ(g->Cells().FindCell(5, 6)->Border(cbsLeft).Width, 2);
  g->Undo();
  EXPECT_EQ(g->Cells().FindCell(5, 5), nullptr);
  // Into columns that exist only the target area is kept for undo.
  g->SetCellText(3, 7, "old");
  Select(*g, 2, 6, 2, 6);
  const std::string before = Canon(*g);
  ASSERT_TRUE(g->PasteBlock(block));
  EXPECT_EQ(g->GetCellText(3, 7), "4");
  const std::string after = Canon(*g);
  g->Undo();
  EXPECT_EQ(Canon(*g), before);
  EXPECT_EQ(g->GetCellText(3, 7), "old");
  g->Redo();
  EXPECT_EQ(Canon(*g), after);
}

TEST(SheetGridCmds, TabSeparatedTextInAndOut) {
  TCLocale c;
  auto g = MakeGrid();
  Select(*g, 2, 2, 2, 2);
  ASSERT_TRUE(g->PasteText("1\t2\t3\r\n\tx\t\r\n"));
  EXPECT_EQ(g->GetCellText(2, 2), "1");
  EXPECT_EQ(g->GetCellText(4, 2), "3");
  EXPECT_EQ(g->Cells().FindCell(2, 3), nullptr);  // empty field, no cell: skipped
  EXPECT_EQ(g->GetCellText(3, 3), "x");
  EXPECT_EQ(g->Cells().FindCell(4, 3), nullptr);
  Select(*g, 2, 2, 4, 3);
  EXPECT_EQ(g->CopyText(), "1\t2\t3\r\n\tx\t\r\n");
  // Empty fields clear existing cells; only the remainder after the last tab is nothing.
  Select(*g, 2, 2, 2, 2);
  ASSERT_TRUE(g->PasteText("\t\t"));
  EXPECT_EQ(g->GetCellText(2, 2), "");
  EXPECT_EQ(g->GetCellText(3, 2), "");
  EXPECT_EQ(g->GetCellText(4, 2), "3");
  // Through mime data as any program would hand it over.
  QMimeData text;
  text.setText("a\tb");
  Select(*g, 10, 10, 10, 10);
  ASSERT_TRUE(g->PasteMimeData(&text));
  EXPECT_EQ(g->GetCellText(11, 10), "b");
  std::unique_ptr<QMimeData> ours(g->CreateMimeData());
  EXPECT_TRUE(ours->hasFormat(SShtClipboardMimeType()));
  EXPECT_TRUE(SShtClipboardMimeType().contains("QV SpreadSheet Cells"));
}

TEST(SheetGridCmds, MalformedBlocksChangeNothing) {
  TCLocale c;
  auto g = MakeGrid();
  Fill(*g);
  Select(*g, 2, 2, 3, 3);
  const QByteArray good = g->CopyBlock();
  Select(*g, 8, 8, 8, 8);
  const QByteArray before = Body(*g);
  const int undoCount = g->UndoStack()->count();
  TRecordingDialogs dialogs;
  std::vector<QByteArray> bad = {QByteArray(), good.left(10), good.left(good.size() - 3)};
  QByteArray kind = good;
  kind[0] = 9;
  bad.push_back(kind);
  QByteArray area = good;
  qToLittleEndian<std::int32_t>(-5, area.data() + 1);
  bad.push_back(area);
  QByteArray huge = good;
  qToLittleEndian<std::int32_t>(2000000000, huge.data() + 13);
  bad.push_back(huge);
  QByteArray outside = good;  // a record outside the stated area
  qToLittleEndian<std::int32_t>(2, outside.data() + 9);
  bad.push_back(outside);
  for (const QByteArray& b : bad) {
    EXPECT_FALSE(g->PasteBlock(b));
    EXPECT_EQ(Body(*g), before);
  }
  EXPECT_EQ(g->UndoStack()->count(), undoCount);
  EXPECT_EQ(dialogs.Messages.size(), bad.size());
}

TEST(SheetGridCmds, PastesNeverPassColumnZZ) {
  TCLocale c;
  auto g = MakeGrid();
  Fill(*g);
  Select(*g, 2, 2, 3, 3);
  const QByteArray block = g->CopyBlock();
  Select(*g, SShtMaxCol, 5, SShtMaxCol, 5);
  const QByteArray before = Body(*g);
  TRecordingDialogs dialogs;
  EXPECT_FALSE(g->PasteBlock(block));
  EXPECT_FALSE(g->PasteText("a\tb"));
  EXPECT_EQ(Body(*g), before);
  EXPECT_EQ(dialogs.Messages.size(), 2u);
  EXPECT_TRUE(g->PasteText("a"));  // one column still fits

  g->SetCellText(SShtMaxCol, 1, "last");
  g->SetHeaderSelection(1, 4, 4);
  const QByteArray before2 = Body(*g);
  EXPECT_FALSE(g->InsertAtSelection(2));
  EXPECT_EQ(Body(*g), before2);
  g->SetHeaderSelection(2, 4, 4);
  EXPECT_FALSE(g->InsertAtSelection(2147483647));
  EXPECT_EQ(Body(*g), before2);
}

TEST(SheetGridCmds, WholeColumnsAndWholeSheetPastesKeepSizes) {
  TCLocale c;
  auto g = MakeGrid();
  g->SetCellText(3, 2, "c2");
  g->SetCellText(4, 3, "d3");
  g->Cells().GetCell(3, 0, true)->SetBackground(clAqua, clBlack, 3);
  g->SetColWidth(3, 90);
  g->SetColWidth(4, 30);
  g->SetHeaderSelection(1, 3, 4);
  const QByteArray cols = g->CopyBlock();
  g->SetHeaderSelection(1, 6, 6);
  ASSERT_TRUE(g->PasteBlock(cols));
  EXPECT_EQ(g->ColWidth(6), 90);
  EXPECT_EQ(g->ColWidth(7), 30);
  EXPECT_EQ(g->GetCellText(6, 2), "c2");
  EXPECT_EQ(g->GetCellText(7, 3), "d3");
  ASSERT_NE(g->Cells().FindCell(6, 0), nullptr);
  EXPECT_EQ(g->Cells().FindCell(6, 0)->Pattern(), 3);

  g->SetHeaderSelection(3);
  const QByteArray sheet = g->CopyBlock();
  g->ClearSheet();
  EXPECT_EQ(g->ColWidth(3), g->DefaultColWidth());
  g->SetHeaderSelection(3);
  ASSERT_TRUE(g->PasteBlock(sheet));
  EXPECT_EQ(g->ColWidth(3), 90);  // set after the sheet was cleared
  EXPECT_EQ(g->ColWidth(7), 30);
  EXPECT_EQ(g->GetCellText(7, 3), "d3");
}

TEST(SheetGridCmds, RemovingRowsShiftsHeightsAndCells) {
  TCLocale c;
  auto g = MakeGrid();
  g->SetRowHeight(5, 40);
  g->SetCellText(1, 5, "five");
  g->SetHeaderSelection(2, 3, 4);
  g->RemoveSelection();
  EXPECT_EQ(g->RowHeight(3), 40);
  EXPECT_EQ(g->RowHeight(5), g->DefaultRowHeight());
  EXPECT_EQ(g->GetCellText(1, 3), "five");
  g->Undo();
  EXPECT_EQ(g->RowHeight(5), 40);
  EXPECT_EQ(g->GetCellText(1, 5), "five");
}

TEST(SheetGridCmds, EveryChangingCommandUndoesAndRedoes) {
  TCLocale c;
  struct TStep {
    const char* Name;
    std::function<void(TSpreadSheetGrid&)> Run;
  };
  const std::vector<TStep> steps = {
      {"data type", [](auto& g) { g.SetSelectionDataType(cdtNumber); }},
      {"font",
       [](auto& g) {
         g.SetSelectionFont(TCellFont{"Courier", 12, clRed, 1});
       }},
      {"alignment", [](auto& g) { g.SetSelectionAlignment(2 | (2 << 8)); }},
      {"background", [](auto& g) { g.SetSelectionBackground(clYellow, clRed, 9); }},
      {"borders",
       [](auto& g) {
         g.SetSelectionBorders("LTRB", TCellBorder{1, 2, clGreen});
       }},
      {"include style", [](auto& g) { g.IncludeSelectionStyle(2); }},
      {"exclude style", [](auto& g) { g.ExcludeSelectionStyle(0); }},
      {"box", [](auto& g) { g.MakeBox(0, 2, clBlack); }},
      {"erase", [](auto& g) { g.EraseSelection(); }},
      {"delete", [](auto& g) { g.DeleteSelection(); }},
      {"sort", [](auto& g) { g.SortSelection(true); }},
      {"cell text", [](auto& g) { g.SetCellText(9, 9, "nove"); }},
      {"column width",
       [](auto& g) {
         g.SetHeaderSelection(1, 2, 3);
         g.SetSelColWidth(120);
       }},
      {"row height",
       [](auto& g) {
         g.SetHeaderSelection(2, 2, 2);
         g.SetSelRowHeight(30);
       }},
      {"default width",
       [](auto& g) {
         g.SetHeaderSelection(3);
         g.SetSelColWidth(40);
       }},
      {"remove columns",
       [](auto& g) {
         g.SetHeaderSelection(1, 2, 2);
         g.RemoveSelection();
       }},
      {"insert rows",
       [](auto& g) {
         g.SetHeaderSelection(2, 2, 2);
         g.InsertAtSelection(3);
       }},
      {"clear", [](auto& g) { g.ClearSheet(); }},
      {"move row", [](auto& g) { g.MoveRow(2, 6); }},
      {"move column", [](auto& g) { g.MoveColumn(3, 1); }},
  };
  for (const TStep& s : steps) {
    auto g = MakeGrid();
    Fill(*g);
    g->SetCellText(2, 4, "0");
    g->SetRowHeight(2, 33);  // sizes travel with moved rows and columns
    g->SetColWidth(3, 99);
    Select(*g, 2, 2, 3, 4);
    const std::string before = Canon(*g);
    s.Run(*g);
    const std::string after = Canon(*g);
    EXPECT_NE(after, before) << s.Name;
    g->Undo();
    EXPECT_EQ(Canon(*g), before) << s.Name;
    g->Redo();
    EXPECT_EQ(Canon(*g), after) << s.Name;
  }
}

TEST(SheetGridCmds, QueriesAndSizesFollowTheSelection) {
  TCLocale c;
  auto g = MakeGrid();
  Fill(*g);
  Select(*g, 3, 3, 3, 3);
  TColor back, ink;
  int pat;
  g->GetSelectionBackground(back, ink, pat);
  EXPECT_EQ(pat, 5);
  EXPECT_EQ(g->GetSelectedText(), "4");
  Select(*g, 2, 2, 3, 3);
  EXPECT_EQ(g->GetSelectedText(), "");
  EXPECT_EQ(g->GetSelectionAlignment(), 0x0304);
  EXPECT_EQ(g->GetSelectionFont().Size, -1);
  g->GetSelectionBackground(back, ink, pat);
  EXPECT_EQ(pat, 18);
  EXPECT_EQ(g->GetSelColWidth(), -1);
  g->SetHeaderSelection(1, 4, 5);
  g->SetSelColWidth(1);
  EXPECT_EQ(g->ColWidth(4), 64);
  g->SetSelColWidth(2);
  EXPECT_EQ(g->ColWidth(5), 2);
  EXPECT_EQ(g->GetSelColWidth(), 2);
  // Sorting a row selection changes nothing.
  g->SetHeaderSelection(2, 2, 3);
  const QByteArray before = Body(*g);
  g->SortSelection(false);
  EXPECT_EQ(Body(*g), before);
}

TEST(SheetGridCmds, FindWalksDownColumnsCaseInsensitively) {
  auto g = MakeGrid();
  g->SetCellText(2, 5, "Alfa uno");
  g->SetCellText(2, 9, "ALFA due");
  g->SetCellText(4, 1, "alfa tre");
  EXPECT_TRUE(g->FindFirst("alfa"));
  EXPECT_EQ(g->Row(), 5);
  EXPECT_TRUE(g->FindNext());
  EXPECT_EQ(g->Row(), 9);
  EXPECT_TRUE(g->FindNext());
  EXPECT_EQ(g->Col(), 4);
  EXPECT_FALSE(g->FindNext());
  EXPECT_FALSE(g->FindFirst(""));
}

TEST(SheetGridCmds, FilesRoundTripAndDamagedFilesKeepTheSheet) {
  TCLocale c;
  QTemporaryDir dir;
  auto g = MakeGrid();
  Fill(*g);
  g->SetColWidth(3, 77);
  const QString qvs = dir.filePath("a.qvs"), csv = dir.filePath("a.csv");
  g->SaveToFile(0, qvs);
  g->SaveToFile(1, csv);
  QFile f(qvs);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(TSpreadSheetGrid::CheckSignature(f), 0);
  f.close();

  auto h = MakeGrid();
  h->LoadFromFile(qvs);
  EXPECT_EQ(Body(*h), Body(*g));
  EXPECT_EQ(h->ColWidth(3), 77);
  const QByteArray loaded = Body(*h);
  QFile bad(dir.filePath("bad.qvs"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write(SheetSignature + QByteArray("\x50\0\0\0garbage", 11));
  bad.close();
  EXPECT_THROW(h->LoadFromFile(bad.fileName()), ETarnwellError);
  EXPECT_EQ(Body(*h), loaded);

  auto k = MakeGrid();
  k->MoveCurrent(3, 4, false);
  k->ImportCSVFile(csv);
  // Exported from A1 on: B2 lands one right of and below the current cell.
  EXPECT_EQ(k->GetCellText(4, 5), "1");
  EXPECT_EQ(k->GetCellText(5, 6), "4");
  k->Undo();
  EXPECT_EQ(k->Cells().CellCount(), TSpreadSheetGrid().Cells().CellCount());
}

TEST(SheetGridCmds, CutDeletesOnlyAfterACopy) {
  TCLocale c;
  auto g = MakeGrid();
  g->SetCellText(1, 1, "keep");
  Select(*g, 1, 1, 1, 1);
  ASSERT_TRUE(g->CutToClipboard());
  EXPECT_EQ(g->Cells().FindCell(1, 1), nullptr);
  Select(*g, 3, 3, 3, 3);
  ASSERT_TRUE(g->PasteFromClipboard());
  EXPECT_EQ(g->GetCellText(3, 3), "keep");
}

TEST(SheetGridCmds, MutatedBlocksNeverCrashAndFailWhole) {
  TCLocale c;
  auto g = MakeGrid();
  Fill(*g);
  Select(*g, 2, 2, 3, 3);
  const QByteArray good = g->CopyBlock();
  TRecordingDialogs dialogs;
  std::mt19937 rng(7);
  for (int i = 0; i < 400; ++i) {
    QByteArray b = good;
    const int edits = 1 + int(rng() % 4);
    for (int e = 0; e < edits; ++e) {
      switch (rng() % 3) {
        case 0:
          b[int(rng() % b.size())] = char(rng());
          break;
        case 1:
          b.truncate(int(rng() % b.size()));
          break;
        default:
          b.insert(int(rng() % (b.size() + 1)), char(rng()));
          break;
      }
      if (b.isEmpty()) break;
    }
    const int col = 1 + int(rng() % 702), row = 1 + int(rng() % 50);
    Select(*g, col, row, col, row);
    const std::string before = Canon(*g);
    const int steps = g->UndoStack()->count();
    if (!g->PasteBlock(b)) {
      EXPECT_EQ(Canon(*g), before) << i;
      EXPECT_EQ(g->UndoStack()->count(), steps) << i;
    }
  }
}

// Texts outside code page 1252 survive undo of a cell edit, undo of a
// whole-column and a whole-sheet command, and copy and paste inside the
// program; the 8-bit block stays what other programs read.
TEST(SheetGridCmds, UndoAndClipboardKeepEveryCharacter) {
  TCLocale c;
  auto g = MakeGrid();
  const QString texts[] = {QString::fromUtf8("→ ≤ Δ √ ✓"), QString::fromUtf8("αβγ Ωmega"),
                           QString::fromUtf8("日本語テキスト"), QString::fromUtf8("emoji 😀 ok"),
                           QString::fromUtf8("caffè €")};
  for (int i = 0; i < 5; ++i) g->SetCellText(2, i + 1, texts[i]);
  g->Cells().GetCell(3, 1, true)->SetFont(TCellFont{QString::fromUtf8("微软雅黑"), 10, clBlack, 0});
  g->SetCellText(3, 1, texts[0]);
  const std::string start = Canon(*g);
  // A cell edit and its undo.
  g->SetCellText(2, 1, "sovrascritto");
  g->Undo();
  EXPECT_EQ(g->Cells().FindCell(2, 1)->Text(), texts[0]);
  g->Redo();
  g->Undo();
  // A whole-column and a whole-sheet command, undone and redone.
  g->SetHeaderSelection(1, 2, 3);
  g->IncludeSelectionStyle(0);
  g->SetHeaderSelection(3);
  g->SetSelectionBackground(clYellow, clRed, 3);
  g->Undo();
  g->Undo();
  EXPECT_EQ(Canon(*g), start);
  g->Redo();
  g->Redo();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(g->Cells().FindCell(2, i + 1)->DisplayText(), texts[i]);
  EXPECT_EQ(g->Cells().FindCell(3, 1)->Font().Name, QString::fromUtf8("微软雅黑"));
  // Copy and paste: our own sheets take the wide block.
  Select(*g, 2, 1, 3, 5);
  std::unique_ptr<QMimeData> data(g->CreateMimeData());
  ASSERT_TRUE(data->hasFormat(SShtWideClipboardMimeType()));
  EXPECT_EQ(data->data(SShtClipboardMimeType()), g->CopyBlock());
  Select(*g, 6, 10, 6, 10);
  ASSERT_TRUE(g->PasteMimeData(data.get()));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(g->Cells().FindCell(6, i + 10)->Text(), texts[i]);
  EXPECT_EQ(g->Cells().FindCell(7, 10)->Font().Name, QString::fromUtf8("微软雅黑"));
  // The 8-bit block alone (another program's paste) still works, with "?".
  Select(*g, 9, 1, 9, 1);
  ASSERT_TRUE(g->PasteBlock(data->data(SShtClipboardMimeType())));
  EXPECT_EQ(g->Cells().FindCell(9, 5)->Text(), QString::fromUtf8("caffè €"));
  EXPECT_EQ(g->Cells().FindCell(9, 1)->Text(), "? ? ? ? ?");
  // A damaged wide block changes nothing.
  QByteArray cut = data->data(SShtWideClipboardMimeType());
  cut.chop(3);
  TRecordingDialogs dialogs;
  const std::string before = Canon(*g);
  EXPECT_FALSE(g->PasteBlock(cut, true));
  EXPECT_EQ(Canon(*g), before);
}

// Saving such texts to a sheet file names the cells and asks first.
TEST(SheetGridCmds, SavingTextsASheetFileCannotHoldAsksFirst) {
  TCLocale c;
  QTemporaryDir dir;
  const QString qvs = dir.filePath("t.qvs");
  auto g = MakeGrid();
  g->SetCellText(1, 1, QString::fromUtf8("caffè € ok"));
  {
    TRecordingDialogs dialogs(mrNo);
    EXPECT_TRUE(g->SaveToFile(0, qvs));  // all of code page 1252: no question
    EXPECT_TRUE(dialogs.Messages.empty());
  }
  g->SetCellText(2, 3, QString::fromUtf8("Δ"));
  g->SetCellText(4, 7, QString::fromUtf8("✓"));
  const QByteArray saved = ReadAll(qvs);
  {
    TRecordingDialogs dialogs(mrNo);
    EXPECT_FALSE(g->SaveToFile(0, qvs));
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_TRUE(dialogs.Messages[0].Text.contains("B3, D7")) << dialogs.Messages[0].Text.toStdString();
    EXPECT_EQ(ReadAll(qvs), saved);  // the old file stays
  }
  {
    TRecordingDialogs dialogs(mrYes);
    EXPECT_TRUE(g->SaveToFile(0, qvs));
    EXPECT_NE(ReadAll(qvs), saved);
  }
  // CSV is UTF-8: nothing to ask.
  TRecordingDialogs dialogs(mrNo);
  EXPECT_TRUE(g->SaveToFile(1, dir.filePath("t.csv")));
  EXPECT_TRUE(dialogs.Messages.empty());
}

// Format commands keep only the formats they change; past the memory
// limit the oldest steps go and undo ends there, the sheet intact.
TEST(SheetGridCmds, UndoKeepsWhatChangedWithinAMemoryLimit) {
  TCLocale c;
  auto g = MakeGrid();
  for (int col = 1; col <= 5; ++col)
    for (int row = 1; row <= 2000; ++row) g->Cells().SetCellText(col, row, QString::number(col * row));
  g->UndoStack()->clear();
  const std::string start = Canon(*g);
  // Whole columns (one of them new), whole rows (new header cells), the sheet.
  g->SetHeaderSelection(1, 2, 7);
  g->IncludeSelectionStyle(0);
  g->SetHeaderSelection(2, 10, 12);
  g->SetSelectionBackground(clYellow, clRed, 4);
  g->SetHeaderSelection(3);
  g->SetSelectionDataType(cdtNumber);
  g->SetHeaderSelection(0);
  Select(*g, 1, 1, 2, 3);
  g->SetSelectionBorders("LT", TCellBorder{0, 2, clBlue});
  const std::string done = Canon(*g);
  ASSERT_EQ(g->UndoStack()->count(), 4);
  // 10 000 cells of one format each way: far below a record per cell.
  EXPECT_LT(g->UndoMemory(), 4 * 10000 * 16 + 64 * 1024);
  for (int k = 0; k < 4; ++k) g->Undo();
  EXPECT_TRUE(Canon(*g) == start);
  EXPECT_EQ(g->Cells().FindColumn(7), nullptr);  // the new column went again
  EXPECT_EQ(g->Cells().FindCell(0, 11), nullptr);
  for (int k = 0; k < 4; ++k) g->Redo();
  EXPECT_TRUE(Canon(*g) == done);
  // A small limit: the oldest steps are dropped, the newest stays.
  g->SetUndoMemoryLimit(60 * 1024);
  g->SetHeaderSelection(1, 1, 5);
  g->IncludeSelectionStyle(1);
  g->ExcludeSelectionStyle(1);
  g->IncludeSelectionStyle(2);
  EXPECT_LE(g->UndoMemory(), 60 * 1024 + 200 * 1024);
  const std::string last = Canon(*g);
  int undone = 0;
  while (g->UndoStack()->canUndo() && undone < 20) {
    const int before = g->UndoStack()->index();
    g->Undo();
    if (g->UndoStack()->index() == before) break;  // the history ends here
    ++undone;
  }
  EXPECT_GE(undone, 1);
  EXPECT_LT(undone, 7);
  for (int k = 0; k < undone; ++k) g->Redo();
  EXPECT_TRUE(Canon(*g) == last);
}

// Erasing, deleting and sorting whole columns keep those columns alone for
// undo; undo and redo give back exactly the sheet before and after.
TEST(SheetGridCmds, WholeColumnCommandsUndoThoseColumns) {
  TCLocale c;
  auto g = MakeGrid();
  Fill(*g);
  for (int row = 1; row <= 50; ++row) g->SetCellText(4, row, QString::number(51 - row));
  g->SetCellText(6, 2, QString::fromUtf8("fuori ✓"));
  g->SetHeaderSelection(1, 3, 4);
  g->SetSelectionBackground(clAqua, clRed, 2);  // header cells of C and D
  for (int k = 0; k < 3; ++k) {
    const std::string before = Canon(*g);
    g->SetHeaderSelection(1, 3, 4);
    if (k == 0) g->EraseSelection();
    if (k == 1) g->SortSelection(true);
    if (k == 2) g->DeleteSelection();
    const std::string after = Canon(*g);
    EXPECT_FALSE(after == before) << k;
    g->Undo();
    EXPECT_TRUE(Canon(*g) == before) << k;
    g->Redo();
    EXPECT_TRUE(Canon(*g) == after) << k;
    g->Undo();
  }
  EXPECT_EQ(g->Cells().FindCell(6, 2)->Text(), QString::fromUtf8("fuori ✓"));
}

// The same for whole rows: every column over those rows, row headers too.
TEST(SheetGridCmds, WholeRowCommandsUndoThoseRows) {
  TCLocale c;
  auto g = MakeGrid();
  Fill(*g);
  for (int col = 1; col <= 8; ++col) g->SetCellText(col, 3, QString::number(col));
  g->SetCellText(9, 30, QString::fromUtf8("sotto ✓"));
  g->SetHeaderSelection(2, 2, 4);
  g->SetSelectionFont(TCellFont{QString(), 12, clRed, 16});  // row header cells of 2..4
  for (int k = 0; k < 2; ++k) {
    const std::string before = Canon(*g);
    g->SetHeaderSelection(2, 2, 4);
    if (k == 0) g->EraseSelection();
    if (k == 1) g->DeleteSelection();
    const std::string after = Canon(*g);
    EXPECT_FALSE(after == before) << k;
    g->Undo();
    EXPECT_TRUE(Canon(*g) == before) << k;
    g->Redo();
    EXPECT_TRUE(Canon(*g) == after) << k;
    g->Undo();
  }
  EXPECT_EQ(g->Cells().FindCell(9, 30)->Text(), QString::fromUtf8("sotto ✓"));
}

// Inserting and removing whole columns and rows, erasing the whole sheet and
// opening a file keep what they change, not copies of the sheet: undo and
// redo still give back exactly the sheet before and after, every character
// and size included.
TEST(SheetGridCmds, StructureCommandsUndoWithoutSheetCopies) {
  TCLocale c;
  struct TStep {
    const char* Name;
    std::function<void(TSpreadSheetGrid&)> Run;
  };
  const std::vector<TStep> steps = {
      {"insert columns",
       [](auto& g) {
         g.SetHeaderSelection(1, 3, 4);
         g.InsertAtSelection(2);
       }},
      {"insert rows",
       [](auto& g) {
         g.SetHeaderSelection(2, 5, 5);
         g.InsertAtSelection(40);
       }},
      {"remove columns",
       [](auto& g) {
         g.SetHeaderSelection(1, 2, 3);
         g.RemoveSelection();
       }},
      {"remove rows",
       [](auto& g) {
         g.SetHeaderSelection(2, 3, 5);
         g.RemoveSelection();
       }},
      {"erase sheet",
       [](auto& g) {
         g.SetHeaderSelection(3);
         g.EraseSelection();
       }},
      {"delete sheet",
       [](auto& g) {
         g.SetHeaderSelection(3);
         g.DeleteSelection();
       }},
  };
  for (const TStep& s : steps) {
    auto g = MakeGrid();
    Fill(*g);
    for (int row = 1; row <= 3000; ++row)
      g->Cells().SetCellText(1 + row % 6, row, QStringLiteral("%1 ✓").arg(row));
    g->SetCellText(5, 7, "=B2+C3");
    g->SetHeaderSelection(1, 3, 3);
    g->SetSelectionBackground(clAqua, clRed, 2);  // a column header
    g->SetHeaderSelection(2, 4, 4);
    g->IncludeSelectionStyle(1);  // a row header
    g->SetColWidth(4, 90);
    g->SetColWidth(2, 70);
    g->SetRowHeight(4, 30);
    g->SetRowHeight(9, 44);
    const std::string before = Canon(*g);
    const qint64 memory = g->UndoMemory();
    TFastCompress z;
    const qint64 snapshot = z.Compress(SheetBodyBytes(g->Cells(), true)).size();
    s.Run(*g);
    const std::string after = Canon(*g);
    EXPECT_NE(after, before) << s.Name;
    // Far below a copy of the sheet, which deleting it all needs.
    if (std::string(s.Name) != "delete sheet") {
      EXPECT_LT(g->UndoMemory() - memory, snapshot / 2) << s.Name;
    }
    for (int k = 0; k < 2; ++k) {
      g->Undo();
      EXPECT_TRUE(Canon(*g) == before) << s.Name;
      EXPECT_EQ(g->GetCellText(5, 7), "5") << s.Name;
      g->Redo();
      EXPECT_TRUE(Canon(*g) == after) << s.Name;
    }
  }
}

// Inserting where nothing lies below or right, and removing past the last
// cell and size, change nothing and leave no step.
TEST(SheetGridCmds, StructureCommandsThatChangeNothingLeaveNoStep) {
  TCLocale c;
  auto g = MakeGrid();
  Fill(*g);
  const int steps = g->UndoStack()->count();
  g->SetHeaderSelection(1, 20, 21);
  g->InsertAtSelection(3);
  g->RemoveSelection();
  g->SetHeaderSelection(2, 50, 60);
  g->InsertAtSelection(3);
  g->RemoveSelection();
  EXPECT_EQ(g->UndoStack()->count(), steps);
  // Insertions that would pass the sheet's edge are refused and leave none.
  TRecordingDialogs dialogs;
  g->SetCellText(SShtMaxCol - 1, 1, "near the edge");
  const int withText = g->UndoStack()->count();
  g->SetHeaderSelection(1, 2, 2);
  EXPECT_FALSE(g->InsertAtSelection(2));
  EXPECT_EQ(g->UndoStack()->count(), withText);
  EXPECT_EQ(dialogs.Messages.size(), 1u);
}

// Opening keeps the sheet before; the opened sheet is copied only when the
// step is undone, and redo gives it back.
TEST(SheetGridCmds, OpeningKeepsOnlyTheSheetBefore) {
  TCLocale c;
  QTemporaryDir dir;
  auto src = MakeGrid();
  for (int row = 1; row <= 2000; ++row)
    for (int col = 1; col <= 5; ++col) src->SetCellText(col, row, QString::number(row * col));
  const QString path = dir.filePath("big.qvs");
  src->SaveToFile(0, path);
  auto g = MakeGrid();
  Fill(*g);
  g->SetCellText(8, 8, QString::fromUtf8("prima ✓"));
  const std::string before = Canon(*g);
  g->UndoStack()->clear();
  g->LoadFromFile(path);
  const std::string opened = Canon(*g);
  EXPECT_LT(g->UndoMemory(), 8 * 1024);
  g->Undo();
  EXPECT_TRUE(Canon(*g) == before);
  g->Redo();
  EXPECT_TRUE(Canon(*g) == opened);
  EXPECT_EQ(g->GetCellText(5, 2000), "10000");
  g->Undo();
  EXPECT_EQ(g->Cells().FindCell(8, 8)->Text(), QString::fromUtf8("prima ✓"));
}
