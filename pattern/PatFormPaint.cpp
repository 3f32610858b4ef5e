#include <QEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QPaintEvent>
#include <cmath>

#include "PatPanel.h"

namespace Tarnwell {

TPatternFormPaint::TPatternFormPaint(QWidget* ownerForm) : QObject(ownerForm), mForm(ownerForm) {
  mTextFont.OnChange = [this](TGraphicsObject*) {
    Invalidate();
    Q_EMIT TextFontChanged(TextQFont());
  };
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

void TPatternFormPaint::setPatternHolder(TPatternHolder* h) {
  if (h == mPatternHolder) return;
  QObject::disconnect(mConn);
  mPatternHolder = h;
  if (h) {
    h->BuildTiled(false);
    mConn = connect(h, &TPatternHolder::Changed, this, [this] { Invalidate(); });
  }
  Invalidate();
  Q_EMIT PatternHolderChanged(h);
}

QImage TPatternFormPaint::Image() const { return mImage.Image(); }

void TPatternFormPaint::setImage(QImage img) {
  const bool differs = img != mImage.Image();
  mImage.Assign(img);
  mImage.SetTransparent(mImageTransparent);
  Invalidate();
  if (differs) Q_EMIT ImageChanged(mImage.Image());
}

void TPatternFormPaint::setTextFont(const QFont& f) {
  if (f == TextQFont()) return;
  mTextFont.AssignQFont(f);  // its change notice repaints and signals
}

bool TPatternFormPaint::CanPaint() const {
  return mEnabled && ((mPatternHolder && mPatternHolder->Active()) || !mImage.Empty());
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
  if (mPatternHolder && mPatternHolder->Active()) {
    mPatternHolder->PaintClient(canvas, client);
  } else {
    canvas.Brush().SetColor(mTarget ? FromQColor(mTarget->palette().color(mTarget->backgroundRole()))
                                    : clBtnFace);
    canvas.FillRect(client);
  }
  if (!mImage.Empty()) {
    TW_FIRE(OnBeforePaintImage, BeforePaintImage, this, canvas);
    const TRect r = ImageRect(client);
    if (mImagePosition == pipStretch)
      canvas.StretchDraw(r, mImage);
    else
      canvas.Draw(r.Left, r.Top, mImage);
    TW_FIRE(OnAfterPaintImage, AfterPaintImage, this, canvas);
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
