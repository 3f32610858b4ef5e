// Printing a sheet into page pictures.
#include <Tarnwell/platform/THourglass.h>
#include <Tarnwell/spreadsheet/SShtPrint.h>
#include <gtest/gtest.h>

#include <QPainter>
#include <algorithm>
#include <vector>

#include "SheetGridTestUtil.h"
#include "TestUtil.h"

namespace {

// Page n played on white at its own size.
QImage PageImage(TSpreadSheetGrid& g, int n) {
  const TMetafile* mf = g.PrintPages().Page(n);
  EXPECT_NE(mf, nullptr);
  QImage img = WhiteImage(g.PrintPages().PageRect().Right, g.PrintPages().PageRect().Bottom);
  if (!mf) return img;
  QPainter p(&img);
  p.drawPicture(0, 0, mf->Picture());
  p.end();
  return img;
}

void Paint(TSpreadSheetGrid& g, int col, int row, TColor back) {
  g.Cells().GetCell(col, row, true)->SetBackground(back, clBlack, 0);
}

}  // namespace

TEST(SheetPrint, PageListKeepsPagesInOrder) {
  TGridPrintPages pages;
  pages.Setup(TRect(0, 0, 500, 900), TRect(30, 30, 330, 230));
  EXPECT_EQ(pages.PageCount(), 0);
  TMetafile* a = pages.NewPage();
  TMetafile* b = pages.NewPage();
  EXPECT_EQ(a->Width(), 300);
  EXPECT_EQ(a->Height(), 200);
  EXPECT_EQ(pages.Page(1), a);
  EXPECT_EQ(pages.Page(2), b);
  EXPECT_EQ(pages.Page(0), nullptr);
  EXPECT_EQ(pages.Page(3), nullptr);
  EXPECT_EQ(pages.Extent(), TRect(0, 0, 500, 900));
  pages.Setup(TRect(0, 0, 1, 1), TRect(0, 0, 10, 10));
  EXPECT_EQ(pages.PageCount(), 0);
}

// 100 rows of 16 pixels and a 1-pixel gap: 11 fit on a page 200 high.
TEST(SheetPrint, TallSheetGivesSeveralPagesAndNeverSplitsARow) {
  auto g = MakeGrid();
  for (int r = 1; r <= 100; ++r) g->Cells().SetCellText(1, r, QString::number(r));
  Paint(*g, 1, 11, clRed);   // the last row of page 1
  Paint(*g, 1, 12, clBlue);  // the first row of page 2
  std::vector<int> progress;
  int busyDuring = 0;
  g->PrintPages().OnProgress = [&](int percent) {
    progress.push_back(percent);
    busyDuring = std::max(busyDuring, THourglass::Depth());
  };
  g->PrintToPages(TRect(0, 0, 300, 200), false);
  EXPECT_EQ(g->PrintPages().PageCount(), 10);
  ASSERT_FALSE(progress.empty());
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(progress.back(), 100);
  EXPECT_GE(busyDuring, 1);
  EXPECT_EQ(THourglass::Depth(), 0);
  EXPECT_EQ(g->PrintPages().Extent(), TRect(0, 0, 64, 1600));
  const QImage p1 = PageImage(*g, 1), p2 = PageImage(*g, 2);
  EXPECT_EQ(PixelAt(p1, 30, 170 + 8), clRed);
  EXPECT_EQ(PixelAt(p1, 30, 170 + 15), clRed);
  for (int y = 187; y < 200; ++y) ASSERT_EQ(PixelAt(p1, 30, y), clWhite) << y;  // nothing cut
  EXPECT_EQ(PixelAt(p2, 30, 0), clBlue);
  EXPECT_EQ(PixelAt(p2, 30, 15), clBlue);
}

TEST(SheetPrint, ColumnsPastTheRightEdgeAreLeftOut) {
  auto g = MakeGrid();
  for (int c = 1; c <= 5; ++c) Paint(*g, c, 1, clLime);
  g->SetColWidth(5, 1);  // narrow, but after one that did not fit
  // Columns of 64 with gaps start at 0, 65, 130, 195: the fourth ends at 259.
  g->PrintToPages(TRect(0, 0, 250, 200), false);
  const QImage p = PageImage(*g, 1);
  EXPECT_EQ(PixelAt(p, 130 + 32, 8), clLime);
  for (int x = 194; x < 250; ++x) ASSERT_EQ(PixelAt(p, x, 8), clWhite) << x;
  EXPECT_EQ(g->PrintPages().Extent().Right, 4 * 64 + 1);
}

