#include <QEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QPaintEvent>
#include <cmath>

#include "PatPanel.h"

namespace Tarnwell {

TPatternFormPaint::TPatternFormPaint(QWidget* ownerForm) : QObject(ownerForm), mForm(ownerForm) {
  if (!ownerForm) return;
  mTarget = ownerForm;
  if (auto* mw = qobject_cast<QMainWindow*>(ownerForm)) {
    // A multiple-document frame: its client area is the MDI area's viewport.
    if (auto* mdi = mw->findChild<QMdiArea*>()) {
      mIsMDI = true;
      mTarget = mdi->viewport();
    }
  } else if (auto* mdi = qobject_cast<QMdiArea*>(ownerForm)) {
    mIsMDI = true;
    mTarget = mdi->viewport();
  }
  mTarget->installEventFilter(this);
  if (mTarget != mForm) mForm->installEventFilter(this);
  mHooked = true;
}

TPatternFormPaint::~TPatternFormPaint() { Unhook(); }

void TPatternFormPaint::Unhook() {
  if (!mHooked) return;
  mHooked = false;
  if (mTarget) mTarget->removeEventFilter(this);
  if (mForm) mForm->removeEventFilter(this);
  if (mTarget) mTarget->update();
}

void TPatternFormPaint::Invalidate() {
  if (mTarget) mTarget->update();
}

void TPatternFormPaint::SetPatternHolder(TPatternHolder* h) {
  if (h == mHolder) return;
  QObject::disconnect(mConn);
  mHolder = h;
  if (h) {
    h->BuildTiled(false);
    mConn = connect(h, &TPatternHolder::Changed, this, [this] { Invalidate(); });
  }
  Invalidate();
}

void TPatternFormPaint::SetEnabled(bool e) {
  if (e == mEnabled) return;
  mEnabled = e;
  Invalidate();
}

void TPatternFormPaint::SetImage(const QImage& img) {
  mImage.Assign(img);
  mImage.SetTransparent(mImageTransparent);
  Invalidate();
}

void TPatternFormPaint::SetImagePosition(TFormPaintImagePos p) {
  if (p == mImagePosition) return;
  mImagePosition = p;
  Invalidate();
}

void TPatternFormPaint::SetImageTransparent(bool t) {
  if (t == mImageTransparent) return;
  mImageTransparent = t;
  mImage.SetTransparent(t);
  Invalidate();
}

void TPatternFormPaint::SetOffSetL(int v) {
  if (v != mOffSetL) {
    mOffSetL = v;
    Invalidate();
  }
}
void TPatternFormPaint::SetOffSetT(int v) {
  if (v != mOffSetT) {
    mOffSetT = v;
    Invalidate();
  }
}
void TPatternFormPaint::SetOffSetR(int v) {
  if (v != mOffSetR) {
    mOffSetR = v;
    Invalidate();
  }
}
void TPatternFormPaint::SetOffSetB(int v) {
  if (v != mOffSetB) {
    mOffSetB = v;
    Invalidate();
  }
}

void TPatternFormPaint::SetText(const QStringList& t) {
  if (t == mText) return;
  mText = t;
  Invalidate();
}

void TPatternFormPaint::SetTextAlignment(TAlignment a) {
  if (a == mTextAlignment) return;
  mTextAlignment = a;
  Invalidate();
}

void TPatternFormPaint::SetTextLayout(TTextLayout l) {
  if (l == mTextLayout) return;
  mTextLayout = l;
  Invalidate();
}

void TPatternFormPaint::SetTextShadow(int s) {
  if (s == mTextShadow) return;
  mTextShadow = s;
  Invalidate();
}

bool TPatternFormPaint::CanPaint() const {
  return mEnabled && ((mHolder && mHolder->Active()) || !mImage.Empty());
}

TRect TPatternFormPaint::ImageRect(const TRect& c) const {
  const int w = mImage.Width(), h = mImage.Height();
  switch (mImagePosition) {
    case pipCenter:
      return Bounds((c.Width() - w) / 2, (c.Height() - h) / 2, w, h);
    case pipStretch:
      return TRect(c.Left + mOffSetL, c.Top + mOffSetT, c.Right - mOffSetR, c.Bottom - mOffSetB);
    case pipTopLeft:
      return Bounds(mOffSetL, mOffSetT, w, h);
    case pipTopRight:
      return Bounds(c.Right - w - mOffSetR, mOffSetT, w, h);
    case pipBottomLeft:
      return Bounds(mOffSetL, c.Bottom - h - mOffSetB, w, h);
    case pipBottomRight:
      return Bounds(c.Right - w - mOffSetR, c.Bottom - h - mOffSetB, w, h);
  }
  return TRect();
}

void TPatternFormPaint::PaintBackground(TCanvas& canvas, const TRect& client) {
  if (mHolder && mHolder->Active()) {
    mHolder->PaintClient(canvas, client);
  } else {
    canvas.Brush().SetColor(mTarget ? FromQColor(mTarget->palette().color(mTarget->backgroundRole()))
                                    : clBtnFace);
    canvas.FillRect(client);
  }
  if (!mImage.Empty()) {
    if (OnBeforePaintImage) OnBeforePaintImage(this, canvas);
    const TRect r = ImageRect(client);
    if (mImagePosition == pipStretch)
      canvas.StretchDraw(r, mImage);
    else
      canvas.Draw(r.Left, r.Top, mImage);
    if (OnAfterPaintImage) OnAfterPaintImage(this, canvas);
  }
  if (mText.isEmpty()) return;
  canvas.Font().Assign(mTextFont);
  canvas.Brush().SetStyle(bsClear);
  const int lh = int(std::lround(1.2 * canvas.TextHeight(QStringLiteral("Ag"))));
  const int n = int(mText.size());
  int top = 10;
  if (mTextLayout == tlCenter)
    top = client.Top + (client.Height() - n * lh - mOffSetB) / 2;
  else if (mTextLayout == tlBottom)
    top = client.Bottom - n * lh - mOffSetB;
  const TColor own = mTextFont.Color();
  for (int i = 0; i < n; ++i) {
    const QString& line = mText[i];
    const int w = canvas.TextWidth(line);
    int x = 10;
    if (mTextAlignment == taRightJustify)
      x = client.Right - w - 10;
    else if (mTextAlignment == taCenter)
      x = client.Width() / 2 - w / 2;
    const int y = top + i * lh;
    if (mTextShadow != 0) {
      canvas.Font().SetColor(ColorToRGB(own) == clWhite ? clWhite : clBlack);
      canvas.TextOut(x + mTextShadow, y + mTextShadow, line);
      canvas.Font().SetColor(own);
    }
    canvas.TextOut(x, y, line);
  }
}

bool TPatternFormPaint::eventFilter(QObject* watched, QEvent* e) {
  if (watched == mForm && e->type() == QEvent::Close && mFreeOnClose) {
    Unhook();
    return false;
  }
  if (!mEnabled || watched != mTarget) return false;
  switch (e->type()) {
    case QEvent::Paint: {
      if (!CanPaint()) return false;
      if (!mIsMDI && mForm && mForm->isMinimized()) return false;
      {
        TCanvas canvas(mTarget.data());
        PaintBackground(canvas, TRect(0, 0, mTarget->width(), mTarget->height()));
      }
      // The MDI client area paints nothing but its background; an ordinary
      // window still paints its own content over ours.
      return mIsMDI;
    }
    case QEvent::Resize:
      mTarget->update();
      return false;
    default:
      return false;
  }
}

}  // namespace Tarnwell
