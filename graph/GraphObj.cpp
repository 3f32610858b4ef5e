// The graph's data: series, tasks, links, paging, bounds and the zoom history.
#include "GraphObj.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Tarnwell {

namespace {
bool Finite(double v) { return std::isfinite(v); }
}  // namespace

// ---- TGanttLinkList --------------------------------------------------------------

int TGanttLinkList::AddLink(int fromTask, int toTask) {
  mItems.push_back(TGanttLink{fromTask, toTask});
  return int(mItems.size()) - 1;
}

void TGanttLinkList::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  mItems.erase(mItems.begin() + index);
}

void TGanttLinkList::Clear() { mItems.clear(); }

void TGanttLinkList::TaskDeleted(int taskIndex) {
  std::vector<TGanttLink> kept;
  kept.reserve(mItems.size());
  for (TGanttLink l : mItems) {
    if (l.FromTask == taskIndex || l.ToTask == taskIndex) continue;
    if (l.FromTask > taskIndex) --l.FromTask;
    if (l.ToTask > taskIndex) --l.ToTask;
    kept.push_back(l);
  }
  mItems.swap(kept);
}

// ---- TPointSerie -------------------------------------------------------------------

TPointSerie::TPointSerie() { SetPage(1); }

int TPointSerie::AddPoint(double x, double y) {
  if (IsTaskKind()) return -1;
  if (mSorted) {
    // Appending in X order (the usual case) keeps the serie sorted for free.
    if (!Finite(x))
      mSorted = false;
    else if (mFiniteCount == PointCount() && (mPoints.empty() || !(x < mPoints.back().X)))
      ++mFiniteCount;
    else
      mSorted = false;
  }
  mPoints.push_back(TGraphPointObj{x, y});
  return PointCount() - 1;
}

int TPointSerie::AddTask(const QString& text, TColor color, double x1, double x2, double y,
                         TColor textColor) {
  mTasks.push_back(TExtGraphPointObj{x1, x2, y, text, color, textColor});
  return TaskCount() - 1;
}

void TPointSerie::DeletePoint(int index) {
  if (index < 0 || index >= PointCount()) return;
  mPoints.erase(mPoints.begin() + index);
  mSorted = false;
}

void TPointSerie::DeleteTask(int index) {
  if (index < 0 || index >= TaskCount()) return;
  mTasks.erase(mTasks.begin() + index);
  if (mLinks) mLinks->TaskDeleted(index);
}

void TPointSerie::Clear() {
  mPoints.clear();
  mPoints.shrink_to_fit();
  mTasks.clear();
  mSorted = true;
  mFiniteCount = 0;
}

void TPointSerie::Reserve(int n) {
  if (n <= 0) return;
  if (IsTaskKind())
    mTasks.reserve(size_t(n));
  else
    mPoints.reserve(size_t(n));
}

int TPointSerie::PageCount() const {
  if (mPointsPerPage <= 0) return 1;
  // Always one page more than the full ones: after an exact multiple the
  // last page is empty, room for the bars still to come.
  return Count() / mPointsPerPage + 1;
}

void TPointSerie::SetPage(int n) {
  if (n > 0 && PageCount() >= n) mPage = n;
}

int TPointSerie::EffectivePage() const { return std::clamp(mPage, 1, PageCount()); }

int TPointSerie::BarsPerPage() const {
  const int n = TaskCount();
  return (mPointsPerPage > 0 && mPointsPerPage <= n) ? mPointsPerPage : n;
}

void TPointSerie::PageBars(int& first, int& last) const {
  const int a = BarsPerPage();
  const std::int64_t f = std::int64_t(EffectivePage() - 1) * a;
  first = int(std::min<std::int64_t>(f, TaskCount()));
  last = int(std::min<std::int64_t>(f + a, TaskCount()));
}

void TPointSerie::SetFunctionTag(int t) {
  if (t == mFunctionTag) return;
  mFunctionTag = t;
  mFunctionRange = TGraphRange();  // recompute on the next drawing
}

void TPointSerie::SetIsFunction(bool f) {
  if (f == mIsFunction) return;
  mIsFunction = f;
  mFunctionRange = TGraphRange();
}

void TPointSerie::SetKind(TSerieKind k) {
  if (k == mKind) return;
  mKind = k;
  mFunctionRange = TGraphRange();
}

void TPointSerie::CalcFunction(const TGraphRange& range, int pixelCount) {
  if (IsTaskKind() || !mIsFunction) return;
  if (pixelCount == PointCount() && range.XMin == mFunctionRange.XMin && range.XMax == mFunctionRange.XMax)
    return;
  mFunctionRange = range;
  mPoints.clear();
  mSorted = true;
  mFiniteCount = 0;
  if (pixelCount < 1) return;
  const double step = (range.XMax - range.XMin) / pixelCount;
  mPoints.reserve(size_t(pixelCount));
  for (int i = 0; i < pixelCount; ++i) {
    double x = range.XMin + i * step;
    double y = 0;
    if (OnCalcPoint) OnCalcPoint(this, mFunctionTag, x, y);
    AddPoint(x, y);
  }
}