TEST(SheetPrint, GridLinesFillTheGapBetweenCells) {
  auto g = MakeGrid();
  Paint(*g, 1, 1, clBlack);
  Paint(*g, 2, 1, clBlack);
  Paint(*g, 1, 2, clBlack);
  const TRect page(10, 10, 400, 300);
  g->PrintToPages(page, false);
  QImage p = PageImage(*g, 1);
  EXPECT_EQ(PixelAt(p, 10 + 63, 15), clBlack);
  EXPECT_EQ(PixelAt(p, 10 + 64, 15), clWhite);  // the gap
  EXPECT_EQ(PixelAt(p, 10 + 65, 15), clBlack);
  EXPECT_EQ(PixelAt(p, 20, 10 + 16), clWhite);
  g->PrintToPages(page, true);
  p = PageImage(*g, 1);
  const TColor line = FromQColor(ToQColor(clBtnFace, g->palette()));
  EXPECT_EQ(PixelAt(p, 10 + 64, 15), line);
  EXPECT_EQ(PixelAt(p, 20, 10 + 16), line);
  EXPECT_EQ(PixelAt(p, 9, 15), line);  // the frame's outer edge
  EXPECT_EQ(PixelAt(p, 10 + 63, 15), clBlack);
}

TEST(SheetPrint, PageLowerThanARowGivesNoPagesAndNoBusyCursor) {
  auto g = MakeGrid();
  g->Cells().SetCellText(1, 1, "x");
  g->PrintToPages(TRect(0, 0, 300, 200), false);
  EXPECT_EQ(g->PrintPages().PageCount(), 1);
  g->PrintToPages(TRect(0, 0, 300, 15), false);
  EXPECT_EQ(g->PrintPages().PageCount(), 0);
  g->PrintToPages(TRect(0, 500, 300, 510), false);  // low, though far down
  EXPECT_EQ(g->PrintPages().PageCount(), 0);
  g->PrintToPages(TRect(0, 0, 40, 300), false);  // narrower than a column
  EXPECT_EQ(g->PrintPages().PageCount(), 0);
  EXPECT_EQ(THourglass::Depth(), 0);
}

TEST(SheetPrint, RowTallerThanAPageTakesOnePageWithoutAnEmptyOne) {
  auto g = MakeGrid();
  g->Cells().SetCellText(1, 1, "a");
  g->Cells().SetCellText(1, 2, "b");
  g->Cells().SetCellText(1, 3, "c");
  g->SetRowHeight(2, 500);
  Paint(*g, 1, 2, clRed);
  Paint(*g, 1, 3, clBlue);
  g->PrintToPages(TRect(0, 0, 300, 200), false);
  // Row 1, then row 2 alone (cut at the page's foot), then row 3.
  ASSERT_EQ(g->PrintPages().PageCount(), 3);
  EXPECT_EQ(PixelAt(PageImage(*g, 2), 30, 0), clRed);
  EXPECT_EQ(PixelAt(PageImage(*g, 2), 30, 199), clRed);
  EXPECT_EQ(PixelAt(PageImage(*g, 3), 30, 0), clBlue);
  g->SetRowHeight(1, 500);
  g->PrintToPages(TRect(0, 0, 300, 200), false);
  EXPECT_EQ(g->PrintPages().PageCount(), 3);  // the first page is not empty either
  EXPECT_EQ(PixelAt(PageImage(*g, 1), 30, 0), clWhite);
  EXPECT_EQ(PixelAt(PageImage(*g, 2), 30, 0), clRed);
}

TEST(SheetPrint, SelectionsAreNotPrinted) {
  auto g = MakeGrid();
  for (int r = 1; r <= 3; ++r)
    for (int c = 1; c <= 3; ++c) g->Cells().SetCellText(c, r, "v");
  g->SetSelection({1, 1, 3, 3});
  g->PrintToPages(TRect(0, 0, 300, 200), false);
  QImage p = PageImage(*g, 1);
  const TColor highlight = FromQColor(ToQColor(clHighlight, g->palette()));
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_NE(PixelAt(p, c * 65 + 40, r * 17 + 1), highlight);
  g->SetHeaderSelection(3);
  g->PrintToPages(TRect(0, 0, 300, 200), false);
  p = PageImage(*g, 1);
  EXPECT_EQ(PixelAt(p, 40, 1), clWhite);
}

TEST(SheetPrint, TextIsRecordedAsText) {
  auto g = MakeGrid();
  g->Cells().SetCellText(1, 1, "Quarantadue");
  g->PrintToPages(TRect(0, 0, 300, 200), false);
  // Played into an image the text has ink where the cell shows it...
  const QImage p = PageImage(*g, 1);
  int ink = 0;
  for (int x = 0; x < 64; ++x)
    for (int y = 0; y < 16; ++y) ink += PixelAt(p, x, y) != clWhite;
  EXPECT_GT(ink, 20);
  // ... and the picture holds the characters, not only outlines.
  const QPicture& pic = g->PrintPages().Page(1)->Picture();
  const QByteArray data(pic.data(), qsizetype(pic.size()));
  QByteArray utf16be;
  for (QChar ch : QString("Quarantadue"))
    utf16be.append(char(ch.unicode() >> 8)).append(char(ch.unicode() & 0xFF));
  EXPECT_TRUE(data.contains(utf16be));
}
