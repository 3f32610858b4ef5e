#include <gtest/gtest.h>

#include <QPainter>

#include "SheetGridTestUtil.h"
#include <Tarnwell/platform/TResources.h>
#include <Tarnwell/spreadsheet/SShtGrid_p.h>
#include "TestUtil.h"

namespace {

// The rows of each pattern, top row first, bit 7 leftmost; set bits are ink.
const unsigned char kMasks[18][8] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00},
    {0x44, 0x44, 0x44, 0x44, 0x44, 0x44, 0x44, 0x44}, {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00},
    {0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66}, {0x88, 0x44, 0x22, 0x11, 0x88, 0x44, 0x22, 0x11},
    {0x11, 0x22, 0x44, 0x88, 0x11, 0x22, 0x44, 0x88}, {0xCC, 0x66, 0x33, 0x99, 0xCC, 0x66, 0x33, 0x99},
    {0x99, 0x33, 0x66, 0xCC, 0x99, 0x33, 0x66, 0xCC}, {0x44, 0xFF, 0x44, 0x44, 0x44, 0xFF, 0x44, 0x44},
    {0xAA, 0x44, 0xAA, 0x11, 0xAA, 0x44, 0xAA, 0x11}, {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55},
    {0x33, 0x33, 0xCC, 0xCC, 0x33, 0x33, 0xCC, 0xCC}, {0x11, 0x44, 0x11, 0x44, 0x11, 0x44, 0x11, 0x44},
    {0x11, 0x00, 0x44, 0x00, 0x11, 0x00, 0x44, 0x00}, {0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77},
    {0xFF, 0xCC, 0xFF, 0x33, 0xFF, 0xCC, 0xFF, 0x33}, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};

// Paints one cell through PaintCell into a white image at (0,0).
QImage PaintOne(TSpreadSheetGrid& g, const TSpreadSheetCell* c, int w = 64, int h = 16,
                TGridDrawState s = 0) {
  QImage img = WhiteImage(w, h);
  QPainter p(&img);
  g.PaintCell(5, 5, s, Bounds(0, 0, w, h), p, c);
  p.end();
  return img;
}

}  // namespace

TEST(SheetGridPaint, PatternPicturesAndColouredTilesMatchTheMasks) {
  auto g = MakeGrid();
  for (int pat = 0; pat < 18; ++pat) {
    const QImage raw = LoadResourcePicture(CellPatternName(pat));
    ASSERT_EQ(raw.size(), QSize(8, 8)) << pat;
    const QImage tile = g->GetPatternTile(pat, clYellow, clNavy).Bitmap;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        const bool ink = (kMasks[pat][y] >> (7 - x)) & 1;
        EXPECT_EQ(qGray(raw.pixel(x, y)) == 0, ink) << CellPatternName(pat).toStdString() << x << "," << y;
        EXPECT_EQ(PixelAt(tile, x, y), ink ? clNavy : clYellow) << pat << " " << x << "," << y;
      }
  }
}

TEST(SheetGridPaint, TileCacheKeepsTheLastAndEvictsTheOldest) {
  auto g = MakeGrid();
  const TGridPatternBitmap* first = &g->GetPatternTile(5, RGB(0, 0, 0), clRed);
  EXPECT_EQ(&g->GetPatternTile(5, RGB(0, 0, 0), clRed), first);  // no rebuild
  for (int i = 1; i < TSpreadSheetGrid::MaxTileCache; ++i)
    g->GetPatternTile(5, RGB(i & 255, i >> 8, 0), clRed);
  EXPECT_EQ(TileCacheCount(*g), 512);
  EXPECT_TRUE(g->TileCached(5, RGB(0, 0, 0), clRed));
  g->GetPatternTile(5, RGB(0, 0, 9), clRed);  // the 513th
  EXPECT_EQ(TileCacheCount(*g), 512);
  EXPECT_FALSE(g->TileCached(5, RGB(0, 0, 0), clRed));
  EXPECT_TRUE(g->TileCached(5, RGB(1, 0, 0), clRed));
  // A repaint of cells uses the cache and builds nothing new.
  auto* c = g->Cells().GetCell(2, 2, true);
  c->SetBackground(clWhite, clRed, 7);
  g->RenderImage();
  const int n = TileCacheCount(*g);
  g->RenderImage();
  EXPECT_EQ(TileCacheCount(*g), n);
}