void TPointSerie::SortPoints() {
  if (mSorted) return;
  // Non-finite abscissae cannot be ordered: they go to the end, unused.
  auto mid = std::stable_partition(mPoints.begin(), mPoints.end(),
                                   [](const TGraphPointObj& p) { return Finite(p.X); });
  std::stable_sort(mPoints.begin(), mid,
                   [](const TGraphPointObj& a, const TGraphPointObj& b) { return a.X < b.X; });
  mFiniteCount = int(mid - mPoints.begin());
  mSorted = true;
}

bool TPointSerie::HasBounds() const {
  if (IsTaskKind()) {
    for (const auto& t : mTasks)
      if (Finite(t.X1) && Finite(t.X2) && Finite(t.Y)) return true;
    return false;
  }
  for (const auto& p : mPoints)
    if (Finite(p.X) && Finite(p.Y)) return true;
  return false;
}

TGraphRange TPointSerie::GetBounds() const {
  const TGraphRange empty{-10, -10, 10, 10};
  constexpr double inf = std::numeric_limits<double>::infinity();
  TGraphRange r{inf, inf, -inf, -inf};
  bool any = false;
  switch (mKind) {
    case skPoints:
    case skLines:
    case skFill:
      for (const auto& p : mPoints) {
        if (!Finite(p.X) || !Finite(p.Y)) continue;
        any = true;
        r.XMin = std::min(r.XMin, p.X);
        r.XMax = std::max(r.XMax, p.X);
        r.YMin = std::min(r.YMin, p.Y);
        r.YMax = std::max(r.YMax, p.Y);
      }
      break;
    case skGantt:
      for (const auto& t : mTasks) {
        if (!Finite(t.X1) || !Finite(t.X2) || !Finite(t.Y)) continue;
        r.XMin = std::min(r.XMin, t.X1);
        r.XMax = std::max(r.XMax, t.X2);
        // Only the first task's row is widened by one.
        r.YMax = std::max(r.YMax, any ? t.Y : t.Y + 1);
        r.YMin = std::min(r.YMin, any ? t.Y : t.Y - 1);
        any = true;
      }
      break;
    case skBars: {
      int first = 0, last = 0;
      PageBars(first, last);
      const int a = BarsPerPage();
      const int n = TaskCount();
      if (a <= 0 || (last <= first && first < a)) break;
      // X: the bars of the shown page; later pages take the width of a page
      // measured on the one before. The empty page after the last full one
      // starts one bar spacing after the last bar, so it continues the axis
      // instead of reading past the data.
      double x0;
      if (first < n) {
        x0 = mTasks[size_t(first)].X1;
      } else {
        const double lastX = mTasks[size_t(n - 1)].X1;
        const double step = a > 1 ? (lastX - mTasks[size_t(n - a)].X1) / (a - 1)
                                  : (n > 1 ? lastX - mTasks[size_t(n - 2)].X1 : 1.0);
        x0 = lastX + (step > 0 ? step : 1.0);
      }
      double x1 = last > first ? mTasks[size_t(last - 1)].X1 : x0;
      if (first > 0) {
        const int prev = std::max(0, first - a + 1);
        x1 = x0 + (x0 - (prev < n ? mTasks[size_t(prev)].X1 : x0));
      }
      if (!Finite(x0) || !Finite(x1)) break;
      r.XMin = x0;
      r.XMax = x1;
      // Y: every bar of every page, starting with 0 in the range.
      bool started = false;
      for (const auto& t : mTasks) {
        if (!Finite(t.Y)) continue;
        if (!started) {
          started = true;
          if (t.Y >= 0) {
            r.YMax = 1.1 * t.Y;
            r.YMin = 0;
          } else {
            r.YMax = 0;
            r.YMin = 1.1 * t.Y;
          }
        }
        r.YMax = std::max(r.YMax, t.Y);
        r.YMin = std::min(r.YMin, t.Y);
      }
      any = started;
      break;
    }
  }
  return any ? r : empty;
}

// ---- TPointSeries ------------------------------------------------------------------

TPointSerie* TPointSeries::Add() {
  mItems.push_back(std::make_unique<TPointSerie>());
  return mItems.back().get();
}

void TPointSeries::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  mItems.erase(mItems.begin() + index);
}

void TPointSeries::Clear() {
  for (auto& s : mItems) s->Clear();
  mItems.clear();
}

// ---- TZoomList ---------------------------------------------------------------------

TGraphRange TZoomList::Pop() {
  if (mItems.empty()) return TGraphRange();
  TGraphRange r = mItems.back();
  mItems.pop_back();
  return r;
}

void TZoomList::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  mItems.erase(mItems.begin() + index);
}

}  // namespace Tarnwell
