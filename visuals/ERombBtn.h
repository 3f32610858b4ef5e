#pragma once
// A square direction pad of four rhombus-shaped buttons (up, left, down,
// right), pressed with the mouse or the arrow keys.

#include <QWidget>

#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TTypes.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

namespace RombTypes {
Q_NAMESPACE_EXPORT(TARNWELL_VISUALS_EXPORT)
// Which button of the pad is held down (erbNone: none).
enum TEnhRombButtonPressed { erbNone, erbUp, erbLeft, erbDown, erbRight };
Q_ENUM_NS(TEnhRombButtonPressed)
}  // namespace RombTypes
using namespace RombTypes;

// A direction pad of four rhombus-shaped buttons in a square control (99 x 99
// pixels at first, its height kept equal to its width). A press with the
// mouse or an arrow key draws the button pressed and emits UpClick,
// LeftClick, DownClick or RightClick at once; holding a key does not repeat.
class TARNWELL_VISUALS_EXPORT TEnhRombButtons : public QWidget {
  Q_OBJECT
  // A black 1-pixel outline around each rhomb (default true).
  TW_PROPERTY_DEFAULT(bool, DrawContur, true, update())
  // Gap between the rhombs, kept within 2 .. width / 6.
  TW_PROPERTY_FIXED_DEFAULT(int, ButtonSpace, 2, ClampSpace(value), update())
  // A pressed rhomb is drawn with a 2-pixel pen, else 1 pixel (default true).
  TW_PROPERTY_DEFAULT(bool, FullPression, true, update())
  // An arrow inside each rhomb, red while pressed (default true).
  TW_PROPERTY_DEFAULT(bool, WithArrows, true, update())
  // A black 1-pixel frame while the control has the focus (default true).
  TW_PROPERTY_DEFAULT(bool, SignalFocus, true, update())
  // The button held down; setting it fires no event.
  TW_PROPERTY_DEFAULT(Tarnwell::RombTypes::TEnhRombButtonPressed, ButtonDown, erbNone, update())

 public:
  explicit TEnhRombButtons(QWidget* parent = nullptr);

  TNotifyEvent OnUpClick, OnLeftClick, OnDownClick, OnRightClick;

  // Presses and releases button b with its event, as a tap of its arrow key
  // does (nothing while another is held).
  void Click(TEnhRombButtonPressed b);

  // The button a press at (x, y) would press (erbNone in the dead bands).
  TEnhRombButtonPressed ButtonAt(int x, int y) const;
  // Top-left corner of a rhomb's box, and the half sizes.
  TPoint RombOrigin(TEnhRombButtonPressed b) const;
  int HalfWidth() const;
  int HalfHeight() const;

  QSize sizeHint() const override { return QSize(99, 99); }
  QSize minimumSizeHint() const override { return QSize(24, 24); }
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int w) const override { return w; }

 Q_SIGNALS:
  // The up button was pressed (mouse or Up key); `sender` is the control.
  void UpClick(QObject* sender);
  // The left button was pressed (mouse or Left key).
  void LeftClick(QObject* sender);
  // The down button was pressed (mouse or Down key).
  void DownClick(QObject* sender);
  // The right button was pressed (mouse or Right key).
  void RightClick(QObject* sender);

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void hideEvent(QHideEvent* e) override;

 private:
  int ClampSpace(int value) const;
  void Press(TEnhRombButtonPressed b);
  void Release();
  void DrawRomb(TCanvas& c, TEnhRombButtonPressed b, bool pressed);
  void DrawArrow(TCanvas& c, TEnhRombButtonPressed b, int d, TColor color);

  bool mDrawContur = true;
  int mButtonSpace = 2;
  bool mFullPression = true;
  bool mWithArrows = true;
  bool mSignalFocus = true;
  TEnhRombButtonPressed mButtonDown = erbNone;
  int mHeldKey = 0;
};

}  // namespace Tarnwell
