#include "TCanvas.h"
#include "TPixelRatio.h"

#include <QGuiApplication>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPicture>
#include <QStaticText>
#include <algorithm>
#include <vector>
#include <cmath>

#include "TBitmap.h"

namespace Tarnwell {

namespace {

QPainter::CompositionMode ModeFor(TPenMode m) {
  switch (m) {
    case pmBlack:
      return QPainter::RasterOp_ClearDestination;
    case pmWhite:
      return QPainter::RasterOp_SetDestination;
    case pmNop:
      return QPainter::CompositionMode_Destination;
    case pmNot:
      return QPainter::RasterOp_NotDestination;
    case pmCopy:
      return QPainter::CompositionMode_SourceOver;
    case pmNotCopy:
      return QPainter::RasterOp_NotSource;
    case pmMergePenNot:
      return QPainter::RasterOp_SourceOrNotDestination;
    case pmMaskPenNot:
      return QPainter::RasterOp_SourceAndNotDestination;
    case pmMergeNotPen:
      return QPainter::RasterOp_NotSourceOrDestination;
    case pmMaskNotPen:
      return QPainter::RasterOp_NotSourceAndDestination;
    case pmMerge:
      return QPainter::RasterOp_SourceOrDestination;
    case pmNotMerge:
      return QPainter::RasterOp_NotSourceAndNotDestination;
    case pmMask:
      return QPainter::RasterOp_SourceAndDestination;
    case pmNotMask:
      return QPainter::RasterOp_NotSourceOrNotDestination;
    case pmXor:
      return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor:
      return QPainter::RasterOp_NotSourceXorDestination;
  }
  return QPainter::CompositionMode_SourceOver;
}

// Degrees (counter-clockwise, y up) of the radial from the centre through p.
double AngleOf(double cx, double cy, double px, double py) {
  double a = std::atan2(-(py - cy), px - cx) * 180.0 / M_PI;
  if (a < 0) a += 360.0;
  return a;
}

}  // namespace

struct TTextCacheEntry {
  QStaticText Static;
  int Width = 0;
  int Height = 0;
  int Ascent = 0;
};

namespace {
// Bounded: a flood of distinct strings (a spreadsheet scrolling through
// numbers) must not grow it without end.
constexpr int kTextCacheLimit = 4096;
QHash<QString, TTextCacheEntry>& TextCache() {
  thread_local QHash<QString, TTextCacheEntry> cache;
  return cache;
}
}  // namespace

const TTextCacheEntry& TCanvas::Shaped(const QString& text) {
  const QFont& f = CachedFont();
  QString key;
  key.reserve(mQFontKey.size() + 1 + text.size());
  key.append(mQFontKey).append(QChar(0x1F)).append(text);
  auto& cache = TextCache();
  auto it = cache.find(key);
  if (it != cache.end()) return *it;
  if (cache.size() >= kTextCacheLimit) cache.clear();
  TTextCacheEntry e;
  QFontMetrics fm(f);
  e.Width = fm.horizontalAdvance(text);
  e.Height = fm.height();
  e.Ascent = fm.ascent();
  if (const int cell = mFont.Height(); cell > 0 && cell != e.Height) {
    // A positive height is the cell itself. Faces grow their line height by
    // uneven steps, so the em size chosen may fall a pixel short of it: the
    // rest is internal leading, above the ascent as in any cell.
    e.Ascent = std::max(0, e.Ascent + cell - e.Height);
    e.Height = cell;
  }
  e.Static.setText(text);
  e.Static.setTextFormat(Qt::PlainText);
  e.Static.setPerformanceHint(QStaticText::AggressiveCaching);
  e.Static.prepare(QTransform(), f);
  return *cache.insert(key, e);
}

TCanvas::TCanvas(QPaintDevice* device) : mDevice(device) {
  mFont.OnChange = [this](TGraphicsObject*) { mFontDirty = true; };
}

TCanvas::TCanvas(QPainter* painter) : mDevice(painter ? painter->device() : nullptr), mPainter(painter) {
  mFont.OnChange = [this](TGraphicsObject*) { mFontDirty = true; };
  if (mPainter) {
    mPainter->setRenderHint(QPainter::Antialiasing, false);
    mPainter->setRenderHint(QPainter::TextAntialiasing, false);
    mPainter->setRenderHint(QPainter::SmoothPixmapTransform, false);
  }
}

TCanvas::TCanvas() {
  mFont.OnChange = [this](TGraphicsObject*) { mFontDirty = true; };
}

TCanvas::~TCanvas() { Release(); }

void TCanvas::Release() {
  if (mOwned) {
    if (mOwned->isActive()) mOwned->end();
    mOwned.reset();
    mPainter = nullptr;
  }
}

QPainter* TCanvas::Begin() {
  if (mPainter) return mPainter;
  if (!mDevice) return nullptr;
  if (mDevice->width() <= 0 || mDevice->height() <= 0) {
    // A QPicture has no size until something is drawn; anything else with no
    // area cannot be painted on.
    if (mDevice->devType() != QInternal::Picture) return nullptr;
  }
  if (mOnDeviceWrite) mOnDeviceWrite();
  mOwned = std::make_unique<QPainter>();
  if (!mOwned->begin(mDevice)) {
    mOwned.reset();
    return nullptr;
  }
  mPainter = mOwned.get();
  mPainter->setRenderHint(QPainter::Antialiasing, false);
  mPainter->setRenderHint(QPainter::TextAntialiasing, false);
  if (mHasClip) mPainter->setClipRect(mClip.ToQRect());
  return mPainter;
}

bool TCanvas::IsRaster() const {
  if (!mDevice) return false;
  const int t = mDevice->devType();
  // A metafile records the raster operation; it applies when the picture is
  // played onto a raster device.
  return t == QInternal::Image || t == QInternal::Widget || t == QInternal::Pixmap || t == QInternal::Picture;
}

QColor TCanvas::Q(TColor c) const { return mHasPalette ? ToQColor(c, mPalette) : ToQColor(c); }

const QFont& TCanvas::CachedFont() {
  if (mFontDirty) {
    mQFont = mFont.ToQFont();
    mQFontKey = mFont.Key();
    mFontDirty = false;
  }
  return mQFont;
}

void TCanvas::ApplyPen(QPainter& p, bool forText) {
  if (forText) {
    p.setPen(Q(mFont.Color()));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    return;
  }
  QPen pen = mPen.ToQPen();
  if (pen.style() != Qt::NoPen) pen.setColor(Q(mPen.Color()));
  p.setPen(pen);
  p.setCompositionMode(IsRaster() ? ModeFor(mPen.Mode()) : QPainter::CompositionMode_SourceOver);
}

void TCanvas::ApplyBrush(QPainter& p) {
  QBrush b = mBrush.ToQBrush();
  if (b.style() != Qt::NoBrush && b.style() != Qt::TexturePattern) b.setColor(Q(mBrush.Color()));
  p.setBrush(b);
}

QPainter* TCanvas::Painter() {
  QPainter* p = Begin();
  if (!p) return nullptr;
  ApplyPen(*p);
  ApplyBrush(*p);
  p->setFont(CachedFont());
  return p;
}

// ---- lines -------------------------------------------------------------------

void TCanvas::MoveTo(int x, int y) { mPenPos = TPoint(x, y); }

// Bresenham from (x0,y0) towards (x1,y1), the end pixel left out: consecutive
// segments then meet without drawing their joint twice, which matters for
// XOR pens.
namespace {
// Smooth drawing above ratio 1 with a plain (copying) pen.
bool SmoothGeometry(const QPainter& p, const TPen& pen) { return pen.Mode() == pmCopy && PixelRatio(p) != 1.0; }
}  // namespace

// Text for the device: the canvas's fonts are fully hinted, whose advances
// are whole 1x pixels; at another ratio the glyphs are drawn bigger than
// those steps and words show gaps ("Tarnw ell"), so the text there is laid
// out unhinted, at the device's resolution, its letters spaced so that the
// (widest) line keeps the 1x width every caption, centring and auto size was
// measured with: nothing is cut off and nothing moves.
static QFont DeviceFont(const QPainter& p, const QFont& f, const QString& text) {
  if (PixelRatio(p) == 1.0) return f;
  QFont g(f);
  g.setHintingPreference(QFont::PreferNoHinting);
  const QFontMetricsF hinted(f), unhinted(g);
  qreal widest = -1, diff = 0;
  int letters = 0;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    const qreal w = hinted.horizontalAdvance(line);
    if (w <= widest) continue;
    widest = w;
    diff = w - unhinted.horizontalAdvance(line);
    letters = int(line.size());
  }
  if (diff != 0 && letters > 1) g.setLetterSpacing(QFont::AbsoluteSpacing, diff / (letters - 1));
  return g;
}

