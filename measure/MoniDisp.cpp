#include "MoniDisp.h"

#include "DeviceSurface_p.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>
#include <cstring>

#include <Tarnwell/platform/TControls.h>

#include <Tarnwell/platform/TAccessible.h>

TARNWELL_LIBRARY_ACCESSIBLE(measure)

namespace Tarnwell {

using namespace MoniDisp;
using MeasureSurface::Fits;

namespace {

using BackRoutine = void (*)(TCanvas&, const TMonitorPaintData&);

BackRoutine BackFor(TMeasureDisplayStyle s) {
  switch (s) {
    case mdLevel:
      return PaintLevelBack;
    case mdMeter:
      return PaintMeterBack;
    case mdOnOff:
      return PaintOnOffBack;
    case mdGraph:
      return PaintGraphBack;
    case mdTermo:
      return PaintTermoBack;
    case mdDigit:
      return PaintDigitBack;
    case mdVBarL:
      return PaintVBarBack;
    case mdHalfM:
      return PaintHalfMeterBack;
    default:
      return nullptr;
  }
}

BackRoutine ValueFor(TMeasureDisplayStyle s) {
  switch (s) {
    case mdLevel:
      return PaintLevelValue;
    case mdMeter:
      return PaintMeterValue;
    case mdOnOff:
      return PaintOnOffValue;
    case mdGraph:
      return PaintGraphValue;
    case mdTermo:
      return PaintTermoValue;
    case mdDigit:
      return PaintDigitValue;
    case mdVBarL:
      return PaintVBarValue;
    case mdHalfM:
      return PaintHalfMeterValue;
    default:
      return nullptr;
  }
}

// Styles whose pictures the display draws itself.
bool OwnPicture(TMeasureDisplayStyle s) { return s == mdAnima || s == mdValue || s == mdImage; }

}  // namespace

TMonitorDisplay::TMonitorDisplay(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  resize(80, 80);
  // The screen's ratio, so that a display on a high-density screen is not
  // composed twice before its first paint.
  mRatio = devicePixelRatioF();
  mSignalValue = 50;
  mSignalCaption = objectName();
  mFont.changed = [this] {
    Q_EMIT FontChanged(font());
    if (!Active()) return;
    BuildBackPicture();
    ComposeStatic();
    Invalidate();
  };
  mColor.changed = [this] { LookChanged(); };
  mDrawnColor = Color();
  BuildBackPicture();
  ComposeStatic();
  PaintValueLayer();
}

TMonitorDisplay::~TMonitorDisplay() = default;

// ---- Properties --------------------------------------------------------------

void TMonitorDisplay::Refresh(unsigned what) {
  if (!Active()) return;
  if (what & kBack) BuildBackPicture();
  if (what & kStatic) ComposeStatic();
  if (what & kValue) PaintValueLayer();
  if (what & kInvalidate) Invalidate();
}

QImage TMonitorDisplay::ImageAnim() const { return mImageAnim; }

void TMonitorDisplay::setImageAnim(QImage img) {
  // Always taken, even when equal: the host may have changed the pixels of a
  // picture it handed over before.
  mImageAnim = img.isNull() ? QImage() : img.convertToFormat(QImage::Format_RGB32);
  UpdateFrameCount();
  PrepareAnimStrip();
  mFrameIndex = -1;
  if (Active()) {
    ComposeStatic();
    Invalidate();
    Animate();
  }
  Q_EMIT ImageAnimChanged(mImageAnim);
}

QImage TMonitorDisplay::ImageStat() const { return mImageStat.Image(); }

void TMonitorDisplay::setImageStat(QImage img) {
  mImageStat.Assign(img);
  mImageStat.SetTransparent(true);
  Refresh(kStatic | kInvalidate);
  Q_EMIT ImageStatChanged(mImageStat.Image());
}

void TMonitorDisplay::AfterSignalValue() {
  // A disabled display keeps the value; re-enabling shows it.
  if (!Active() || !isEnabled()) return;
  PaintValueLayer();
}

void TMonitorDisplay::AfterSignalStop() {
  if (!Active() || !isEnabled()) return;
  switch (mDisplayStyle) {
    case mdAnima:
      ComposeStatic();
      Invalidate();
      break;
    case mdLevel:
    case mdGraph:
    case mdTermo:
    case mdVBarL:
    case mdHalfM:
      BuildBackPicture();
      ComposeStatic();
      Invalidate();
      break;
    default:
      break;
  }
  PaintValueLayer();
}

TColor TMonitorDisplay::Color() const { return FollowedParentColor(this, mParentColor, mColor.Color()); }

void TMonitorDisplay::setColor(TColor c) {
  if (c == Color() && !mParentColor) return;
  if (mParentColor) {
    mParentColor = false;
    Q_EMIT ParentColorChanged(false);
  }
  mColor.SetColor(c);
  LookChanged();
}

void TMonitorDisplay::AfterParentColor() {
  // Back to the parent's colour: the palette of our own goes.
  if (mParentColor && testAttribute(Qt::WA_SetPalette)) setPalette(QPalette());
  LookChanged();
}

void TMonitorDisplay::LookChanged() {
  const TColor c = Color();
  if (c == mDrawnColor) return;
  mDrawnColor = c;
  PrepareAnimStrip();
  Q_EMIT ColorChanged(ColorQColor());
  if (!Active()) return;
  BuildBackPicture();
  ComposeStatic();
  Invalidate();
}

void TMonitorDisplay::Loaded() {
  mLoading = false;
  UpdateFrameCount();
  PrepareAnimStrip();
  mFrameIndex = -1;
  Rebuild();
}

void TMonitorDisplay::Rebuild() {
  BuildBackPicture();
  ComposeStatic();
  PaintValueLayer();
  Invalidate();
}

// ---- Notifications ---------------------------------------------------------

void TMonitorDisplay::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (!Active()) return;
  ComposeStatic();
  mDirty = true;
}

