#pragma once
// Slide controls: windowed controls that open and close by animation.
//
// TSlideControl is the common base (colours and their shades, bevel, the
// pacing timer). TSlideButtonBar is a horizontal strip of picture buttons
// that shows only its handle while closed and slides open while the mouse
// rests on it. TSlideMenu is the vertical variant whose strip is drawn from
// text items; menus form a chain (MenuNext/MenuPrior) that a TSlideMenuMan
// shows, hides and drives from the keyboard, or replaces by the menu tree
// window TFormSlideMenuTree.
//
// Pacing runs on the GUI thread (a QTimer per control): a tick moves and
// repaints widgets, so it must never run anywhere else. A closed or paused
// control has no running timer.

#include <QImage>
#include <QKeySequence>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <functional>

#include <Tarnwell/pattern/PatPanel.h>
#include <Tarnwell/platform/TBitmap.h>
#include <Tarnwell/platform/TControls.h>
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/platform/TWidgetLook.h>
#include <Tarnwell/TarnwellExport.h>

class QTreeWidgetItem;
class QShortcut;

namespace Tarnwell {

namespace SlideTypes {
Q_NAMESPACE_EXPORT(TARNWELL_SLIDE_EXPORT)
// The way a slide button bar opens: to the left or to the right.
enum TSlideBDirection { slbToLeft, slbToRight };
Q_ENUM_NS(TSlideBDirection)
// The way a slide menu opens: downwards or upwards.
enum TSlideMDirection { slbToDown, slbToUp };
Q_ENUM_NS(TSlideMDirection)
}  // namespace SlideTypes
using namespace SlideTypes;

class TSlideMenuMan;
class TSlideMenu;
class TFormSlideMenuTree;

using TSlideBtnBarUpEvent =
    std::function<void(TObject* sender, int btnIndex, Qt::MouseButton mouseBtn, Qt::KeyboardModifiers shift, int x, int y)>;
using TSlideBtnBarDownEvent = TSlideBtnBarUpEvent;
using TSlideBtnBarMoveEvent =
    std::function<void(TObject* sender, int btnIndex, Qt::KeyboardModifiers shift, int x, int y)>;
using TSlideBtnBarClickEvent = std::function<void(TObject* sender, int btnIndex)>;
using TSlideMenuFormClose = std::function<void(TObject* sender, TRect rect, bool closing)>;

// A list of equally sized small pictures (menu item images).
class TARNWELL_SLIDE_EXPORT TSlideImageList : public QObject {
  Q_OBJECT
  // Width in pixels of the pictures (default 16).
  TW_PROPERTY_DEFAULT(int, Width, 16, )
  // Height in pixels of the pictures (default 16).
  TW_PROPERTY_DEFAULT(int, Height, 16, )

 public:
  explicit TSlideImageList(QObject* owner = nullptr) : QObject(owner) {}
  int Count() const { return int(mImages.size()); }
  // Pictures of another size are scaled to Width x Height.
  int Add(const QImage& image);
  void Clear() { mImages.clear(); }
  // A null image for an index out of range.
  QImage Image(int index) const;

