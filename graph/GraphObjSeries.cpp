// The series drawer: lines, points, fills, bars and Gantt charts, the zoom
// arithmetic and the task hit test.
//
// Lines, points and fills skip the canvas: the sorted points that can reach
// the plot are found by binary search, reduced per pixel column to what the
// column can show (first, lowest, highest, last), mapped, clipped in floating
// point, and handed to the painter in large polyline batches, or written
// straight into the pixels when the canvas is an image. Dense data thus
// costs one pass over the visible points and a few thousand vertices.
#include <QFontMetrics>
#include <QLine>
#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

#include "GraphObj.h"
#include "GraphRaster.h"

namespace Tarnwell {

namespace {

constexpr int kBatch = 8192;
// Per-pixel bookkeeping is kept for plots up to these sizes.
constexpr std::int64_t kMaxPlotPixels = std::int64_t(1) << 28;
constexpr int kMaxPlotColumns = 1 << 24;

// Liang-Barsky: clips the segment to [l, r] x [t, b]; false when nothing is
// left. An end that was inside comes back bit-for-bit unchanged.
bool ClipSegment(double& x0, double& y0, double& x1, double& y1, double l, double t, double r, double b) {
  double u0 = 0, u1 = 1;
  const double dx = x1 - x0, dy = y1 - y0;
  auto edge = [&](double p, double q) {
    if (p == 0) return q >= 0;
    const double u = q / p;
    if (p < 0) {
      if (u > u1) return false;
      if (u > u0) u0 = u;
    } else {
      if (u < u0) return false;
      if (u < u1) u1 = u;
    }
    return true;
  };
  if (!edge(-dx, x0 - l) || !edge(dx, r - x0) || !edge(-dy, y0 - t) || !edge(dy, b - y0)) return false;
  if (u1 < 1) {
    x1 = x0 + u1 * dx;
    y1 = y0 + u1 * dy;
  }
  if (u0 > 0) {
    x0 = x0 + u0 * dx;
    y0 = y0 + u0 * dy;
  }
  return true;
}

inline int Round(double v) { return int(std::lrint(v)); }

struct TColumnRun {
  double Lo, Hi, Last;
  int Next;
};

// The values of the points from i on whose X lies below `limit`: lowest,
// highest and last finite one. Kept apart so that the running values stay
// in registers; this loop is where dense lines spend their time.
__attribute__((noinline)) TColumnRun ReduceColumn(const TGraphPointObj* d, int i, int end, double limit,
                                                  double y) {
  double lo = y, hi = y, last = y;
  for (; i < end; ++i) {
    if (!(d[i].X < limit)) break;
    const double v = d[i].Y;
    if (std::fabs(v) <= std::numeric_limits<double>::max()) {
      lo = v < lo ? v : lo;
      hi = v > hi ? v : hi;
      last = v;
    }
  }
  return TColumnRun{lo, hi, last, i};
}

// Collects clipped segments into polylines, keeping per pixel column only the
// first, lowest, highest and last row: the pixels covered stay the same.
class TColumnPolyline {
 public:
  TColumnPolyline(QPainter* p, TRaster* raster) : mPainter(p), mRaster(raster) { mPts.reserve(kBatch + 8); }
  ~TColumnPolyline() { Break(); }

  bool IsAt(int x, int y) const { return mOpen && x == mCurX && y == mCurY; }
  void Start(int x, int y) {
    Break();
    mOpen = true;
    StartColumn(x, y);
  }
  void Segment(int ax, int ay, int bx, int by) {
    if (!IsAt(ax, ay)) Start(ax, ay);
    Add(bx, by);
  }
  // Continues the open polyline to (x, y).
  void Add(int x, int y) {
    mCurX = x;
    mCurY = y;
    if (x == mColX) {
      if (y < mMin) mMin = y;
      if (y > mMax) mMax = y;
      mLast = y;
      return;
    }
    FlushColumn();
    StartColumn(x, y);
  }
  void Break() {
    if (!mOpen) return;
    FlushColumn();
    Emit();
    mPts.clear();
    mOpen = false;
  }

