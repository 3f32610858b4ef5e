#pragma once
// Direct pixel access for the graph's fast paths (internal to the graph).

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// Direct access to the pixels of an image the painter draws on, when nothing
// stands between (no clip, no transform beyond a shift, 32-bit pixels): thin
// opaque lines and bars are then written straight into memory.
//
// With `blocks`, an image of a whole-number device pixel ratio k is opened
// too: a logical pixel is then the k x k square of device pixels it covers,
// which is what the painter fills for it. Only Pixel draws such squares;
// everything else needs an image of ratio 1 (slanted lines made of squares
// would be the 1x steps enlarged).
class TARNWELL_GRAPH_EXPORT TRaster {
 public:
  bool Open(QPainter* p, QColor c, bool blocks = false) {
    if (!p || !p->device() || p->device()->devType() != QInternal::Image || p->hasClipping()) return false;
    // Smooth drawing is the painter's: hard pixels written here would undo it.
    if (p->renderHints() & QPainter::Antialiasing) return false;
    const QTransform& tr = p->worldTransform();
    if (tr.type() > QTransform::TxTranslate || c.alpha() != 255) return false;
    auto* img = static_cast<QImage*>(p->device());
    const auto f = img->format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied)
      return false;
    const qreal ratio = img->devicePixelRatio();
    mK = int(ratio);
    if (mK != ratio || mK < 1 || (mK > 1 && !blocks)) return false;
    mDx = int(tr.dx());
    mDy = int(tr.dy());
    if (mDx != tr.dx() || mDy != tr.dy()) return false;
    // The painter already owns the (unshared) data; constBits does not detach.
    mBits = const_cast<uchar*>(img->constBits());
    mStride = img->bytesPerLine();
    mW = img->width();
    mH = img->height();
    mColor = c.rgba();
    return true;
  }
  void SetColor(QRgb c) { mColor = c; }
  void Pixel(int x, int y) {
    x += mDx;
    y += mDy;
    if (mK == 1) {
      if (unsigned(x) < unsigned(mW) && unsigned(y) < unsigned(mH)) Row(y)[x] = mColor;
      return;
    }
    x *= mK;
    y *= mK;
    if (x < 0 || y < 0 || x + mK > mW || y + mK > mH) return;
    for (int j = 0; j < mK; ++j) {
      QRgb* row = Row(y + j) + x;
      for (int i = 0; i < mK; ++i) row[i] = mColor;
    }
  }
  // Rows y0..y1 (either order, both included) of column x.
  void VSpan(int x, int y0, int y1) {
    x += mDx;
    if (unsigned(x) >= unsigned(mW)) return;
    if (y0 > y1) std::swap(y0, y1);
    y0 = std::max(y0 + mDy, 0);
    y1 = std::min(y1 + mDy, mH - 1);
    uchar* q = mBits + qsizetype(y0) * mStride + qsizetype(x) * 4;
    for (int y = y0; y <= y1; ++y, q += mStride) *reinterpret_cast<QRgb*>(q) = mColor;
  }
  // Both ends included.
  void Line(int x0, int y0, int x1, int y1) {
    if (x0 == x1) return VSpan(x0, y0, y1);
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
      Pixel(x0, y0);
      if (x0 == x1 && y0 == y1) break;
      const int e2 = 2 * err;
      if (e2 >= dy) {
        err += dy;
        x0 += sx;
      }
      if (e2 <= dx) {
        err += dx;
        y0 += sy;
      }
    }
  }
  void Polyline(const QPoint* pts, int n) {
    if (n == 1) Pixel(pts[0].x(), pts[0].y());
    for (int i = 1; i < n; ++i) Line(pts[i - 1].x(), pts[i - 1].y(), pts[i].x(), pts[i].y());
  }

 private:
  QRgb* Row(int y) { return reinterpret_cast<QRgb*>(mBits + qsizetype(y) * mStride); }
  uchar* mBits = nullptr;
  qsizetype mStride = 0;
  int mW = 0, mH = 0, mDx = 0, mDy = 0;
  int mK = 1;  // device pixels per logical pixel, each way
  QRgb mColor = 0;
};

}  // namespace Tarnwell