 private:
  int mWidth = 16, mHeight = 16;
  QList<QImage> mImages;
};

// HighlightColor, ShadowColor and DisabledColor that go with a face colour.
struct TARNWELL_SLIDE_EXPORT TSlideShades {
  TColor Highlight, Shadow, Disabled;
};
TARNWELL_SLIDE_EXPORT TSlideShades SlideShades(TColor color);

// The base of the slide controls: colours and their shades, bevel, and the timer that paces the
// opening and closing animation.
class TARNWELL_SLIDE_EXPORT TSlideControl : public QWidget {
  Q_OBJECT
  // Tick period in ms; only 1 .. 1000 is accepted.
  Q_PROPERTY(int Interval READ Interval WRITE setInterval NOTIFY IntervalChanged)
  // Width in pixels of the bevel of the frames (default 1).
  Q_PROPERTY(int BevelWidth READ BevelWidth WRITE setBevelWidth NOTIFY BevelWidthChanged)
  // On: the control shows its picture as given and computes no shades.
  Q_PROPERTY(bool Custom READ Custom WRITE setCustom NOTIFY CustomChanged)
  // The background, and the colour the shades are computed from (default clBtnFace).
  TW_COLOR_PROPERTY_CUSTOM(Color)
  // The light edge of the bevels (default clBtnHighlight).
  TW_COLOR_PROPERTY(HighlightColor, update())
  // The dark edge of the bevels (default clBtnShadow).
  TW_COLOR_PROPERTY(ShadowColor, update())
  // The text of disabled items (default clBlack).
  TW_COLOR_PROPERTY(DisabledColor, update())
  // The caption font, the widget's own font.
  TW_FONT_PROPERTY(mFontView)

 public:
  explicit TSlideControl(QWidget* parent = nullptr);
  ~TSlideControl() override;

  int Interval() const { return mInterval; }
  int BevelWidth() const { return mBevelWidth; }
  bool Custom() const { return mCustom; }
  bool PaintValid() const { return mPaintValid; }
  void SetPaintValid(bool v) { mPaintValid = v; }

  // Pacing: a paused control has no running timer.
  void ResumeTimer();
  void PauseTimer();
  bool TimerActive() const { return mTimer.isActive(); }
  // One animation tick.
  virtual void Step() = 0;

  TNotifyEvent OnSlideOpen;

 public Q_SLOTS:
  // Sets Interval, the tick period in ms; values outside 1..1000 are ignored. Emits
  // IntervalChanged.
  void setInterval(int value);
  // Sets BevelWidth in pixels; emits BevelWidthChanged.
  void setBevelWidth(int value);
  // Sets Custom; emits CustomChanged.
  void setCustom(bool value);

 Q_SIGNALS:
  // After Interval changed.
  void IntervalChanged(int value);
  // After BevelWidth changed.
  void BevelWidthChanged(int value);
  // After Custom changed.
  void CustomChanged(bool value);
  // The control has slid fully open; `sender` is the control.
  void SlideOpen(QObject* sender);

 protected:
  // The picture derived from colour, font or bevel is out of date.
  virtual void Invalidate();
  virtual void Paint(TCanvas& canvas) = 0;
  void paintEvent(QPaintEvent*) override;
  void FireSlideOpen();

  TColor mHighlightColor = clBtnHighlight;
  TColor mShadowColor = clBtnShadow;
  TColor mDisabledColor = clBlack;
  bool mPaintValid = false;
  bool mCustom = false;

 private:
  void Tick();
  QTimer mTimer;
  int mInterval = 50;
  int mBevelWidth = 1;
  TControlColor mColorView{this, clBtnFace};
  TColor mShownColor = clBtnFace;
  TControlFont mFontView{this};
};

// A strip of picture buttons that shows only its first button (the handle) while closed and slides
// open while the mouse rests on it.
class TARNWELL_SLIDE_EXPORT TSlideButtonBar : public TSlideControl {
  Q_OBJECT
  // Animation and buttons enabled (default true).
  TW_PROPERTY(bool, Active, ActiveChanged_())
  // The whole strip: ButtonCount buttons side by side, the handle leftmost.
  // Laid out in logical pixels: a picture made for a high-density screen
  // (its devicePixelRatio set) keeps its logical size and is shown sharp.
  TW_PROPERTY_CUSTOM(QImage, Bitmap)
  // Only 1 .. 255 is accepted.
  TW_PROPERTY_CUSTOM(int, ButtonCount)
  // Inset in pixels of the button frames (default 0, never negative).
  TW_PROPERTY_FIXED(int, BtnOffSet, std::max(0, value), update())
  // The way the bar grows when it opens (default slbToRight).
  TW_PROPERTY(Tarnwell::SlideTypes::TSlideBDirection, Direction, update())
  // Pixels per closing and per opening tick; at least 1, so that a bar
  // always gets somewhere.
  TW_PROPERTY_FIXED(int, StepIn, std::max(1, value), )
  // Pixels the bar grows per opening tick, at least 1 (default 24; StepIn, the closing step,
  // is 12).
  TW_PROPERTY_FIXED(int, StepOut, std::max(1, value), )
  // One hint ("short|long") per button index.
  TW_PROPERTY(QStringList, Hints, )
  // A click on a button closes the bar (default true).
  TW_PROPERTY(bool, CloseOnClick, )
  // The slide menu manager that drives this bar (default none).
  TW_PROPERTY_CUSTOM(Tarnwell::TSlideMenuMan*, MenuManager)
  // The bar before this one in a menu chain (default none).
  TW_PROPERTY_CUSTOM(Tarnwell::TSlideButtonBar*, MenuPrior)
  // The bar after this one in a menu chain (default none).
  TW_PROPERTY_CUSTOM(Tarnwell::TSlideButtonBar*, MenuNext)