qreal PixelRatio(const QPainter& p) {
  const QPaintEngine* e = p.paintEngine();
  const QPaintDevice* d = e && e->paintDevice() ? e->paintDevice() : p.device();
  return d ? d->devicePixelRatio() : 1.0;
}

qreal PixelRatio(const TCanvas& c) {
  QPainter* p = const_cast<TCanvas&>(c).Painter();
  return p ? PixelRatio(*p) : 1.0;
}

void TCanvas::RasterLine(QPainter& p, int x0, int y0, int x1, int y1) {
  if (x0 != x1 && y0 != y1 && SmoothGeometry(p, mPen)) {
    // A slanted line at a high resolution: one smooth stroke through the
    // pixel centres, as wide as the pen in logical pixels, instead of
    // enlarged steps.
    QPen pen = p.pen();
    pen.setWidthF(std::max(1, mPen.Width()));
    pen.setCapStyle(mPen.Width() > 1 ? Qt::RoundCap : Qt::FlatCap);
    p.save();
    p.setPen(pen);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.drawLine(QPointF(x0 + 0.5, y0 + 0.5), QPointF(x1 + 0.5, y1 + 0.5));
    p.restore();
    return;
  }
  if (mPen.Width() > 1) {
    // Wide pens include the end point and have round ends: a trace of short
    // or zero-length steps stays continuous, and a zero-length line is a dot
    // of the pen's width. Centred on the pixel centres.
    const QPointF a(x0 + 0.5, y0 + 0.5), b(x1 + 0.5, y1 + 0.5);
    if (a == b)
      p.drawPoint(a);
    else
      p.drawLine(a, b);
    return;
  }
  if (x0 == x1 && y0 == y1) return;
  const bool solidThin = mPen.Style() == psSolid || mPen.Style() == psInsideFrame;
  if (!solidThin) {
    // Dashed thin pens: stop one step short of the end point.
    const double dx = x1 - x0, dy = y1 - y0;
    const double len = std::max(std::abs(dx), std::abs(dy));
    QPointF end(x1 - dx / len, y1 - dy / len);
    p.drawLine(QPointF(x0, y0), end);
    return;
  }
  const QColor c = p.pen().color();
  if (y0 == y1) {
    const int l = x1 > x0 ? x0 : x1 + 1, r = x1 > x0 ? x1 : x0 + 1;
    p.fillRect(QRect(l, y0, r - l, 1), c);
    return;
  }
  if (x0 == x1) {
    const int t = y1 > y0 ? y0 : y1 + 1, bt = y1 > y0 ? y1 : y0 + 1;
    p.fillRect(QRect(x0, t, 1, bt - t), c);
    return;
  }
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  QPolygon pts;
  pts.reserve(std::max(dx, -dy));
  int x = x0, y = y0;
  while (!(x == x1 && y == y1)) {
    pts.append(QPoint(x, y));
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
  p.drawPoints(pts);
}

void TCanvas::LineTo(int x, int y) {
  QPainter* p = Begin();
  if (p && mPen.Style() != psClear) {
    ApplyPen(*p);
    RasterLine(*p, mPenPos.x(), mPenPos.y(), x, y);
  }
  mPenPos = TPoint(x, y);
}

void TCanvas::Polyline(const TPoint* pts, int count) {
  if (count <= 0) return;
  MoveTo(pts[0].x(), pts[0].y());
  for (int i = 1; i < count; ++i) LineTo(pts[i].x(), pts[i].y());
}
void TCanvas::Polyline(const std::vector<TPoint>& pts) { Polyline(pts.data(), int(pts.size())); }

void TCanvas::Polygon(const TPoint* pts, int count) {
  QPainter* p = Begin();
  if (!p || count <= 0) return;
  ApplyPen(*p);
  ApplyBrush(*p);
  if (SmoothGeometry(*p, mPen)) {
    p->save();
    p->setRenderHint(QPainter::Antialiasing, true);
    p->drawPolygon(pts, count);
    p->restore();
    return;
  }
  p->drawPolygon(pts, count);
}
void TCanvas::Polygon(const std::vector<TPoint>& pts) { Polygon(pts.data(), int(pts.size())); }

// ---- shapes ------------------------------------------------------------------

void TCanvas::Rectangle(int l, int t, int r, int b) {
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  QPainter* p = Begin();
  if (!p || r == l || b == t) return;
  const int w = r - l, h = b - t;
  const bool pen = mPen.Style() != psClear && mPen.Color() != clNone;
  const int pw = pen ? std::max(1, mPen.Width()) : 0;
  if (mBrush.Style() != bsClear && mBrush.Color() != clNone) {
    ApplyPen(*p);
    p->setPen(Qt::NoPen);
    ApplyBrush(*p);
    if (w > 2 * pw && h > 2 * pw) p->drawRect(QRect(l + pw, t + pw, w - 2 * pw, h - 2 * pw));
  }
  if (!pen) return;
  ApplyPen(*p);
  p->setBrush(Qt::NoBrush);
  if (mPen.Style() == psSolid || mPen.Style() == psInsideFrame || mPen.Width() > 1) {
    const QColor c = Q(mPen.Color());
    // Four bands, none overlapping, so raster pen modes apply once per pixel.
    const int bw = std::min(pw, (w + 1) / 2), bh = std::min(pw, (h + 1) / 2);
    p->fillRect(QRect(l, t, w, bh), c);
    if (h > bh) p->fillRect(QRect(l, b - bh, w, bh), c);
    if (h > 2 * bh) {
      p->fillRect(QRect(l, t + bh, bw, h - 2 * bh), c);
      if (w > bw) p->fillRect(QRect(r - bw, t + bh, bw, h - 2 * bh), c);
    }
  } else {
    p->drawRect(QRect(l, t, w - 1, h - 1));
  }
}

void TCanvas::RoundRect(int l, int t, int r, int b, int rx, int ry) {
  QPainter* p = Begin();
  if (!p || r <= l || b <= t) return;
  ApplyPen(*p);
  ApplyBrush(*p);
  p->drawRoundedRect(QRect(l, t, r - l - 1, b - t - 1), rx / 2.0, ry / 2.0);
}

namespace {

// The rows of the ellipse inscribed in the pixels l..r-1, t..b-1: each row's
// whole span and its interior span (empty when first > second; the outline
// is the difference). Each row's half width is computed once for the upper
// half and mirrored both ways, so the shape is exactly symmetric and touches
// all four sides of its box. The outline of a row runs from its span's end to
// where the next row outwards begins, so it is closed; outline and interior
// never share a pixel, which keeps XOR pens and brushes apart.
void EllipseSpans(int l, int t, int r, int b, bool outline, std::vector<std::pair<int, int>>& whole,
                  std::vector<std::pair<int, int>>& inner) {
  const int w = r - l, h = b - t;
  const double a = w / 2.0, bb = h / 2.0;
  const double cx2 = l + r - 1;  // twice the centre, in pixel coordinates
  const int rows = (h + 1) / 2;  // the upper half, middle row included
  std::vector<int> left(rows);
  for (int i = 0; i < rows; ++i) {
    const double dy = (t + i) - (t + b - 1) / 2.0;
    const double q = 1.0 - (dy * dy) / (bb * bb);
    const double hw = q > 0 ? a * std::sqrt(q) : 0.0;
    int x = int(std::floor(cx2 / 2.0 - hw + 0.5));
    const int mid = int(std::floor(cx2 / 2.0));
    left[i] = std::clamp(x, l, mid);
  }
  whole.assign(static_cast<size_t>(h), {0, -1});
  inner.assign(static_cast<size_t>(h), std::pair<int, int>(1, 0));
  auto rowSpans = [&](int i, int y) {
    const int lx = left[i];
    const int rx = int(cx2) - lx;  // mirrored
    whole[size_t(y - t)] = {lx, rx};
    if (!outline) {
      inner[size_t(y - t)] = {lx, rx};
      return;
    }
    const int outer = i > 0 ? left[i - 1] : rx + 1;  // the row towards the edge
    const int lo = std::min(std::max(lx, outer - 1), (int(cx2)) / 2);
    const int ro = int(cx2) - lo;
    if (ro - lo > 1) inner[size_t(y - t)] = {lo + 1, ro - 1};
  };
  for (int i = 0; i < rows; ++i) {
    const int y = t + i, mirror = b - 1 - i;
    rowSpans(i, y);
    if (mirror != y) rowSpans(i, mirror);
  }
}

// The interior as rows of whole pixels; the outline as lines through the
// centres of its pixels, from the top down the right side and back up the
// left, a new line wherever two pixels in turn do not touch. Played back at
// its size it covers the pixels RasterEllipse fills; scaled, the outline
// stays one line as the painter's would.
void RecordedEllipse(QPainter& p, int l, int t, int r, int b, bool outline) {
  std::vector<std::pair<int, int>> whole, inner;
  EllipseSpans(l, t, r, b, outline, whole, inner);
  const int h = b - t, mid = (l + r - 1) / 2, upper = (h + 1) / 2;
  const QBrush brush = p.brush();
  QPen pen = p.pen();
  std::vector<QRect> fill;
  std::vector<QPoint> right, left;
  for (int k = 0; k < h; ++k) {
    const auto [wl, wr] = whole[size_t(k)];
    const auto [il, ir] = inner[size_t(k)];
    if (il <= ir) fill.emplace_back(il, t + k, ir - il + 1, 1);
    if (!outline) continue;
    // A row without interior is outline across: half to each side.
    const int la = wl, lb = il <= ir ? il - 1 : std::min(wr, mid);
    const int ra = il <= ir ? ir + 1 : std::max(wl, mid + 1), rb = wr;
    const int y = t + k;
    // Both sides from the top: outwards in the upper half, inwards below.
    if (k < upper) {
      for (int x = ra; x <= rb; ++x) right.emplace_back(x, y);
      for (int x = lb; x >= la; --x) left.emplace_back(x, y);
    } else {
      for (int x = rb; x >= ra; --x) right.emplace_back(x, y);
      for (int x = la; x <= lb; ++x) left.emplace_back(x, y);
    }
  }
  p.save();
  p.setPen(Qt::NoPen);
  if (brush.style() != Qt::NoBrush && !fill.empty()) {
    p.setBrush(brush);
    p.drawRects(fill.data(), int(fill.size()));
  }
  if (outline) {
    right.insert(right.end(), left.rbegin(), left.rend());
    pen.setWidth(1);
    pen.setCosmetic(true);
    // Square ends: a line then starts on its first pixel wherever it lies.
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::BevelJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    size_t start = 0;
    for (size_t i = 1; i <= right.size(); ++i) {
      const bool touches = i < right.size() && std::abs(right[i].x() - right[i - 1].x()) <= 1 &&
                           std::abs(right[i].y() - right[i - 1].y()) <= 1;
      if (touches) continue;
      // A line leaves out its last pixel: that one is a point of its own.
      if (i - start > 1) p.drawPolyline(right.data() + start, int(i - start));
      p.drawPoint(right[i - 1]);
      start = i;
    }
  }
  p.restore();
}

}  // namespace

// Above ratio 1 the spans of whole logical pixels would be 1x rows enlarged,
// steps on every curve: the shape is drawn at the device's resolution over the
// same box instead, its outline as wide as the pen in logical pixels.
// Hard-edged, as at 1x: displays draw a shape again over itself on updates,
// which must leave the pixels as they were.
static void DeviceEllipse(QPainter& p, int l, int t, int r, int b, int penWidth) {
  p.save();
  const QRectF outer(l, t, r - l, b - t);
  if (p.pen().style() == Qt::NoPen) {
    p.drawEllipse(outer);
    p.restore();
    return;
  }
  // The outline as a filled ring, the pen's width inside the box: a fill is
  // far cheaper than stroking the curve with a pen of that width.
  const qreal w = std::max(1, penWidth);
  const QRectF inner = outer.adjusted(w, w, -w, -w);
  QPainterPath ring;
  ring.addEllipse(outer);
  if (inner.isValid()) ring.addEllipse(inner);
  p.fillPath(ring, p.pen().brush());
  if (inner.isValid() && p.brush().style() != Qt::NoBrush) {
    p.setPen(Qt::NoPen);
    p.drawEllipse(inner);
  }
  p.restore();
}

void TCanvas::Ellipse(int l, int t, int r, int b) {
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  QPainter* p = Begin();
  if (!p || r == l || b == t) return;
  ApplyPen(*p);
  ApplyBrush(*p);
  const bool solid = mPen.Style() == psSolid || mPen.Style() == psInsideFrame;
  const bool thinSolid = mPen.Width() <= 1 && solid;
  const int type = mDevice ? mDevice->devType() : QInternal::Image;
  const bool pixels = type == QInternal::Image || type == QInternal::Widget || type == QInternal::Pixmap;
  if (pixels && (solid || mPen.Style() == psClear) && SmoothGeometry(*p, mPen)) {
    DeviceEllipse(*p, l, t, r, b, mPen.Width());
    return;
  }
  if (!thinSolid && mPen.Style() != psClear) {
    // Wide and dashed outlines: the painter's stroker, through the pixel
    // centres so the shape stays inside its box.
    const double inset = mPen.Width() > 1 ? mPen.Width() / 2.0 : 0.5;
    p->drawEllipse(QRectF(l + inset, t + inset, r - l - 2 * inset, b - t - 2 * inset));
    return;
  }
  // Pixel conventions matter on pixels, and on a metafile played back onto
  // them: it records the same pixels, its outline as a line through them so
  // that it stays whole when played back scaled. A printer draws a painter
  // ellipse at its own resolution.
  if (type == QInternal::Picture && mPen.Mode() == pmCopy) {
    RecordedEllipse(*p, l, t, r, b, mPen.Style() != psClear);
    return;
  }
  if (type != QInternal::Image && type != QInternal::Widget && type != QInternal::Pixmap && type != QInternal::Picture) {
    p->drawEllipse(QRectF(l + 0.5, t + 0.5, r - l - 1, b - t - 1));
    return;
  }
  RasterEllipse(*p, l, t, r, b, mPen.Style() != psClear);
}

// The ellipse as spans of whole pixels (EllipseSpans), outline and interior
// each one batch of rectangles.
void TCanvas::RasterEllipse(QPainter& p, int l, int t, int r, int b, bool outline) {
  const int h = b - t;
  std::vector<std::pair<int, int>> whole, inner;
  EllipseSpans(l, t, r, b, outline, whole, inner);
  // Outline and interior as two batches of rectangles, a row each.
  const QBrush brush = p.brush();
  const QColor penColor = p.pen().color();
  std::vector<QRect> ink, fill;
  ink.reserve(size_t(2 * h));
  fill.reserve(size_t(h));
  for (int r = 0; r < h; ++r) {
    const auto [wl, wr] = whole[size_t(r)];
    const auto [il, ir] = inner[size_t(r)];
    if (outline) {
      if (il > ir) {
        ink.emplace_back(wl, t + r, wr - wl + 1, 1);
      } else {
        if (il > wl) ink.emplace_back(wl, t + r, il - wl, 1);
        if (wr > ir) ink.emplace_back(ir + 1, t + r, wr - ir, 1);
      }
    }
    if (il <= ir) fill.emplace_back(il, t + r, ir - il + 1, 1);
  }
  p.save();
  p.setPen(Qt::NoPen);
  if (!ink.empty()) {
    p.setBrush(penColor);
    p.drawRects(ink.data(), int(ink.size()));
  }
  if (brush.style() != Qt::NoBrush && !fill.empty()) {
    p.setBrush(brush);
    p.drawRects(fill.data(), int(fill.size()));
  }
  p.restore();
}

void TCanvas::ArcPoints(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, QRectF& box,
                        double& startDeg, double& spanDeg) const {
  box = QRectF(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1) - 1, std::abs(y2 - y1) - 1);
  const double cx = (x1 + x2) / 2.0, cy = (y1 + y2) / 2.0;
  startDeg = AngleOf(cx, cy, x3, y3);
  const double end = AngleOf(cx, cy, x4, y4);
  spanDeg = end - startDeg;
  if (spanDeg <= 0) spanDeg += 360.0;
}

