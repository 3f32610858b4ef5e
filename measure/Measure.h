#pragma once
// Measure monitors: small painters that draw one measured quantity in one of
// eight pictures onto a canvas they are given. The host control sets the size
// before every Paint and calls Update to redraw only what a new value changes.

#include <QString>
#include <memory>
#include <vector>

#include <Tarnwell/platform/TBitmap.h>
#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TGraphics.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A list of owned doubles with the pointer list's interface.
class TARNWELL_MEASURE_EXPORT TDoubleList {
 public:
  int Count() const { return int(mItems.size()); }
  void Add(double v) { mItems.push_back(std::make_unique<double>(v)); }
  void Delete(int index);
  void Clear() { mItems.clear(); }
  double Item(int index) const { return *mItems.at(size_t(index)); }
  int Capacity() const { return int(mItems.capacity()); }
  void SetCapacity(int n) { mItems.reserve(size_t(n)); }

 private:
  std::vector<std::unique_ptr<double>> mItems;
};

// The base of the measure monitors: a painter that draws one measured quantity onto the canvas it
// is given, redrawing only what a new value changes (Update).
class TARNWELL_MEASURE_EXPORT TMeasureMonitor {
 public:
  explicit TMeasureMonitor(TCanvas* canvas);
  virtual ~TMeasureMonitor();
  TMeasureMonitor(const TMeasureMonitor&) = delete;
  TMeasureMonitor& operator=(const TMeasureMonitor&) = delete;

  // Draws everything.
  virtual void Paint() = 0;
  // Redraws only what a new value (or stop state) changes.
  virtual void Update() = 0;

  TCanvas* Canvas() const { return mCanvas; }
  // The host's surface may be recreated (on resize); it hands over the new one.
  void SetCanvas(TCanvas* c) { mCanvas = c; }

  QString ControlName() const { return mControlName; }
  void SetControlName(const QString& s);
  QString ControlWhat() const { return mControlWhat; }
  void SetControlWhat(const QString& s);
  double ControlValue() const { return mControlValue; }
  void SetControlValue(double v);
  double MinValue() const { return mMinValue; }
  void SetMinValue(double v);
  double MaxValue() const { return mMaxValue; }
  void SetMaxValue(double v);
  int DecimalDigits() const { return mDecimalDigits; }
  void SetDecimalDigits(int n);
  bool WithWhat() const { return mWithWhat; }
  void SetWithWhat(bool b);
  void SetFont(const TFont& f) { mSavedFont.Assign(f); }
  const TFont& Font() const { return mSavedFont; }

  // Written directly by the host.
  bool Stop = false;
  // The alarm of the thermometer and the level bar: at or past AlarmLevel
  // (towards MaxValue) the value shows in AlarmColor and the level is marked.
  bool AlarmEnabled = false;
  double AlarmLevel = 0;
  TColor AlarmColor = clRed;
  bool AtAlarmLevel() const;
  int Width = 0;
  int Height = 0;

  QString ValueText() const { return mValueText; }
  QString MinText() const { return mMinText; }
  QString MaxText() const { return mMaxText; }
  int HeaderUnits() const { return mHeaderUnits; }

  // Format("%*.*f") of a value with the locale's decimal separator; exactly 0
  // gives "0" whatever the digits.
  static QString FormatValue(double v, int digits);

 protected:
  void PaintHeader();
  void PaintValue();
  // Clears the value line of the kinds that show no number.
  void ClearValueStrip();
  void RestorePenFont();
  // Position of v within the range as 0 .. 1: NaN, infinities, huge values
  // and an empty range never reach the integer geometry unclamped.
  double Fraction(double v) const;
  bool EmptyRange() const;
  // Canvas font height (h) and header units (k) as the layouts use them.
  int h() const { return mCanvas->Font().Height(); }
  int k() const { return mHeaderUnits; }
  bool Ready() const { return mCanvas != nullptr && Width > 0 && Height > 0; }

  TCanvas* mCanvas;
  QString mControlName, mControlWhat;
  double mControlValue = 0, mMinValue = 0, mMaxValue = 0;
  int mDecimalDigits = 0;
  bool mWithWhat = false;
  QString mValueText = "0", mMaxText = "0", mMinText = "0";
  int mCaptionX = 0, mWhatX = 0, mValueX = 0;
  int mHeaderUnits = 10;
  TPen mSavedPen;
  TBrush mSavedBrush;
  TFont mSavedFont;
};

// A monitor that shows its value as text.
class TARNWELL_MEASURE_EXPORT TMeasureLabel : public TMeasureMonitor {
 public:
  explicit TMeasureLabel(TCanvas* c);
  void Paint() override;
  void Update() override;
};

