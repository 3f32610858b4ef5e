#include "ERombBtn.h"

#include <Tarnwell/platform/TAccessible.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <cstdlib>

TARNWELL_LIBRARY_ACCESSIBLE(visuals)

namespace Tarnwell {

TEnhRombButtons::TEnhRombButtons(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setAccessibleName(QStringLiteral("Direction pad"));
  resize(99, 99);
}

int TEnhRombButtons::ClampSpace(int value) const { return std::max(2, std::min(value, width() / 6)); }

int TEnhRombButtons::HalfWidth() const { return width() / 4 - mButtonSpace; }
int TEnhRombButtons::HalfHeight() const { return height() / 4 - mButtonSpace; }

TPoint TEnhRombButtons::RombOrigin(TEnhRombButtonPressed b) const {
  const int w = width(), h = height(), s = mButtonSpace;
  switch (b) {
    case erbUp: return TPoint(w / 4 + s - 2, 0);
    case erbLeft: return TPoint(0, h / 4 + s - 2);
    case erbDown: return TPoint(w / 4 + s - 2, h / 2 + 2 * s - 4);
    case erbRight: return TPoint(w / 2 + 2 * s - 4, h / 4 + s - 2);
    case erbNone: break;
  }
  return TPoint(0, 0);
}

TEnhRombButtonPressed TEnhRombButtons::ButtonAt(int x, int y) const {
  if (x == y) return erbNone;
  const int w = width(), h = height(), s = mButtonSpace, a = HalfWidth();
  const int cx = w / 2, cy = h / 2, e = std::abs(cx - x);
  // The dead bands along both diagonals, between the rhombs.
  if (cx + 2 * a - x < y && y < 3 * cx - 2 * a - x) return erbNone;
  if (x - 2 * s < y && y < x + 2 * s) return erbNone;
  if (y < cy - e) return e < y ? erbUp : erbNone;
  if (cy - e < y && y < cy + e) {
    if (!(e < y && y < h - e)) return erbNone;
    return x < cx ? erbLeft : erbRight;
  }
  return y < h - e ? erbDown : erbNone;
}

void TEnhRombButtons::DrawArrow(TCanvas& c, TEnhRombButtonPressed b, int d, TColor color) {
  const TPoint o = RombOrigin(b);
  const int x = o.x(), y = o.y(), a = HalfWidth(), bh = HalfHeight();
  TPoint pts[3];
  switch (b) {
    case erbUp:
    case erbDown: {
      const int apex = b == erbUp ? y + bh / 2 : y + 3 * (bh / 2);
      pts[0] = TPoint(x + a + d, apex);
      pts[1] = TPoint(x + 4 * (a / 5) + d, y + bh);
      pts[2] = TPoint(x + 5 * (a / 4) + d, y + bh);
      break;
    }
    case erbLeft:
    case erbRight: {
      const int apex = b == erbLeft ? x + a / 2 : x + 3 * (a / 2);
      pts[0] = TPoint(apex + d, y + bh);
      pts[1] = TPoint(x + a + d, y + 4 * (bh / 5));
      pts[2] = TPoint(x + a + d, y + 5 * (bh / 4));
      break;
    }
    case erbNone:
      return;
  }
  c.Pen().SetWidth(2);
  c.Pen().SetColor(color);
  c.Brush().SetStyle(bsClear);
  c.Polygon(pts, 3);
}

void TEnhRombButtons::DrawRomb(TCanvas& c, TEnhRombButtonPressed b, bool pressed) {
  const TPoint o = RombOrigin(b);
  const int x = o.x(), y = o.y(), a = HalfWidth(), bh = HalfHeight();
  const TColor left = pressed ? clBtnShadow : clBtnHighlight;
  const TColor right = pressed ? clBtnHighlight : clBtnShadow;
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(pressed && !mFullPression ? 1 : 2);
  c.Pen().SetColor(left);
  c.MoveTo(x + a, y);
  c.LineTo(x, y + bh);
  c.LineTo(x + a, y + 2 * bh);
  c.Pen().SetColor(right);
  c.MoveTo(x + a, y);
  c.LineTo(x + 2 * a, y + bh);
  c.LineTo(x + a, y + 2 * bh);
  if (mDrawContur) {
    c.Pen().SetWidth(1);
    c.Pen().SetColor(clBlack);
    c.MoveTo(x + a, y - 1);
    c.LineTo(x - 1, y + bh);
    c.LineTo(x + a, y + 2 * bh + 1);
    c.LineTo(x + 2 * a + 1, y + bh);
    c.LineTo(x + a, y - 1);
  }
  if (mWithArrows) {
    // The pressed arrow moves one pixel right and turns red.
    DrawArrow(c, b, pressed ? 0 : 1, clBtnFace);
    DrawArrow(c, b, pressed ? 1 : 0, pressed ? clRed : clBlack);
  }
}

void TEnhRombButtons::paintEvent(QPaintEvent*) {
  TCanvas c(this);
  c.SetPalette(palette());
  c.Pen().SetStyle(psClear);
  c.Brush().SetColor(clBtnFace);
  c.FillRect(TRect(0, 0, width(), height()));
  for (TEnhRombButtonPressed b : {erbUp, erbLeft, erbDown, erbRight}) DrawRomb(c, b, false);
  if (mButtonDown != erbNone) DrawRomb(c, mButtonDown, true);
  if (mSignalFocus && hasFocus()) {
    c.Brush().SetColor(clBlack);
    c.FrameRect(TRect(0, 0, width() - 2, height() - 2));
  }
}

// The pad stays square: the height follows the width.
void TEnhRombButtons::resizeEvent(QResizeEvent*) {
  if (height() != width()) resize(width(), width());
  setButtonSpace(mButtonSpace);
}

void TEnhRombButtons::Press(TEnhRombButtonPressed b) {
  setButtonDown(b);
  switch (b) {
    case erbUp: TW_FIRE(OnUpClick, UpClick, this); break;
    case erbLeft: TW_FIRE(OnLeftClick, LeftClick, this); break;
    case erbDown: TW_FIRE(OnDownClick, DownClick, this); break;
    case erbRight: TW_FIRE(OnRightClick, RightClick, this); break;
    case erbNone: break;
  }
}

void TEnhRombButtons::Click(TEnhRombButtonPressed b) {
  if (b == erbNone || mButtonDown != erbNone) return;
  Press(b);
  Release();
}

void TEnhRombButtons::Release() {
  mHeldKey = 0;
  setButtonDown(erbNone);
}

void TEnhRombButtons::mousePressEvent(QMouseEvent* e) {
  setFocus(Qt::MouseFocusReason);
  if (mButtonDown != erbNone) return;
  const QPoint p = e->position().toPoint();
  const TEnhRombButtonPressed b = ButtonAt(p.x(), p.y());
  if (b != erbNone) Press(b);
}

void TEnhRombButtons::mouseReleaseEvent(QMouseEvent*) {
  if (mHeldKey == 0) Release();
}

void TEnhRombButtons::keyPressEvent(QKeyEvent* e) {
  TEnhRombButtonPressed b = erbNone;
  switch (e->key()) {
    case Qt::Key_Left: b = erbLeft; break;
    case Qt::Key_Up: b = erbUp; break;
    case Qt::Key_Right: b = erbRight; break;
    case Qt::Key_Down: b = erbDown; break;
    default: QWidget::keyPressEvent(e); return;
  }
  // A held key fires once: auto-repeat presses are swallowed.
  if (e->isAutoRepeat() || mButtonDown != erbNone) return;
  mHeldKey = e->key();
  Press(b);
}

void TEnhRombButtons::keyReleaseEvent(QKeyEvent* e) {
  if (e->isAutoRepeat()) return;
  if (mHeldKey != 0 && e->key() == mHeldKey) {
    Release();
    return;
  }
  QWidget::keyReleaseEvent(e);
}

// A hold whose release would never arrive (focus gone, pad hidden) ends.
void TEnhRombButtons::focusInEvent(QFocusEvent* e) {
  QWidget::focusInEvent(e);
  update();
}
void TEnhRombButtons::focusOutEvent(QFocusEvent* e) {
  QWidget::focusOutEvent(e);
  Release();
  update();
}
void TEnhRombButtons::hideEvent(QHideEvent* e) {
  QWidget::hideEvent(e);
  Release();
}

}  // namespace Tarnwell
