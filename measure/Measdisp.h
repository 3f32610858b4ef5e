#pragma once
// TMeasureDisplay: a control that shows one measured value through one measure
// monitor. Every property change is handed to the monitor and drawn at once
// into the control's own surface, which the widget shows.

#include <QWidget>
#include <functional>
#include <memory>

#include "Measure.h"
#include <Tarnwell/platform/TBitmap.h>

namespace Tarnwell {

namespace Measdisp {
enum TMeasureDisplayStyle { mdAnima, mdLevel, mdValue, mdMeter, mdImage, mdOnOff, mdGraph, mdTermo };
enum TMeasDispBorderStyle {
  mdbNone,
  mdbSingle,
  mdbBoxLowered,
  mdbBoxRaised,
  mdbFrameLowered,
  mdbFrameRaised
};
}  // namespace Measdisp

using TMeasureDisplayValueChangeEvent =
    std::function<void(TObject* sender, int id, double oldValue, double newValue)>;

class TMeasureDisplay : public QWidget {
  Q_OBJECT
 public:
  explicit TMeasureDisplay(QWidget* parent = nullptr);
  ~TMeasureDisplay() override;

  Measdisp::TMeasureDisplayStyle DisplayStyle() const { return mDisplayStyle; }
  void SetDisplayStyle(Measdisp::TMeasureDisplayStyle s);
  Measdisp::TMeasDispBorderStyle BorderStyle() const { return mBorderStyle; }
  void SetBorderStyle(Measdisp::TMeasDispBorderStyle s);
  int ControlID() const { return mControlID; }
  void SetControlID(int id) { mControlID = id; }
  QString ControlName() const { return mControlName; }
  void SetControlName(const QString& s);
  QString ControlWhat() const { return mControlWhat; }
  void SetControlWhat(const QString& s);
  double ControlValue() const { return mControlValue; }
  void SetControlValue(double v);
  double MaxValue() const { return mMaxValue; }
  void SetMaxValue(double v);
  double MinValue() const { return mMinValue; }
  void SetMinValue(double v);
  int DecimalDigits() const { return mDecimalDigits; }
  void SetDecimalDigits(int n);
  const TBitmap& AnimImage() const { return mAnimImage; }
  void SetAnimImage(const QImage& img);
  const TBitmap& StatImage() const { return mStatImage; }
  void SetStatImage(const QImage& img);
  bool WithWhat() const { return mWithWhat; }
  void SetWithWhat(bool b);
  bool Stop() const { return mStop; }
  void SetStop(bool b);
  TMeasureDisplayValueChangeEvent OnChangeValue;

  TColor Color() const;
  void SetColor(TColor c);
  bool ParentColor() const { return mParentColor; }
  void SetParentColor(bool b);
  TFont& Font() { return mFont; }
  // Design surfaces show a dashed outline for the borderless style.
  bool Designing() const { return mDesigning; }
  void SetDesigning(bool b);

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
  void resizeEvent(QResizeEvent*) override;

 private:
  void CreateMonitor();
  void PrepareCanvas();
  void DrawBorder();
  void FontChanged();
  void Flush();

  Measdisp::TMeasureDisplayStyle mDisplayStyle = Measdisp::mdValue;
  Measdisp::TMeasDispBorderStyle mBorderStyle = Measdisp::mdbSingle;
  int mControlID = 0;
  QString mControlName, mControlWhat;
  double mControlValue = 0, mMaxValue = 100.0, mMinValue = 0;
  int mDecimalDigits = 0;
  TBitmap mAnimImage, mStatImage;
  bool mWithWhat = false, mStop = false;
  TColor mColor = clBtnFace;
  bool mParentColor = true;
  bool mDesigning = false;
  TFont mFont;
  TBitmap mSurface;
  std::unique_ptr<TMeasureMonitor> mMonitor;
};

}  // namespace Tarnwell
