// The spreadsheet grid's properties, signals and look as a Qt program uses them.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "../grids/PropertyRoundTrip.h"
#include "SheetGridTestUtil.h"

namespace {

// Pixels of exactly this colour inside a cell as painted.
int CountColour(TSpreadSheetGrid& g, int col, int row, QColor c) {
  const QImage img = g.grab().toImage();
  const QRect r = g.CellRect(col, row).ToQRect();
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += img.pixelColor(x, y) == c;
  return n;
}

}  // namespace

TEST(SheetGridProperties, OwnAndInheritedPropertiesRoundTripWithDefaults) {
  TSpreadSheetGrid g;
  const QStringList own = RoundTripAllProperties(g, TSpreadSheetGrid::staticMetaObject);
  EXPECT_EQ(own, (QStringList{"Headers", "AutoRecalc", "EditEnabled"}));
  RoundTripAllProperties(g, TCustomGrid::staticMetaObject);  // sizes live in the store here
  EXPECT_TRUE(g.Headers());
  EXPECT_FALSE(g.AutoRecalc());
  EXPECT_TRUE(g.EditEnabled());
  // EditEnabled is the editing option: either side announces the change.
  QSignalSpy spy(&g, &TSpreadSheetGrid::EditEnabledChanged);
  g.setOptions(g.Options() & ~TGridOptions(goEditing));
  EXPECT_FALSE(g.property("EditEnabled").toBool());
  g.setOptions(g.Options() | goTabs);  // editing unchanged: no signal
  g.setProperty("EditEnabled", true);
  EXPECT_TRUE(g.Options() & goEditing);
  ASSERT_EQ(spy.count(), 2);
  EXPECT_FALSE(spy.at(0).at(0).toBool());
  g.setDefaultColWidth(80);
  EXPECT_EQ(g.Cells().DefaultColWidth(), 80);
}

TEST(SheetGridProperties, SelectionChangesReachEveryListener) {
  auto g = MakeGrid();
  QSignalSpy spy(g.get(), &TSpreadSheetGrid::SelectionChanged);
  QString assigned;
  g->OnSelectionChanged = [&](TObject*, bool, const QString& area, int, int, TSpreadSheetCell*) {
    assigned = area;
  };
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, Centre(*g, 3, 5));
  ASSERT_GE(spy.count(), 1);
  EXPECT_TRUE(spy.last().at(1).toBool());
  EXPECT_EQ(spy.last().at(2).toString(), QStringLiteral("C5"));
  EXPECT_EQ(assigned, QStringLiteral("C5"));
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, Centre(*g, 2, 0));  // column B
  EXPECT_FALSE(spy.last().at(1).toBool());
  EXPECT_EQ(spy.last().at(2).toString(), QStringLiteral("B1:B1001"));
}

TEST(SheetGridLook, FontAndPaletteGiveTheDefaultCellFormat) {
  auto g = MakeGrid();
  g->SetCellText(2, 2, QStringLiteral("WWWW"));
  g->SetCellText(2, 3, QStringLiteral("WWWW"));
  g->GetCellAt(2, 3)->SetFont(TCellFont{QStringLiteral("Arial"), 8, clBlue, 0});  // a font of its own
  QFont f = g->font();
  f.setPixelSize(15);
  f.setBold(true);
  g->setFont(f);
  EXPECT_EQ(g->Cells().DefaultCell()->Font().Size, 11);  // 15 px at 96 dpi
  EXPECT_EQ(g->Cells().DefaultCell()->Font().Style & 1, 1);
  QPalette pal = g->palette();
  pal.setColor(QPalette::Text, QColor(255, 0, 0));
  pal.setColor(QPalette::Base, QColor(0, 128, 0));
  g->setPalette(pal);
  EXPECT_GT(CountColour(*g, 2, 2, QColor(255, 0, 0)), 10);  // default text in the palette's colour
  EXPECT_EQ(CountColour(*g, 2, 3, QColor(255, 0, 0)), 0);   // its own colour wins
  EXPECT_GT(CountColour(*g, 2, 3, QColor(0, 0, 255)), 10);
  EXPECT_EQ(g->Color(), clGreen);  // new cells stay white: their format says so
}

TEST(SheetGridLook, SizeHintIsAWindowNotTheSheet) {
  TSpreadSheetGrid g;
  const QSize hint = g.sizeHint();
  EXPECT_GE(hint.width(), 5 * 64);
  EXPECT_LE(hint.width(), 900);
  EXPECT_GE(hint.height(), 8 * 16);
  EXPECT_LE(hint.height(), 700);
  EXPECT_LE(g.minimumSizeHint().width(), hint.width());
}