// A monitor that shows its value as a level bar.
class TARNWELL_MEASURE_EXPORT TMeasureGauge : public TMeasureMonitor {
 public:
  explicit TMeasureGauge(TCanvas* c);
  void Paint() override;
  void Update() override;
  // The x where the bar ends for the current value.
  int BarEnd() const;
  // The bar's colour: red when stopped, AlarmColor at the alarm level,
  // otherwise blue.
  TColor BarColor() const;
  int Left = 0, Top = 0, Right = 0, Bottom = 0;

 private:
  // What the canvas shows of the trough and bar since the last paint.
  TRect mDrawnGeometry;
  bool mDrawnStop = false;
  TColor mDrawnColor = clNone;
  int mDrawnEnd = -1;
};

// A monitor that shows its value with the needle of a dial or half-dial meter.
class TARNWELL_MEASURE_EXPORT TMeasureMeter : public TMeasureMonitor {
 public:
  explicit TMeasureMeter(TCanvas* c);
  void Paint() override;
  void Update() override;
  // 160 .. 380 degrees for the current value.
  int ComputeNeedleAngle() const;
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int NeedleAngle = 160, Radius = 0, CenterX = 0, CenterY = 0;
  TBitmap Snapshot;  // the dial without the needle
  QImage SpareSnapshot;  // the one before: its pixels are reused
};

// A monitor that shows its value as a lamp that is on or off.
class TARNWELL_MEASURE_EXPORT TMeasureOnOff : public TMeasureMonitor {
 public:
  explicit TMeasureOnOff(TCanvas* c);
  void Paint() override;
  void Update() override;
  bool Alarm() const;
  // The lamp's colour for the current value.
  TColor LampColor() const { return Alarm() ? clRed : clLime; }

 private:
  long long mDrawnKey = -1;  // geometry and state of the lamp on the canvas
};

// A monitor that shows its values as a scrolling graph.
class TARNWELL_MEASURE_EXPORT TMeasureGraph : public TMeasureMonitor {
 public:
  static constexpr int HistoryCapacity = 1024;
  explicit TMeasureGraph(TCanvas* c);
  ~TMeasureGraph() override;
  void Paint() override;
  void Update() override;
  int PointY(double v) const;
  int Left = 0, Top = 0, Right = 0, Bottom = 0, GridStep = 0;
  TDoubleList History;
  int LastY = -1;
};

// A monitor that shows an animation, one frame of a picture strip per value.
class TARNWELL_MEASURE_EXPORT TMeasureAnima : public TMeasureMonitor {
 public:
  explicit TMeasureAnima(TCanvas* c);
  void Paint() override;
  void Update() override;
  // One animation step; a stopped animation keeps its stop picture.
  void NextFrame();
  // The host's strip and stop picture (not owned). The monitor prepares its
  // own copy of the strip, so the host's artwork is never altered.
  void SetAnimBitmap(const TBitmap* b) { mAnimBitmap = b; }
  void SetStopBitmap(const TBitmap* b) { mStopBitmap = b; }
  bool LastStop = false;
  int ImageLeft = 0, ImageTop = 0, ImageRight = 0, ImageBottom = 0;
  int FrameSize = 0, FrameCount = 0, FrameIndex = 0;
  double LastValue = 0;
  const TBitmap& PreparedStrip() const { return mStrip; }

 private:
  void DrawStop();
  const TBitmap* mAnimBitmap = nullptr;
  const TBitmap* mStopBitmap = nullptr;
  TBitmap mStrip;
};

// A monitor that shows one of its pictures by value.
class TARNWELL_MEASURE_EXPORT TMeasureImage : public TMeasureMonitor {
 public:
  explicit TMeasureImage(TCanvas* c);
  void Paint() override;
  void Update() override;
  void SetStatBitmap(const TBitmap* b) { mStatBitmap = b; }
  bool LastStop = false;

 private:
  const TBitmap* mStatBitmap = nullptr;
};

// A monitor that shows its value as a thermometer.
class TARNWELL_MEASURE_EXPORT TMeasureTermo : public TMeasureMonitor {
 public:
  explicit TMeasureTermo(TCanvas* c);
  void Paint() override;
  void Update() override;
  int ComputeLevel() const;
  // The column's top for a value.
  int LevelFor(double v) const;
  bool Alarm() const;
  // The column's colour: red for the classic alarm (stop, out of range),
  // AlarmColor at the alarm level, otherwise lime.
  TColor ColumnColor() const;
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Level = 0, BulbRadius = 0, AxisX = 0, BulbY = 0;
};

}  // namespace Tarnwell
