#pragma once
// Drawing for high-density screens.
//
// Geometry is computed in logical pixels. On a device whose pixel ratio is 1
// the canvas covers exactly the pixels its pixel rules describe, and pictures
// are drawn as they are. Above 1 the canvas strokes slanted lines and
// polygons as smooth geometry at the device's resolution (never enlarged
// pixel steps), and pictures with a vector source are drawn from it.

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>
#include <Tarnwell/TarnwellExport.h>

class QPainter;

namespace Tarnwell {

class TCanvas;

// Device pixels per logical pixel of what `c` paints on (1 for pictures,
// printers and measuring canvases).
TARNWELL_PLATFORMCORE_EXPORT qreal PixelRatio(const TCanvas& c);
// The same for a painter: the ratio of the device it really draws on, so a
// widget rendered into a picture (QWidget::render, grab) gets the picture's
// ratio, not its screen's.
TARNWELL_PLATFORMCORE_EXPORT qreal PixelRatio(const QPainter& p);

// The device pixels of a logical size at `ratio` device pixels per logical
// pixel (rounded to whole pixels): the size of a picture drawn for that device.
inline QSize InDevicePixels(QSize logical, qreal ratio) { return (QSizeF(logical) * ratio).toSize(); }
// A logical rectangle in the device pixels of `ratio`: where it lies in a
// picture drawn for that device.
inline QRectF InDevicePixels(const QRect& logical, qreal ratio) {
  return QRectF(QPointF(logical.topLeft()) * ratio, QSizeF(logical.size()) * ratio);
}

// The picture `name` for a place `logical` pixels big on a device of pixel
// ratio `dpr`. At ratio 1 it is LoadResourcePicture(name), pixel for pixel.
// Above 1 a picture that has a vector source (NAME.svg beside it) is drawn
// from that at the device's resolution (its devicePixelRatio set), so it
// stays sharp; one without stays the plain picture. Throws like
// LoadResourcePicture.
TARNWELL_PLATFORMCORE_EXPORT QImage LoadResourcePictureFor(const QString& name, QSize logical, qreal dpr);

}  // namespace Tarnwell
