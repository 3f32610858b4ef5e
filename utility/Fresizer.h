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

#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

class TForm;

// Scales the controls of its owning form with the form, in proportion to the client area.
class TARNWELL_UTILITY_EXPORT TFormResizer : public QObject {
  Q_OBJECT
  // Whether the form's controls are scaled when it is resized (default true).
  TW_PROPERTY_DEFAULT(bool, Active, true, (void)0)
  // Font sizes are scaled too.
  TW_PROPERTY_DEFAULT(bool, FontResizer, true, (void)0)
  // Upper limit of the scaled font sizes; 0 for none.
  TW_PROPERTY_DEFAULT(int, MaxFontSize, 0, (void)0)
  // The form is not allowed lower than this, in pixels (by default its design height).
  TW_PROPERTY(int, MinFormHeight, (void)0)
  // The form is not allowed narrower than this, in pixels (by default its design width).
  TW_PROPERTY(int, MinFormWidth, (void)0)
  // The opt-out tag values.
  TW_PROPERTY_DEFAULT(int, ZNoChFont, -1, (void)0)
  // The Tag value of a control that keeps its position (default -2).
  TW_PROPERTY_DEFAULT(int, ZNoMove, -2, (void)0)
  // The Tag value of a control that keeps its size and font (default -3).
  TW_PROPERTY_DEFAULT(int, ZNoReDim, -3, (void)0)
  // The Tag value of a control that keeps its left edge, width and font: no horizontal change
  // (default -4).
  TW_PROPERTY_DEFAULT(int, ZNoReDimO, -4, (void)0)
  // The Tag value of a control that keeps its top edge, height and font: no vertical change
  // (default -5).
  TW_PROPERTY_DEFAULT(int, ZNoReDimV, -5, (void)0)
  // The Tag value of a control that is left alone (default -6).
  TW_PROPERTY_DEFAULT(int, ZNoThing, -6, (void)0)

 public:
  // The owner is the form to scale; the minimum sizes start at its design size.
  explicit TFormResizer(TForm* owner);


  // Called from the form's resize event; false when inactive (or when the
  // form has no size yet and nothing could be captured).
  bool Resize();

  // How many components are scaled at most (by component index).
  static constexpr int MaxComponents = 99;
  // The opt-out tag of a control (0 when it has none).
  static int TagOf(const QObject* o);
  // Font size in points as the resizer reads and writes it: the control's Qt
  // font (components show their Font through it), pixel sizes at 96 dpi.
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
  int mZNoChFont = -1, mZNoMove = -2, mZNoReDim = -3, mZNoReDimO = -4, mZNoReDimV = -5, mZNoThing = -6;
  bool mCaptured = false, mValid = false, mInResize = false;
  int mH0 = 0, mW0 = 0;
  double mRy = 1, mRx = 1;
  std::vector<CapturedBounds> mBounds;
};

}  // namespace Tarnwell