 private:
  void StartColumn(int x, int y) {
    mColX = x;
    mFirst = mMin = mMax = mLast = y;
    mCurX = x;
    mCurY = y;
  }
  void Push(int x, int y) {
    if (!mPts.empty() && mPts.back().x() == x && mPts.back().y() == y) return;
    mPts.emplace_back(x, y);
  }
  void Emit() {
    const int n = int(mPts.size());
    if (n == 0) return;
    if (mRaster)
      mRaster->Polyline(mPts.data(), n);
    else if (n >= 2)
      mPainter->drawPolyline(mPts.data(), n);
    else
      mPainter->drawPoint(mPts[0]);
  }
  void FlushColumn() {
    Push(mColX, mFirst);
    Push(mColX, mMin);
    Push(mColX, mMax);
    Push(mColX, mLast);
    if (mPts.size() >= size_t(kBatch)) {
      Emit();
      const QPoint last = mPts.back();
      mPts.clear();
      mPts.push_back(last);
    }
  }

  QPainter* mPainter;
  TRaster* mRaster;
  std::vector<QPoint> mPts;
  bool mOpen = false;
  int mColX = 0, mFirst = 0, mMin = 0, mMax = 0, mLast = 0, mCurX = 0, mCurY = 0;
};

QPen SeriePen(TColor c, int width) {
  QPen pen(ToQColor(c));
  pen.setWidth(width <= 1 ? 0 : width);
  pen.setStyle(Qt::SolidLine);
  pen.setCapStyle(Qt::SquareCap);
  pen.setJoinStyle(Qt::MiterJoin);
  return pen;
}

// Saves the painter state and restores it, so that the canvas' own pen and
// brush bookkeeping stays right after a fast path.
class TPainterState {
 public:
  explicit TPainterState(QPainter* p) : mP(p) {
    if (mP) mP->save();
  }
  ~TPainterState() {
    if (mP) mP->restore();
  }

