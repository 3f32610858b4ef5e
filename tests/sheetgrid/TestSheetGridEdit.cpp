#include <gtest/gtest.h>

#include <QLineEdit>
#include <QRegularExpression>
#include <QUndoStack>

#include "SheetGridTestUtil.h"
#include "TestUtil.h"

using namespace Tarnwell;

TEST(SheetGridEdit, ConstructionGivesTheSheetShape) {
  auto g = MakeGrid();
  EXPECT_EQ(g->ColCount(), 703);
  EXPECT_EQ(g->RowCount(), 1001);
  EXPECT_EQ(g->DefaultRowHeight(), 16);
  EXPECT_TRUE(g->EditEnabled());
  EXPECT_TRUE(g->Headers());
  EXPECT_FALSE(g->AutoRecalc());
  g->setEditEnabled(false);
  EXPECT_FALSE(g->Options() & goEditing);
}

TEST(SheetGridEdit, ColumnHeaderDragGivesOrderedRanges) {
  auto g = MakeGrid();
  std::vector<QString> areas;
  g->OnSelectionChanged = [&](TObject*, bool single, const QString& id, int, int, TSpreadSheetCell* cell) {
    EXPECT_NE(cell, nullptr);
    if (!single) areas.push_back(id);
  };
  QWidget* vp = g->viewport();
  QTest::mousePress(vp, Qt::LeftButton, {}, Centre(*g, 3, 0));
  EXPECT_EQ(g->HeaderSelection().Kind, 1);
  EXPECT_EQ(g->Col(), 3);
  DragTo(vp, Centre(*g, 6, 4));
  EXPECT_EQ(g->HeaderSelection().Col1, 3);
  EXPECT_EQ(g->HeaderSelection().Col2, 6);
  DragTo(vp, Centre(*g, 1, 4));
  QTest::mouseRelease(vp, Qt::LeftButton, {}, Centre(*g, 1, 4));
  EXPECT_EQ(g->HeaderSelection().Col1, 1);
  EXPECT_EQ(g->HeaderSelection().Col2, 3);
  EXPECT_FALSE(g->HeaderSelection().Dragging);
  EXPECT_EQ(g->SelectionText(), "A1:C1001");
  EXPECT_EQ(g->SelectedCount(), 3 * 1001);
  ASSERT_FALSE(areas.empty());
  EXPECT_EQ(areas.front(), "C1:C1001");

  // Rows: past the right edge the end is clamped, never column A / row 0.
  QTest::mousePress(vp, Qt::LeftButton, {}, Centre(*g, 0, 5));
  DragTo(vp, QPoint(5000, Centre(*g, 1, 2).y()));
  QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(5000, Centre(*g, 1, 2).y()));
  EXPECT_EQ(g->HeaderSelection().Kind, 2);
  EXPECT_EQ(g->HeaderSelection().Row1, 2);
  EXPECT_EQ(g->HeaderSelection().Row2, 5);
  EXPECT_EQ(g->SelectionText(), "A2:ZZ5");

  QTest::mouseClick(vp, Qt::LeftButton, {}, Centre(*g, 0, 0));
  EXPECT_EQ(g->HeaderSelection().Kind, 3);
  EXPECT_EQ(g->SelectionText(), "A1:ZZ1001");
  // A click on a cell ends the header selection.
  QTest::mouseClick(vp, Qt::LeftButton, {}, Centre(*g, 2, 2));
  EXPECT_EQ(g->HeaderSelection().Kind, 0);
  EXPECT_EQ(g->SelectionText(), "B2");
}

TEST(SheetGridEdit, TickScrollsAHeaderDragAlong) {
  auto g = MakeGrid();
  QWidget* vp = g->viewport();
  QTest::mousePress(vp, Qt::LeftButton, {}, Centre(*g, 0, 3));
  const int bottom = g->viewport()->height() + 10;
  g->TickAt(QPoint(10, bottom));
  g->TickAt(QPoint(10, bottom));
  EXPECT_EQ(g->TopRow(), 3);
  EXPECT_GT(g->HeaderSelection().Row2, 3);
  QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(10, bottom));
  g->TickAt(QPoint(10, bottom));  // no drag: nothing moves
  EXPECT_EQ(g->TopRow(), 3);
}

TEST(SheetGridEdit, TypingEntersTextAndFormulasOpenAsFormulas) {
  TCLocale c;
  auto g = MakeGrid();
  g->setFocus();
  g->SetCellText(1, 1, "4");
  g->MoveCurrent(2, 1, false);
  QTest::keyClicks(g.get(), "=");
  ASSERT_TRUE(g->EditorMode());
  QTest::keyClicks(g->InplaceEditor(), "A1*3");
  QTest::keyClick(g->InplaceEditor(), Qt::Key_Return);
  EXPECT_EQ(g->GetCellText(2, 1), "12");
  // Opening and committing the formula cell keeps the formula.
  QTest::keyClick(g.get(), Qt::Key_F2);
  ASSERT_TRUE(g->EditorMode());
  EXPECT_EQ(g->InplaceEditor()->text(), "=A1*3");
  QTest::keyClicks(g->InplaceEditor(), "+1");
  QTest::keyClick(g->InplaceEditor(), Qt::Key_Return);
  const TSpreadSheetCell* cell = g->Cells().FindCell(2, 1);
  EXPECT_TRUE(cell->IsFormula());
  EXPECT_EQ(cell->Text(), "=A1*3+1");
  EXPECT_EQ(cell->DisplayText(), "13");
  g->Undo();
  EXPECT_EQ(g->Cells().FindCell(2, 1)->Text(), "=A1*3");
  g->Undo();
  EXPECT_EQ(g->Cells().FindCell(2, 1), nullptr);
  g->Redo();
  g->Redo();
  EXPECT_EQ(g->Cells().FindCell(2, 1)->Text(), "=A1*3+1");
}

