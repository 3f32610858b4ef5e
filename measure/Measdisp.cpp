#include "Measdisp.h"

#include "DeviceSurface_p.h"

#include <QPaintEvent>
#include <QEvent>
#include <QPainter>

#include <Tarnwell/platform/TControls.h>

#include <Tarnwell/platform/TAccessible.h>

TARNWELL_LIBRARY_ACCESSIBLE(measure)

namespace Tarnwell {

using namespace Measdisp;

TMeasureDisplay::TMeasureDisplay(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(80, 80);
  // The screen's ratio, so that a display on a high-density screen is not
  // drawn twice before its first paint.
  mRatio = devicePixelRatioF();
  MeasureSurface::Resize(mSurface, QSize(80, 80), mRatio);
  mStatImage.SetTransparent(true);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  mFont.changed = [this] {
    Q_EMIT FontChanged(font());
    if (mMonitor) LookChanged();
  };
  mColor.changed = [this] {
    if (mMonitor) LookChanged();
  };
  PrepareCanvas();
  CreateMonitor();
  mMonitor->SetControlName(QString());
}

TMeasureDisplay::~TMeasureDisplay() = default;

void TMeasureDisplay::PrepareCanvas() {
  TCanvas& c = mSurface.Canvas();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(Color());
  c.Font().Assign(mFont.Font());
}

void TMeasureDisplay::CreateMonitor() {
  TCanvas* c = &mSurface.Canvas();
  switch (mDisplayStyle) {
    case mdAnima: {
      auto m = std::make_unique<TMeasureAnima>(c);
      m->SetAnimBitmap(&mAnimImage);
      m->SetStopBitmap(&mStatImage);
      mMonitor = std::move(m);
      break;
    }
    case mdLevel:
      mMonitor = std::make_unique<TMeasureGauge>(c);
      break;
    case mdValue:
      mMonitor = std::make_unique<TMeasureLabel>(c);
      break;
    case mdMeter:
      mMonitor = std::make_unique<TMeasureMeter>(c);
      break;
    case mdImage: {
      auto m = std::make_unique<TMeasureImage>(c);
      m->SetStatBitmap(&mStatImage);
      mMonitor = std::move(m);
      break;
    }
    case mdOnOff:
      mMonitor = std::make_unique<TMeasureOnOff>(c);
      break;
    case mdGraph:
      mMonitor = std::make_unique<TMeasureGraph>(c);
      break;
    case mdTermo:
      mMonitor = std::make_unique<TMeasureTermo>(c);
      break;
  }
  // The whole state goes over, digits first so that the texts take them: a
  // new picture must agree with what the display says it shows.
  mMonitor->SetFont(mFont.Font());
  mMonitor->SetControlName(mControlName);
  mMonitor->SetControlWhat(mControlWhat);
  mMonitor->SetDecimalDigits(mDecimalDigits);
  mMonitor->SetWithWhat(mWithWhat);
  mMonitor->SetMaxValue(mMaxValue);
  mMonitor->SetMinValue(mMinValue);
  mMonitor->SetControlValue(mControlValue);
  mMonitor->Stop = mStop;
  mMonitor->AlarmEnabled = mAlarmEnabled;
  mMonitor->AlarmLevel = mAlarmLevel;
  mMonitor->AlarmColor = mAlarmColor;
}

void TMeasureDisplay::AfterDisplayStyle() {
  mMonitor.reset();
  CreateMonitor();
  Paint();
}

void TMeasureDisplay::setControlValue(double v) {
  if (v == mControlValue) return;
  const double old = mControlValue;
  mControlValue = v;
  mMonitor->SetControlValue(v);
  Update();
  Q_EMIT ControlValueChanged(v);
  TW_FIRE(OnChangeValue, ChangeValue, this, mControlID, old, v);
}

QImage TMeasureDisplay::AnimImage() const { return mAnimImage.Image(); }

void TMeasureDisplay::setAnimImage(QImage img) {
  mAnimImage.Assign(img);
  Paint();
  Q_EMIT AnimImageChanged(mAnimImage.Image());
}

QImage TMeasureDisplay::StatImage() const { return mStatImage.Image(); }

void TMeasureDisplay::setStatImage(QImage img) {
  mStatImage.Clear();
  mStatImage.Assign(img);
  mStatImage.SetTransparent(true);
  Paint();
  Q_EMIT StatImageChanged(mStatImage.Image());
}

TColor TMeasureDisplay::Color() const { return FollowedParentColor(this, mParentColor, mColor.Color()); }

void TMeasureDisplay::setColor(TColor c) {
  if (c == Color() && !mParentColor) return;
  if (mParentColor) {
    mParentColor = false;
    Q_EMIT ParentColorChanged(false);
  }
  mColor.SetColor(c);
  LookChanged();
}

void TMeasureDisplay::AfterParentColor() {
  if (mParentColor && testAttribute(Qt::WA_SetPalette)) setPalette(QPalette());
  LookChanged();
}

void TMeasureDisplay::LookChanged() {
  // Setters paint at once, so the surface shows the new look before the
  // next paint event.
  mMonitor->SetFont(mFont.Font());
  Paint();
  if (Color() != mLastColor) {
    mLastColor = Color();
    Q_EMIT ColorChanged(ColorQColor());
  }
}

void TMeasureDisplay::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::ParentChange && mParentColor) LookChanged();
}