 public:
  explicit TSlideButtonBar(QWidget* parent = nullptr);
  ~TSlideButtonBar() override;

  const TBitmap& StripBitmap() const { return mBitmap; }
  int ButtonWidth() const { return mButtonWidth; }
  int ButtonHeight() const { return mButtonHeight; }
  int HotIndex() const { return mHotIndex; }
  bool Hot() const { return mHot; }
  bool Pressed() const { return mPressed; }
  TRect HotRect() const { return mHotRect; }
  QString Hint() const { return mHint; }
  // The hint of `index` becomes the control's hint (see ShowButtonHint).
  void ShowButtonHint(int index);

  // Makes this bar and the ones after it visible; hides them last first,
  // 50 ms apart, without waiting here. A cycle in the chain is walked once.
  void ShowChain();
  void HideChain();
  // This bar and the bars after it, each once (a cycle ends the walk).
  QList<TSlideButtonBar*> Chain();

  void Step() override;
  // Where button `index` is painted, in control coordinates.
  QRect ButtonBounds(int index) const { return ButtonRect(index).ToQRect(); }
  virtual int ButtonAt(int x, int y) const;
  virtual void DrawButtonState(bool pressed);
  virtual void ArrangeNext() {}

  // Mouse entry and leaving as the pointer does them (tests, keyboard).
  void MouseEnter();
  void MouseLeave();

  TSlideBtnBarUpEvent OnButtonUp;
  TSlideBtnBarMoveEvent OnButtonMove;
  TSlideBtnBarDownEvent OnButtonDown;
  TSlideBtnBarClickEvent OnButtonClick;
  TNotifyEvent OnButtonChange;

  QSize sizeHint() const override { return {24, 24}; }

 Q_SIGNALS:
  // A mouse button went up over button `btnIndex` (0: the handle) at (x, y).
  void ButtonUp(QObject* sender, int btnIndex, Qt::MouseButton mouseBtn, Qt::KeyboardModifiers shift, int x, int y);
  // The mouse moved over button `btnIndex` at (x, y).
  void ButtonMove(QObject* sender, int btnIndex, Qt::KeyboardModifiers shift, int x, int y);
  // A mouse button went down over button `btnIndex` at (x, y).
  void ButtonDown(QObject* sender, int btnIndex, Qt::MouseButton mouseBtn, Qt::KeyboardModifiers shift, int x, int y);
  // Button `btnIndex` was clicked.
  void ButtonClick(QObject* sender, int btnIndex);
  // The highlighted button changed.
  void ButtonChange(QObject* sender);