TEST(SheetGridEdit, AutoRecalcOnLeavingAnEditedCell) {
  TCLocale c;
  auto g = MakeGrid();
  g->setFocus();
  g->SetCellText(1, 1, "1");
  g->SetCellText(1, 2, "=A1+1");
  g->setAutoRecalc(true);
  g->MoveCurrent(1, 1, false);
  QTest::keyClicks(g.get(), "5");
  QTest::keyClick(g->InplaceEditor(), Qt::Key_Down);
  EXPECT_EQ(g->GetCellText(1, 2), "6");
}

TEST(SheetGridEdit, RowsGrowToReachFarCellsAndOnScroll) {
  auto g = MakeGrid();
  g->SetCellText(3, 50000, "far");
  EXPECT_GT(g->RowCount(), 50001);
  const int before = g->RowCount();
  g->GetCellText(1, 10);
  EXPECT_EQ(g->RowCount(), before);  // never shrinks, no needless growth
  g->setTopRow(g->RowCount() - 1);
  EXPECT_GT(g->RowCount(), before);
  EXPECT_TRUE(g->FindFirst("FAR"));
  EXPECT_EQ(g->Row(), 50000);
  EXPECT_EQ(g->Col(), 3);
}

TEST(SheetGridEdit, EventsFireAfterTheGridsOwnHandling) {
  auto g = MakeGrid();
  int selects = 0, moved = 0, topLeft = 0;
  g->OnSelectCell = [&](TObject*, int c, int, bool& can) {
    ++selects;
    can = c != 4;
  };
  g->OnColumnMoved = [&](TObject*, int, int) { ++moved; };
  g->OnTopLeftChanged = [&](TObject*) { ++topLeft; };
  g->MoveCurrent(3, 1, false);
  EXPECT_FALSE(g->MoveCurrent(4, 1, false));
  EXPECT_EQ(g->Col(), 3);
  EXPECT_EQ(selects, 2);
  g->SetCellText(2, 1, "moved");
  g->MoveColumn(2, 5);
  EXPECT_EQ(moved, 1);
  EXPECT_EQ(g->GetCellText(5, 1), "moved");
  g->setTopRow(40);
  EXPECT_EQ(topLeft, 1);
}

