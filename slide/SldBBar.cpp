#include "SldBBar.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>
#include <QToolTip>

#include <Tarnwell/platform/TAccessible.h>
#include <Tarnwell/platform/TPixelRatio.h>

TARNWELL_LIBRARY_ACCESSIBLE(slide)

namespace Tarnwell {

// ---- TSlideImageList ---------------------------------------------------------

int TSlideImageList::Add(const QImage& image) {
  QImage img = image;
  if (!img.isNull() && (img.width() != mWidth || img.height() != mHeight))
    img = img.scaled(mWidth, mHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  mImages.append(img);
  return int(mImages.size()) - 1;
}

QImage TSlideImageList::Image(int index) const {
  if (index < 0 || index >= mImages.size()) return QImage();
  return mImages[index];
}

// ---- shades ------------------------------------------------------------------

TSlideShades SlideShades(TColor c) {
  switch (c) {
    case clBlack: return {clWhite, clWhite, clGray};
    case clMaroon: return {clRed, clBlack, clGray};
    case clGreen: return {clLime, clBlack, clGray};
    case clOlive: return {clYellow, clBlack, clGray};
    case clNavy: return {clBlue, clBlack, clGray};
    case clPurple: return {clFuchsia, clBlack, clGray};
    case clTeal: return {clAqua, clNavy, clSilver};
    case clGray: return {clSilver, clBlack, clSilver};
    case clSilver: return {clWhite, clBlack, clGray};
    case clRed: return {clWhite, clMaroon, clSilver};
    case clLime: return {clWhite, clGreen, clSilver};
    case clYellow: return {clWhite, clOlive, clSilver};
    case clBlue: return {clAqua, clNavy, clSilver};
    case clFuchsia: return {clWhite, clPurple, clSilver};
    case clAqua: return {clWhite, clTeal, clSilver};
    case clWhite: return {clBlack, clBlack, clSilver};
    case clBtnFace: return {clBtnHighlight, clBtnShadow, clBtnShadow};
    default: return {clBlack, clWhite, clGray};
  }
}

// ---- TSlideControl -------------------------------------------------------------

TSlideControl::TSlideControl(QWidget* parent) : QWidget(parent) {
  // The control paints every pixel itself.
  setAttribute(Qt::WA_OpaquePaintEvent);
  mTimer.setInterval(mInterval);
  connect(&mTimer, &QTimer::timeout, this, &TSlideControl::Tick);
  mColorView.changed = [this] {
    const TColor now = Color();
    if (now == mShownColor) return;
    mShownColor = now;
    if (!mCustom) {
      const TSlideShades s = SlideShades(now);
      mHighlightColor = s.Highlight;
      mShadowColor = s.Shadow;
      mDisabledColor = s.Disabled;
      Invalidate();
    }
    Q_EMIT ColorChanged(ColorQColor());
  };
  mFontView.changed = [this] {
    if (!mCustom) Invalidate();
    Q_EMIT FontChanged(font());
  };
}

TSlideControl::~TSlideControl() {
  // No tick may reach a control that is going: the timer stops here, before
  // any member the tick reads is destroyed.
  mTimer.stop();
}

TColor TSlideControl::Color() const { return mColorView.Color(); }
void TSlideControl::setColor(TColor value) { mColorView.SetColor(value); }

void TSlideControl::setInterval(int value) {
  if (value < 1 || value > 1000 || value == mInterval) return;
  mInterval = value;
  mTimer.setInterval(value);
  Q_EMIT IntervalChanged(value);
}

void TSlideControl::setBevelWidth(int value) {
  if (value == mBevelWidth) return;
  mBevelWidth = value;
  if (!mCustom) Invalidate();
  Q_EMIT BevelWidthChanged(value);
}

void TSlideControl::setCustom(bool value) {
  if (value == mCustom) return;
  mCustom = value;
  Invalidate();
  Q_EMIT CustomChanged(value);
}

void TSlideControl::ResumeTimer() {
  if (!mTimer.isActive()) mTimer.start();
}

void TSlideControl::PauseTimer() { mTimer.stop(); }

void TSlideControl::Invalidate() {
  mPaintValid = false;
  update();
}

void TSlideControl::Tick() {
  // A failing step must not stop the program's event loop.
  try {
    Step();
  } catch (...) {
  }
}

void TSlideControl::FireSlideOpen() {
  // An opening control slides over its neighbours, not under them.
  raise();
  TW_FIRE(OnSlideOpen, SlideOpen, this);
}

void TSlideControl::paintEvent(QPaintEvent*) {
  QPainter p(this);
  TCanvas canvas(&p);
  canvas.SetPalette(palette());
  Paint(canvas);
}

// ---- TSlideButtonBar -------------------------------------------------------------

TSlideButtonBar::TSlideButtonBar(QWidget* parent) : TSlideControl(parent) {
  resize(24, 24);
  setMouseTracking(true);
  mHideTimer.setSingleShot(true);
  connect(&mHideTimer, &QTimer::timeout, this, [this] { setVisible(false); });
}

TSlideButtonBar::~TSlideButtonBar() { mHideTimer.stop(); }

QImage TSlideButtonBar::Bitmap() const { return mBitmap.Image(); }

void TSlideButtonBar::setBitmap(QImage value) {
  if (value == mBitmap.Image()) return;
  mBitmap.Assign(value);
  Recompute();
  update();
  Q_EMIT BitmapChanged(mBitmap.Image());
}

int TSlideButtonBar::ButtonCount() const { return mButtonCount; }

void TSlideButtonBar::setButtonCount(int value) {
  if (value < 1 || value > 255 || value == mButtonCount) return;
  mButtonCount = value;
  Recompute();
  Invalidate();
  Q_EMIT ButtonCountChanged(value);
}

int TSlideButtonBar::BitmapWidth() const {
  const qreal r = mBitmap.Image().devicePixelRatio();
  return r == 1 ? mBitmap.Width() : qRound(mBitmap.Width() / r);
}

int TSlideButtonBar::BitmapHeight() const {
  const qreal r = mBitmap.Image().devicePixelRatio();
  return r == 1 ? mBitmap.Height() : qRound(mBitmap.Height() / r);
}

QRect TSlideButtonBar::StripPixels(const QImage& strip, const QRect& logical) {
  const qreal r = strip.devicePixelRatio();
  return r == 1 ? logical : InDevicePixels(logical, r).toRect();
}

void TSlideButtonBar::Recompute() {
  mButtonWidth = BitmapWidth() / mButtonCount;
  mButtonHeight = BitmapHeight() / mButtonCount;
}

TSlideMenuMan* TSlideButtonBar::MenuManager() const { return mMenuManager; }
void TSlideButtonBar::setMenuManager(TSlideMenuMan* value) {
  if (mMenuManager == value) return;
  mMenuManager = value;
  Q_EMIT MenuManagerChanged(value);
}
TSlideButtonBar* TSlideButtonBar::MenuPrior() const { return mMenuPrior; }
void TSlideButtonBar::setMenuPrior(TSlideButtonBar* value) {
  if (mMenuPrior == value) return;
  mMenuPrior = value;
  Q_EMIT MenuPriorChanged(value);
}
TSlideButtonBar* TSlideButtonBar::MenuNext() const { return mMenuNext; }
void TSlideButtonBar::setMenuNext(TSlideButtonBar* value) {
  if (mMenuNext == value) return;
  mMenuNext = value;
  Q_EMIT MenuNextChanged(value);
}

QList<TSlideButtonBar*> TSlideButtonBar::Chain() {
  QList<TSlideButtonBar*> chain;
  QSet<TSlideButtonBar*> seen;
  for (TSlideButtonBar* b = this; b && !seen.contains(b); b = b->mMenuNext) {
    seen.insert(b);
    chain.append(b);
  }
  return chain;
}

void TSlideButtonBar::ShowChain() {
  for (TSlideButtonBar* b : Chain()) {
    b->mHideTimer.stop();
    b->setVisible(true);
  }
}

void TSlideButtonBar::HideChain() {
  // Last member first, the others 50 ms apart each: timers, not a wait, so
  // nothing else runs inside this call.
  const QList<TSlideButtonBar*> chain = Chain();
  for (int k = 0; k < chain.size(); ++k) {
    TSlideButtonBar* b = chain[chain.size() - 1 - k];
    if (k == 0) {
      b->mHideTimer.stop();
      b->setVisible(false);
    } else {
      b->mHideTimer.start(50 * k);
    }
  }
}

void TSlideButtonBar::ShowButtonHint(int index) {
  if (index < 0) return;
  index = Reported(index);
  if (index >= mHints.size() || mHint == mHints[index]) return;
  QToolTip::hideText();
  mHint = mHints[index];
  SetHint(this, mHint);
}

bool TSlideButtonBar::FullyOpen() const {
  return width() >= BitmapWidth() && height() >= BitmapHeight();
}

void TSlideButtonBar::Step() {
  if (!mActive || mBitmap.Empty() || mButtonWidth <= 0) {
    // Nothing to animate: the timer stops rather than ticking for nothing.
    PauseTimer();
    return;
  }
  const int bw = BitmapWidth();
  const int left = x(), w = width();
  if (!mAnchorTaken) {
    mAnchorEdge = left + w;
    mAnchorTaken = true;
  }
  const bool toLeft = mDirection == slbToLeft;
  if (mHot) {
    if (w == mButtonWidth) FireSlideOpen();
    if (w < bw - mStepOut) {
      setGeometry(toLeft ? left - mStepOut : left, y(), w + mStepOut, height());
    } else if (w < bw) {
      setGeometry(toLeft ? mAnchorEdge - bw : left, y(), bw, height());
    }
    return;
  }
  if (mPressed) return;
  if (mCloseNow) {
    setGeometry(toLeft ? mAnchorEdge - mButtonWidth : left, y(), mButtonWidth, height());
    mCloseNow = false;
    mFrameShown = false;
    if (mMenuManager && mMenuManager->Active()) mMenuManager->HideMenus();
    PauseTimer();
  } else if (mButtonWidth + mStepIn < w) {
    mFrameShown = false;
    setGeometry(toLeft ? left + mStepIn : left, y(), w - mStepIn, height());
  } else if (w < mButtonWidth) {
    // Narrower than a button: nothing left to close.
    PauseTimer();
  } else {
    mFrameShown = false;
    setGeometry(toLeft ? mAnchorEdge - mButtonWidth : left, y(), mButtonWidth, height());
    PauseTimer();
  }
}

int TSlideButtonBar::ButtonAt(int x, int) const {
  if (mButtonWidth <= 0) return -1;
  return x / mButtonWidth + (mDirection == slbToLeft ? 1 : 0);
}

TRect TSlideButtonBar::ButtonRect(int index) const {
  const int bw = mButtonWidth;
  const int k = mDirection == slbToRight ? index : index - 1;
  return TRect(k * bw, 0, k * bw + bw, height());
}

TRect TSlideButtonBar::FrameRect(int index) const {
  TRect r = ButtonRect(index);
  InflateRect(r, -mBtnOffSet, -mBtnOffSet);
  return r;
}

void TSlideButtonBar::DrawButtonState(bool pressed) {
  if (!mPressed) mFrameShown = false;  // the previous frame goes
  if (mHotIndex > 0 && mHotIndex < mButtonCount) {
    mHotRect = FrameRect(mHotIndex);
    mFrameShown = Frameable(mHotIndex);
    if (mLastIndex != mHotIndex) TW_FIRE(OnButtonChange, ButtonChange, this);
  }
  mLastIndex = mHotIndex;
  mHotPressed = pressed;
  update();
}

void TSlideButtonBar::PaintFrame(QPainter& p) {
  if (!mFrameShown) return;
  TCanvas c(&p);
  c.SetPalette(palette());
  TRect r = mHotRect;
  // Bars frame in the system's 3D colours, menus in their own shades.
  const TColor hi = mFrameInShades ? mHighlightColor : clBtnHighlight;
  const TColor sh = mFrameInShades ? mShadowColor : clBtnShadow;
  if (mHotPressed)
    c.Frame3D(r, sh, hi, 1);
  else
    c.Frame3D(r, hi, sh, 1);
}

void TSlideButtonBar::Paint(TCanvas& canvas) {
  QPainter& p = *canvas.Painter();
  const int W = width(), H = height();
  if (mBitmap.Empty()) {
    canvas.Brush().SetColor(Color());
    p.fillRect(rect(), palette().window());
    canvas.FrameRect(TRect(0, 0, W, H));
    return;
  }
  const QImage& img = mBitmap.Image();
  const int BW = BitmapWidth(), bw = mButtonWidth;
  if (W > BW || H > BitmapHeight()) p.fillRect(rect(), ToQColor(Color(), palette()));
  auto src = [&img](int x, int y, int w, int h) { return StripPixels(img, QRect(x, y, w, h)); };
  if (mDirection == slbToRight) {
    p.drawImage(QRect(bw, 0, W - bw, H), img, src(BW + bw - W, 0, W - bw, H));
    p.drawImage(QRect(0, 0, bw, H), img, src(0, 0, bw, H));
  } else {
    p.drawImage(QRect(0, 0, W - bw, H), img, src(bw, 0, W - bw, H));
    p.drawImage(QRect(W - bw, 0, bw, H), img, src(0, 0, bw, H));
  }
  PaintFrame(p);
}

void TSlideButtonBar::FireButtonClick(int index) { TW_FIRE(OnButtonClick, ButtonClick, this, Reported(index)); }

void TSlideButtonBar::FireButtonMove(int index, Qt::KeyboardModifiers shift, int x, int y) {
  TW_FIRE(OnButtonMove, ButtonMove, this, Reported(index), shift, x, y);
}

void TSlideButtonBar::mousePressEvent(QMouseEvent* e) {
  QWidget::mousePressEvent(e);
  if (KeyModeOn() || !FullyOpen()) return;
  const int x = e->position().toPoint().x(), y = e->position().toPoint().y();
  if (e->button() == Qt::LeftButton) {
    mHotIndex = ButtonAt(x, y);
    mPressedIndex = mHotIndex;
    if (x > 0 && mHotIndex >= 0) DrawButtonState(true);
  }
  TW_FIRE(OnButtonDown, ButtonDown, this, Reported(mHotIndex), e->button(), e->modifiers(), x, y);
  mPressed = true;
}

void TSlideButtonBar::mouseMoveEvent(QMouseEvent* e) {
  if (KeyModeOn() || !FullyOpen()) return;
  const QPoint pt = e->position().toPoint();
  if (!mPressed) {
    mHotIndex = ButtonAt(pt.x(), pt.y());
    if (pt.x() > 0 && mHotIndex >= 0) DrawButtonState(false);
    ShowButtonHint(mHotIndex);
  } else if (mHotIndex >= 0) {
    const bool inside = pt.x() >= mHotRect.Left && pt.x() <= mHotRect.Right && pt.y() >= mHotRect.Top &&
                        pt.y() <= mHotRect.Bottom;
    if (inside != mHotPressed) DrawButtonState(inside);
  }
  FireButtonMove(mHotIndex, e->modifiers(), pt.x(), pt.y());
}

void TSlideButtonBar::mouseReleaseEvent(QMouseEvent* e) {
  if (KeyModeOn() || width() < BitmapWidth()) return;
  const QPoint pt = e->position().toPoint();
  // The pressed button is taken before the hot index is reset, so that the
  // click reports the button that was clicked.
  const int index = mHotIndex;
  const bool wasPressed = mPressed;
  if (e->button() == Qt::LeftButton && index >= 0) DrawButtonState(false);
  TW_FIRE(OnButtonUp, ButtonUp, this, Reported(index), e->button(), e->modifiers(), pt.x(), pt.y());
  mHotIndex = -1;
  mPressed = false;
  // A click needs the release inside the button that was pressed.
  if (e->button() == Qt::LeftButton && wasPressed && index >= 0 && index == mPressedIndex &&
      ButtonRect(index).Contains(pt)) {
    if (mCloseOnClick) {
      mCloseNow = true;
      mHot = false;
    }
    FireButtonClick(index);
  }
  mPressedIndex = -1;
}

void TSlideButtonBar::MouseEnter() {
  LeaveKeyModeFromMouse();
  mHot = true;
  ResumeTimer();
}

void TSlideButtonBar::MouseLeave() {
  LeaveKeyModeFromMouse();
  mHot = false;
}

void TSlideButtonBar::enterEvent(QEnterEvent* e) {
  QWidget::enterEvent(e);
  MouseEnter();
}

void TSlideButtonBar::leaveEvent(QEvent* e) {
  QWidget::leaveEvent(e);
  MouseLeave();
}

}  // namespace Tarnwell