TEST(SheetGridPaint, BackgroundsPatternsAndTheGridColour) {
  auto g = MakeGrid();
  TSpreadSheetCell cell(5, 5);
  cell.SetBackground(clYellow, clBlue, 0);
  EXPECT_EQ(PixelAt(PaintOne(*g, &cell), 10, 3), clYellow);  // pattern 0: background
  cell.SetBackground(clYellow, clBlue, 17);
  EXPECT_EQ(PixelAt(PaintOne(*g, &cell), 10, 3), clBlue);  // pattern 17: ink
  g->setColor(clLime);
  const TGridPatternBitmap& t = g->GetPatternTile(3, scKeepColor, clRed);
  EXPECT_EQ(PixelAt(t.Bitmap, 0, 3), clLime);  // no colour: the grid's
  // Selected: the highlight, with the pattern ink over it.
  cell.SetBackground(clYellow, clBlue, 11);
  const QImage sel = PaintOne(*g, &cell, 64, 16, gdSelected);
  EXPECT_EQ(PixelAt(sel, 0, 0), clBlue);
  EXPECT_EQ(PixelAt(sel, 1, 0), ColorToRGB(clHighlight));
}

TEST(SheetGridPaint, AlignmentFollowsTypeAndSetting) {
  TCLocale c;
  auto g = MakeGrid();
  auto inkColumns = [](const QImage& img) {
    int first = -1, last = -1;
    for (int x = 0; x < img.width(); ++x)
      for (int y = 0; y < img.height(); ++y)
        if (qGray(img.pixel(x, y)) < 128) {
          if (first < 0) first = x;
          last = x;
        }
    return std::make_pair(first, last);
  };
  TSpreadSheetCell cell(5, 5);
  cell.SetDataType(cdtNumber);
  cell.SetText("12");
  auto [l, r] = inkColumns(PaintOne(*g, &cell, 100, 20));
  EXPECT_GE(l, 80);  // numbers go right with a 2-pixel margin
  EXPECT_LE(r, 97);
  cell.SetDataType(cdtGeneral);
  cell.SetText("ab");
  std::tie(l, r) = inkColumns(PaintOne(*g, &cell, 100, 20));
  EXPECT_GE(l, 2);
  EXPECT_LE(l, 5);
  cell.SetAlignment(2, scKeepVAlign);
  std::tie(l, r) = inkColumns(PaintOne(*g, &cell, 100, 20));
  EXPECT_NEAR((l + r) / 2, 50, 4);
}

TEST(SheetGridPaint, BordersAreWidthLinesInside) {
  auto g = MakeGrid();
  TSpreadSheetCell cell(5, 5);
  cell.SetBorders("L", 0, 3, clRed);
  cell.SetBorders("B", 0, 1, clBlue);
  const QImage img = PaintOne(*g, &cell, 40, 20);
  EXPECT_EQ(PixelAt(img, 0, 5), clRed);
  EXPECT_EQ(PixelAt(img, 2, 5), clRed);
  EXPECT_EQ(PixelAt(img, 3, 5), clWhite);
  EXPECT_EQ(PixelAt(img, 20, 19), clBlue);
  EXPECT_EQ(PixelAt(img, 20, 18), clWhite);
}

TEST(SheetGridPaint, WholeSheetSelectionNeverHighlightsPreviews) {
  auto g = MakeGrid();
  g->SetHeaderSelection(3);
  TSpreadSheetCell cell(1, 1);
  cell.SetBackground(clYellow, clBlue, 0);
  QImage img = WhiteImage(40, 16);
  QPainter p(&img);
  g->PaintCellPreview(&cell, p, Bounds(0, 0, 40, 16));
  p.end();
  EXPECT_EQ(PixelAt(img, 10, 8), clYellow);
  // On screen the sheet's cells are highlighted.
  g->Cells().GetCell(2, 2, true)->SetBackground(clYellow, clBlue, 0);
  const QImage screen = g->RenderImage();
  const QPoint at = Centre(*g, 2, 2);
  EXPECT_EQ(PixelAt(screen, at.x(), at.y() + 6), ColorToRGB(clHighlight));
}

TEST(SheetGridPaint, HeadersOffLeavesHeaderCellsBlankWhileUpdatesHideData) {
  auto g = MakeGrid();
  auto inkIn = [](const QImage& img, const TRect& r) {
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
      for (int x = r.Left + 1; x < r.Right - 1; ++x)
        if (qGray(img.pixel(x, y)) < 100) return true;
    return false;
  };
  EXPECT_TRUE(inkIn(g->RenderImage(), g->CellRect(1, 0)));
  g->setHeaders(false);
  EXPECT_FALSE(inkIn(g->RenderImage(), g->CellRect(1, 0)));
  g->SetCellText(2, 2, "XXXX");
  EXPECT_TRUE(inkIn(g->RenderImage(), g->CellRect(2, 2)));
  g->BeginUpdate();
  EXPECT_FALSE(inkIn(g->RenderImage(), g->CellRect(2, 2)));
  g->EndUpdate();
  EXPECT_TRUE(inkIn(g->RenderImage(), g->CellRect(2, 2)));
}

