#pragma once
// TGraphicLed: a caption beside a small lamp picture that is lit or dark.
// The lamp is a square as tall as the control (less the caption line when
// the caption stands above or below it); with AutoSize the width follows
// the caption.

#include <QWidget>

#include <Tarnwell/platform/TBitmap.h>
#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TPropertyNamed.h>
#include <Tarnwell/platform/TWidgetLook.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// Access to internal counters for the tests (defined in the *_p.h header).
template <class T>
struct TProbe;

namespace GraphLedTypes {
Q_NAMESPACE_EXPORT(TARNWELL_VISUALS_EXPORT)
// Where the LED's lamp sits beside its caption.
enum TGLedLayout { glLedLeft, glLedRight, glLedTop, glLedBottom };
Q_ENUM_NS(TGLedLayout)
}  // namespace GraphLedTypes
using namespace GraphLedTypes;

// A caption beside a lamp that is lit (Checked) or dark.
class TARNWELL_VISUALS_EXPORT TGraphicLed : public QWidget {
  Q_OBJECT
  // The text beside the lamp.
  TW_PROPERTY(QString, Caption, (AdjustWidth(), update()))
  // The lamp is lit (default false).
  TW_PROPERTY_DEFAULT(bool, Checked, false, repaint())
  // Where the lamp sits beside the caption (default glLedLeft); set with
  // setLedLayout (setLayout(QLayout*) stays the widget's own).
  TW_PROPERTY_DEFAULT_NAMED_SETTER(Tarnwell::GraphLedTypes::TGLedLayout, Layout, setLedLayout, glLedLeft,
                                   (AdjustWidth(), repaint()))
  // The width follows lamp and caption (default true).
  TW_PROPERTY_DEFAULT(bool, AutoSize, true, (AdjustWidth(), repaint()))
  // The caption's font, the widget's own font.
  TW_FONT_PROPERTY(mFontView)

 public:
  explicit TGraphicLed(QWidget* parent = nullptr);

  // Where the lamp goes in a control of the given size (an empty rectangle
  // when the control is too low for lamp and caption).
  TRect LedRect(int width, int height) const;
  // Where the caption's text cell starts.
  TPoint CaptionPos(int width, int height) const;
  // The width AutoSize gives for the given height.
  int AutoWidth(int height) const;
  // The caption line's height: the font's pixel height x 4 / 3.
  int TextLineHeight() const;

  const TBitmap& LedOn() const { return mLedOn; }
  const TBitmap& LedOff() const { return mLedOff; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  virtual void Paint(TCanvas& canvas);
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  // Recomputes the width when AutoSize is on; never called while painting.
  void AdjustWidth();
  int TextPixelHeight() const;
  int TextWidth(const QString& s) const;
  QString mCaption;
  bool mChecked = false;
  TGLedLayout mLayout = glLedLeft;
  bool mAutoSize = true;
  TControlFont mFontView{this};
  TBitmap mLedOn, mLedOff;
  bool mAdjusting = false;
  int mPaintCount = 0;  // how many times Paint ran (GraphLed_p.h)
  friend struct TProbe<TGraphicLed>;
};

}  // namespace Tarnwell