void TMonitorDisplay::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::EnabledChange && isEnabled() && Active()) {
    // What arrived while disabled shows now.
    Rebuild();
  } else if (e->type() == QEvent::PaletteChange || e->type() == QEvent::ParentChange) {
    LookChanged();  // a parent's colour or a palette of our own
  }
}

void TMonitorDisplay::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!Active()) return;
  PaintValueLayer();
  Invalidate();
}

void TMonitorDisplay::Invalidate() {
  mDirty = true;
  update();
}

void TMonitorDisplay::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  const qreal ratio = PixelRatio(p);
  if (ratio != mRatio) {
    // Another screen (or a picture of another ratio): the layers are composed
    // again in its pixels.
    mRatio = ratio;
    ComposeStatic();
    mDirty = true;
  }
  if (mDirty || !Fits(mSurface, size(), mRatio)) Paint();
  if (mRatio == 1)
    p.drawImage(e->rect(), mSurface.Image(), e->rect());
  else
    p.drawImage(QRectF(e->rect()), mSurface.Image(), InDevicePixels(e->rect(), mRatio));
}

// ---- Layers ----------------------------------------------------------------

void TMonitorDisplay::SetupPictureSize(TMetafile& mf) {
  int a = mAspectRatio;
  if (a == 0) {
    switch (mDisplayStyle) {
      case mdLevel:
        a = 6;
        break;
      case mdGraph:
      case mdDigit:
      case mdHalfM:
        a = 2;
        break;
      case mdTermo:
        a = 4;
        break;
      case mdVBarL:
        a = 8;
        break;
      default:
        a = 1;
        break;
    }
  }
  mEffectiveAspect = a;
  int w = 200, h = 200;
  switch (mDisplayStyle) {
    case mdLevel:
    case mdGraph:
    case mdDigit:
    case mdHalfM:
      h = 200 / a;
      break;
    case mdTermo:
    case mdVBarL:
      w = 200 / a;
      break;
    default:
      break;
  }
  mf.SetSize(w, h);
}

