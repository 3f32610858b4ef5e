#include "Button3D.h"

#include <Tarnwell/platform/TAccessible.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <Tarnwell/platform/TResources.h>

TARNWELL_LIBRARY_ACCESSIBLE(visuals)

namespace Tarnwell {

void SphericalTint(TSphericalButtonColor color, int& r, int& g, int& b) {
  r = g = b = 0;
  switch (color) {
    case bclRed: r = 96; break;
    case bclGreen: g = 80; break;
    case bclBlue: b = 96; break;
    case bclYellow: r = g = 64; break;
    case bclAqua: g = b = 64; break;
    case bclFuchsia: r = b = 64; break;
    case bclNone: break;
  }
}

QImage PrepareSphericalStrip(const QImage& source, QRgb background, TSphericalButtonColor color, bool tint,
                             const QImage& glyph) {
  if (source.isNull()) return {};
  QImage strip = source.convertToFormat(QImage::Format_RGB32);
  const int w = strip.width(), h = strip.height(), f = w / 4;
  // The corners take the colour behind the button.
  const QRgb old = strip.pixel(0, h - 1) | 0xFF000000u;
  background |= 0xFF000000u;
  for (int y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
    for (int x = 0; x < w; ++x)
      if ((line[x] | 0xFF000000u) == old) line[x] = background;
  }
  int tr = 0, tg = 0, tb = 0;
  SphericalTint(color, tr, tg, tb);
  if (tint && (tr | tg | tb)) {
    // The discs of the normal, hot and pressed frames; the disabled one
    // keeps its grey.
    QImage mask(3 * f + 1, h, QImage::Format_RGB32);
    mask.fill(Qt::white);
    {
      TCanvas c(&mask);
      c.Pen().SetColor(clBlack);
      c.Brush().SetColor(clBlack);
      c.Ellipse(6, 6, f - 6, h - 6);
      c.Ellipse(f + 6, 6, 2 * f - 6, h - 6);
      c.Ellipse(2 * f + 7, 7, 3 * f - 7, h - 7);
    }
    for (int y = 0; y < h; ++y) {
      const auto* m = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
      auto* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
      for (int x = 0; x < std::min(w, mask.width()); ++x) {
        if ((m[x] & 0xFFFFFF) != 0) continue;
        const QRgb p = line[x];
        line[x] = qRgb(std::min(255, qRed(p) + tr), std::min(255, qGreen(p) + tg), std::min(255, qBlue(p) + tb));
      }
    }
  }
  if (!glyph.isNull()) {
    const QImage g = glyph.convertToFormat(QImage::Format_RGB32);
    const int gh0 = g.height();
    const bool two = g.width() == 2 * gh0;
    const int gw = std::min(two ? gh0 : g.width(), w / 8), gh = std::min(gh0, h / 2);
    const QRgb transparent = g.pixel(0, gh0 - 1);
    const int x0 = (f - gw) / 2, y0 = (h - gh) / 2;
    for (int j = 0; j < gh; ++j)
      for (int i = 0; i < gw; ++i) {
        const QRgb p = g.pixel(i, j);
        if (p == transparent) continue;
        strip.setPixel(x0 + i, y0 + j, p);
        strip.setPixel(f + x0 + i, y0 + j, p);
        if (2 * f + x0 + i + 1 < w && y0 + j + 1 < h) strip.setPixel(2 * f + x0 + i + 1, y0 + j + 1, p);
        QRgb d;
        if (two) {
          d = g.pixel(gh0 + i, j);
          if (d == transparent) continue;
        } else {
          d = qRgb(qRed(p) & 128, qGreen(p) & 128, qBlue(p) & 128);
        }
        strip.setPixel(3 * f + x0 + i, y0 + j, d);
      }
  }
  return strip;
}

TSphericalButton::TSphericalButton(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  resize(48, 48);
  BuildFrames();
}

QSize TSphericalButton::sizeHint() const {
  return mStrip.isNull() ? QSize(48, 48) : QSize(mStrip.width() / 4, mStrip.height());
}

// Prepared when a property changes (and when the colour behind changes),
// never at paint time: the size follows the strip.
void TSphericalButton::BuildFrames() {
  static const char* const names[3] = {"DEFAULTFRAME4", "DEFAULTFRAME8", "DEFAULTFRAME24"};
  if (mFrameType == ftCustom) {
    if (!mButtonFace.isNull()) mSource = mButtonFace;
  } else {
    mSource = LoadResourcePicture(QString::fromLatin1(names[mFrameType]));
  }
  mBuiltBackground = palette().color(backgroundRole()).rgb();
  mStrip = PrepareSphericalStrip(mSource, mBuiltBackground, mButtonColor, mFrameType != ftCustom, mGlyph);
  if (!mStrip.isNull()) resize(mStrip.width() / 4, mStrip.height());
  updateGeometry();
  update();
}

int TSphericalButton::ShownFrame() const {
  if (!isEnabled()) return 3;
  return mState == 1 ? 1 : mState == 2 ? 2 : 0;
}

void TSphericalButton::paintEvent(QPaintEvent*) {
  if (mStrip.isNull()) return;
  const int f = mStrip.width() / 4;
  QPainter p(this);
  p.drawImage(QPoint(0, 0), mStrip, QRect(ShownFrame() * f, 0, f, mStrip.height()));
  if (hasFocus()) {
    p.end();
    TCanvas c(this);
    c.DrawFocusRect(TRect(6, 6, width() - 6, height() - 6));
  }
}

void TSphericalButton::PerformClick() {
  if (isEnabled()) TW_FIRE(OnClick, Click, this);
}

void TSphericalButton::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Space:
      if (!e->isAutoRepeat()) {
        mSpaceHeld = true;
        SetState(2);
      }
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!e->isAutoRepeat()) TW_FIRE(OnClick, Click, this);
      return;
    default: QWidget::keyPressEvent(e);
  }
}

