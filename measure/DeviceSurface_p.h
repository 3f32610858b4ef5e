#pragma once
// The displays compose their faces on surfaces of the device's own pixels:
// on a high-density screen a face is drawn at that resolution (text, arcs
// and edges included) instead of being drawn at 1x and enlarged.

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QSize>
#include <algorithm>
#include <cmath>

#include <Tarnwell/platform/TBitmap.h>
#include <Tarnwell/platform/TPixelRatio.h>

namespace Tarnwell::MeasureSurface {

// The device pixels of a logical size.
inline QSize Pixels(QSize logical, qreal ratio) {
  return ratio == 1 ? logical : (QSizeF(logical) * ratio).toSize();
}

// A logical rectangle in device pixels.
inline QRectF InPixels(const QRect& r, qreal ratio) {
  return QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio);
}

// Whether `b` holds the pixels of a logical size at `ratio`.
inline bool Fits(const TBitmap& b, QSize logical, qreal ratio) {
  const QSize px = Pixels(logical, ratio);
  return b.Width() == px.width() && b.Height() == px.height();
}

// Sizes `b` for a logical size at `ratio`. At ratio 1 this is the bitmap's
// own SetSize (old contents top-left, new area white); at another ratio a
// white surface of the device's pixels whose painter draws in logical units.
//
// `spare` keeps the pixels of the ratio left behind: going back to it (a
// window dragged between screens, a picture rendered at the other ratio)
// takes them up again instead of asking the system for fresh memory.
inline void Resize(TBitmap& b, QSize logical, qreal ratio, QImage* spare = nullptr) {
  const QSize px = Pixels(logical, ratio);
  const bool same = !b.Image().isNull() && b.Image().devicePixelRatio() == ratio;
  if (ratio == 1 && (same || b.Image().isNull())) {
    b.SetSize(px.width(), px.height());
    return;
  }
  if (same && b.Width() == px.width() && b.Height() == px.height()) return;
  QImage img;
  if (spare && spare->size() == px && spare->devicePixelRatio() == ratio &&
      spare->format() == QImage::Format_RGB32) {
    img = std::move(*spare);
  } else {
    img = QImage(px.expandedTo(QSize(0, 0)), QImage::Format_RGB32);
    img.setDevicePixelRatio(ratio);
  }
  img.fill(Qt::white);
  if (spare) *spare = b.Image();
  b.Assign(img);
}

// The device rows and columns a logical rectangle covers (rounded outwards).
inline QRect DeviceRect(int left, int top, int right, int bottom, qreal ratio) {
  if (ratio == 1) return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
  const int l = int(std::floor(left * ratio)), t = int(std::floor(top * ratio));
  const int r = int(std::ceil(right * ratio)), b = int(std::ceil(bottom * ratio));
  return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

// An ellipse in the canvas' pen and brush inside the box l..r-1, t..b-1. At
// ratio 1 it is the canvas' own, pixel for pixel. Above it the canvas would
// fill the 1x pixel rows enlarged (steps on every curve); here the shape is
// drawn at the device's resolution over the same box, its outline as wide as
// the pen in logical pixels. Hard-edged, as at 1x: the displays draw a shape
// again over itself on updates, which must leave the pixels as they were.
inline void Ellipse(TCanvas& c, int l, int t, int r, int b) {
  if (c.Pen().Mode() != pmCopy || PixelRatio(c) == 1) {
    c.Ellipse(l, t, r, b);
    return;
  }
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  QPainter* p = c.Painter();  // the canvas' pen and brush applied
  if (!p || r == l || b == t) return;
  p->save();
  const QRectF outer(l, t, r - l, b - t);
  if (p->pen().style() == Qt::NoPen) {
    p->drawEllipse(outer);
    p->restore();
    return;
  }
  // The outline as a filled ring, the pen's width inside the box: a fill is
  // far cheaper than stroking the curve with a pen of that width.
  const qreal w = std::max(1, c.Pen().Width());
  const QRectF inner = outer.adjusted(w, w, -w, -w);
  QPainterPath ring;
  ring.addEllipse(outer);
  if (inner.isValid()) ring.addEllipse(inner);
  p->fillPath(ring, p->pen().brush());
  if (inner.isValid() && p->brush().style() != Qt::NoBrush) {
    p->setPen(Qt::NoPen);
    p->drawEllipse(inner);
  }
  p->restore();
}

}  // namespace Tarnwell::MeasureSurface