void TMeasureDisplay::Paint() {
  if (!mMonitor) return;
  MeasureSurface::Resize(mSurface, size(), mRatio, &mSpareSurface);
  TCanvas& c = mSurface.Canvas();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(Color());
  c.Font().Assign(mFont.Font());
  mMonitor->SetCanvas(&c);
  mMonitor->Width = width();
  mMonitor->Height = height();
  mMonitor->Paint();
  DrawBorder();
  Flush();
}

void TMeasureDisplay::Update() {
  if (!mMonitor) return;
  if (!MeasureSurface::Fits(mSurface, size(), mRatio)) {
    Paint();
    return;
  }
  mMonitor->Update();
  DrawBorder();
  Flush();
}

void TMeasureDisplay::Animate() {
  if (mDisplayStyle != mdAnima) return;
  static_cast<TMeasureAnima*>(mMonitor.get())->NextFrame();
  Flush();
}

void TMeasureDisplay::Flush() { QWidget::update(); }

void TMeasureDisplay::DrawBorder() {
  TCanvas& c = mSurface.Canvas();
  const int W = width(), H = height();
  c.Brush().SetStyle(bsClear);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetWidth(1);
  switch (mBorderStyle) {
    case mdbNone:
      if (mDesigning) {
        c.Pen().SetStyle(psDash);
        c.Rectangle(0, 0, W, H);
      }
      break;
    case mdbSingle:
      c.Pen().SetColor(mFont.Font().Color());
      c.Rectangle(0, 0, W, H);
      break;
    case mdbBoxLowered:
    case mdbBoxRaised: {
      const bool lowered = mBorderStyle == mdbBoxLowered;
      c.MoveTo(0, H);
      c.Pen().SetColor(lowered ? clGray : clWhite);
      c.LineTo(0, 0);
      c.LineTo(W - 1, 0);
      c.Pen().SetColor(lowered ? clWhite : clGray);
      c.LineTo(W - 1, H - 1);
      c.LineTo(0, H - 1);
      break;
    }
    case mdbFrameLowered:
    case mdbFrameRaised: {
      const bool lowered = mBorderStyle == mdbFrameLowered;
      c.Pen().SetColor(lowered ? clWhite : clGray);
      c.Rectangle(1, 1, W - 1, H - 1);
      c.Pen().SetColor(lowered ? clGray : clWhite);
      c.Rectangle(0, 0, W - 2, H - 2);
      break;
    }
  }
  c.Pen().SetStyle(psSolid);
  c.Pen().SetColor(mFont.Font().Color());
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(Color());
}

void TMeasureDisplay::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  const qreal ratio = PixelRatio(p);
  if (ratio != mRatio) {
    // Another screen (or a picture of another ratio): drawn again in its pixels.
    mRatio = ratio;
    Paint();
  } else if (!MeasureSurface::Fits(mSurface, size(), mRatio)) {
    Paint();
  }
  if (mRatio == 1)
    p.drawImage(e->rect(), mSurface.Image(), e->rect());
  else
    p.drawImage(QRectF(e->rect()), mSurface.Image(), InDevicePixels(e->rect(), mRatio));
}

void TMeasureDisplay::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  Paint();
}

}  // namespace Tarnwell
