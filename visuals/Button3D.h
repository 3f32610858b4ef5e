#pragma once
// A round, glossy button drawn from a strip of four pictures (normal, hot,
// pressed, disabled), optionally tinted and stamped with a glyph.

#include <QImage>
#include <QWidget>

#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TTypes.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

namespace SphericalTypes {
Q_NAMESPACE_EXPORT(TARNWELL_VISUALS_EXPORT)
// The strip of four frames a spherical button is drawn from: one of the
// built-in pictures in 4, 8 or 24 bits per pixel, or ButtonFace (ftCustom).
enum TSphericalButtonFrameType { ftDefault4Bit, ftDefault8Bit, ftDefault24Bit, ftCustom };
Q_ENUM_NS(TSphericalButtonFrameType)
// The tint added to the disc of the normal, hot and pressed frames
// (bclNone: the picture's own colours).
enum TSphericalButtonColor { bclNone, bclRed, bclGreen, bclBlue, bclYellow, bclAqua, bclFuchsia };
Q_ENUM_NS(TSphericalButtonColor)
}  // namespace SphericalTypes
using namespace SphericalTypes;

// What BuildFrames makes of a strip: the background (the colour of its
// bottom-left pixel) replaced by `background`, the discs of the first three
// frames tinted (unless `tint` is false), the glyph stamped on every frame.
TARNWELL_VISUALS_EXPORT QImage PrepareSphericalStrip(const QImage& strip, QRgb background, TSphericalButtonColor color, bool tint,
                             const QImage& glyph);
// The amounts a tint adds to red, green and blue.
TARNWELL_VISUALS_EXPORT void SphericalTint(TSphericalButtonColor color, int& r, int& g, int& b);

// A round, glossy push button drawn from a strip of four frames (normal,
// hot under the mouse, pressed, disabled), optionally tinted and stamped with
// a glyph. A click (press and release inside the disc) emits Click.
class TARNWELL_VISUALS_EXPORT TSphericalButton : public QWidget {
  Q_OBJECT
  // The strip the button is drawn from (default ftDefault8Bit).
  TW_PROPERTY_DEFAULT(Tarnwell::SphericalTypes::TSphericalButtonFrameType, FrameType, ftDefault8Bit, BuildFrames())
  // Custom strip: four equal frames side by side (used with ftCustom).
  TW_PROPERTY(QImage, ButtonFace, BuildFrames())
  // Stamped on the button; twice as wide as high holds a normal and a
  // disabled picture.
  TW_PROPERTY(QImage, Glyph, BuildFrames())
  // The tint of the disc (default bclNone).
  TW_PROPERTY_DEFAULT(Tarnwell::SphericalTypes::TSphericalButtonColor, ButtonColor, bclNone, BuildFrames())
  // The widget's own enabled state; a disabled button shows the fourth frame.
  Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled NOTIFY EnabledChanged)

 public:
  explicit TSphericalButton(QWidget* parent = nullptr);

  // Space presses (its release clicks), Enter and Return click at once, as a
  // push button does; the focus is a dotted frame inside the face.
  // 0 normal, 1 hot, 2 pressed inside, 3 pressed outside.
  int MouseState() const { return mState; }
  const QImage& Strip() const { return mStrip; }
  // The frame painted now: 3 disabled, 1 hot, 2 pressed inside, else 0.
  int ShownFrame() const;

  TNotifyEvent OnClick;
  // Clicks as the mouse or the keyboard does (not when disabled).
  void PerformClick();

  QSize sizeHint() const override;

 Q_SIGNALS:
  // The button was clicked: pressed and released inside its disc; `sender`
  // is the button.
  void Click(QObject* sender);
  // After the enabled state changed (setEnabled, or the parent's).
  void EnabledChanged(bool enabled);

 protected:
  void BuildFrames();
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void changeEvent(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  bool Inside(const QPoint& p) const;
  void SetState(int s);

  TSphericalButtonFrameType mFrameType = ftDefault8Bit;
  QImage mButtonFace;
  QImage mGlyph;
  TSphericalButtonColor mButtonColor = bclNone;
  QImage mSource;  // the strip before preparation
  QImage mStrip;
  int mState = 0;
  bool mSpaceHeld = false;
  QRgb mBuiltBackground = 0;
};

}  // namespace Tarnwell
