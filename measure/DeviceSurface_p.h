#pragma once
// The displays compose their faces on surfaces of the device's own pixels:
// on a high-density screen a face is drawn at that resolution (text, arcs
// and edges included; the canvas draws its ellipses there) instead of being
// drawn at 1x and enlarged.

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSize>
#include <algorithm>
#include <cmath>

#include <Tarnwell/platform/TBitmap.h>
#include <Tarnwell/platform/TPixelRatio.h>

namespace Tarnwell::MeasureSurface {

// Whether `b` holds the pixels of a logical size at `ratio`.
inline bool Fits(const TBitmap& b, QSize logical, qreal ratio) {
  const QSize px = InDevicePixels(logical, ratio);
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
  const QSize px = InDevicePixels(logical, ratio);
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

}  // namespace Tarnwell::MeasureSurface