TMonitorPaintData TMonitorDisplay::PaintData() {
  TMonitorPaintData d;
  d.Size = 200;
  d.ValueMin = mSignalValueMin;
  d.ValueMax = mSignalValueMax;
  d.Value = mSignalValue;
  d.Stop = mSignalStop;
  d.SignalColor = mSignalColor;
  d.BackColor = Color();
  d.Aspect = mEffectiveAspect;
  d.History = &mHistory;
  d.AlarmEnabled = mAlarmEnabled;
  d.AlarmLevel = mAlarmLevel;
  d.AlarmColor = mAlarmColor;
  return d;
}

void TMonitorDisplay::BuildBackPicture() {
  mBackPicture = TMetafile();
  SetupPictureSize(mBackPicture);
  const TMonitorPaintData d = PaintData();
  TMetafileCanvas c(mBackPicture);
  c.Font().Assign(mFont.Font());
  if (!mDisplayCustom)
    if (BackRoutine r = BackFor(mDisplayStyle)) r(c, d);
  c.Finish();
}

QString TMonitorDisplay::StateText() const {
  QString t;
  if (mShowState && !mSignalState.isEmpty()) t = mSignalState + "   ";
  if (mShowValue) t += QString::number(mSignalValue);
  return t;
}

TRect TMonitorDisplay::KeepAspectRect(int gw, int gh, const TRect& r) {
  if (gh <= 0 || gw <= 0 || r.Width() <= 0 || r.Height() <= 0) return TRect();
  const double ratio = double(gw) / gh;
  int w = r.Width();
  int h = nearest(w / ratio);
  if (r.Height() < h) {
    h = r.Height();
    w = nearest(ratio * h);
  }
  const int dx = (r.Width() - w) / 2, dy = (r.Height() - h) / 2;
  return TRect(r.Left + dx, r.Top + dy, r.Right - dx, r.Bottom - dy);
}

void TMonitorDisplay::StretchKeepAspect(TCanvas& c, int gw, int gh, const TRect& r,
                                        const std::function<void(const TRect&)>& draw) {
  (void)c;
  const TRect dest = KeepAspectRect(gw, gh, r);
  if (!dest.IsEmpty()) draw(dest);
}

QString TMonitorDisplay::ValueKey() {
  const TMonitorPaintData d = PaintData();
  // What the lamp's picture depends on; the value is left out.
  return QString("%1|%2,%3,%4,%5|%6|%7|%8|%9|%10")
      .arg(int(mDisplayStyle))
      .arg(mInnerRect.Left)
      .arg(mInnerRect.Top)
      .arg(mInnerRect.Right)
      .arg(mInnerRect.Bottom)
      .arg(d.SignalColor)
      .arg(d.BackColor)
      .arg(int(d.Stop))
      .arg(d.Aspect)
      .arg(mSelected);
}

