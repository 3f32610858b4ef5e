#include "Measdisp.h"

#include <QPaintEvent>
#include <QPainter>

#include <Tarnwell/platform/TControls.h>

namespace Tarnwell {

using namespace Measdisp;

TMeasureDisplay::TMeasureDisplay(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(80, 80);
  mSurface.SetSize(80, 80);
  mStatImage.SetTransparent(true);
  mFont.OnChange = [this](TGraphicsObject*) { FontChanged(); };
  PrepareCanvas();
  CreateMonitor();
  mMonitor->SetControlName(QString());
}

TMeasureDisplay::~TMeasureDisplay() = default;

void TMeasureDisplay::PrepareCanvas() {
  TCanvas& c = mSurface.Canvas();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(Color());
  c.Font().Assign(mFont);
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
  mMonitor->SetFont(mFont);
  mMonitor->SetControlName(mControlName);
  mMonitor->SetControlWhat(mControlWhat);
  mMonitor->SetDecimalDigits(mDecimalDigits);
  mMonitor->SetWithWhat(mWithWhat);
  mMonitor->SetMaxValue(mMaxValue);
  mMonitor->SetMinValue(mMinValue);
  mMonitor->SetControlValue(mControlValue);
  mMonitor->Stop = mStop;
}

void TMeasureDisplay::SetDisplayStyle(TMeasureDisplayStyle s) {
  if (s == mDisplayStyle) return;
  mDisplayStyle = s;
  mMonitor.reset();
  CreateMonitor();
  Paint();
}

void TMeasureDisplay::SetBorderStyle(TMeasDispBorderStyle s) {
  if (s == mBorderStyle) return;
  mBorderStyle = s;
  Paint();
}

void TMeasureDisplay::SetControlName(const QString& s) {
  if (s == mControlName) return;
  mControlName = s;
  mMonitor->SetControlName(s);
  Paint();
}

void TMeasureDisplay::SetControlWhat(const QString& s) {
  if (s == mControlWhat) return;
  mControlWhat = s;
  mMonitor->SetControlWhat(s);
  Paint();
}

void TMeasureDisplay::SetControlValue(double v) {
  if (v == mControlValue) return;
  const double old = mControlValue;
  mControlValue = v;
  mMonitor->SetControlValue(v);
  Update();
  if (OnChangeValue) OnChangeValue(this, mControlID, old, v);
}

void TMeasureDisplay::SetMaxValue(double v) {
  if (v == mMaxValue) return;
  mMaxValue = v;
  mMonitor->SetMaxValue(v);
  Paint();
}

void TMeasureDisplay::SetMinValue(double v) {
  if (v == mMinValue) return;
  mMinValue = v;
  mMonitor->SetMinValue(v);
  Paint();
}

void TMeasureDisplay::SetDecimalDigits(int n) {
  if (n == mDecimalDigits) return;
  mDecimalDigits = n;
  mMonitor->SetDecimalDigits(n);
  Paint();
}

void TMeasureDisplay::SetAnimImage(const QImage& img) {
  mAnimImage.Assign(img);
  Paint();
}

void TMeasureDisplay::SetStatImage(const QImage& img) {
  mStatImage.Clear();
  mStatImage.Assign(img);
  mStatImage.SetTransparent(true);
  Paint();
}

void TMeasureDisplay::SetWithWhat(bool b) {
  if (b == mWithWhat) return;
  mWithWhat = b;
  mMonitor->SetWithWhat(b);
  Paint();
}

void TMeasureDisplay::SetStop(bool b) {
  if (b == mStop) return;
  mStop = b;
  mMonitor->Stop = b;
  Update();
}

TColor TMeasureDisplay::Color() const {
  if (!mParentColor) return mColor;
  // The parent's colour as a colour value, system colours included, so that
  // the shades of the face colour are the ones the pictures are drawn with.
  if (auto* panel = qobject_cast<TCustomPanel*>(parentWidget())) return panel->Color();
  return clBtnFace;
}

void TMeasureDisplay::SetColor(TColor c) {
  if (c == mColor && !mParentColor) return;
  mColor = c;
  mParentColor = false;
  Paint();
}

void TMeasureDisplay::SetParentColor(bool b) {
  if (b == mParentColor) return;
  mParentColor = b;
  Paint();
}

void TMeasureDisplay::SetDesigning(bool b) {
  if (b == mDesigning) return;
  mDesigning = b;
  Paint();
}

void TMeasureDisplay::FontChanged() {
  mSurface.Canvas().Font().Assign(mFont);
  mMonitor->SetFont(mFont);
  Paint();
}

void TMeasureDisplay::Paint() {
  if (!mMonitor) return;
  if (mSurface.Width() != width() || mSurface.Height() != height()) mSurface.SetSize(width(), height());
  TCanvas& c = mSurface.Canvas();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(Color());
  c.Font().Assign(mFont);
  mMonitor->SetCanvas(&c);
  mMonitor->Width = width();
  mMonitor->Height = height();
  mMonitor->Paint();
  DrawBorder();
  Flush();
}

void TMeasureDisplay::Update() {
  if (!mMonitor) return;
  if (mSurface.Width() != width() || mSurface.Height() != height()) {
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
      c.Pen().SetColor(mFont.Color());
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
  c.Pen().SetColor(mFont.Color());
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(Color());
}

void TMeasureDisplay::paintEvent(QPaintEvent* e) {
  if (mSurface.Width() != width() || mSurface.Height() != height()) Paint();
  QPainter p(this);
  p.drawImage(e->rect(), mSurface.Image(), e->rect());
}

void TMeasureDisplay::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  Paint();
}

}  // namespace Tarnwell