 protected:
  friend class TSlideMenuMan;
  friend class TSlideMenu;
  friend class TFormSlideMenuTree;
  // ButtonCount (the handle of a bar growing the other way) counts as 0.
  int Reported(int index) const { return index == mButtonCount ? 0 : index; }
  bool KeyModeOn() const;
  void LeaveKeyModeFromMouse();
  bool FullyOpen() const;
  // The rectangle of a button in control coordinates.
  virtual TRect ButtonRect(int index) const;
  // The framed part of a button, and whether that button gets a frame.
  virtual TRect FrameRect(int index) const;
  virtual bool Frameable(int) { return true; }
  void FireButtonClick(int index);
  void FireButtonMove(int index, Qt::KeyboardModifiers shift, int x, int y);
  void FireButtonChangeIfNew();
  virtual void ActiveChanged_() { update(); }
  virtual void GeometryChanged() {}

  void Paint(TCanvas& canvas) override;
  void PaintFrame(QPainter& p);
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;

  // The strip's size in logical pixels.
  int BitmapWidth() const;
  int BitmapHeight() const;
  // A logical rectangle of the strip in the strip's own pixels.
  static QRect StripPixels(const QImage& strip, const QRect& logical);

  TBitmap mBitmap;
  bool mActive = true;
  int mButtonCount = 1;
  int mBtnOffSet = 0;
  TSlideBDirection mDirection = slbToRight;
  int mStepIn = 12, mStepOut = 24;
  QStringList mHints;
  bool mCloseOnClick = true;
  QPointer<TSlideMenuMan> mMenuManager;
  QPointer<TSlideButtonBar> mMenuPrior, mMenuNext;

  int mButtonWidth = 24, mButtonHeight = 24;
  int mAnchorEdge = 0;
  bool mAnchorTaken = false;
  bool mHot = false, mPressed = false, mCloseNow = false;
  int mHotIndex = -1, mLastIndex = -1;
  int mPressedIndex = -1;
  bool mHotPressed = false;
  bool mFrameShown = false;
  bool mFrameInShades = false;
  TRect mHotRect;
  QString mHint;
  QTimer mHideTimer;  // the staggered hiding of a chain

 private:
  void Recompute();
};

// One parsed item line.
struct TARNWELL_SLIDE_EXPORT TSlideMenuItem {
  QString Caption = QStringLiteral("Item");
  bool Enabled = true;
  bool CheckMark = false;
  int ImageIndex = -1;
  int Reserved = 0;
  bool IsSeparator() const { return Caption == QLatin1String("-"); }
  // "Caption | Enabled | CheckMark | ImageIndex", fields trimmed, missing
  // fields at their defaults; an ImageIndex of -1 becomes `position`.
  static TSlideMenuItem Parse(const QString& line, int position);
  // The canonical form ("Tile | True | False | 1").
  QString Line() const;
};

// A vertical slide menu whose strip is drawn from text items; menus form a chain (MenuNext,
// MenuPrior).
class TARNWELL_SLIDE_EXPORT TSlideMenu : public TSlideButtonBar {
  Q_OBJECT
  // The way the menu opens (default slbToDown); replaces the bar's Direction.
  Q_PROPERTY(Tarnwell::SlideTypes::TSlideMDirection Direction READ Direction WRITE setDirection NOTIFY
                 DirectionChanged)
  // One line per item: "Caption | Enabled | CheckMark | ImageIndex" (see TSlideMenuItem).
  TW_PROPERTY_CUSTOM(QStringList, Items)
  // The pictures of the items (default none).
  TW_PROPERTY_CUSTOM(Tarnwell::TSlideImageList*, ImageList)
  // Captions drawn without a background (default false).
  TW_PROPERTY(bool, TextTransparent, InvalidateUnlessCustom())
  // The holder whose pattern fills the background (default none).
  TW_PROPERTY_CUSTOM(Tarnwell::TPatternHolder*, PatternHolder)

 public:
  explicit TSlideMenu(QWidget* parent = nullptr);

