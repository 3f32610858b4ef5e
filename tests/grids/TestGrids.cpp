#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

#include <Tarnwell/grids/TGrids.h>
#include "TestUtil.h"

using namespace Tarnwell;

namespace {

// A shown (off-screen) grid of 20 x 200 cells, each column 50 wide and each
// row 20 high (plus the one-pixel line).
struct TGridFixture : ::testing::Test {
  TDrawGrid grid;
  QStringList edits;
  void SetUp() override {
    grid.setAttribute(Qt::WA_DontShowOnScreen);
    grid.setFrameShape(QFrame::NoFrame);
    grid.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid.setColCount(20);
    grid.setRowCount(200);
    grid.setDefaultColWidth(50);
    grid.setDefaultRowHeight(20);
    grid.resize(306, 211);  // 6 columns and 10 rows of 51 / 21 pixels, plus one
    grid.show();
    grid.OnGetEditText = [](TObject*, int c, int r, QString& v) {
      v = QStringLiteral("%1,%2").arg(c).arg(r);
    };
    grid.OnSetEditText = [this](TObject*, int c, int r, const QString& v) {
      edits << QStringLiteral("%1,%2=%3").arg(c).arg(r).arg(v);
    };
  }
  QPoint CellCentre(int col, int row) { return grid.CellRect(col, row).ToQRect().center(); }
};

}  // namespace

TEST_F(TGridFixture, GeometryMapsCellsAndPointsBothWays) {
  EXPECT_EQ(grid.CellRect(0, 0), Bounds(0, 0, 50, 20));
  EXPECT_EQ(grid.CellRect(2, 3), Bounds(102, 63, 50, 20));
  EXPECT_EQ(grid.VisibleColCount(), 5);
  EXPECT_EQ(grid.VisibleRowCount(), 9);
  int c, r;
  grid.MouseToCell(102, 63, c, r);
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 3);
  grid.MouseToCell(152, 83, c, r);  // the grid line belongs to the cell before it
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 3);
  grid.SetTopLeft(5, 100);
  EXPECT_EQ(grid.CellRect(2, 3), TRect());
  grid.MouseToCell(60, 30, c, r);
  EXPECT_EQ(c, 5);
  EXPECT_EQ(r, 100);
  // Clamped beyond the edges: the last visible cell, not the first.
  grid.MouseToCellClamped(5000, 5000, c, r);
  EXPECT_GE(c, 9);
  EXPECT_GE(r, 108);
}

TEST_F(TGridFixture, KeysMoveExtendAndScroll) {
  QTest::keyClick(&grid, Qt::Key_Right);
  QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(&grid, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(grid.Selection(), (TGridCoordRect{2, 1, 3, 2}));
  QTest::keyClick(&grid, Qt::Key_PageDown);
  EXPECT_EQ(grid.Row(), 2 + grid.VisibleRowCount());
  EXPECT_GT(grid.TopRow(), 1);
  QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(grid.Col(), 19);
  EXPECT_EQ(grid.Row(), 199);
  EXPECT_FALSE(grid.CellRect(19, 199).IsEmpty());
  EXPECT_EQ(grid.verticalScrollBar()->value(), grid.TopRow());
}

TEST_F(TGridFixture, SelectCellMayRefuse) {
  grid.OnSelectCell = [](TObject*, int c, int, bool& can) { can = c != 3; };
  QTest::keyClick(&grid, Qt::Key_Right);
  QTest::keyClick(&grid, Qt::Key_Right);
  EXPECT_EQ(grid.Col(), 2);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCentre(4, 2));
  EXPECT_EQ(grid.Col(), 4);
}

TEST_F(TGridFixture, MouseDragSelectsARange) {
  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, CellCentre(1, 1));
  QMouseEvent move(QEvent::MouseMove, QPointF(CellCentre(3, 4)),
                   grid.viewport()->mapToGlobal(QPointF(CellCentre(3, 4))), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(grid.viewport(), &move);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, CellCentre(3, 4));
  EXPECT_EQ(grid.Selection(), (TGridCoordRect{1, 1, 3, 4}));
}

TEST_F(TGridFixture, EditorCommitsOnlyChangesAndCancelsOnEscape) {
  grid.setOptions(grid.Options() | goEditing);
  grid.setFocus();
  QTest::keyClick(&grid, Qt::Key_F2);
  ASSERT_TRUE(grid.EditorMode());
  EXPECT_EQ(grid.InplaceEditor()->text(), "1,1");
  QTest::keyClick(grid.InplaceEditor(), Qt::Key_Return);
  EXPECT_FALSE(grid.EditorMode());
  EXPECT_TRUE(edits.isEmpty());  // nothing typed, nothing handed back

  QTest::keyClicks(&grid, "x");  // typing opens the editor with the key
  ASSERT_TRUE(grid.EditorMode());
  QTest::keyClicks(grid.InplaceEditor(), "yz");
  QTest::keyClick(grid.InplaceEditor(), Qt::Key_Down);  // commits and moves
  EXPECT_EQ(edits, QStringList{"1,1=xyz"});
  EXPECT_EQ(grid.Row(), 2);

  QTest::keyClicks(&grid, "q");
  QTest::keyClick(grid.InplaceEditor(), Qt::Key_Escape);
  EXPECT_FALSE(grid.EditorMode());
  EXPECT_EQ(edits.size(), 1);
}

