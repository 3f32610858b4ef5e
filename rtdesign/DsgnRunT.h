#pragma once
// TDesignAtRunTime: turns a running form into a small form designer. While
// Active, a click on a child control of the client selects it, a drag moves
// it, a drag on one of its eight handles resizes it; bounds snap to
// GridSize and the client's hint reports the control's name and bounds.
//
// The component takes the client's mouse over with an event filter and
// makes the designable children disabled and transparent for the mouse, so
// every press, move and release over them reaches the client. The handles
// are painted by a mouse-transparent overlay laid over the client.
//
// Designable children: direct child widgets of the client whose "Tag" (a
// dynamic int property, 0 when absent) is not negative and that are not
// aligned (not placed by the client's layout, and no "Align" dynamic
// property other than "alNone").
//
// Keys, while the client has the focus: the arrow keys move the control
// with the handles by one grid step, Shift+arrows resize it, Escape ends a
// drag and gives the control back its bounds from the drag's start.

#include <QCursor>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TTypes.h>
#include <Tarnwell/TarnwellExport.h>

class QKeyEvent;

namespace Tarnwell {

class TDesignSelector;

// One control taken over while design mode is on, with what is given back
// when it ends.
struct TARNWELL_RTDESIGN_EXPORT TDRTControlRef {
  QPointer<QWidget> Control;
  bool HadCursor = false;  // a cursor of its own (not inherited)
  QCursor Cursor;
  bool WasDisabled = false;  // disabled by itself, not through a parent
  bool WasTransparent = false;
  bool HadTracking = false;  // the client only
  QString ToolTip, StatusTip;  // the client only
};

// Lets the user select, move and resize the controls of a running window with the mouse.
class TARNWELL_RTDESIGN_EXPORT TDesignAtRunTime : public QObject {
  Q_OBJECT
  // Snapping step of positions and sizes in pixels; below 1 nothing snaps.
  TW_PROPERTY_DEFAULT(int, GridSize, 0, (void)0)
  // Moving and resizing are allowed; otherwise clicks only select.
  TW_PROPERTY_DEFAULT(bool, ChangeEnabled, false, (void)0)
  // The container whose child controls are designed (the owning widget at
  // first); empty once it is destroyed, the owner then stands in for it.
  Q_PROPERTY(QWidget* ClientControl READ ClientControl WRITE setClientControl NOTIFY ClientControlChanged)
  // Colour of the eight handles; clNone draws none.
  TW_COLOR_PROPERTY_DEFAULT(SelectorColor, clRed, SelectorColorSet())
  // Design mode.
  Q_PROPERTY(bool Active READ Active WRITE setActive NOTIFY ActiveChanged)

 public:
  // The owner is the form being designed.
  explicit TDesignAtRunTime(QObject* owner = nullptr);
  // Gives everything back when it goes while design mode is on.
  ~TDesignAtRunTime() override;

  QWidget* ClientControl() const { return mClientControl; }
  bool Active() const { return mActive; }
  // The owning form (the owner when it is a widget).
  QWidget* OwnerForm() const { return qobject_cast<QWidget*>(parent()); }
  // The client in use: ClientControl, or the owning form when it is empty.
  QWidget* Client() const;

  // After every mouse press on the client; a drag begins, moves a control's
  // bounds, ends; a press of a button other than the left one on a control.
  // Assigned handlers run after the signals of the same names.
  TNotifyEvent OnSelectControl, OnBeginChange, OnChange, OnEndChange, OnMouseRight;

  // The selected control: what was pressed, or while no drag is in progress
  // what is under the pointer; null when none.
  QWidget* SelectedControl() const { return mSelected; }
  // The control the handles stand around; null when none are shown.
  QWidget* MarkedControl() const { return mShown ? mMarked.data() : nullptr; }
  // The box of the handles shown (4 pixels around the control); empty when none.
  QRect SelectorBox() const { return mShown ? mSelectorBox : QRect(); }
  // Hit zone of the current drag: 0 move, 1 top-left, 2 top-right,
  // 3 bottom-left, 4 bottom-right, 5 top, 6 left, 7 bottom, 8 right.
  int DragZone() const { return mZone; }
  bool Moving() const { return mMoving; }
  bool Resizing() const { return mResizing; }
  bool Dragging() const { return mMoving || mResizing; }
  QRect StartBounds() const { return mStartBounds; }
  QPoint GrabPoint() const { return mGrab; }
  // The controls taken over by design mode (the client first).
  QList<QWidget*> DesignedControls() const;
  // The overlay the handles are painted on (null while off).
  QWidget* Overlay() const;