TEST(SheetGridPaint, FillPatternImagesTilesTheRawPictures) {
  auto g = MakeGrid();
  const auto images = g->FillPatternImages(QSize(32, 12));
  ASSERT_EQ(images.size(), 18u);
  EXPECT_EQ(PixelAt(images[17], 20, 10), clBlack);
  EXPECT_EQ(PixelAt(images[0], 20, 10), clWhite);
  EXPECT_EQ(PixelAt(images[5], 8, 8), clBlack);  // DIAGD repeats every 4
  EXPECT_EQ(PixelAt(images[5], 9, 8), clWhite);
}

#ifdef SSHT_TOOL_PATH
#include <QProcess>
#include <QTemporaryDir>

TEST(SheetGridPaint, RenderCommandDrawsASheetFile) {
  TCLocale c;
  auto g = MakeGrid();
  BuildShowcase(*g);
  QTemporaryDir dir;
  // SSHT_SHOWCASE names a place to keep the sheet for looking at it.
  const QString keep = qEnvironmentVariable("SSHT_SHOWCASE");
  const QString qvs = keep.isEmpty() ? dir.filePath("show.qvs") : keep;
  g->SaveToFile(0, qvs);
  const QString png = dir.filePath("show.png");
  QProcess p;
  p.start(QStringLiteral(SSHT_TOOL_PATH), {"render", qvs, png, "--size", "800x400", "--cell", "A1"});
  ASSERT_TRUE(p.waitForFinished(60000));
  ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  const QImage img(png);
  ASSERT_EQ(img.size(), QSize(800, 400));
  // The SOLID pattern cell (C19) is all ink; the tool scrolls on request.
  const TRect r = g->CellRect(3, 19);
  ASSERT_FALSE(r.IsEmpty());
  EXPECT_EQ(PixelAt(img, r.Left + 5, r.Top + 5), clMaroon);
  p.start(QStringLiteral(SSHT_TOOL_PATH), {"render", qvs, png, "--cell", "Q7"});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 0);
  p.start(QStringLiteral(SSHT_TOOL_PATH), {"render", qvs, png, "--cell", "ZZZ1"});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 2);
  p.start(QStringLiteral(SSHT_TOOL_PATH), {"render", dir.filePath("missing.qvs"), png});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 1);
}
#endif

using namespace Tarnwell;

TEST(SheetGridPaint, HeaderSelectionIsSunkenAndHighlighted) {
  TCLocale c;
  auto g = MakeGrid(500, 200);
  BuildShowcase(*g);
  g->SetHeaderSelection(1, 3, 4);
  const QImage cols = g->RenderImage();
  const TRect h = g->CellRect(3, 0);
  EXPECT_EQ(PixelAt(cols, h.Left + 1, h.Top + 5), ColorToRGB(clBtnShadow));
  EXPECT_EQ(PixelAt(cols, h.Right - 2, h.Top + 5), ColorToRGB(clBtnHighlight));
  const TRect plain = g->CellRect(6, 8);
  EXPECT_EQ(PixelAt(cols, plain.Left + 3, plain.Top + 3), clWhite);
  // CLEAR over a header selection is the highlight; patterned cells keep their ink.
  const TRect clear = g->CellRect(4, 2);
  EXPECT_EQ(PixelAt(cols, clear.Left + 3, clear.Top + 3), ColorToRGB(clHighlight));
  g->SetHeaderSelection(2, 2, 3);
  const QImage rows = g->RenderImage();
  const TRect rh = g->CellRect(0, 2);
  EXPECT_EQ(PixelAt(rows, rh.Left + 1, rh.Top + 5), ColorToRGB(clBtnShadow));
  g->SetHeaderSelection(3);
  const QImage all = g->RenderImage();
  const TRect corner = g->CellRect(0, 0);
  EXPECT_EQ(PixelAt(all, corner.Left + 1, corner.Top + 1), ColorToRGB(clBtnShadow));
  if (const QString dump = qEnvironmentVariable("SSHT_DUMP"); !dump.isEmpty()) {
    cols.save(dump + "/cols.png");
    rows.save(dump + "/rows.png");
    all.save(dump + "/all.png");
  }
}
