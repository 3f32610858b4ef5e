// Printing a sheet: the used area cut into page pictures.
#include "SShtPrint.h"

#include <QPainter>
#include <algorithm>
#include <climits>

#include "SShtGrid.h"
#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TGraphics.h>
#include <Tarnwell/platform/THourglass.h>

namespace Tarnwell {

void TGridPrintPages::Setup(const TRect& extent, const TRect& pageRect) {
  ClearPages();
  mExtent = extent;
  mPageRect = pageRect;
}

TMetafile* TGridPrintPages::NewPage() {
  auto mf = std::make_unique<TMetafile>();
  mf->SetSize(mPageRect.Width(), mPageRect.Height());
  mPages.push_back(std::move(mf));
  return mPages.back().get();
}

const TMetafile* TGridPrintPages::Page(int n) const {
  if (n <= 0 || n > PageCount()) return nullptr;
  return mPages[std::size_t(n - 1)].get();
}

TGridPrintPages& TSpreadSheetGrid::PrintPages() {
  if (!mPrintPages) mPrintPages = std::make_shared<TGridPrintPages>();
  return *mPrintPages;
}

void TSpreadSheetGrid::PrintToPages(const TRect& P, bool gridLines) {
  THourglass busy;
  TGridPrintPages& pages = PrintPages();
  pages.ClearPages();
  // A page that cannot hold one default row or column holds nothing.
  if (P.Height() < DefaultRowHeight() || P.Width() < DefaultColWidth()) return;

  const TGridRect used = mCells->UsedExtent();
  const int C = used.Right, R = used.Bottom;
  // The columns that fit are the same on every page: x only grows, so once
  // one column crosses the right edge no later one fits either.
  std::vector<int> widths;
  qint64 totalW = 0, totalH = 0;
  int fitting = 0;
  {
    int x = P.Left;
    for (int c = 1; c <= C; ++c) {
      const int w = ColWidth(c);
      totalW += w;
      if (x + w < P.Right && fitting == c - 1) {
        widths.push_back(w);
        fitting = c;
      }
      x += w + 1;
    }
  }
  for (int r = 1; r <= R; ++r) totalH += RowHeight(r);
  pages.Setup(TRect(0, 0, int(std::min<qint64>(totalW, INT_MAX)), int(std::min<qint64>(totalH, INT_MAX))), P);

  const QPalette& pal = palette();
  const QColor lineColor = ToQColor(clBtnFace, pal);
  const QColor paper = ToQColor(Color(), pal);
  std::unique_ptr<TMetafileCanvas> canvas;
  QPainter* p = nullptr;
  int y = P.Top;
  bool pageHasRows = false;
  auto startPage = [&] {
    if (canvas) canvas->Finish();
    canvas = std::make_unique<TMetafileCanvas>(*pages.NewPage());
    canvas->Font().Assign(Font());
    p = canvas->Painter();
    p->setBrush(paper);
    y = P.Top;
    pageHasRows = false;
  };
  startPage();
  const int step = std::max(1, R / 100);
  for (int r = 1; r <= R; ++r) {
    const int h = RowHeight(r);
    // A row taller than a whole page goes on a page of its own (cut at its
    // foot) instead of leaving an empty page before it.
    if (P.Bottom < y + h && pageHasRows) startPage();
    int x = P.Left;
    for (int c = 1; c <= fitting; ++c) {
      const int w = widths[std::size_t(c - 1)];
      const TRect cellRect(x, y, x + w, y + h);
      // Header and range selections never reach the paper: the position
      // (-1, -1) and an empty state draw the cell as it is.
      PaintCell(-1, -1, 0, cellRect, *p, mCells->GetFormatCell(c, r));
      if (gridLines) {
        p->setPen(QPen(lineColor, 0));
        p->setBrush(Qt::NoBrush);
        p->drawRect(QRect(x - 1, y - 1, w + 1, h + 1));
        p->setBrush(paper);
      }
      x += w + 1;
    }
    y += h + 1;
    pageHasRows = true;
    if (pages.OnProgress && r % step == 0) pages.OnProgress(int(qint64(r) * 100 / R));
  }
  canvas->Finish();
  if (pages.OnProgress) pages.OnProgress(100);
}

}  // namespace Tarnwell