// The three arc shapes share their geometry: a box and the two radials.
void TCanvas::ArcShape(int shape, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  QPainter* p = Begin();
  if (!p) return;
  QRectF box;
  double s, span;
  ArcPoints(x1, y1, x2, y2, x3, y3, x4, y4, box, s, span);
  ApplyPen(*p);
  const int a = int(std::lround(s * 16)), len = int(std::lround(span * 16));
  if (shape == 0) {
    p->drawArc(box, a, len);
    return;
  }
  ApplyBrush(*p);
  if (shape == 1)
    p->drawPie(box, a, len);
  else
    p->drawChord(box, a, len);
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  ArcShape(0, x1, y1, x2, y2, x3, y3, x4, y4);
}
void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  ArcShape(1, x1, y1, x2, y2, x3, y3, x4, y4);
}
void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  ArcShape(2, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TCanvas::FillRect(const TRect& r) {
  QPainter* p = Begin();
  if (!p || r.IsEmpty()) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  QBrush b = mBrush.ToQBrush();
  if (b.style() == Qt::NoBrush) return;
  if (b.style() != Qt::TexturePattern) b.setColor(Q(mBrush.Color()));
  p->fillRect(r.ToQRect(), b);
}

void TCanvas::FrameRect(const TRect& r) {
  QPainter* p = Begin();
  if (!p || r.IsEmpty() || mBrush.Color() == clNone) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  const QColor c = Q(mBrush.Color());
  p->fillRect(QRect(r.Left, r.Top, r.Width(), 1), c);
  if (r.Height() > 1) p->fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), c);
  if (r.Height() > 2) {
    p->fillRect(QRect(r.Left, r.Top + 1, 1, r.Height() - 2), c);
    if (r.Width() > 1) p->fillRect(QRect(r.Right - 1, r.Top + 1, 1, r.Height() - 2), c);
  }
}

