// The grid as a Qt programmer meets it: properties by name, signals,
// fonts and palettes, size hints.
#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <Tarnwell/grids/TGrids.h>
#include "PropertyRoundTrip.h"
#include "TestUtil.h"

using namespace Tarnwell;

namespace {

std::unique_ptr<TDrawGrid> ShownGrid() {
  auto g = std::make_unique<TDrawGrid>();
  g->setAttribute(Qt::WA_DontShowOnScreen);
  g->setFrameShape(QFrame::NoFrame);
  g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  g->resize(200, 120);
  g->show();
  return g;
}

// The colour in the middle of a scrollable cell, as the grid paints it.
QColor CellColour(TCustomGrid& g, int col, int row) {
  const QImage img = g.grab().toImage();
  return img.pixelColor(g.CellRect(col, row).ToQRect().center());
}

}  // namespace

TEST(GridProperties, EveryPropertyRoundTripsByNameWithItsSignal) {
  TDrawGrid g;
  const QStringList names = RoundTripAllProperties(g, TCustomGrid::staticMetaObject);
  for (const char* n : {"ColCount", "RowCount", "FixedCols", "FixedRows", "DefaultColWidth",
                        "DefaultRowHeight", "GridLineWidth", "Options", "Color", "FixedColor", "Font"})
    EXPECT_TRUE(names.contains(QLatin1String(n))) << n;
}

TEST(GridProperties, OptionsTakeFlagNamesAndCountsAreKeptInRange) {
  TDrawGrid g;
  EXPECT_TRUE(g.setProperty("Options", QStringLiteral("goEditing|goTabs")));
  EXPECT_EQ(g.Options(), TGridOptions(goEditing | goTabs));
  g.setFixedCols(1);
  g.setProperty("ColCount", 0);  // never fewer than the fixed columns + 1
  EXPECT_EQ(g.ColCount(), 2);
  g.setProperty("FixedCols", 9);
  EXPECT_EQ(g.FixedCols(), 1);
  g.setProperty("GridLineWidth", -3);
  EXPECT_EQ(g.GridLineWidth(), 0);
  // The current cell stays inside the shrunk grid.
  g.setColCount(10);
  g.setRowCount(10);
  g.setCol(8);
  g.setRow(8);
  g.setColCount(4);
  EXPECT_EQ(g.Col(), 3);
  EXPECT_EQ(g.Row(), 8);
}

TEST(GridProperties, EventsReachEveryListenerAndTheAssignedHandler) {
  auto g = ShownGrid();
  g->setColCount(30);
  g->setRowCount(30);
  g->setOptions(g->Options() | goColMoving | goEditing);
  QSignalSpy moved(g.get(), &TCustomGrid::columnMoved);
  QSignalSpy topLeft(g.get(), &TCustomGrid::topLeftChanged);
  QSignalSpy edited(g.get(), &TCustomGrid::editTextSet);
  int assigned = 0, painted = 0;
  g->OnColumnMoved = [&](TObject* s, int from, int to) { assigned += s == g.get() && from == 2 && to == 4; };
  QObject::connect(g.get(), &TDrawGrid::drawCell,
                   [&](QObject*, QPainter&, int c, int r, const QRect&, unsigned) { painted += c == 1 && r == 1; });
  g->MoveColumn(2, 4);
  ASSERT_EQ(moved.count(), 1);
  EXPECT_EQ(moved.at(0).at(1).toInt(), 2);
  EXPECT_EQ(moved.at(0).at(2).toInt(), 4);
  EXPECT_EQ(assigned, 1);
  g->setTopRow(5);
  EXPECT_EQ(topLeft.count(), 1);
  g->setTopRow(1);
  g->setCol(1);
  g->setRow(1);
  g->ShowEditor();
  g->InplaceEditor()->setText(QStringLiteral("x"));
  g->HideEditor();
  ASSERT_EQ(edited.count(), 1);
  EXPECT_EQ(edited.at(0).at(3).toString(), QStringLiteral("x"));
  g->grab();
  EXPECT_GE(painted, 1);
}

TEST(GridLook, PaletteFontAndStyleSheetReachThePaintedCells) {
  auto g = ShownGrid();
  QPalette pal = g->palette();
  pal.setColor(QPalette::Base, QColor(0, 128, 0));
  g->setPalette(pal);
  EXPECT_EQ(g->Color(), clGreen);
  EXPECT_EQ(CellColour(*g, 2, 2), QColor(0, 128, 0));  // (1,1) is the current cell
  g->setColor(clYellow);  // and the other way round
  EXPECT_EQ(g->palette().color(QPalette::Base), QColor(255, 255, 0));
  EXPECT_EQ(CellColour(*g, 2, 3), QColor(255, 255, 0));
  // Fixed cells follow the palette's button colour while FixedColor is the
  // system colour.
  pal = g->palette();
  pal.setColor(QPalette::Button, QColor(0, 0, 128));
  g->setPalette(pal);
  EXPECT_EQ(CellColour(*g, 0, 2), QColor(0, 0, 128));
  // A style sheet is one more way to set the palette.
  g->setStyleSheet(QStringLiteral("background-color: #800000;"));
  g->ensurePolished();
  EXPECT_EQ(CellColour(*g, 2, 4), QColor(128, 0, 0));
  EXPECT_EQ(g->Color(), clMaroon);

  QSignalSpy font(g.get(), &TCustomGrid::FontChanged);
  QFont f = g->font();
  f.setPixelSize(27);
  g->setFont(f);
  EXPECT_EQ(g->Font().Height(), -27);
  EXPECT_GE(font.count(), 1);
}

TEST(GridLook, SizeHintsShowSeveralCellsAndFitLayouts) {
  TDrawGrid g;  // 5 x 5 cells of 64 x 24
  const QSize hint = g.sizeHint(), least = g.minimumSizeHint();
  EXPECT_GE(hint.width(), 5 * 64);
  EXPECT_GE(hint.height(), 5 * 24);
  EXPECT_LE(least.width(), hint.width());
  EXPECT_GE(least.width(), 2 * 64);  // the fixed column and one more
  g.setColCount(1000);
  g.setRowCount(100000);
  EXPECT_LE(g.sizeHint().width(), 900);  // a big grid still asks for a window, not the sheet
  EXPECT_LE(g.sizeHint().height(), 700);
  QWidget w;
  auto* lay = new QHBoxLayout(&w);
  auto* inLayout = new TDrawGrid;
  lay->addWidget(inLayout);
  w.setAttribute(Qt::WA_DontShowOnScreen);
  w.show();
  EXPECT_GE(inLayout->width(), inLayout->minimumSizeHint().width());
  EXPECT_GE(inLayout->height(), inLayout->minimumSizeHint().height());
}
