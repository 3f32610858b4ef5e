#pragma once
// A date (day, month, year) or time (hours, minutes, seconds) in large
// digits with a row of small buttons above and below the digit groups: up
// adds one to its group, down takes one away, holding repeats. Each row is a
// TButtonArray: N equal push buttons reporting presses, moves, releases,
// clicks and auto-repeats by button index.

#include <QImage>
#include <QList>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <array>
#include <functional>

#include <Tarnwell/platform/TCanvas.h>
#include <Tarnwell/platform/TDateTime.h>
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TWidgetLook.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

namespace DTEditTypes {
Q_NAMESPACE_EXPORT(TARNWELL_VISUALS_EXPORT)
// What a TDateTimeEdit shows: a date (day, month, year) or a time (hours,
// minutes, seconds).
enum TDTEditType { dteDate, dteTime };
Q_ENUM_NS(TDTEditType)
}  // namespace DTEditTypes
using namespace DTEditTypes;

using TButtonArrayDownEvent =
    std::function<void(TObject* sender, int btnIndex, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)>;
using TButtonArrayMoveEvent =
    std::function<void(TObject* sender, int btnIndex, Qt::KeyboardModifiers shift, int x, int y)>;
using TButtonArrayClickEvent = std::function<void(TObject* sender, int btnIndex)>;
using TButtonArrayRepeatEvent = std::function<void(TObject* sender, int btnIndex, int repCount)>;

// A row of Count equal push buttons side by side. Each reports by index:
// ButtonDown, ButtonMove and ButtonUp with the mouse, ButtonClick for a press
// released on the same button, and ButtonRepeat while a button is held
// (after about 200 ms, then every 40 ms).
class TARNWELL_VISUALS_EXPORT TButtonArray : public QWidget {
  Q_OBJECT
  // Number of buttons, kept within 2..1023.
  TW_PROPERTY_FIXED_DEFAULT(int, Count, 2, std::clamp(value, 2, 1023), update())
  // The same picture on every button (cut to a square of its height).
  TW_PROPERTY(QImage, Glyph, update())
  // When not empty, button i shows image i instead of the glyph.
  TW_PROPERTY(QList<QImage>, ImageList, update())
  // The colour behind the buttons, a view of the palette's window colour.
  TW_COLOR_PROPERTY_CUSTOM(Color)

 public:
  explicit TButtonArray(QWidget* parent = nullptr);

  // Repeats begin after this many 40 ms ticks (so about 200 ms after the
  // press), then come every tick.
  static constexpr int RepeatInterval = 40;
  static constexpr int RepeatDelayTicks = 4;

  int ButtonWidth() const { return width() / std::max(1, mCount); }
  int PressedIndex() const { return mPressed; }
  // The button the keyboard works on: Left/Right (and Up/Down, Home/End)
  // move it, Space presses it as the left mouse button would (held Space
  // repeats, release clicks). Shown with a focus frame while focused.
  int CurrentIndex() const { return mCurrent; }
  void SetCurrentIndex(int i);
  // Presses button i (as the keyboard does), and releases the pressed one
  // with or without its click: what assistive technology's "press" runs.
  void PressButton(int i);
  void ReleaseButton(bool click);
  int RepeatCount() const { return mRepCount; }
  bool Repeating() const { return mRepeat.isActive(); }
  // One repeat step, as the timer takes it.
  void RepeatTick();

  TButtonArrayDownEvent OnButtonDown, OnButtonUp;
  TButtonArrayMoveEvent OnButtonMove;
  TButtonArrayClickEvent OnButtonClick;
  TButtonArrayRepeatEvent OnButtonRepeat;

  QSize sizeHint() const override { return QSize(25, 50); }

