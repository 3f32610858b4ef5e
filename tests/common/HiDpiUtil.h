#pragma once
// Controls rendered at a device pixel ratio, and what tells a picture drawn
// at that resolution from the 1x one enlarged: the box its ink fills and the
// share of pixels that differ from the enlargement.
#include <QImage>
#include <QRect>
#include <QWidget>
#include <algorithm>
#include <functional>

namespace HiDpi {

// The control painted into a white (or `fill`) picture of `ratio` device
// pixels per logical pixel; the picture comes back with ratio 1, in device
// pixels.
inline QImage Render(QWidget* w, qreal ratio, QColor fill = Qt::white) {
  QImage img((QSizeF(w->size()) * ratio).toSize(), QImage::Format_RGB32);
  img.setDevicePixelRatio(ratio);
  img.fill(fill);
  w->render(&img);
  img.setDevicePixelRatio(1);
  return img;
}

using Ink = std::function<bool(QRgb)>;

// Device pixels of `img` inside `logical` (scaled by ratio) that are ink.
inline QRect InkBox(const QImage& img, QRect logical, qreal ratio, const Ink& ink) {
  const QRect r = QRect((QPointF(logical.topLeft()) * ratio).toPoint(), (QSizeF(logical.size()) * ratio).toSize())
                      .intersected(img.rect());
  QRect box;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (ink(img.pixel(x, y))) box |= QRect(x, y, 1, 1);
  return box;
}

// Share of the region's pixels that differ from the 1x picture enlarged.
inline double Detail(const QImage& at1, const QImage& at2, QRect logical) {
  const QImage up = at1.scaled(at1.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  const QRect r(logical.topLeft() * 2, logical.size() * 2);
  int differ = 0, all = 0;
  for (int y = r.top(); y <= r.bottom() && y < up.height(); ++y)
    for (int x = r.left(); x <= r.right() && x < up.width(); ++x) {
      ++all;
      if (up.pixel(x, y) != at2.pixel(x, y)) ++differ;
    }
  return all ? double(differ) / all : 0;
}

// The widest run of ink-free columns between the first and last ink column.
inline int WidestGap(const QImage& img, const QRect& box, const Ink& ink) {
  int widest = 0, run = 0;
  for (int x = box.left(); x <= box.right(); ++x) {
    bool any = false;
    for (int y = box.top(); y <= box.bottom() && !any; ++y) any = ink(img.pixel(x, y));
    run = any ? 0 : run + 1;
    widest = std::max(widest, run);
  }
  return widest;
}

inline bool Dark(QRgb c) { return qGray(c) < 60; }

}  // namespace HiDpi