TEST(SheetGridEdit, KeysCopyPasteDeleteUndo) {
  TCLocale c;
  auto g = MakeGrid();
  g->setFocus();
  g->SetCellText(1, 1, "k");
  g->MoveCurrent(1, 1, false);
  QTest::keyClick(g.get(), Qt::Key_C, Qt::ControlModifier);
  g->MoveCurrent(2, 2, false);
  QTest::keyClick(g.get(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(g->GetCellText(2, 2), "k");
  QTest::keyClick(g.get(), Qt::Key_Delete);
  EXPECT_EQ(g->Cells().FindCell(2, 2), nullptr);
  QTest::keyClick(g.get(), Qt::Key_Z, Qt::ControlModifier);  // undo, never a delete
  EXPECT_EQ(g->GetCellText(2, 2), "k");
  QTest::keyClick(g.get(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(g->Cells().FindCell(2, 2), nullptr);
  QTest::keyClick(g.get(), Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(g.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(g->Cells().FindCell(2, 2), nullptr);
}

TEST(SheetGridEdit, SizingWithTheMouseIsOneUndoStep) {
  auto g = MakeGrid();
  QWidget* vp = g->viewport();
  const TRect h = g->CellRect(2, 0);
  const QPoint edge(h.Right, h.Top + 5);
  QTest::mousePress(vp, Qt::LeftButton, {}, edge);
  EXPECT_EQ(g->HeaderSelection().Kind, 0);  // a sizing press selects nothing
  DragTo(vp, edge + QPoint(20, 0));
  DragTo(vp, edge + QPoint(40, 0));
  QTest::mouseRelease(vp, Qt::LeftButton, {}, edge + QPoint(40, 0));
  EXPECT_EQ(g->ColWidth(2), 64 + 40);
  EXPECT_EQ(g->UndoStack()->count(), 1);
  g->Undo();
  EXPECT_EQ(g->ColWidth(2), 64);
}

// Ctrl+End goes to the last used cell (column and row of the farthest
// cells, which need not be one cell); Ctrl+Shift+End selects up to it.
TEST(SheetGridEdit, CtrlEndGoesToTheLastUsedCell) {
  auto g = MakeGrid();
  g->setFocus();
  QTest::keyClick(g.get(), Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(g->Col(), 1);
  EXPECT_EQ(g->Row(), 1);
  g->SetCellText(4, 7, "x");
  g->SetCellText(2, 30, "y");
  g->Cells().SetColWidth(40, 90);  // sizes are not use
  QTest::keyClick(g.get(), Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(g->Col(), 4);
  EXPECT_EQ(g->Row(), 30);
  QTest::keyClick(g.get(), Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(g->Row(), 1);
  QTest::keyClick(g.get(), Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(g->Selection(), (TGridCoordRect{1, 1, 4, 30}));
  // Beyond the rows the grid has so far: it grows to reach the cell.
  g->Cells().SetCellText(3, 250000, "far");
  QTest::keyClick(g.get(), Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(g->Row(), 250000);
  EXPECT_EQ(g->Col(), 4);
}

// Dates typed through the Date and DateTime masks are kept in every locale:
// "/" of the mask is the locale's separator, day and month follow the
// locale's order, and reopening the cell shows the value in the mask.
TEST(SheetGridEdit, DatesTypedThroughTheMaskInEveryLocale) {
  struct TCase {
    QLocale locale;
    const char* digits;  // what the user types into the mask
    const char* sep;
  };
  const TCase cases[] = {
      {QLocale(QLocale::Italian, QLocale::Italy), "25122023", "/"},
      {QLocale(QLocale::English, QLocale::UnitedStates), "12252023", "/"},
      {QLocale(QLocale::German, QLocale::Germany), "25122023", "."},
      {QLocale(QLocale::Japanese, QLocale::Japan), "12252023", "/"},
      {QLocale::c(), "25122023", "/"},
      {QLocale(QLocale::Dutch, QLocale::Netherlands), "25122023", "-"},
      {QLocale(QLocale::Russian, QLocale::Russia), "25122023", "."},
  };
  for (const TCase& k : cases) {
    const QLocale old;
    QLocale::setDefault(k.locale);
    const std::string where = k.locale.name().toStdString();
    auto g = MakeGrid();
    g->setFocus();
    g->Cells().GetCell(1, 1, true)->SetDataType(cdtDate);
    g->Cells().GetCell(2, 1, true)->SetDataType(cdtDateTime);
    g->MoveCurrent(1, 1, false);
    QTest::keyClick(g.get(), Qt::Key_F2);
    ASSERT_TRUE(g->EditorMode());
    EXPECT_EQ(g->InplaceEditor()->inputMask(), QStringLiteral("00S00S9999;_").replace("S", k.sep)) << where;
    QTest::keyClicks(g->InplaceEditor(), k.digits);
    QTest::keyClick(g->InplaceEditor(), Qt::Key_Return);
    const TSpreadSheetCell* d = g->Cells().FindCell(1, 1);
    ASSERT_EQ(d->Value().Kind(), TCellValue::vkDateTime) << where << " " << d->Text().toStdString();
    EXPECT_EQ(d->Value().AsNumber(), DateToSerial(QDate(2023, 12, 25))) << where;
    EXPECT_FALSE(d->DisplayText().isEmpty()) << where;
    // Reopened, it shows the same digits; committed untouched, nothing changes.
    QTest::keyClick(g.get(), Qt::Key_F2);
    QString typed = g->InplaceEditor()->text();
    typed.remove(QRegularExpression("\\D"));
    EXPECT_EQ(typed, QString::fromLatin1(k.digits)) << where;
    QTest::keyClick(g->InplaceEditor(), Qt::Key_Return);
    EXPECT_EQ(g->UndoStack()->count(), 1) << where;
    // Date and time together.
    g->MoveCurrent(2, 1, false);
    QTest::keyClick(g.get(), Qt::Key_F2);
    QTest::keyClicks(g->InplaceEditor(), QString::fromLatin1(k.digits) + "093005");
    QTest::keyClick(g->InplaceEditor(), Qt::Key_Return);
    const TSpreadSheetCell* dt = g->Cells().FindCell(2, 1);
    ASSERT_EQ(dt->Value().Kind(), TCellValue::vkDateTime) << where << " " << dt->Text().toStdString();
    EXPECT_NEAR(dt->Value().AsNumber(), DateToSerial(QDate(2023, 12, 25)) + (9 * 3600 + 30 * 60 + 5) / 86400.0,
                1e-9)
        << where;
    // Typing on the selected cell opens the editor with that first digit.
    g->Cells().GetCell(3, 1, true)->SetDataType(cdtDate);
    g->MoveCurrent(3, 1, false);
    QTest::keyClicks(g.get(), QString(QLatin1Char(k.digits[0])));
    ASSERT_TRUE(g->EditorMode());
    QTest::keyClicks(g->InplaceEditor(), k.digits + 1);
    QTest::keyClick(g->InplaceEditor(), Qt::Key_Return);
    EXPECT_EQ(g->Cells().FindCell(3, 1)->Value().AsNumber(), DateToSerial(QDate(2023, 12, 25))) << where;
    QLocale::setDefault(old);
  }
}
