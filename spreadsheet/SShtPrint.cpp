// Printing a sheet: the used area cut into page pictures.
#include "SShtPrint.h"

#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TGraphics.h>
#include <Tarnwell/platform/THourglass.h>

#include <QPainter>
#include <algorithm>
#include <climits>

#include "SShtGrid.h"

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
  // Like a paint of the control: a font is set on the page only when the
  // next cell's differs (the cache is per page).
  struct TPaintScope {
    bool& flag;
    explicit TPaintScope(bool& f) : flag(f) { flag = true; }
    ~TPaintScope() { flag = false; }
  } scope(mInGridPaint);
  std::unique_ptr<TMetafileCanvas> canvas;
  QPainter* p = nullptr;
  int y = P.Top;
  // The rows on the current page, for its lines.
  std::vector<std::pair<int, int>> rows;
  int right = P.Left;
  for (int w : widths) right += w + 1;
  // The cell lines fill the one-pixel gaps around every cell: cells never
  // paint there, so the page's lines are drawn once, after its cells.
  auto drawLines = [&] {
    if (!gridLines || rows.empty() || widths.empty()) return;
    p->setPen(QPen(lineColor, 0));
    p->setBrush(Qt::NoBrush);
    const int top = rows.front().first - 1, bottom = rows.back().first + rows.back().second;
    int x = P.Left - 1;
    p->drawLine(x, top, x, bottom);
    for (int w : widths) {
      x += w + 1;
      p->drawLine(x, top, x, bottom);
    }
    p->drawLine(P.Left - 1, top, right - 1, top);
    for (const auto& [ry, rh] : rows) p->drawLine(P.Left - 1, ry + rh, right - 1, ry + rh);
  };
  auto startPage = [&] {
    if (canvas) {
      drawLines();
      canvas->Finish();
    }
    canvas = std::make_unique<TMetafileCanvas>(*pages.NewPage());
    canvas->Font().Assign(Font());
    p = canvas->Painter();
    p->setBrush(paper);
    mFontOnPainter = nullptr;
    y = P.Top;
    rows.clear();
  };
  startPage();
  const int step = std::max(1, R / 100);
  for (int r = 1; r <= R; ++r) {
    const int h = RowHeight(r);
    // A row taller than a whole page goes on a page of its own (cut at its
    // foot) instead of leaving an empty page before it.
    if (P.Bottom < y + h && !rows.empty()) startPage();
    int x = P.Left;
    for (int c = 1; c <= fitting; ++c) {
      const int w = widths[std::size_t(c - 1)];
      // Header and range selections never reach the paper: the position
      // (-1, -1) and an empty state draw the cell as it is.
      PaintCell(-1, -1, 0, TRect(x, y, x + w, y + h), *p, mCells->GetFormatCell(c, r));
      x += w + 1;
    }
    rows.emplace_back(y, h);
    y += h + 1;
    if (pages.OnProgress && r % step == 0) pages.OnProgress(int(qint64(r) * 100 / R));
  }
  drawLines();
  canvas->Finish();
  mFontOnPainter = nullptr;
  if (pages.OnProgress) pages.OnProgress(100);
}

}  // namespace Tarnwell