 Q_SIGNALS:
  // A mouse button went down on button `btnIndex` (0-based), at (x, y) in
  // the control's pixels; `sender` is the control.
  void ButtonDown(QObject* sender, int btnIndex, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  // The mouse moved over the control; `btnIndex` is the button under it.
  void ButtonMove(QObject* sender, int btnIndex, Qt::KeyboardModifiers shift, int x, int y);
  // The mouse button went up; `btnIndex` is the button pressed.
  void ButtonUp(QObject* sender, int btnIndex, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  // Button `btnIndex` was pressed and released over itself.
  void ButtonClick(QObject* sender, int btnIndex);
  // Button `btnIndex` is held: `repCount` counts the repeats from 1.
  void ButtonRepeat(QObject* sender, int btnIndex, int repCount);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TRect ButtonRect(int i) const;
  void BeginPress(int i, Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint p);
  void StopRepeat();
  void WatchWindow();

  int mCount = 2;
  QImage mGlyph;
  QList<QImage> mImageList;
  TControlColor mColorView{this, clWindow};
  QTimer mRepeat;
  int mDelay = RepeatDelayTicks;
  int mPressed = -1;
  bool mDrawnDown = false;
  int mRepCount = 0;
  int mCurrent = 0;
  bool mKeyHeld = false;
  QWidget* mWatchedWindow = nullptr;
};

// A date or a time in large digits, with a TButtonArray above and one below
// the digit groups: an up button adds one to its group, a down button takes
// one away, holding repeats. A step that gives no valid date or time is
// undone.
class TARNWELL_VISUALS_EXPORT TDateTimeEdit : public QWidget {
  Q_OBJECT
  // Date or time (default dteDate).
  TW_PROPERTY_SETTER(Tarnwell::DTEditTypes::TDTEditType, DTType)
  // The date (a serial; only its date part is shown).
  TW_PROPERTY_SETTER(double, Date)
  // The time as text: written as "hh:mm:ss" with ":" or "." (or the
  // locale's separator); an unreadable text leaves the time unchanged.
  TW_PROPERTY_CUSTOM(QString, Time)
  // Height of each button row, kept within 5 .. height / 3.
  TW_PROPERTY_FIXED_DEFAULT(int, BtnHeight, 16, std::clamp(value, 5, std::max(5, height() / 3)), Relayout())
  // Side margin the columns are sized with, kept within 5 .. width / 3.
  TW_PROPERTY_FIXED_DEFAULT(int, BorderWidth, 10, std::clamp(value, 5, std::max(5, width() / 3)), Relayout())
  // The picture on every up button (the up row's Glyph).
  TW_PROPERTY_SETTER(QImage, BtnUpGlyph)
  // The picture on every down button (the down row's Glyph).
  TW_PROPERTY_SETTER(QImage, BtnDnGlyph)
  // The background of the digits, a view of the palette's window colour.
  TW_COLOR_PROPERTY_CUSTOM(Color)
  // The widget's font; the digits use its face, sized to fit the control.
  TW_FONT_PROPERTY(mFont)

 public:
  explicit TDateTimeEdit(QWidget* parent = nullptr);

  TButtonArray* UpButtons() const { return mUp; }
  TButtonArray* DownButtons() const { return mDown; }
  // Day, month, century, year; or hour, minute, second, millisecond.
  std::array<quint16, 4> Groups() const { return mGroups; }
  double TimeValue() const { return mTime; }
  // Column margin and column width of the current layout.
  int Margin() const { return mMargin; }
  int ColumnWidth() const;
  // The digit font fitted to the display (refitted on size changes).
  QFont DigitFont() const { return mDigitFont; }

  // One step of a group, as the buttons do: +1 (up) or -1 (down). A value
  // that is no date or time undoes the step.
  void StepGroup(int group, int delta);

  // The field under the keyboard caret (a column: day, month, century, year;
  // or hour, minute, second). Up/Down step it by one, PageUp/PageDown by
  // ten, Left/Right/Home/End move the caret; a click on a column or its
  // buttons puts the caret there. Framed while the control has focus.
  int CurrentField() const { return mCaret; }
  void SetCurrentField(int field);
  // The shown value as text ("16/12/1999", "12.25.22").
  QString DisplayText() const;

  QSize sizeHint() const override { return QSize(160, 65); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void changeEvent(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  int Columns() const { return mDTType == dteDate ? 4 : 3; }
  void Regroup();
  void Relayout();
  void FitFont();
  TRect DisplayRect() const;

  TDTEditType mDTType = dteDate;
  double mDate = 0;
  double mTime = 0;
  int mBtnHeight = 16;
  int mBorderWidth = 10;
  QImage mBtnUpGlyph, mBtnDnGlyph;
  std::array<quint16, 4> mGroups{};
  int mMargin = 0;
  int mCaret = 0;
  QFont mDigitFont;
  bool mFitting = false;
  TButtonArray* mUp;
  TButtonArray* mDown;
  TControlColor mColorView{this, clWindow};
  TControlFont mFont{this};
};


}  // namespace Tarnwell