void TCanvas::Frame3D(TRect& r, TColor topColor, TColor bottomColor, int width) {
  QPainter* p = Begin();
  if (!p) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  const QColor top = Q(topColor), bottom = Q(bottomColor);
  while (width-- > 0) {
    if (r.Width() <= 0 || r.Height() <= 0) break;
    // Top-left: left column and top row, both short of the far corner.
    if (topColor != clNone) {
      p->fillRect(QRect(r.Left, r.Top, 1, r.Height() - 1), top);
      p->fillRect(QRect(r.Left, r.Top, r.Width() - 1, 1), top);
    }
    // Bottom-right: right column and bottom row, corners included.
    if (bottomColor != clNone) {
      p->fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), bottom);
      p->fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), bottom);
    }
    InflateRect(r, -1, -1);
  }
}

void TCanvas::DrawFocusRect(const TRect& r) {
  QPainter* p = Begin();
  if (!p || r.IsEmpty()) return;
  if (IsRaster()) p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  QPen pen(Qt::white);
  pen.setDashPattern({1, 1});
  p->setPen(pen);
  p->setBrush(Qt::NoBrush);
  p->drawRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

TColor TCanvas::Pixel(int x, int y) {
  if (mDevice && mDevice->devType() == QInternal::Image) {
    auto* img = static_cast<QImage*>(mDevice);
    if (x < 0 || y < 0 || x >= img->width() || y >= img->height()) return clNone;
    return FromQRgb(img->pixel(x, y));
  }
  return clNone;
}

void TCanvas::SetPixel(int x, int y, TColor c) {
  if (mHasClip && !mClip.Contains(TPoint(x, y))) return;
  if (mDevice && mDevice->devType() == QInternal::Image && !(mPainter && mPainter->transform().isScaling()) &&
      !(mPainter && mPainter->transform().type() != QTransform::TxNone)) {
    auto* img = static_cast<QImage*>(mDevice);
    if (x < 0 || y < 0 || x >= img->width() || y >= img->height()) return;
    if (mOnDeviceWrite && !mPainter) mOnDeviceWrite();
    img->setPixel(x, y, ToQRgb(ColorToRGB(c)));
    return;
  }
  QPainter* p = Begin();
  if (!p) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->fillRect(QRect(x, y, 1, 1), Q(c));
}

// ---- text --------------------------------------------------------------------

int TCanvas::TextWidth(const QString& text) { return Shaped(text).Width; }
int TCanvas::TextHeight(const QString& text) { return Shaped(text).Height; }
QSize TCanvas::TextExtent(const QString& text) {
  const TTextCacheEntry& e = Shaped(text);
  return QSize(e.Width, e.Height);
}

void TCanvas::TextOut(int x, int y, const QString& text) {
  QPainter* p = Begin();
  const TTextCacheEntry& shaped = Shaped(text);
  const int w = shaped.Width, h = shaped.Height;
  if (!p) {
    mPenPos = TPoint(x + w, y);
    return;
  }
  const QFont& f = CachedFont();
  p->setFont(DeviceFont(*p, f, text));
  const int angle = mFont.Orientation();
  if (angle != 0) {
    p->save();
    p->translate(x, y);
    p->rotate(-angle / 10.0);
    if (mBrush.Style() != bsClear && mBrush.Color() != clNone)
      p->fillRect(QRect(0, 0, w, h), Q(mBrush.Color()));
    ApplyPen(*p, true);
    p->drawText(0, shaped.Ascent, text);
    p->restore();
    const double rad = angle / 10.0 * M_PI / 180.0;
    mPenPos = TPoint(x + int(std::lround(w * std::cos(rad))), y - int(std::lround(w * std::sin(rad))));
    return;
  }
  if (mBrush.Style() != bsClear && mBrush.Color() != clNone) {
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->fillRect(QRect(x, y, w, h), Q(mBrush.Color()));
  }
  ApplyPen(*p, true);
  // The shaped text is laid out for ratio 1: at another ratio its glyphs
  // would keep 1x places at another size (gaps inside words), so the text is
  // laid out for the device instead.
  if (p->transform().type() == QTransform::TxNone && PixelRatio(*p) == 1.0)
    p->drawStaticText(x, y, shaped.Static);
  else
    p->drawText(x, y + shaped.Ascent, text);
  mPenPos = TPoint(x + w, y);
}

void TCanvas::TextRect(const TRect& r, int x, int y, const QString& text) {
  QPainter* p = Begin();
  if (!p) return;
  p->save();
  p->setClipRect(r.ToQRect(), mHasClip ? Qt::IntersectClip : Qt::ReplaceClip);
  if (mBrush.Style() != bsClear && mBrush.Color() != clNone) {
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->fillRect(r.ToQRect(), Q(mBrush.Color()));
  }
  const QFont& f = CachedFont();
  p->setFont(DeviceFont(*p, f, text));
  ApplyPen(*p, true);
  p->drawText(x, y + QFontMetrics(f).ascent(), text);
  p->restore();
}

void TCanvas::TextCentered(const TRect& r, const QString& text) {
  QFontMetrics fm(CachedFont());
  const int w = fm.horizontalAdvance(text), h = fm.height();
  TextRect(r, r.Left + (r.Width() - w) / 2, r.Top + (r.Height() - h) / 2, text);
}

void TCanvas::DrawText(const TRect& r, const QString& text, int qtFlags) {
  QPainter* p = Begin();
  if (!p) return;
  p->save();
  p->setClipRect(r.ToQRect(), mHasClip ? Qt::IntersectClip : Qt::ReplaceClip);
  p->setFont(DeviceFont(*p, CachedFont(), text));
  ApplyPen(*p, true);
  p->drawText(r.ToQRect(), qtFlags, text);
  p->restore();
}

// ---- pictures ----------------------------------------------------------------

void TCanvas::Draw(int x, int y, const QImage& img) {
  QPainter* p = Begin();
  if (!p || img.isNull()) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->drawImage(x, y, img);
}

void TCanvas::Draw(int x, int y, const TBitmap& bmp) {
  if (bmp.Empty()) return;
  Draw(x, y, bmp.Transparent() ? bmp.KeyedImage() : bmp.Image());
}

void TCanvas::StretchDraw(const TRect& r, const QImage& img) {
  QPainter* p = Begin();
  if (!p || img.isNull() || r.IsEmpty()) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->drawImage(r.ToQRect(), img);
}

void TCanvas::StretchDraw(const TRect& r, const TBitmap& bmp) {
  if (bmp.Empty()) return;
  StretchDraw(r, bmp.Transparent() ? bmp.KeyedImage() : bmp.Image());
}

void TCanvas::Draw(int x, int y, const TMetafile& mf) {
  if (mf.Empty()) return;
  StretchDraw(Bounds(x, y, mf.Width(), mf.Height()), mf);
}

void TCanvas::StretchDraw(const TRect& r, const TMetafile& mf) {
  QPainter* p = Begin();
  if (!p || mf.Empty() || r.IsEmpty()) return;
  p->save();
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->translate(r.Left, r.Top);
  p->scale(double(r.Width()) / mf.Width(), double(r.Height()) / mf.Height());
  p->drawPicture(0, 0, mf.Picture());
  p->restore();
}

void TCanvas::CopyRect(const TRect& dest, const QImage& src, const TRect& srcRect) {
  QPainter* p = Begin();
  if (!p || src.isNull() || dest.IsEmpty() || srcRect.IsEmpty()) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->drawImage(dest.ToQRect(), src, srcRect.ToQRect());
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& src, const TRect& srcRect) {
  if (!src.mDevice || src.mDevice->devType() != QInternal::Image) return;
  const QImage& img = *static_cast<QImage*>(src.mDevice);
  if (src.mDevice == mDevice) {
    // Overlapping copy within one image: take the source first.
    const QImage piece = img.copy(srcRect.ToQRect());
    CopyRect(dest, piece, TRect(0, 0, srcRect.Width(), srcRect.Height()));
    return;
  }
  CopyRect(dest, img, srcRect);
}

void TCanvas::BrushCopy(const TRect& dest, const TBitmap& bmp, const TRect& srcRect, TColor color) {
  if (bmp.Empty() || srcRect.IsEmpty()) return;
  QImage piece = bmp.Image().copy(srcRect.ToQRect()).convertToFormat(QImage::Format_RGB32);
  const unsigned from = ToQRgb(ColorToRGB(color)) & 0xFFFFFF;
  const unsigned to = Q(mBrush.Color()).rgb();
  for (int y = 0; y < piece.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(piece.scanLine(y));
    for (int x = 0; x < piece.width(); ++x)
      if ((line[x] & 0xFFFFFF) == from) line[x] = to;
  }
  CopyRect(dest, piece, TRect(0, 0, piece.width(), piece.height()));
}

// ---- clipping ----------------------------------------------------------------

void TCanvas::SetClipRect(const TRect& r) {
  mHasClip = r != TRect();
  mClip = r;
  if (mPainter) {
    if (mHasClip)
      mPainter->setClipRect(r.ToQRect());
    else
      mPainter->setClipping(false);
  }
}

TRect TCanvas::ClipRect() const {
  if (mHasClip) return mClip;
  if (mDevice) return TRect(0, 0, mDevice->width(), mDevice->height());
  return TRect();
}

TColor BlendColor(TColor a, TColor b, double w) {
  a = ColorToRGB(a);
  b = ColorToRGB(b);
  w = std::clamp(w, 0.0, 1.0);
  auto mix = [w](int x, int y) { return int(std::lround(x + (y - x) * w)); };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
             mix(GetBValue(a), GetBValue(b)));
}

}  // namespace Tarnwell
