#pragma once
// A square direction pad of four rhombus-shaped buttons (up, left, down,
// right), pressed with the mouse or the arrow keys.

#include <QWidget>

#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TTypes.h>

namespace Tarnwell {

namespace RombTypes {
Q_NAMESPACE
enum TEnhRombButtonPressed { erbNone, erbUp, erbLeft, erbDown, erbRight };
Q_ENUM_NS(TEnhRombButtonPressed)
}  // namespace RombTypes
using namespace RombTypes;

class TEnhRombButtons : public QWidget {
  Q_OBJECT
  TW_PROPERTY_DEFAULT(bool, DrawContur, true, update())
  // Gap between the rhombs, kept within 2 .. width / 6.
  TW_PROPERTY_FIXED_DEFAULT(int, ButtonSpace, 2, ClampSpace(value), update())
  TW_PROPERTY_DEFAULT(bool, FullPression, true, update())
  TW_PROPERTY_DEFAULT(bool, WithArrows, true, update())
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
  void UpClick(TObject* sender);
  void LeftClick(TObject* sender);
  void DownClick(TObject* sender);
  void RightClick(TObject* sender);

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