  // The zone of a point (x, y) relative to a w x h control.
  static int HitZone(int x, int y, int w, int h);
  static Qt::CursorShape ZoneCursor(int zone);
  // v rounded to the nearest multiple of grid, ties to even; grid < 1 keeps v.
  static int Snap(int v, int grid);
  // The designable control at a point of the client, also when the point is
  // just outside it on a handle; null when none.
  QWidget* ControlAt(int x, int y) const;
  // The zone (1 to 8, as DragZone) of the handle of the marked control under
  // a point of the client; 0 when no handle is there.
  int HandleAt(int x, int y) const;
  // "|Name -  L: 1, T: 2, W: 3, H: 4" for a control, the form's own for null.
  QString HintFor(const QWidget* control) const;
  // Which edges a drag or a key moves.
  enum TEdge { edLeft = 1, edTop = 2, edRight = 4, edBottom = 8, edAll = 15 };
  // Bounds brought within the rules: the 8 x 8 floor when sizing, at least
  // half of the control inside the client on every side, the grid.
  QRect Constrained(QRect r, int edges) const;

  // The handlers the client's mouse and keys are turned to (client
  // coordinates), public so that they can be driven directly.
  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int X, int Y);
  void MouseMove(Qt::KeyboardModifiers shift, int X, int Y);
  void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int X, int Y);
  // True when the key was used.
  bool KeyDown(int key, Qt::KeyboardModifiers shift);

 public Q_SLOTS:
  // Sets ClientControl; while design mode is on, the old client gets everything back and the
  // new one is taken over. Emits ClientControlChanged.
  void setClientControl(QWidget* c);
  // Switches design mode on (the client's controls are taken over: the mouse selects, moves
  // and resizes them) or off (everything is given back). Emits ActiveChanged.
  void setActive(bool on);

 Q_SIGNALS:
  // ClientControl changed (also to null when the client was destroyed).
  void ClientControlChanged(QWidget* value);
  // Design mode was switched on or off (also off when the client was destroyed).
  void ActiveChanged(bool value);
  // Emitted after every mouse press on the client, with SelectedControl set (OnSelectControl
  // is called after it).
  void SelectControl(QObject* sender);
  // Emitted when a move or resize begins, by a drag with ChangeEnabled or by a key
  // (OnBeginChange is called after it).
  void BeginChange(QObject* sender);
  // Emitted each time a drag changed the selected control's bounds (OnChange is called after
  // it).
  void Change(QObject* sender);
  // Emitted when the move or resize ended (OnEndChange is called after it).
  void EndChange(QObject* sender);
  // Emitted when a mouse button other than the left one was pressed on a control (OnMouseRight
  // is called after it).
  void MouseRight(QObject* sender);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SwitchOn();
  void SwitchOff();
  bool Designable(const QWidget* w) const;
  void ApplyDrag(int X, int Y);
  void SetBounds(QWidget* c, const QRect& r);
  void EndDrag();
  void PaintSelector();
  void EraseSelector();
  void SelectorColorSet();
  void SetClientHint(const QString& hint);
  void SetClientCursor(Qt::CursorShape shape);
  void DefaultClientCursor();
  void ClientDestroyed(QObject* gone);

  int mGridSize = 0;
  bool mChangeEnabled = false;
  TColor mSelectorColor = clRed;
  QPointer<QWidget> mClientControl;
  bool mActive = false;

  QPointer<QWidget> mClient;  // the client design mode was switched on for
  QList<TDRTControlRef> mRefs;
  QPointer<TDesignSelector> mOverlay;
  QPointer<QWidget> mSelected;
  QPointer<QWidget> mMarked;
  bool mShown = false;
  QRect mSelectorBox;
  int mZone = 0;
  bool mMoving = false, mResizing = false;
  QRect mStartBounds, mWork;
  QPoint mGrab;
  QString mHint;
};

}  // namespace Tarnwell
