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
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

namespace Measdisp {
Q_NAMESPACE_EXPORT(TARNWELL_MEASURE_EXPORT)
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
class TARNWELL_MEASURE_EXPORT TMeasureDisplay : public QWidget {
  Q_OBJECT
  // Which monitor shows the value: a caption with the number (mdValue, default), a level bar,
  // a dial meter, an on/off lamp, a history graph, an animation, a still picture or a
  // thermometer. A change replaces the monitor, keeping its state.
  TW_PROPERTY_DEFAULT(Tarnwell::Measdisp::TMeasureDisplayStyle, DisplayStyle, Measdisp::mdValue,
                      AfterDisplayStyle())
  // The border: none, a single line (mdbSingle, default), or a lowered or raised box or frame.
  TW_PROPERTY_DEFAULT(Tarnwell::Measdisp::TMeasDispBorderStyle, BorderStyle, Measdisp::mdbSingle, Paint())
  // Stored only: passed as the id of ChangeValue.
  TW_PROPERTY_DEFAULT(int, ControlID, 0, (void)0)
  // The first caption line (empty by default).
  TW_PROPERTY(QString, ControlName, (mMonitor->SetControlName(mControlName), Paint()))
  // The second caption line, shown when WithWhat is on (empty by default).
  TW_PROPERTY(QString, ControlWhat, (mMonitor->SetControlWhat(mControlWhat), Paint()))
  // The measured value, in the units of MinValue and MaxValue (default 0). A change redraws
  // only what the value changes and emits ChangeValue with the old and the new value.
  TW_PROPERTY_SETTER(double, ControlValue)
  // The upper end of the scale (default 100).
  TW_PROPERTY_DEFAULT(double, MaxValue, 100.0, (mMonitor->SetMaxValue(mMaxValue), Paint()))
  // The lower end of the scale (default 0).
  TW_PROPERTY_DEFAULT(double, MinValue, 0.0, (mMonitor->SetMinValue(mMinValue), Paint()))
  // Digits after the decimal point of the value and scale texts (default 0).
  TW_PROPERTY_DEFAULT(int, DecimalDigits, 0, (mMonitor->SetDecimalDigits(mDecimalDigits), Paint()))
  // The frames of the animation style (mdAnima), side by side in one strip; the display keeps
  // a copy. Empty by default.
  TW_PROPERTY_CUSTOM(QImage, AnimImage)
  // The picture of the still-picture style (mdImage), also the stop picture of the animation
  // style; drawn with transparency. Empty by default.
  TW_PROPERTY_CUSTOM(QImage, StatImage)
  // Shows the ControlWhat line under ControlName (default false).
  TW_PROPERTY_DEFAULT(bool, WithWhat, false, (mMonitor->SetWithWhat(mWithWhat), Paint()))
  // The stopped (alarm) state: the monitor draws in red (default false).
  TW_PROPERTY_DEFAULT(bool, Stop, false, (mMonitor->Stop = mStop, Update()))
  // The alarm of the thermometer and level bar styles: at or past AlarmLevel
  // the value shows in AlarmColor, and the level is marked.
  TW_PROPERTY_DEFAULT(bool, AlarmEnabled, false, (mMonitor->AlarmEnabled = mAlarmEnabled, Paint()))
  // The value at or past which the alarm shows (default 0), in the units of the scale.
  TW_PROPERTY_DEFAULT(double, AlarmLevel, 0.0, (mMonitor->AlarmLevel = mAlarmLevel, Paint()))
  // The colour of the value and the level mark at or past AlarmLevel (default clRed).
  TW_COLOR_PROPERTY_DEFAULT(AlarmColor, clRed, (mMonitor->AlarmColor = mAlarmColor, Paint()))
  // The background (clBtnFace): the background role of the palette; with ParentColor the
  // parent's.
  TW_COLOR_PROPERTY_CUSTOM(Color)
  // The control takes its parent's background colour (default true); setting Color turns it
  // off.
  TW_PROPERTY_DEFAULT(bool, ParentColor, true, AfterParentColor())
  // The font of the captions and texts; its colour is the WindowText role of the palette.
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
  // The surface as drawn so far, in the pixels of the device last painted
  // on (its devicePixelRatio tells how many per logical pixel).
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
  TBitmap mSurface;  // mRatio device pixels per logical pixel
  qreal mRatio = 1;
  QImage mSpareSurface;  // the surface of the ratio painted before
  std::unique_ptr<TMeasureMonitor> mMonitor;
};

}  // namespace Tarnwell