void TSphericalButton::keyReleaseEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Space && !e->isAutoRepeat() && mSpaceHeld) {
    mSpaceHeld = false;
    const bool click = mState == 2;
    SetState(0);
    if (click) TW_FIRE(OnClick, Click, this);
    return;
  }
  QWidget::keyReleaseEvent(e);
}

void TSphericalButton::focusInEvent(QFocusEvent* e) {
  QWidget::focusInEvent(e);
  update();
}

// Focus lost with Space down: the button comes up without a click.
void TSphericalButton::focusOutEvent(QFocusEvent* e) {
  QWidget::focusOutEvent(e);
  if (mSpaceHeld) {
    mSpaceHeld = false;
    SetState(0);
  }
  update();
}

bool TSphericalButton::Inside(const QPoint& p) const {
  return p.x() > 5 && p.x() < width() - 5 && p.y() > 5 && p.y() < height() - 5;
}

void TSphericalButton::SetState(int s) {
  if (s == mState) return;
  mState = s;
  update();
}

void TSphericalButton::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  SetState(2);
}

void TSphericalButton::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (mState >= 2) {
    SetState(Inside(p) ? 2 : 3);
  } else if (mState == 1 && !rect().contains(p)) {
    SetState(0);
  } else if (mState == 0 && rect().contains(p)) {
    SetState(1);
  }
}

void TSphericalButton::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const bool click = mState == 2 && Inside(e->position().toPoint());
  SetState(0);
  if (click) TW_FIRE(OnClick, Click, this);
}

void TSphericalButton::enterEvent(QEnterEvent* e) {
  QWidget::enterEvent(e);
  if (mState == 0) SetState(1);
}

void TSphericalButton::leaveEvent(QEvent* e) {
  QWidget::leaveEvent(e);
  if (mState == 1) SetState(0);
}

void TSphericalButton::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::EnabledChange) {
    update();
    Q_EMIT EnabledChanged(isEnabled());
  }
  if ((e->type() == QEvent::PaletteChange || e->type() == QEvent::ParentChange) &&
      palette().color(backgroundRole()).rgb() != mBuiltBackground)
    BuildFrames();
}

}  // namespace Tarnwell