 private:
  QPainter* mP;
};

}  // namespace

void TGraphDrawer::PixelToData(int px, int py, double& x, double& y) const {
  x = (double(px) - mPixLeft) * mXScale + mXMin;
  y = (double(mPixBottom) - py) * mYScale + mYMin;
}

TExtParm TGraphDrawer::ToExtParm(const TExtGraphPointObj& t) const {
  TExtParm e;
  e.X1 = XToPixel(t.X1);
  e.X2 = XToPixel(t.X2);
  e.Y = YToPixel(t.Y) - 1;
  e.Text = t.Text;
  e.Color = t.Color;
  e.TextColor = t.TextColor;
  return e;
}

int TGraphDrawer::TaskHalfHeight() const {
  TFont def;
  return QFontMetrics((mFont ? *mFont : def).ToQFont()).height() / 2 + 1;
}

int TGraphDrawer::TaskHalfHeightAtPitch() const {
  const int th = TaskHalfHeight();
  // A bar covers rows Y - th .. Y + th + 1; one free row is left between
  // bars of rows one data unit apart, so the links between them stay visible.
  const double pitch = std::abs(1.0 / mYScale);
  if (!std::isfinite(pitch) || pitch >= 2.0 * th + 3) return th;
  return std::max(0, (int(pitch) - 3) / 2);
}

void TGraphDrawer::VisibleSpan(const TPointSerie& s, double x0, double x1, int& first, int& last) const {
  const auto& d = s.PointData();
  const auto begin = d.begin(), end = d.begin() + s.SortedCount();
  if (x0 > x1) std::swap(x0, x1);
  auto lo = std::lower_bound(begin, end, x0, [](const TGraphPointObj& p, double v) { return p.X < v; });
  auto hi = std::upper_bound(begin, end, x1, [](double v, const TGraphPointObj& p) { return v < p.X; });
  first = int(lo - begin);
  last = int(hi - begin);
  if (first > 0) --first;
  if (last < s.SortedCount()) ++last;
}

void TGraphDrawer::Draw(TCanvas& canvas, const TGraphRange& range, bool mono, const TRect& plotRect) {
  SetScale(range, plotRect);
  mRange = range;
  if (!mSeries) return;
  for (int i = 0; i < mSeries->Count(); ++i) {
    TPointSerie* s = mSeries->Items(i);
    if (!s->Visible()) continue;
    // One bad serie must not take the others with it.
    try {
      switch (s->Kind()) {
        case skBars:
          DrawBars(canvas, *s, mono, plotRect);
          break;
        case skGantt:
          DrawGantt(canvas, *s, mono, plotRect);
          break;
        default:
          s->CalcFunction(range, plotRect.Right - plotRect.Left);
          if (plotRect.IsEmpty() || s->PointCount() == 0) break;
          s->SortPoints();
          if (s->Kind() == skPoints)
            DrawPoints(canvas, *s, mono, plotRect);
          else if (s->Kind() == skLines)
            DrawLines(canvas, *s, mono, plotRect);
          else
            DrawFill(canvas, *s, mono, plotRect);
          break;
      }
    } catch (...) {
    }
  }
}

void TGraphDrawer::DrawLines(TCanvas& canvas, TPointSerie& s, bool mono, const TRect& r) {
  QPainter* p = canvas.Painter();
  if (!p) return;
  TPainterState state(p);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  const QPen pen = SeriePen(mono ? clBlack : ColorToRGB(s.Color()), s.PenWidth());
  p->setPen(pen);
  p->setBrush(Qt::NoBrush);
  TRaster raster;
  const bool direct = s.PenWidth() <= 1 && raster.Open(p, pen.color());

  double xlo, xhi, dummy;
  PixelToData(r.Left, 0, xlo, dummy);
  PixelToData(r.Right, 0, xhi, dummy);
  int first, last;
  VisibleSpan(s, xlo, xhi, first, last);

  const double kx = 1.0 / mXScale, ky = 1.0 / mYScale;
  const double ox = mPixLeft - mXMin * kx, oy = mPixBottom - 1 + mYMin * ky;
  const double L = r.Left, R = r.Right, T = r.Top, B = r.Bottom - 1;
  auto cx = [&](double v) { return std::clamp(Round(v), r.Left, r.Right); };
  auto cy = [&](double v) { return std::clamp(Round(v), r.Top, r.Bottom - 1); };
  const TGraphPointObj* d = s.PointData().data();
  TColumnPolyline line(p, direct ? &raster : nullptr);
  bool havePrev = false, prevIn = false;
  double qx = 0, qy = 0;
  // Takes the polyline on to the pixel position (px, py).
  auto feed = [&](double px, double py) {
    const bool in = px >= L && px <= R && py >= T && py <= B;
    if (in && prevIn) {
      line.Add(Round(px), Round(py));  // the common case: no clipping
    } else if (!std::isfinite(px) || !std::isfinite(py)) {
      line.Break();
      havePrev = prevIn = false;
      return;
    } else if (havePrev) {
      // An end outside the plot: the part inside is kept, with its slope.
      double ax = qx, ay = qy, bx = px, by = py;
      if (ClipSegment(ax, ay, bx, by, L, T, R, B))
        line.Segment(cx(ax), cy(ay), cx(bx), cy(by));
      else
        line.Break();
    } else if (in) {
      line.Start(Round(px), Round(py));
    }
    qx = px;
    qy = py;
    prevIn = in;
    havePrev = true;
  };
  auto finite = [](double v) { return std::fabs(v) <= std::numeric_limits<double>::max(); };
  int i = first;
  while (i < last) {
    double y = d[i].Y;
    if (!finite(y)) {  // a pole of a function: left out
      ++i;
      continue;
    }
    const double px = d[i].X * kx + ox;
    if (!(kx > 0 && px >= L && px <= R)) {
      feed(px, oy - y * ky);
      ++i;
      continue;
    }
    // All the points of one pixel column are reduced in data space first:
    // a tight pass that keeps only the first, lowest, highest and last value.
    const int c = Round(px);
    const double limit = (c + 0.5 - ox) / kx;
    const double y0 = y;
    const TColumnRun run = ReduceColumn(d, i + 1, last, limit, y0);
    i = run.Next;
    const double lo = run.Lo, hi = run.Hi;
    y = run.Last;
    const double colX = c;
    feed(colX, oy - y0 * ky);
    if (lo != y0 || hi != y0 || y != y0) {
      // Pixel rows grow downwards: the highest value is the topmost row.
      feed(colX, oy - hi * ky);
      feed(colX, oy - lo * ky);
      feed(colX, oy - y * ky);
    }
  }
}

void TGraphDrawer::DrawPoints(TCanvas& canvas, TPointSerie& s, bool mono, const TRect& r) {
  QPainter* p = canvas.Painter();
  if (!p) return;
  TPainterState state(p);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  const QPen pen = SeriePen(mono ? clBlack : ColorToRGB(s.Color()), s.PenWidth());
  p->setPen(pen);
  TRaster raster;
  const bool direct = s.PenWidth() <= 1 && raster.Open(p, pen.color());

  double xlo, xhi, dummy;
  PixelToData(r.Left, 0, xlo, dummy);
  PixelToData(r.Right, 0, xhi, dummy);
  int first, last;
  VisibleSpan(s, xlo, xhi, first, last);

  // Each pixel is drawn once, however many points fall on it (a plot too
  // large to keep one bit per pixel simply draws every point).
  const int w = r.Right - r.Left + 1, h = r.Bottom - r.Top + 1;
  const bool dedupe = std::int64_t(w) * h <= kMaxPlotPixels;
  std::vector<std::uint64_t> seen(dedupe ? (size_t(w) * size_t(h) + 63) / 64 : 1, 0);
  const double kx = 1.0 / mXScale, ky = 1.0 / mYScale;
  const double ox = mPixLeft - mXMin * kx, oy = mPixBottom - 1 + mYMin * ky;
  const double L = r.Left - 0.5, R = r.Right + 0.5, T = r.Top - 0.5, B = r.Bottom + 0.5;
  const TGraphPointObj* d = s.PointData().data();
  std::vector<QPoint> pts;
  pts.reserve(kBatch);
  for (int i = first; i < last; ++i) {
    const double px = d[i].X * kx + ox, py = oy - d[i].Y * ky;
    if (!(px >= L && px <= R && py >= T && py <= B)) continue;  // NaN fails too
    const int ix = int(std::lrint(px)), iy = int(std::lrint(py));
    if (ix < r.Left || ix > r.Right || iy < r.Top || iy > r.Bottom) continue;
    if (dedupe) {
      const size_t bit = size_t(iy - r.Top) * size_t(w) + size_t(ix - r.Left);
      std::uint64_t& word = seen[bit >> 6];
      const std::uint64_t mask = std::uint64_t(1) << (bit & 63);
      if (word & mask) continue;
      word |= mask;
    }
    if (direct) {
      raster.Pixel(ix, iy);
      continue;
    }
    pts.emplace_back(ix, iy);
    if (pts.size() >= size_t(kBatch)) {
      p->drawPoints(pts.data(), int(pts.size()));
      pts.clear();
    }
  }
  if (!pts.empty()) p->drawPoints(pts.data(), int(pts.size()));
}

void TGraphDrawer::DrawFill(TCanvas& canvas, TPointSerie& s, bool mono, const TRect& r) {
  QPainter* p = canvas.Painter();
  if (!p) return;
  TPainterState state(p);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->setPen(SeriePen(mono ? clBlack : ColorToRGB(s.Color()), s.PenWidth()));

  double xlo, xhi, dummy;
  PixelToData(r.Left, 0, xlo, dummy);
  PixelToData(r.Right, 0, xhi, dummy);
  int first, last;
  VisibleSpan(s, xlo, xhi, first, last);

  // Every line starts on the axis, so per column only the extremes matter.
  const int w = r.Right - r.Left + 1;
  if (w > kMaxPlotColumns) return;  // no device is that wide
  const int oy = std::clamp(DataToPixel(0, 0).y(), r.Top, r.Bottom);
  std::vector<int> lo(size_t(w), oy), hi(size_t(w), oy);
  std::vector<char> used(size_t(w), 0);
  const double kx = 1.0 / mXScale, ky = 1.0 / mYScale;
  const double ox = mPixLeft - mXMin * kx, oyd = mPixBottom - 1 + mYMin * ky;
  const TGraphPointObj* d = s.PointData().data();
  for (int i = first; i < last; ++i) {
    const double px = d[i].X * kx + ox, py = oyd - d[i].Y * ky;
    if (!(px >= r.Left - 0.5 && px <= r.Right + 0.5) || std::isnan(py)) continue;
    const int ix = int(std::lrint(px));
    if (ix < r.Left || ix > r.Right) continue;
    const int iyr = int(std::lrint(std::clamp(py, double(r.Top), double(r.Bottom))));
    const size_t c = size_t(ix - r.Left);
    used[c] = 1;
    lo[c] = std::min(lo[c], iyr);
    hi[c] = std::max(hi[c], iyr);
  }
  std::vector<QLine> lines;
  lines.reserve(size_t(w));
  for (int c = 0; c < w; ++c)
    if (used[size_t(c)]) lines.emplace_back(r.Left + c, lo[size_t(c)], r.Left + c, hi[size_t(c)]);
  if (!lines.empty()) p->drawLines(lines.data(), int(lines.size()));
}

// Bars crowd one another when there are more of them than pixels: painting
// them back to front and skipping the rows a later bar already covers
// writes every pixel once. A bar's rows always reach the base line, so what
// is covered in a column stays one interval.
static void DrawBarsDirect(const TGraphDrawObject& m, TRaster& raster, const TPointSerie& s, bool mono,
                           const TRect& r, int hw, int oy) {
  int first, last;
  s.PageBars(first, last);
  const int w = r.Right - r.Left;
  std::vector<int> lo(size_t(w), INT_MAX), hi(size_t(w), INT_MIN);
  const QRgb black = qRgb(0, 0, 0);
  const auto& bars = s.TaskData();
  for (int i = last - 1; i >= first; --i) {
    const auto& b = bars[size_t(i)];
    if (!std::isfinite(b.X1) || !std::isfinite(b.Y)) continue;
    const int x = m.XToPixel(b.X1), y = m.YToPixel(b.Y) - 1;
    const int t = std::min(oy, y), bt = std::max(oy, y) - 1;  // rows t..bt
    if (bt < t) continue;
    const int c0 = std::max(x - hw, r.Left), c1 = std::min(x + hw - 1, r.Right - 1);
    const int rt = std::max(t, r.Top), rb = std::min(bt, r.Bottom - 1);
    if (c0 > c1 || rt > rb) continue;
    const QRgb fill = mono ? black : ToQColor(ColorToRGB(b.Color)).rgba();
    for (int c = c0; c <= c1; ++c) {
      const size_t k = size_t(c - r.Left);
      const bool edge = c == x - hw || c == x + hw - 1;
      auto paint = [&](int a, int z) {
        if (a > z) return;
        if (edge) {
          raster.SetColor(black);
          raster.VSpan(c, a, z);
          return;
        }
        raster.SetColor(black);
        if (a == t) raster.Pixel(c, a++);
        if (z == bt && z >= a) raster.Pixel(c, z--);
        if (a <= z) {
          raster.SetColor(fill);
          raster.VSpan(c, a, z);
        }
      };
      if (lo[k] > hi[k]) {
        paint(rt, rb);
        lo[k] = rt;
        hi[k] = rb;
        continue;
      }
      paint(rt, std::min(rb, lo[k] - 1));
      paint(std::max(rt, hi[k] + 1), rb);
      lo[k] = std::min(lo[k], rt);
      hi[k] = std::max(hi[k], rb);
    }
  }
}

void TGraphDrawer::DrawBars(TCanvas& canvas, TPointSerie& s, bool mono, const TRect& r) {
  int first, last;
  s.PageBars(first, last);
  const int a = s.BarsPerPage();
  if (last <= first || a <= 0 || r.IsEmpty()) return;
  const int hw = std::max(1, (r.Right - r.Left) / (3 * a));
  const int th = canvas.TextHeight(QStringLiteral("0")) / 2;
  const int oy = DataToPixel(0, 0).y();
  const auto& bars = s.TaskData();
  const int pw = std::max(1, s.PenWidth());

  QPainter* painter = canvas.Painter();
  TRaster raster;
  bool direct = pw <= 1 && r.Right - r.Left <= kMaxPlotColumns && raster.Open(painter, QColor(Qt::black));
  for (int i = first; direct && i < last; ++i)
    if (!mono && ToQColor(bars[size_t(i)].Color).alpha() != 255) direct = false;
  if (direct) {
    DrawBarsDirect(*this, raster, s, mono, r, hw, oy);
  } else if (QPainter* p = painter) {
    TPainterState state(p);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setClipRect(r.ToQRect(), Qt::IntersectClip);
    p->setPen(SeriePen(clBlack, pw));
    std::vector<QRect> run;
    TColor runColor = clNone;
    p->setBrush(Qt::NoBrush);
    auto flush = [&]() {
      if (!run.empty()) {
        p->setBrush(ToQColor(runColor));
        p->drawRects(run.data(), int(run.size()));
        run.clear();
      }
    };
    for (int i = first; i < last; ++i) {
      const auto& b = bars[size_t(i)];
      if (!std::isfinite(b.X1) || !std::isfinite(b.Y)) continue;
      const int x = XToPixel(b.X1), y = YToPixel(b.Y) - 1;
      if (x + hw < r.Left || x - hw > r.Right) continue;
      const int l = x - hw, rt = x + hw;
      const int t = std::min(oy, y), bt = std::max(oy, y);
      if (bt - t < 2 || pw > 1) {
        // Too flat for an outline and a fill, or a wide pen: the canvas'
        // own rectangle covers exactly the classic pixels. Drawn in turn,
        // so that later bars still cover earlier ones.
        flush();
        canvas.Pen().SetStyle(psSolid);
        canvas.Pen().SetMode(pmCopy);
        canvas.Pen().SetColor(clBlack);
        canvas.Pen().SetWidth(pw);
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(mono ? clBlack : b.Color);
        canvas.Rectangle(l, oy, rt, y);
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        p->setPen(SeriePen(clBlack, pw));
        p->setBrush(ToQColor(runColor));
        continue;
      }
      const TColor c = mono ? clBlack : ColorToRGB(b.Color);
      if (c != runColor) {
        flush();
        runColor = c;
      }
      run.emplace_back(l, t, rt - l - 1, bt - t - 1);
    }
    flush();
  }
  if (th >= hw) return;
  canvas.Brush().SetStyle(bsClear);
  const TColor saved = canvas.Font().Color();
  for (int i = first; i < last; ++i) {
    const auto& b = bars[size_t(i)];
    if (!std::isfinite(b.X1) || !std::isfinite(b.Y) || b.Text.isEmpty()) continue;
    const int x = XToPixel(b.X1), y = YToPixel(b.Y) - 1;
    if (x + hw < r.Left || x - hw > r.Right) continue;
    canvas.Font().SetColor(mono ? clWhite : b.TextColor);
    if (y < oy)
      TextOutAngle(canvas, x - th - 2, oy - 4, b.Text, 90);
    else
      TextOutAngle(canvas, x + th + 2, oy + 4, b.Text, -90);
  }
  canvas.Font().SetColor(saved);
}

void TGraphDrawer::DrawConnector(TCanvas& canvas, int ax, int ay, int bx, int by) {
  canvas.MoveTo(ax, ay);
  if (std::int64_t(bx) - ax > 4) {
    const int mx = int((std::int64_t(ax) + bx) / 2);
    canvas.LineTo(mx, ay);
    canvas.LineTo(mx, by);
    canvas.LineTo(bx, by);
  } else {
    const int my = int((std::int64_t(ay) + by) / 2);
    canvas.LineTo(ax + 4, ay);
    canvas.LineTo(ax + 4, my);
    canvas.LineTo(bx - 4, my);
    canvas.LineTo(bx - 4, by);
    canvas.LineTo(bx, by);
  }
}

void TGraphDrawer::DrawGantt(TCanvas& canvas, TPointSerie& s, bool mono, const TRect& r) {
  if (r.IsEmpty()) return;
  const TColor plotColor = canvas.Brush().Color();  // the background's, on entry
  const int fullTh = TaskHalfHeight();
  const int th = TaskHalfHeightAtPitch();
  canvas.Pen().SetStyle(psSolid);
  canvas.Pen().SetMode(pmCopy);
  canvas.Pen().SetColor(clBlack);
  canvas.Pen().SetWidth(std::max(1, s.PenWidth()));
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(mono ? clBlack : s.Color());
  const auto& tasks = s.TaskData();
  auto usable = [](const TExtGraphPointObj& t) {
    return std::isfinite(t.X1) && std::isfinite(t.X2) && std::isfinite(t.Y);
  };
  if (const auto& links = s.Links()) {
    for (int i = 0; i < links->Count(); ++i) {
      const TGanttLink& l = links->Items(i);
      // A link whose task is gone is skipped, the others are still drawn.
      if (l.FromTask < 0 || l.FromTask >= s.TaskCount() || l.ToTask < 0 || l.ToTask >= s.TaskCount())
        continue;
      const auto& ta = tasks[size_t(l.FromTask)];
      const auto& tb = tasks[size_t(l.ToTask)];
      if (!usable(ta) || !usable(tb)) continue;
      const TExtParm a = ToExtParm(ta), b = ToExtParm(tb);
      DrawConnector(canvas, a.X2, a.Y, b.X1, b.Y);
    }
  }
  // A bar thinned to fit its row has no room for its text: the text goes
  // beside the bar, right of it (left where the plot ends first), in a font
  // no taller than the row, over the plot's colour so the links it crosses
  // stay behind it. Rows too narrow for a legible text show none.
  const double pitch = std::abs(1.0 / mYScale);
  TFont beside;
  beside.Assign(canvas.Font());
  bool besideFits = false;
  if (th < fullTh && std::isfinite(pitch)) {
    const int cell = std::min(int(pitch) - 1, 2 * fullTh);
    if (cell >= 8) {
      beside.SetHeight(cell);  // a positive height: the whole cell
      besideFits = true;
    }
  }
  std::vector<std::pair<TRect, const TExtGraphPointObj*>> sideTexts;
  for (const auto& t : tasks) {
    if (!usable(t)) continue;
    const TExtParm e = ToExtParm(t);
    if (e.X2 + 1 < r.Left || e.X1 - 1 > r.Right || e.Y + th + 2 < r.Top || e.Y - th > r.Bottom) continue;
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(mono ? clBlack : t.Color);
    canvas.Rectangle(e.X1 - 1, e.Y - th, e.X2 + 1, e.Y + th + 2);
    if (t.Text.isEmpty()) continue;
    const int w = canvas.TextWidth(t.Text);
    if (w < e.X2 - e.X1 && th == fullTh) {
      const TColor saved = canvas.Font().Color();
      canvas.Font().SetColor(mono ? clWhite : t.TextColor);
      canvas.Brush().SetStyle(bsClear);
      canvas.TextOut(e.X1 + (e.X2 - e.X1 - w) / 2, e.Y - th, t.Text);
      canvas.Font().SetColor(saved);
    } else if (th < fullTh && besideFits) {
      sideTexts.emplace_back(TRect(e.X1, e.Y, e.X2, e.Y), &t);
    }
  }
  if (sideTexts.empty()) return;
  // After every bar, so that no bar covers a text.
  const TFont savedFont(canvas.Font());
  canvas.Font().Assign(beside);
  canvas.Font().SetColor(clBlack);
  for (const auto& [bar, t] : sideTexts) {
    const int w = canvas.TextWidth(t->Text), h = canvas.TextHeight(t->Text);
    int x = bar.Right + 4;
    if (x + w + 1 > r.Right) x = bar.Left - 4 - w;
    if (x - 1 < r.Left) continue;
    const int y = bar.Top - h / 2 + 1;
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(mono ? clWhite : plotColor);
    canvas.Pen().SetStyle(psClear);
    canvas.Rectangle(x - 1, y, x + w + 2, y + h);
    canvas.Pen().SetStyle(psSolid);
    canvas.Brush().SetStyle(bsClear);
    canvas.TextOut(x, y, t->Text);
  }
  canvas.Font().Assign(savedFont);
}

TGraphRange TGraphDrawer::ZoomIn(const TGraphRange& range, const TRect& plotRect, const TRect& drag) {
  int x0 = std::min(drag.Left, drag.Right), x1 = std::max(drag.Left, drag.Right);
  int y0 = std::min(drag.Top, drag.Bottom), y1 = std::max(drag.Top, drag.Bottom);
  y0 = std::max(y0, plotRect.Top);
  y1 = std::min(y1, plotRect.Bottom);
  double w = double(plotRect.Right) - plotRect.Left, h = double(plotRect.Bottom) - plotRect.Top;
  if (w == 0) w = 1;
  if (h == 0) h = 1;
  TGraphRange n;
  const double dx = range.XMax - range.XMin, dy = range.YMax - range.YMin;
  n.XMin = range.XMin + dx * (x0 - plotRect.Left) / w;
  n.XMax = range.XMin + dx * (x1 - plotRect.Left) / w;
  n.YMax = range.YMax - dy * (y0 - plotRect.Top) / h;
  n.YMin = range.YMax - dy * (y1 - plotRect.Top) / h;
  const bool finite =
      std::isfinite(n.XMin) && std::isfinite(n.XMax) && std::isfinite(n.YMin) && std::isfinite(n.YMax);
  if (finite && n.XMax - n.XMin >= 1e-6 && n.YMax - n.YMin >= 1e-6) {
    mZoomList.Push(range);
    return n;
  }
  return range;
}

TGraphRange TGraphDrawer::ZoomOut(const TGraphRange& range) {
  if (mZoomList.Count() == 0) return range;
  return mZoomList.Pop();
}

TGanttTask TGraphDrawer::TaskAt(int px, int py) const {
  if (!mSeries) return TGanttTask();
  int th = -1;  // measured only when there is a chart to hit
  for (int i = 0; i < mSeries->Count(); ++i) {
    const TPointSerie* s = mSeries->Items(i);
    if (!s->Visible() || s->Kind() != skGantt) continue;
    if (th < 0) th = TaskHalfHeightAtPitch();
    for (const auto& t : s->TaskData()) {
      if (!std::isfinite(t.X1) || !std::isfinite(t.X2) || !std::isfinite(t.Y)) continue;
      const TExtParm e = ToExtParm(t);
      if (std::abs(std::int64_t(e.Y) - py) <= th && e.X1 <= px && px <= e.X2)
        return TGanttTask{t.X1, t.X2, t.Y, t.Text};
    }
  }
  return TGanttTask();
}

}  // namespace Tarnwell
