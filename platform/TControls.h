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
#include "TTypes.h"

namespace Tarnwell {

// Splits "short|long"; with no "|" both parts are the whole text.
QString GetShortHint(const QString& hint);
QString GetLongHint(const QString& hint);
// Sets tooltip (short) and status tip (long) of w.
void SetHint(QWidget* w, const QString& hint);

class TForm : public QWidget {
  Q_OBJECT
 public:
  explicit TForm(QWidget* parent = nullptr);
  ~TForm() override;

  QString Caption() const { return windowTitle(); }
  void SetCaption(const QString& c) { setWindowTitle(c); }
  // Outer size the design gives; the MDI frame adds its border around it.
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
};

class TSpeedButton : public QAbstractButton {
  Q_OBJECT
 public:
  explicit TSpeedButton(QWidget* parent = nullptr);

  QString Caption() const { return text(); }
  void SetCaption(const QString& c);
  TFont& Font() { return mFont; }
  bool Flat() const { return mFlat; }
  void SetFlat(bool f);
  void SetHint(const QString& h);
  QString Hint() const { return mHint; }
  bool MouseInControl() const { return mMouseIn; }
  const QImage& Glyph() const { return mGlyph; }
  void SetGlyph(const QImage& g);
  TNotifyEvent OnClick;
  // How many times Paint ran (tests count repaints with it).
  int PaintCount() const { return mPaintCount; }
  QSize sizeHint() const override;

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
  TFont mFont;
  bool mFlat = false;
  bool mMouseIn = false;
  QString mHint;
  QImage mGlyph;
  int mPaintCount = 0;
};

class TCustomPanel : public QWidget {
  Q_OBJECT
 public:
  explicit TCustomPanel(QWidget* parent = nullptr);

  QString Caption() const { return mCaption; }
  void SetCaption(const QString& c);
  TAlignment Alignment() const { return mAlignment; }
  void SetAlignment(TAlignment a);
  TBevelCut BevelInner() const { return mBevelInner; }
  void SetBevelInner(TBevelCut b);
  TBevelCut BevelOuter() const { return mBevelOuter; }
  void SetBevelOuter(TBevelCut b);
  int BevelWidth() const { return mBevelWidth; }
  void SetBevelWidth(int w);
  int BorderWidth() const { return mBorderWidth; }
  void SetBorderWidth(int w);
  TBorderStyle BorderStyle() const { return mBorderStyle; }
  void SetBorderStyle(TBorderStyle s);
  TColor Color() const { return mColor; }
  void SetColor(TColor c);
  TFont& Font() { return mFont; }
  // The client area inside border and bevels.
  TRect InnerRect() const;

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
  TColor mColor = clBtnFace;
  TFont mFont;
};

}  // namespace Tarnwell
