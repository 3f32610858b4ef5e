#pragma once
// TFormResizer: scales the controls of its owning form with the form. The
// first call captures the client size and every control's bounds and font
// size; later calls place each control in proportion to the client area.
// Controls opt out, wholly or in part, through their "Tag" property (a Qt
// dynamic property holding an int) set to one of the Z... values.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <vector>

namespace Tarnwell {

class TForm;

class TFormResizer : public QObject {
  Q_OBJECT
 public:
  // The owner is the form to scale; the minimum sizes start at its design size.
  explicit TFormResizer(TForm* owner);

  bool Active() const { return mActive; }
  void SetActive(bool b) { mActive = b; }
  bool FontResizer() const { return mFontResizer; }
  void SetFontResizer(bool b) { mFontResizer = b; }
  int MaxFontSize() const { return mMaxFontSize; }
  void SetMaxFontSize(int n) { mMaxFontSize = n; }
  int MinFormHeight() const { return mMinFormHeight; }
  void SetMinFormHeight(int n) { mMinFormHeight = n; }
  int MinFormWidth() const { return mMinFormWidth; }
  void SetMinFormWidth(int n) { mMinFormWidth = n; }
  int ZNoChFont = -1;
  int ZNoMove = -2;
  int ZNoReDim = -3;
  int ZNoReDimO = -4;
  int ZNoReDimV = -5;
  int ZNoThing = -6;

  // Called from the form's resize event; false when inactive (or when the
  // form has no size yet and nothing could be captured).
  bool Resize();

  // How many components are scaled at most (by component index).
  static constexpr int MaxComponents = 99;
  // The opt-out tag of a control (0 when it has none).
  static int TagOf(const QObject* o);
  // Font size in points as the resizer reads and writes it: the control's
  // "FontSize" property when it has one, else its Qt font.
  static int FontSizeOf(const QWidget* w);
  static void SetFontSizeOf(QWidget* w, int points);

  bool Captured() const { return mCaptured; }
  double RatioX() const { return mRx; }
  double RatioY() const { return mRy; }

 private:
  struct CapturedBounds {
    QPointer<QWidget> Control;
    int Left = 0, Top = 0, Height = 0, Width = 0, FontSize = 0;
  };
  void Capture();

  QPointer<TForm> mForm;
  bool mActive = true, mFontResizer = true;
  int mMaxFontSize = 0, mMinFormHeight = 0, mMinFormWidth = 0;
  bool mCaptured = false, mValid = false, mInResize = false;
  int mH0 = 0, mW0 = 0;
  double mRy = 1, mRx = 1;
  std::vector<CapturedBounds> mBounds;
};

}  // namespace Tarnwell
