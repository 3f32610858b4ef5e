#pragma once
// The few control bases the components stand on: TForm (a demonstration
// window with its own component list and close action), TSpeedButton (a flat
// graphic button with a caption and enter/leave notifications) and
// TCustomPanel (bevels, caption, colour). Hints are "short|long": the tooltip
// shows the short part, the status line the long part.

#include <QAbstractButton>
#include <QList>
#include <QPointer>
#include <QWidget>

#include "TCanvas.h"
#include "TProperty.h"
#include "TTypes.h"
#include "TWidgetLook.h"
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// Access to internal counters for the tests (defined in the *_p.h header).
template <class T>
struct TProbe;

// Splits "short|long"; with no "|" both parts are the whole text.
TARNWELL_PLATFORM_EXPORT QString GetShortHint(const QString& hint);
TARNWELL_PLATFORM_EXPORT QString GetLongHint(const QString& hint);
// Sets tooltip (short) and status tip (long) of w.
TARNWELL_PLATFORM_EXPORT void SetHint(QWidget* w, const QString& hint);

// A window of the showcase: a top-level or MDI child widget with the classic form properties.
class TARNWELL_PLATFORM_EXPORT TForm : public QWidget {
  Q_OBJECT
  // The window title.
  Q_PROPERTY(QString Caption READ Caption WRITE setCaption NOTIFY CaptionChanged)

 public:
  explicit TForm(QWidget* parent = nullptr);
  ~TForm() override;

  QString Caption() const { return windowTitle(); }
  void SetCaption(const QString& c) { setWindowTitle(c); }
 public Q_SLOTS:
  // Sets the window title (Caption); emits CaptionChanged.
  void setCaption(const QString& c) { setWindowTitle(c); }
 Q_SIGNALS:
  // The window title changed (whoever changed it).
  void CaptionChanged(const QString& value);

 public:
  // How the window's frame looks: its border (sizeable, single, dialog, tool
  // window with a small caption ...) and the buttons of its title bar.
  // Applied to the frame window the form stands in (an MDI child's).
  TW_PROPERTY_DEFAULT(Tarnwell::PlatformTypes::TBorderStyle, BorderStyle, bsSizeable, ApplyBorder())
  // The buttons of the title bar: system menu, minimize, maximize, help (default the first
  // three).
  TW_PROPERTY_DEFAULT(Tarnwell::PlatformTypes::TBorderIcons, BorderIcons,
                      TBorderIcons(biSystemMenu | biMinimize | biMaximize), ApplyBorder())
  // Gives the frame window the border style and title-bar buttons; the main
  // frame calls it when it takes the form in.
  void ApplyBorder();
  // Single, dialog and fixed tool-window borders cannot be sized.
  bool FixedBorder() const;

  // The client size the design gives; the frame window grows around it.
  void SetDesignSize(int width, int height);
  QSize DesignSize() const { return mDesignSize; }

  // The window's own component list, in creation order: what the design
  // placed on it (controls and non-visual components), not Qt's children.
  void AddComponent(QObject* c);
  void RemoveComponent(QObject* c);
  QList<QObject*> Components() const;
  int ComponentCount() const;

  // Called on close; the handler may change the action. Demonstration
  // windows free themselves: the default action is caFree.
  std::function<void(TObject* sender, TCloseAction& action)> OnClose;
  TCloseAction DefaultCloseAction() const { return mDefaultCloseAction; }
  void SetDefaultCloseAction(TCloseAction a) { mDefaultCloseAction = a; }
  // Closes the window (and its MDI frame window if it has one).
  void Close();
  QSize sizeHint() const override;

 protected:
  void closeEvent(QCloseEvent* e) override;
  virtual void FormClose(TCloseAction& action);

 private:
  QList<QPointer<QObject>> mComponents;
  QSize mDesignSize{0, 0};
  TCloseAction mDefaultCloseAction = caFree;
  TBorderStyle mBorderStyle = bsSizeable;
  TBorderIcons mBorderIcons = TBorderIcons(biSystemMenu | biMinimize | biMaximize);
};

// A graphic push button with a caption, glyph, flat mode and mouse-enter and mouse-leave
// notifications.
class TARNWELL_PLATFORM_EXPORT TSpeedButton : public QAbstractButton {
  Q_OBJECT
  // The caption is the button's text.
  TW_PROPERTY_CUSTOM(QString, Caption)
  // Without the mouse over it, the button shows no frame (default false).
  TW_PROPERTY(bool, Flat, update())
  // "short|long": tooltip and status line.
  TW_PROPERTY(QString, Hint, Tarnwell::SetHint(this, mHint))
  // The picture drawn left of the caption; the button's size hint makes room for it. Empty by
  // default.
  TW_PROPERTY(QImage, Glyph, (update(), updateGeometry()))
  // The widget's font; its colour is the ButtonText role of the palette.
  TW_FONT_PROPERTY(mFont)

 public:
  explicit TSpeedButton(QWidget* parent = nullptr);