void TMonitorDisplay::ComposeStatic() {
  mDrawnKey.clear();
  const int W = width(), H = height();
  MeasureSurface::Resize(mStatic, QSize(W, H), mRatio);
  if (W <= 0 || H <= 0) {
    mInnerRect = TRect();
    return;
  }
  TCanvas& c = mStatic.Canvas();
  c.Font().Assign(mFont.Font());
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(Color());
  c.FillRect(Rect(0, 0, W, H));
  int y = 4;
  const int h = mFont.Font().Height();
  if (!mSignalCaption.isEmpty()) {
    c.TextOut((W - c.TextWidth(mSignalCaption)) / 2, y, mSignalCaption);
    y += 4 - h;
  }
  if (!mSignalDesc.isEmpty()) {
    c.TextOut((W - c.TextWidth(mSignalDesc)) / 2, y, mSignalDesc);
    y += 4 - h;
  }
  const QString text = StateText();
  if (!text.isEmpty()) {
    mInnerRect = TRect(4, y, W - 4, H - 8 + h);
    c.TextOut((W - c.TextWidth(text)) / 2, mInnerRect.Bottom + 4, text);
  } else {
    mInnerRect = TRect(4, y, W - 4, H - 4);
  }
  StretchKeepAspect(c, mBackPicture.Width(), mBackPicture.Height(), mInnerRect,
                    [&](const TRect& r) { c.StretchDraw(r, mBackPicture); });
  if (mDisplayStyle == mdAnima) {
    if (mFrameIndex == -1) mFrameIndex = 0;
    DrawAnimFrame(c);
  } else if (mDisplayStyle == mdValue) {
    TRect r = mInnerRect;
    InflateRect(r, -2, 0);
    if (r.Height() > 4 && r.Width() > 0) {
      const TColorShade s = ColorShades(mSignalColor);
      c.Brush().SetColor(mSignalColor);
      c.FillRect(r);
      c.Frame3D(r, s.Dark, s.Light, 1);
    }
  }
  if ((mDisplayStyle == mdImage || (mDisplayStyle == mdAnima && mSignalStop) || mDisplayCustom) &&
      !mImageStat.Empty()) {
    StretchKeepAspect(c, mImageStat.Width(), mImageStat.Height(), mInnerRect,
                      [&](const TRect& r) { c.StretchDraw(r, mImageStat); });
  }
  DrawBorder(c);
}

void TMonitorDisplay::DrawValuePicture(TCanvas& target, bool appendHistory) {
  BackRoutine routine = ValueFor(mDisplayStyle);
  if (!routine) return;
  TMonitorPaintData d = PaintData();
  d.AppendHistory = appendHistory;
  const int pw = mValueSize.width(), ph = mValueSize.height();
  StretchKeepAspect(target, pw, ph, mInnerRect, [&](const TRect& r) {
    // Drawn straight through a scaled painter: the same commands a recorded
    // picture would replay, without recording and replaying them at every
    // value change.
    QPainter* p = target.Painter();
    if (!p) return;
    p->save();
    p->translate(r.Left, r.Top);
    p->scale(double(r.Width()) / pw, double(r.Height()) / ph);
    {
      TCanvas c(p);
      c.Font().Assign(mFont.Font());
      routine(c, d);
    }
    p->restore();
  });
}

const TMetafile& TMonitorDisplay::ValuePicture() const {
  if (mValuePictureStale) {
    auto* self = const_cast<TMonitorDisplay*>(this);
    TMetafile mf;
    mf.SetSize(mValueSize.width(), mValueSize.height());
    {
      TMetafileCanvas c(mf);
      c.Font().Assign(self->mFont.Font());
      if (BackRoutine r = ValueFor(mDisplayStyle)) {
        TMonitorPaintData d = self->PaintData();
        d.AppendHistory = false;
        r(c, d);
      }
      c.Finish();
    }
    self->mValuePicture = mf;
    self->mValuePictureStale = false;
  }
  return mValuePicture;
}