  TSlideMDirection Direction() const { return mMenuDirection; }
  int ItemHeight() const { return mItemHeight; }
  int DesignHeight() const { return mDesignHeight; }
  bool KeyFocus() const { return mKeyFocus; }
  // The parsed items (parsed on first need).
  const QList<TSlideMenuItem>& ParsedItems();
  // True when `index` is an item that can be framed and clicked.
  bool Clickable(int index);

  void Step() override;
  int ButtonAt(int x, int y) const override;
  void ArrangeNext() override;
  // Builds the strip from the items (not when Custom).
  void BuildStrip();

  // Keyboard navigation (virtual keys: Enter 13, End 35, Left 37, Up 38,
  // Right 39, Down 40), started on the first menu of a chain.
  static constexpr int vkReturn = 13, vkEnd = 35, vkLeft = 37, vkUp = 38, vkRight = 39, vkDown = 40;
  void FocusBar();
  void KeyDispatch(TSlideMenu* prior, int key);

  // Adds the menu under `parent` of a tree; its images go to the end of
  // `images`. Returns the menu's node (null when nothing was added).
  QTreeWidgetItem* AddToTree(QTreeWidgetItem* parent, TSlideImageList& images);

 public Q_SLOTS:
  // Sets the way the menu opens (Direction); emits DirectionChanged.
  void setDirection(Tarnwell::SlideTypes::TSlideMDirection value);
 Q_SIGNALS:
  // After Direction changed.
  void DirectionChanged(Tarnwell::SlideTypes::TSlideMDirection value);

 protected:
  TRect ButtonRect(int index) const override;
  TRect FrameRect(int index) const override;
  bool Frameable(int index) override { return Clickable(index); }
  void Invalidate() override;
  void InvalidateUnlessCustom();
  void ActiveChanged_() override;
  void Paint(TCanvas& canvas) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  void TakeDesignHeight();
  void Parse();
  void AutoWidth();
  void KeyMove(int delta);
  // Draws the items' strip into `into` at `ratio` device pixels per logical pixel.
  void ComposeStrip(TBitmap& into, qreal ratio);

  // The strip composed again at the ratio of the last paint above 1; empty
  // until needed and whenever the strip is built anew.
  TBitmap mSharpStrip;

  TSlideMDirection mMenuDirection = slbToDown;
  QStringList mItems;
  QList<TSlideMenuItem> mParsed;
  bool mHasParsed = false;
  QPointer<TSlideImageList> mImageList;
  bool mTextTransparent = false;
  QPointer<TPatternHolder> mPatternHolder;
  QMetaObject::Connection mHolderConn;
  int mItemHeight = 24;
  int mDesignHeight = 24;
  bool mDesignHeightTaken = false;
  bool mKeyFocus = false;
  int mBottomEdge = 0;
  bool mBottomTaken = false;
};

// The rectangle (Left, Top, Right, Bottom) in which a slide menu manager places its menus.
class TARNWELL_SLIDE_EXPORT TMenuPosRect : public QObject {
  Q_OBJECT
  // Top edge in pixels (default 0).
  TW_PROPERTY(int, Top, )
  // Left edge in pixels (default 0).
  TW_PROPERTY(int, Left, )
  // Bottom edge in pixels (default 200).
  TW_PROPERTY(int, Bottom, )
  // Right edge in pixels (default 320).
  TW_PROPERTY(int, Right, )

 public:
  explicit TMenuPosRect(QObject* owner = nullptr) : QObject(owner) {}
  TRect Rect() const { return TRect(mLeft, mTop, mRight, mBottom); }
  void SetRect(const TRect& r);