  bool MouseInControl() const { return mMouseIn; }
  // Also announced by the clicked signal.
  TNotifyEvent OnClick;
  // Glyph and caption in the button's font with a small frame around them.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  // Draws face, frame, glyph and caption in the font's colour.
  virtual void Paint(TCanvas& canvas);
  virtual void MouseEnter();
  virtual void MouseLeave();
  void paintEvent(QPaintEvent*) override;
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;
  void changeEvent(QEvent*) override;

 private:
  TControlFont mFont{this, QPalette::ButtonText};
  bool mFlat = false;
  bool mMouseIn = false;
  QString mHint;
  QImage mGlyph;
  int mPaintCount = 0;  // how many times Paint ran (TControls_p.h)
  friend struct TProbe<TSpeedButton>;
};

// The colour of a control that can follow its parent's (ParentColor): its
// own (`own`) once it has a palette of its own (setColor, setPalette, a style
// sheet) or stops following; otherwise the parent panel's colour as a colour
// value, system colours included, so that shades of the face colour come out
// as the parent draws them; the face colour under any other parent.
TARNWELL_PLATFORM_EXPORT TColor FollowedParentColor(const QWidget* w, bool parentColor, TColor own);

// A panel with a caption, bevels and an overridable Paint, the base of the pattern panel.
class TARNWELL_PLATFORM_EXPORT TCustomPanel : public QWidget {
  Q_OBJECT
  // The text written in the panel's client area (empty by default).
  TW_PROPERTY(QString, Caption, update())
  // The horizontal alignment of the caption: taCenter (default), taLeftJustify or
  // taRightJustify; vertically it is centred.
  TW_PROPERTY_DEFAULT(Tarnwell::PlatformTypes::TAlignment, Alignment, taCenter, update())
  // The inner bevel, inside the outer one: none (default), lowered, raised or space.
  TW_PROPERTY_DEFAULT(Tarnwell::PlatformTypes::TBevelCut, BevelInner, bvNone, update())
  // The outer bevel: raised (default), lowered, none or space.
  TW_PROPERTY_DEFAULT(Tarnwell::PlatformTypes::TBevelCut, BevelOuter, bvRaised, update())
  // At least 1 (a clamping setter with a declared default).
  Q_PROPERTY(int BevelWidth READ BevelWidth WRITE setBevelWidth RESET resetBevelWidth NOTIFY BevelWidthChanged)
  // At least 0.
  TW_PROPERTY_FIXED(int, BorderWidth, std::max(0, value), update())
  // A line around the panel outside its bevels: bsNone (default) or bsSingle.
  TW_PROPERTY(Tarnwell::PlatformTypes::TBorderStyle, BorderStyle, update())
  // The face colour: the background role of the palette (default clBtnFace).
  Q_PROPERTY(QColor Color READ ColorQColor WRITE setColor RESET resetColor NOTIFY ColorChanged)
  // The widget's font; its colour is the WindowText role of the palette.
  TW_FONT_PROPERTY(mFont)

 public:
  explicit TCustomPanel(QWidget* parent = nullptr);

  int BevelWidth() const { return mBevelWidth; }
  TColor Color() const { return mColorView.Color(); }
  QColor ColorQColor() const { return Tarnwell::ToQColor(Color(), palette()); }
  // The client area inside border and bevels.
  TRect InnerRect() const;

 public Q_SLOTS:
  // Sets BevelWidth (values below 1 become 1); emits BevelWidthChanged.
  void setBevelWidth(int w);
  // Back to the default bevel width, 1 pixel.
  void resetBevelWidth() { setBevelWidth(1); }
  // Sets the face colour (Color); emits ColorChanged.
  void setColor(TColor c) { mColorView.SetColor(c); }
  // Sets the face colour from a Qt colour; emits ColorChanged.
  void setColor(const QColor& c) { setColor(FromQColor(c)); }
  // Sets the face colour from a Qt global colour; emits ColorChanged.
  void setColor(Qt::GlobalColor c) { setColor(QColor(c)); }
  // Back to the default face colour, clBtnFace.
  void resetColor() { setColor(clBtnFace); }

 Q_SIGNALS:
  // BevelWidth changed.
  void BevelWidthChanged(int value);
  // Color changed; value is the resolved colour.
  void ColorChanged(const QColor& value);

 protected:
  // The platform panel paint: face, bevels, caption.
  virtual void Paint(TCanvas& canvas);
  void PaintBevels(TCanvas& canvas, TRect& r);
  void PaintCaption(TCanvas& canvas);
  void paintEvent(QPaintEvent*) override;

 private:
  QString mCaption;
  TAlignment mAlignment = taCenter;
  TBevelCut mBevelInner = bvNone;
  TBevelCut mBevelOuter = bvRaised;
  int mBevelWidth = 1;
  int mBorderWidth = 0;
  TBorderStyle mBorderStyle = bsNone;
  TControlColor mColorView{this, clBtnFace};
  TControlFont mFont{this};
};

}  // namespace Tarnwell