void TMonitorDisplay::PaintValueLayer() {
  const int W = width(), H = height();
  const QString text = StateText();
  TMetafile sizing;
  SetupPictureSize(sizing);
  mValueSize = QSize(sizing.Width(), sizing.Height());
  mValuePictureStale = true;
  const bool composed = W > 0 && H > 0 && Fits(mStatic, size(), mRatio);
  if (!composed || (OwnPicture(mDisplayStyle) && !Fits(mSurface, size(), mRatio))) {
    // Nothing composed yet: the next paint does it all. The graph still
    // takes its sample now, so that none is lost.
    if (mDisplayStyle == mdGraph) {
      TMonitorPaintData d = PaintData();
      mHistory.push_back(MoniPnt::ClampValue(d.Value, d.ValueMin, d.ValueMax));
      // No plot is wider than its 200-unit picture: never keep more than that.
      while (mHistory.size() > 200) mHistory.pop_front();
    }
    mDirty = true;
    return;
  }
  // Only where the picture lies goes back to the static face; the text line
  // is filled afresh below. The lamp's picture does not depend on the value
  // at all: while what it shows stays the same, only the text is redrawn.
  const bool own = OwnPicture(mDisplayStyle);
  const QString key = mDisplayStyle == mdOnOff ? ValueKey() : QString();
  const bool keepPicture = !own && !key.isEmpty() && key == mDrawnKey;
  if (!own && !keepPicture) CopyStatic(KeepAspectRect(mValueSize.width(), mValueSize.height(), mInnerRect));
  TCanvas& c = mSurface.Canvas();
  DrawStateText(c, text);
  // The text line lies inside a border up to 4 pixels wide.
  if (mBorderWidth > 4 && !text.isEmpty()) DrawBorder(c);
  if (!own && !keepPicture) {
    DrawValuePicture(c, true);
    mDrawnKey = key;
  }
  if (mSelected) DrawHandles(c);
  update();
}

void TMonitorDisplay::DrawStateText(TCanvas& c, const QString& text) {
  if (text.isEmpty()) return;
  const int W = width(), H = height();
  c.Font().Assign(mFont.Font());
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(Color());
  const int ty = mInnerRect.Bottom + 4;
  c.FillRect(Rect(4, ty, W - 4, H - 4));
  c.TextOut((W - c.TextWidth(text)) / 2, ty, text);
}

void TMonitorDisplay::Paint() {
  mDirty = false;
  const int W = width(), H = height();
  if (!Fits(mStatic, size(), mRatio)) ComposeStatic();
  if (W <= 0 || H <= 0) {
    mSurface.Assign(mStatic.Image());
    return;
  }
  CopyStatic(TRect(0, 0, W, H));
  TCanvas& c = mSurface.Canvas();
  // The static face holds the text of its own time; the value may have
  // changed since, so the line is written again.
  const QString text = StateText();
  DrawStateText(c, text);
  if (mBorderWidth > 4 && !text.isEmpty()) DrawBorder(c);
  DrawValuePicture(c, false);
  mDrawnKey = mDisplayStyle == mdOnOff ? ValueKey() : QString();
  if (mSelected) DrawHandles(c);
}

void TMonitorDisplay::CopyStatic(const TRect& area) {
  const QImage& src = mStatic.Image();
  if (mSurface.Width() != src.width() || mSurface.Height() != src.height() ||
      mSurface.Image().format() != src.format() || mSurface.Image().devicePixelRatio() != src.devicePixelRatio()) {
    mSurface.Assign(src.copy());
    return;
  }
  // Row by row into the surface's own buffer: no new image at every update.
  if (area.IsEmpty()) return;
  const QRect r = MeasureSurface::DeviceRect(area.Left, area.Top, area.Right, area.Bottom, mRatio)
                      .intersected(src.rect());
  if (r.isEmpty()) return;
  QImage& dst = mSurface.ImageForWrite();
  const int bpp = src.depth() / 8;
  for (int y = r.top(); y <= r.bottom(); ++y)
    std::memcpy(dst.scanLine(y) + r.left() * bpp, src.constScanLine(y) + r.left() * bpp, size_t(r.width() * bpp));
}

void TMonitorDisplay::DrawHandles(TCanvas& c) {
  const int W = width(), H = height();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(ColorShades(Color()).Contrast);
  const int xs[3] = {0, W / 2 - 3, W - 6}, ys[3] = {0, H / 2 - 3, H - 6};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      if (i != 1 || j != 1) c.FillRect(Rect(xs[i], ys[j], xs[i] + 6, ys[j] + 6));
}

// ---- Animation -------------------------------------------------------------

void TMonitorDisplay::UpdateFrameCount() {
  mFrameCount =
      mImageAnim.isNull() || mImageAnim.height() == 0 ? 0 : mImageAnim.width() / mImageAnim.height();
}