 private:
  int mTop = 0, mLeft = 0, mBottom = 200, mRight = 320;
};

// The manager of a chain of slide menus: a handle that shows, hides and drives them, also from the
// keyboard.
class TARNWELL_SLIDE_EXPORT TSlideMenuMan : public TSlideControl {
  Q_OBJECT
  // The picture on the button (default none).
  TW_PROPERTY(QImage, Glyph, update())
  // Auto-hide mode: the menus show and hide with the mouse (default true).
  TW_PROPERTY(bool, Active, ActiveChanged_())
  // Where the menu tree window opens by default.
  Q_PROPERTY(Tarnwell::TMenuPosRect* MenuPosRect READ MenuPosRect CONSTANT)
  // The first menu of the chain (default none; cleared when that menu is destroyed).
  TW_PROPERTY_CUSTOM(Tarnwell::TSlideMenu*, MenuFirst)
  // The button's text.
  TW_PROPERTY(QString, Caption, update())

 public:
  explicit TSlideMenuMan(QWidget* parent = nullptr);
  ~TSlideMenuMan() override;

  TMenuPosRect* MenuPosRect() const { return mMenuPosRect; }
  bool KeyMode() const { return mKeyMode; }
  // The bars of the owner window whose MenuManager is this manager.
  QList<TSlideButtonBar*> ManagedBars() const;
  // The chain from MenuFirst, each menu once.
  QList<TSlideMenu*> Menus() const;

  void ShowMenus();
  void HideMenus();
  // Opens the tree window at `rect`, or at MenuPosRect when rect is empty.
  void ShowMenuTree(const TRect& rect = TRect());
  TFormSlideMenuTree* MenuTree() const { return mTree; }
  void RefreshAll();
  void Step() override;

  // The six keys: identifier 1 Alt+End, 2 Alt+Left, 3 Alt+Right, 4 Alt+Up,
  // 5 Alt+Down, 6 Alt+Enter. They are application-wide shortcuts; a key
  // another manager holds is refused and stays without effect here. While
  // keyboard navigation runs, Escape ends it as Alt+End does.
  static QKeySequence HotKeySequence(int id);
  bool HotKeyRegistered(int id) const;
  // The manager that holds hot key `id`, or null.
  static TSlideMenuMan* HotKeyOwner(int id);
  void HotKey(int id);
  void LeaveKeyMode();

  TSlideMenuFormClose OnCloseMenuForm;
  TNotifyEvent OnHideMenu, OnShowMenu, OnClick, OnDblClick;

  QSize sizeHint() const override { return {48, 24}; }

 Q_SIGNALS:
  // The menu tree window closes (`closing` false) or closes the application
  // window (`closing` true); `rect` is where it stood.
  void CloseMenuForm(QObject* sender, const QRect& rect, bool closing);
  // The chain of menus was hidden.
  void HideMenu(QObject* sender);
  // The chain of menus was shown.
  void ShowMenu(QObject* sender);
  // The button was clicked.
  void Click(QObject* sender);
  // The button was double-clicked.
  void DblClick(QObject* sender);

 protected:
  friend class TFormSlideMenuTree;
  friend class TSlideButtonBar;
  void Paint(TCanvas& canvas) override;
  void Invalidate() override;
  void ActiveChanged_();
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  // A mouse entry or leaving that ends keyboard mode: only a pointer that
  // really moved (bars growing under a still pointer do not count).
  void MouseActivity();
  void FireCloseMenuForm(const TRect& r, bool closing);

 private:
  void RegisterHotKeys();
  void UnregisterHotKeys();
  void SetKeyMode(bool on);

  QImage mGlyph;
  bool mActive = true;
  TMenuPosRect* mMenuPosRect;
  QPointer<TSlideMenu> mMenuFirst;
  QString mCaption;
  bool mKeyMode = false;
  bool mBusy = false;
  QPoint mKeyModePointer;
  QList<QShortcut*> mShortcuts;
  QShortcut* mEscape = nullptr;
  bool mHeld[7] = {};
  TFormSlideMenuTree* mTree = nullptr;
  bool mPressedInside = false;
};
using TSlideMenuManager = TSlideMenuMan;

}  // namespace Tarnwell
