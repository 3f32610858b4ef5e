#pragma once
// TMeasureDisplay: a control that shows one measured value through one measure
// monitor. Every property change is handed to the monitor and drawn at once
// into the control's own surface, which the widget shows.

#include <QWidget>
#include <functional>
#include <memory>

#include "Measure.h"
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TWidgetLook.h>
#include <Tarnwell/platform/TBitmap.h>

namespace Tarnwell {

namespace Measdisp {
Q_NAMESPACE
// The picture a measure monitor draws: animation, level bar, value, meter, image, lamp, graph or
// thermometer.
enum TMeasureDisplayStyle { mdAnima, mdLevel, mdValue, mdMeter, mdImage, mdOnOff, mdGraph, mdTermo };
Q_ENUM_NS(TMeasureDisplayStyle)
// The frame around a measure display.
enum TMeasDispBorderStyle {
  mdbNone,
  mdbSingle,
  mdbBoxLowered,
  mdbBoxRaised,
  mdbFrameLowered,
  mdbFrameRaised
};
Q_ENUM_NS(TMeasDispBorderStyle)
}  // namespace Measdisp

using TMeasureDisplayValueChangeEvent =
    std::function<void(TObject* sender, int id, double oldValue, double newValue)>;

// A measurement display: a picture of instruments (monitors) that show live values identified by
// number.
class TMeasureDisplay : public QWidget {
  Q_OBJECT
  TW_PROPERTY_DEFAULT(Tarnwell::Measdisp::TMeasureDisplayStyle, DisplayStyle, Measdisp::mdValue,
                      AfterDisplayStyle())
  TW_PROPERTY_DEFAULT(Tarnwell::Measdisp::TMeasDispBorderStyle, BorderStyle, Measdisp::mdbSingle, Paint())
  // Stored only: passed as the id of ChangeValue.
  TW_PROPERTY_DEFAULT(int, ControlID, 0, (void)0)
  TW_PROPERTY(QString, ControlName, (mMonitor->SetControlName(mControlName), Paint()))
  TW_PROPERTY(QString, ControlWhat, (mMonitor->SetControlWhat(mControlWhat), Paint()))
  TW_PROPERTY_SETTER(double, ControlValue)
  TW_PROPERTY_DEFAULT(double, MaxValue, 100.0, (mMonitor->SetMaxValue(mMaxValue), Paint()))
  TW_PROPERTY_DEFAULT(double, MinValue, 0.0, (mMonitor->SetMinValue(mMinValue), Paint()))
  TW_PROPERTY_DEFAULT(int, DecimalDigits, 0, (mMonitor->SetDecimalDigits(mDecimalDigits), Paint()))
  TW_PROPERTY_CUSTOM(QImage, AnimImage)
  TW_PROPERTY_CUSTOM(QImage, StatImage)
  TW_PROPERTY_DEFAULT(bool, WithWhat, false, (mMonitor->SetWithWhat(mWithWhat), Paint()))
  TW_PROPERTY_DEFAULT(bool, Stop, false, (mMonitor->Stop = mStop, Update()))
  // The alarm of the thermometer and level bar styles: at or past AlarmLevel
  // the value shows in AlarmColor, and the level is marked.
  TW_PROPERTY_DEFAULT(bool, AlarmEnabled, false, (mMonitor->AlarmEnabled = mAlarmEnabled, Paint()))
  TW_PROPERTY_DEFAULT(double, AlarmLevel, 0.0, (mMonitor->AlarmLevel = mAlarmLevel, Paint()))
  TW_COLOR_PROPERTY_DEFAULT(AlarmColor, clRed, (mMonitor->AlarmColor = mAlarmColor, Paint()))
  TW_COLOR_PROPERTY_CUSTOM(Color)
  TW_PROPERTY_DEFAULT(bool, ParentColor, true, AfterParentColor())
  TW_FONT_PROPERTY(mFont)
  // Design surfaces show a dashed outline for the borderless style.
  TW_PROPERTY(bool, Designing, Paint())

 public:
  explicit TMeasureDisplay(QWidget* parent = nullptr);
  ~TMeasureDisplay() override;

  // The pictures as the monitors draw them.
  const TBitmap& AnimBitmap() const { return mAnimImage; }
  const TBitmap& StatBitmap() const { return mStatImage; }
  // Assigned handler, called after the ChangeValue signal.
  TMeasureDisplayValueChangeEvent OnChangeValue;

  QSize sizeHint() const override { return QSize(80, 80); }
  QSize minimumSizeHint() const override { return QSize(16, 16); }

 Q_SIGNALS:
  // After every change of ControlValue.
  void ChangeValue(QObject* sender, int id, double oldValue, double newValue);

 public:
  // Draws everything (monitor and border) into the surface.
  void Paint();
  // Redraws what the value changes (monitor update and border).
  void Update();
  // One animation step for the animation style; nothing for the others.
  void Animate();

  TMeasureMonitor* Monitor() const { return mMonitor.get(); }
  // The surface as drawn so far.
  const QImage& Surface() const { return mSurface.Image(); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void changeEvent(QEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  void CreateMonitor();
  void PrepareCanvas();
  void DrawBorder();
  void AfterDisplayStyle();
  void AfterParentColor();
  // The font or the face colour changed, from either side.
  void LookChanged();
  void Flush();

  Measdisp::TMeasureDisplayStyle mDisplayStyle = Measdisp::mdValue;
  Measdisp::TMeasDispBorderStyle mBorderStyle = Measdisp::mdbSingle;
  int mControlID = 0;
  QString mControlName, mControlWhat;
  double mControlValue = 0, mMaxValue = 100.0, mMinValue = 0;
  int mDecimalDigits = 0;
  TBitmap mAnimImage, mStatImage;
  bool mWithWhat = false, mStop = false;
  bool mAlarmEnabled = false;
  double mAlarmLevel = 0;
  TColor mAlarmColor = clRed;
  TControlColor mColor{this, clBtnFace};
  TColor mLastColor = clBtnFace;
  bool mParentColor = true;
  bool mDesigning = false;
  TControlFont mFont{this};
  TBitmap mSurface;
  std::unique_ptr<TMeasureMonitor> mMonitor;
};

}  // namespace Tarnwell