void TMonitorDisplay::PrepareAnimStrip() {
  // The artwork stays as it was given: each colour change starts again from
  // it, so pixels that happen to match an earlier background keep their colour.
  if (mImageAnim.isNull() || mImageAnim.width() == 0 || mImageAnim.height() == 0) {
    mAnimStrip = TBitmap();
    return;
  }
  const int fs = mImageAnim.height();
  const TColor key = FromQRgb(mImageAnim.pixel(0, fs - 1));
  TBitmap src(mImageAnim);
  TBitmap tmp(mImageAnim.width(), fs);
  TCanvas& c = tmp.Canvas();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(Color());
  c.FillRect(Rect(0, 0, tmp.Width(), fs));
  c.BrushCopy(Rect(0, 0, tmp.Width(), fs), src, Rect(0, 0, tmp.Width(), fs), key);
  tmp.Image();
  mAnimStrip = tmp;
}

void TMonitorDisplay::DrawAnimFrame(TCanvas& c) {
  if (mAnimStrip.Empty() || mFrameCount <= 0) return;
  TRect r = mInnerRect;
  if (r.Width() <= 0 || r.Height() <= 0) return;
  const int diff = r.Width() - r.Height();
  if (diff > 0) {
    r.Left += diff / 2;
    r.Right = r.Left + r.Height();
  } else if (diff < 0) {
    r.Top += (-diff) / 2;
    r.Bottom = r.Top + r.Width();
  }
  const int fs = mAnimStrip.Height();
  const int i = std::clamp(mFrameIndex, 0, mFrameCount - 1);
  c.CopyRect(r, mAnimStrip.Image(), Rect(fs * i, 0, fs * (i + 1), fs));
}

void TMonitorDisplay::Animate() {
  // Only an explicitly hidden display skips steps; one whose window is not
  // shown yet keeps its surface current.
  if (isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide) && !mDesigning) return;
  if (mDisplayStyle != mdAnima || mSignalStop || mAnimStrip.Empty() || mFrameCount <= 0) return;
  if (!Fits(mSurface, size(), mRatio) || mDirty) Paint();
  mFrameIndex = mFrameIndex + 1 >= mFrameCount ? 0 : mFrameIndex + 1;
  DrawAnimFrame(mSurface.Canvas());
  update();
}

// ---- Border ----------------------------------------------------------------

void TMonitorDisplay::DrawBorder(TCanvas& c) {
  const int W = width(), H = height(), bw = mBorderWidth;
  const TColorShade s = ColorShades(Color());
  c.Brush().SetStyle(bsClear);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(std::max(1, bw));
  c.Pen().SetColor(clBlack);
  TRect r(0, 0, W, H);
  switch (mBorderStyle) {
    case mdbNone:
      if (mDesigning) {
        c.Pen().SetWidth(1);
        c.Pen().SetStyle(psDash);
        c.Rectangle(0, 0, W, H);
      }
      break;
    case mdbSingle:
      if (bw > 0) {
        c.Pen().SetColor(s.Contrast);
        // The pen lies inside the rectangle: the frame covers the outer bw pixels.
        c.Rectangle(0, 0, W, H);
      }
      break;
    case mdbBoxLowered:
      c.Frame3D(r, s.Dark, s.Light, bw);
      break;
    case mdbBoxRaised:
      c.Frame3D(r, s.Light, s.Dark, bw);
      break;
    case mdbFrameLowered:
    case mdbFrameRaised:
      if (bw > 0) {
        const bool lowered = mBorderStyle == mdbFrameLowered;
        c.Pen().SetColor(lowered ? s.Light : s.Dark);
        c.Rectangle(bw, bw, W - bw, H - bw);
        c.Pen().SetColor(lowered ? s.Dark : s.Light);
        c.Rectangle(0, 0, W - 2 * bw, H - 2 * bw);
      }
      break;
  }
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  c.Brush().SetStyle(bsSolid);
}

}  // namespace Tarnwell
