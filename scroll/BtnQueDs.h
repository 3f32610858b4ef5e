#pragma once
// A row of bars ("buttons") of their own widths, colours, hatches, captions
// and images that can be pressed like buttons, and a row built from time
// periods placed on a scroll rule's time axis: one line of a schedule.

#include <QImage>
#include <QList>
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <vector>

#include "EnhScrol.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// Access to internal counters for the tests (defined in the *_p.h header).
template <class T>
struct TProbe;

// One bar. X -1 places it right after the previous bar.
struct TARNWELL_SCROLL_EXPORT TBtnQueObject {
  QString Caption;
  int X = -1;
  int Width = 0;
  TColor Color = clBtnFace;
  int Style = 0;
  int ImageIndex = -1;
  QVariant Data;
};

// Dark shade (hatch lines, lower-right bevel), light shade (upper-left
// bevel) and text colour of a bar colour.
struct TARNWELL_SCROLL_EXPORT TBtnQueShades {
  TColor Dark, Light, Text;
};
TARNWELL_SCROLL_EXPORT TBtnQueShades BtnQueShades(TColor barColor);

using TBtnQueMouseEvent =
    std::function<void(TObject* sender, int btnIndex, const QVariant& data, Qt::MouseButton button,
                       Qt::KeyboardModifiers shift, int x, int y)>;
using TBtnQueMoveEvent =
    std::function<void(TObject* sender, int btnIndex, const QVariant& data, Qt::KeyboardModifiers shift, int x, int y)>;
using TBtnQueClickEvent = std::function<void(TObject* sender, int btnIndex, const QVariant& data)>;

// A row of bars of their own widths, colours, hatches, captions and images
// (TBtnQueObject) that are pressed like buttons: presses, moves, releases and
// clicks are reported with the bar's index and its Data.
class TARNWELL_SCROLL_EXPORT TBtnQueDisplay : public QWidget {
  Q_OBJECT
  // Images drawn on bars whose ImageIndex is 0 or more.
  TW_PROPERTY(QList<QImage>, ImageList, update())
  // Repaint after every change of the bar list.
  TW_PROPERTY_DEFAULT(bool, AutoRepaint, false, (void)0)
  // Width of each bar's 3D border, kept within 1..4.
  TW_PROPERTY_FIXED_DEFAULT(int, BevelWidth, 1, std::clamp(value, 1, 4), update())
  // Whether a press and release on a bar emits ButtonClick (default true).
  TW_PROPERTY_DEFAULT(bool, ClickEnabled, true, (void)0)
  // While designed, every assignment refills the preview bars.
  TW_PROPERTY_SETTER(bool, ZRandomize)
  // The control's width follows the end of the last bar.
  TW_PROPERTY_DEFAULT(bool, AutoWidth, true, ApplyAutoWidth())
  // Set by a form designer; shows preview bars.
  TW_PROPERTY_SETTER(bool, Designing)
  // The font of the bars' captions; its colour is the WindowText role of the palette.
  TW_FONT_PROPERTY(mFont)

 public:
  explicit TBtnQueDisplay(QWidget* parent = nullptr);
  ~TBtnQueDisplay() override;

  // Appends a bar (a black filler first when it starts right of the last
  // bar's end), places the bars and returns the new bar's index.
  int AddButton(const QString& caption, int x, const QVariant& data, int imageIndex, int style, TColor color,
                int width);
  void ClearButtons();
  // Width := the right end of the last bar (1 when there is none).
  void FitWidth();

  int ButtonCount() const { return int(mButtons.size()); }
  const TBtnQueObject& Button(int i) const { return mButtons.at(size_t(i)); }
  // Right end of the last bar, 0 without bars.
  int ButtonsEnd() const;
  // The bar a press at x would press, -1 without bars.
  int ButtonAt(int x) const;
  int PressedButton() const { return mPressed; }
  int CurrentButton() const { return mCurrent; }
  void SetCurrentButton(int i);

  TBtnQueMouseEvent OnButtonDown, OnButtonUp;
  TBtnQueMoveEvent OnButtonMove;
  TBtnQueClickEvent OnButtonClick;

  QSize sizeHint() const override { return QSize(50, 24); }

