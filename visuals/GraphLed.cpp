#include "GraphLed.h"

#include <Tarnwell/platform/TAccessible.h>

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <Tarnwell/platform/TPixelRatio.h>
#include <Tarnwell/platform/TResources.h>

TARNWELL_LIBRARY_ACCESSIBLE(visuals)

namespace Tarnwell {

TGraphicLed::TGraphicLed(QWidget* parent) : QWidget(parent) {
  mLedOn.Assign(LoadResourcePicture(QStringLiteral("LEDON")));
  mLedOff.Assign(LoadResourcePicture(QStringLiteral("LEDOFF")));
  mLedOn.SetTransparent(true);
  mLedOff.SetTransparent(true);
  mFontView.changed = [this] {
    AdjustWidth();
    repaint();
    Q_EMIT FontChanged(font());
  };
  resize(50, 16);
}

int TGraphicLed::TextPixelHeight() const {
  const int h = Font().Height();
  if (h < 0) return -h;
  if (h > 0) return h;
  return QFontMetrics(Font().ToQFont()).height();
}

int TGraphicLed::TextLineHeight() const { return TextPixelHeight() * 4 / 3; }

int TGraphicLed::TextWidth(const QString& s) const {
  TCanvas measure;
  measure.Font().Assign(Font());
  return measure.TextWidth(s);
}

TRect TGraphicLed::LedRect(int w, int h) const {
  const int t = TextLineHeight();
  switch (mLayout) {
    case glLedLeft: return h > 1 ? TRect(0, 0, h - 1, h - 1) : TRect();
    case glLedRight: return h > 1 ? TRect(w - (h - 1), 0, w, h - 1) : TRect();
    case glLedTop:
    case glLedBottom: {
      // A control lower than the caption line leaves no room for the lamp.
      const int s = h - 1 - t;
      if (s <= 0) return TRect();
      const int left = (w - s) / 2;
      return mLayout == glLedTop ? TRect(left, 0, left + s, s) : TRect(left, t, left + s, h - 1);
    }
  }
  return TRect();
}

TPoint TGraphicLed::CaptionPos(int w, int h) const {
  const int y = (h - TextPixelHeight()) / 2;
  switch (mLayout) {
    case glLedLeft: return TPoint(std::max(0, h - 1) + h / 4, y);
    case glLedRight: return TPoint(0, y);
    case glLedTop: return TPoint(0, h - TextLineHeight());
    case glLedBottom: return TPoint(0, 0);
  }
  (void)w;
  return TPoint(0, 0);
}

int TGraphicLed::AutoWidth(int h) const {
  const int tw = TextWidth(mCaption);
  if (mLayout == glLedRight) return std::max(0, h - 1) + tw + h / 4;
  return CaptionPos(width(), h).x() + tw;
}

void TGraphicLed::AdjustWidth() {
  if (!mAutoSize || mAdjusting) return;
  mAdjusting = true;
  const int w = std::max(1, AutoWidth(height()));
  if (w != width()) resize(w, height());
  updateGeometry();
  mAdjusting = false;
}

QSize TGraphicLed::sizeHint() const { return QSize(mAutoSize ? std::max(1, AutoWidth(height())) : width(), height()); }

void TGraphicLed::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (e->oldSize().height() != e->size().height()) AdjustWidth();
}

void TGraphicLed::Paint(TCanvas& canvas) {
  const int w = width(), h = height();
  const TRect led = LedRect(w, h);
  const qreal ratio = PixelRatio(canvas);
  if (!led.IsEmpty() && ratio != 1.0) {
    // A high-density screen: the lamp drawn from its vector source at the
    // screen's resolution, not the small picture enlarged.
    const QString name = mChecked ? QStringLiteral("LEDON") : QStringLiteral("LEDOFF");
    canvas.StretchDraw(led, LoadResourcePictureFor(name, QSize(led.Width(), led.Height()), ratio));
  } else if (!led.IsEmpty()) {
    canvas.StretchDraw(led, mChecked ? mLedOn : mLedOff);
  }
  canvas.Font().Assign(Font());
  canvas.Brush().SetStyle(bsClear);
  const TPoint at = CaptionPos(w, h);
  canvas.TextOut(at.x(), at.y(), mCaption);
}

void TGraphicLed::paintEvent(QPaintEvent*) {
  ++mPaintCount;
  QPainter p(this);
  TCanvas canvas(&p);
  canvas.SetPalette(palette());
  Paint(canvas);
}

}  // namespace Tarnwell

// Also named here: a program that links only the lamp still gets its pictures.
TARNWELL_LIBRARY_RESOURCES(tarnwell_visuals)
