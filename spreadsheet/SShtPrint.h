#pragma once
// TGridPrintPages: a sheet cut into page pictures for the report engine.
// TSpreadSheetGrid::PrintToPages fills it: pages are cut vertically only
// (rows never split), the columns that do not fit the page's width are left
// out, and neither the header row nor the header column is printed.

#include <Tarnwell/platform/TBitmap.h>
#include <Tarnwell/platform/TTypes.h>

#include <QObject>
#include <functional>
#include <memory>
#include <vector>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// The pages a spreadsheet grid prints: its printed area cut into page pictures, with the
// extent of the whole area in pixels.
class TARNWELL_SHEETGRID_EXPORT TGridPrintPages {
 public:
  TGridPrintPages() = default;
  ~TGridPrintPages() { ClearPages(); }
  TGridPrintPages(const TGridPrintPages&) = delete;
  TGridPrintPages& operator=(const TGridPrintPages&) = delete;

  // (0, 0, total width, total height) of the printed area in pixels.
  const TRect& Extent() const { return mExtent; }
  // The printable rectangle of one page, in pixels.
  const TRect& PageRect() const { return mPageRect; }

  // Forgets every page and keeps both rectangles.
  void Setup(const TRect& extent, const TRect& pageRect);
  // Appends an empty page of the page rectangle's size and returns it.
  TMetafile* NewPage();
  // Page n, counting from 1; null outside 1..PageCount().
  const TMetafile* Page(int n) const;
  int PageCount() const { return int(mPages.size()); }
  void ClearPages() { mPages.clear(); }

  // Told the share of rows done (0..100) while PrintToPages runs.
  std::function<void(int percent)> OnProgress;

 private:
  TRect mExtent, mPageRect;
  std::vector<std::unique_ptr<TMetafile>> mPages;
};

}  // namespace Tarnwell