TEST_F(TGridFixture, SizingAndMovingByMouse) {
  grid.setOptions(grid.Options() | goColSizing | goColMoving | goRowMoving);
  int index = -1;
  EXPECT_EQ(grid.CalcSizingState(101, 5, index), gsColSizing);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(grid.CalcSizingState(101, 50, index), gsNormal);  // only on the header
  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, QPoint(101, 5));
  QMouseEvent move(QEvent::MouseMove, QPointF(131, 5), grid.viewport()->mapToGlobal(QPointF(131, 5)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(grid.viewport(), &move);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, QPoint(131, 5));
  EXPECT_EQ(grid.ColWidth(1), 80);

  std::vector<std::pair<int, int>> moves;
  grid.OnColumnMoved = [&](TObject*, int a, int b) { moves.push_back({a, b}); };
  grid.SetColWidth(2, 33);
  grid.MoveColumn(2, 4);
  EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{2, 4}}));
  EXPECT_EQ(grid.ColWidth(4), 33);  // the width went with the column
  EXPECT_EQ(grid.ColWidth(2), 50);
}

TEST_F(TGridFixture, PaintsCellsThroughTheHookWithStates) {
  std::map<std::pair<int, int>, TGridDrawState> seen;
  grid.OnDrawCell = [&](TObject*, QPainter&, int c, int r, const TRect&, TGridDrawState s) {
    seen[{c, r}] = s;
  };
  grid.SetSelection({2, 2, 3, 3});
  QImage img(grid.viewport()->size(), QImage::Format_RGB32);
  QPainter p(&img);
  grid.PaintGrid(p, img.rect());
  p.end();
  EXPECT_TRUE(seen[std::make_pair(0, 0)] & gdFixed);
  EXPECT_TRUE(seen[std::make_pair(3, 3)] & gdSelected);
  EXPECT_FALSE(seen[std::make_pair(4, 4)] & gdSelected);
  EXPECT_EQ(PixelAt(img, 51 * 3 - 1, 5), ColorToRGB(clBtnShadow));  // fixed line
  EXPECT_EQ(PixelAt(img, 51 * 3 - 1, 21 * 5 + 5), ColorToRGB(clSilver));
}

TEST(GridMask, ClassicMasksBecomeQtInputMasks) {
  // "/" is the locale's date separator: read these in the C locale.
  const QLocale old;
  QLocale::setDefault(QLocale::c());
  struct TRestore {
    QLocale l;
    ~TRestore() { QLocale::setDefault(l); }
  } restore{old};
  EXPECT_EQ(ToQtInputMask(QString()), QString());
  EXPECT_EQ(ToQtInputMask(QStringLiteral("!99/99/0000;1;_")), QStringLiteral("00/00/9999;_"));
  EXPECT_EQ(ToQtInputMask(QStringLiteral("!90.00.00;1;_")), QStringLiteral("09.99.99;_"));
  EXPECT_EQ(ToQtInputMask(QStringLiteral("LlAaCc")), QStringLiteral("AaNnXx;_"));
  EXPECT_EQ(ToQtInputMask(QStringLiteral("\\0 H")), QStringLiteral("\\0 \\H;_"));
}

TEST_F(TGridFixture, MaskedEditorCommitsOnlyWhatWasTypedAndEmptiesCleanly) {
  grid.setOptions(grid.Options() | goEditing);
  grid.OnGetEditMask = [](TObject*, int, int, QString& m) { m = QStringLiteral("!99/99/0000;1;_"); };
  grid.OnGetEditText = [](TObject*, int, int, QString& v) { v.clear(); };
  grid.setFocus();
  QTest::keyClick(&grid, Qt::Key_F2);
  ASSERT_TRUE(grid.EditorMode());
  QTest::keyClick(grid.InplaceEditor(), Qt::Key_Return);
  EXPECT_TRUE(edits.isEmpty());  // an untouched empty date commits no "  /  /    "
  QTest::keyClick(&grid, Qt::Key_F2);
  QTest::keyClick(grid.InplaceEditor(), Qt::Key_Home);
  QTest::keyClicks(grid.InplaceEditor(), "24092000");
  QTest::keyClick(grid.InplaceEditor(), Qt::Key_Return);
  EXPECT_EQ(edits, QStringList{"1,1=24/09/2000"});
}

// "/" and ":" of a classic mask are the locale's date and time separators.
TEST(GridMask, SlashAndColonAreTheLocaleSeparators) {
  const QLocale old;
  const std::pair<QLocale, const char*> cases[] = {
      {QLocale(QLocale::German, QLocale::Germany), "00.00.9999 99:99;_"},
      {QLocale(QLocale::Dutch, QLocale::Netherlands), "00-00-9999 99:99;_"},
      {QLocale(QLocale::Japanese, QLocale::Japan), "00/00/9999 99:99;_"},
      {QLocale::c(), "00/00/9999 99:99;_"},
  };
  for (const auto& [locale, mask] : cases) {
    QLocale::setDefault(locale);
    EXPECT_EQ(ToQtInputMask(QStringLiteral("!99/99/0000 00:00;1;_")), QString::fromLatin1(mask))
        << locale.name().toStdString();
  }
  QLocale::setDefault(old);
}