 Q_SIGNALS:
  // A mouse button went down at (x, y) over bar `btnIndex` (-1: no bar),
  // whose Data is `data`; `sender` is the control.
  void ButtonDown(QObject* sender, int btnIndex, const QVariant& data, Qt::MouseButton button,
                  Qt::KeyboardModifiers shift, int x, int y);
  // The mouse button went up at (x, y) over bar `btnIndex`.
  void ButtonUp(QObject* sender, int btnIndex, const QVariant& data, Qt::MouseButton button,
                Qt::KeyboardModifiers shift, int x, int y);
  // The mouse moved to (x, y) over bar `btnIndex`.
  void ButtonMove(QObject* sender, int btnIndex, const QVariant& data, Qt::KeyboardModifiers shift, int x, int y);
  // Bar `btnIndex` was clicked (with ClickEnabled).
  void ButtonClick(QObject* sender, int btnIndex, const QVariant& data);

 protected:
  // Appends without the placement walk and without repainting: bars built
  // in order know their place already.
  int AppendButton(TBtnQueObject bar);
  void DrawButton(TCanvas& canvas, const TBtnQueObject& bar, bool pressed);
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  // The keyboard works on a current button as a tool row does: Left/Right,
  // Home/End choose it, Space or Enter presses and clicks it (when clicks
  // are enabled); it is framed while the display has focus.
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  void KeyRelease(bool click);
  void ApplyAutoWidth();
  void FillPreview();
  const QImage& HatchTile(TColor color, int style, int offset);
  TRect ButtonRect(int i) const;
  void RepaintButton(int i, bool pressed);

  int mCurrent = 0;
  bool mKeyHeld = false;
  std::vector<TBtnQueObject> mButtons;
  int mRunningEnd = 0;
  QList<QImage> mImageList;
  bool mAutoRepaint = false;
  int mBevelWidth = 1;
  bool mClickEnabled = true;
  bool mZRandomize = false;
  bool mAutoWidth = true;
  bool mDesigning = false;
  int mPressed = -1;
  bool mPressedShown = false;
  int mLastPainted = 0;
  QImage mTile;
  TColor mTileColor = clNone;
  int mTileStyle = -1, mTileOffset = -1, mTileHeight = -1;
  TControlFont mFont{this};
  friend struct TProbe<TBtnQueDisplay>;  // BtnQueDs_p.h
};

// One period of a schedule line.
struct TARNWELL_SCROLL_EXPORT TPeriodObject {
  QString Caption;
  TDateTime Start = 0;
  TDateTime Stop = 0;
  TColor Color = clBtnFace;
  int Style = 0;
  int ImageIndex = -1;
  QVariant Data;
};

// A button queue whose bars are time periods placed by their start and end
// on the time axis of a TScrollRule: one line of a schedule.
class TARNWELL_SCROLL_EXPORT TBtnQuePeriodDisplay : public TBtnQueDisplay {
  Q_OBJECT
  // The time axis the periods are placed on (not owned).
  Q_PROPERTY(Tarnwell::TScrollRule* Rule READ Rule WRITE setRule)

 public:
  explicit TBtnQuePeriodDisplay(QWidget* parent = nullptr);

  TScrollRule* Rule() const { return mRule; }
  void setRule(TScrollRule* r) { mRule = r; }

  // A period with exactly the same start is updated (its stop only raised);
  // otherwise the new one goes before the first later start. Gives its index.
  int AddPeriod(const QString& caption, TColor color, TDateTime start, TDateTime stop, int style, int imageIndex,
                const QVariant& data);
  int FindPeriod(TDateTime start) const;
  int PeriodCount() const { return int(mPeriods.size()); }
  const TPeriodObject& Period(int i) const { return mPeriods.at(size_t(i)); }
  void ClearPeriods() { mPeriods.clear(); }
  // Bars from the periods, placed on the rule; periods that cannot be placed
  // (no rule, a step under one hour) are left out.
  void RebuildButtons();
  // X and width of a period on the rule; false when it cannot be placed.
  bool PeriodToPixels(const TPeriodObject& period, int& x, int& width) const;

 private:
  QPointer<TScrollRule> mRule;
  std::vector<TPeriodObject> mPeriods;
};

}  // namespace Tarnwell
