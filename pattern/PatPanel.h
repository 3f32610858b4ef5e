#pragma once
// Pattern painting: a holder owns a background tile (optionally recoloured)
// and a screen-sized tiling of it; panels, group boxes, check boxes and radio
// buttons that use a holder paint that tiling behind their content, anchored
// to the window so the pattern runs on without seams from one control to the
// next. TPatternFormPaint paints the pattern, a picture and lines of text as a
// window's own background.

#include <QBrush>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRadioButton>
#include <QStringList>
#include <functional>

#include <Tarnwell/platform/TBitmap.h>
#include <Tarnwell/platform/TControls.h>

namespace Tarnwell {

class TPatternHolder : public QObject {
  Q_OBJECT
 public:
  // The owner is the window whose client origin anchors the tiling.
  explicit TPatternHolder(QObject* owner = nullptr);
  ~TPatternHolder() override;

  bool Enabled() const { return mEnabled; }
  void SetEnabled(bool e);
  const TBitmap& Pattern() const { return mPattern; }
  void SetPattern(const TBitmap& b);
  void SetPattern(const QImage& img);
  TColor Color() const { return mColor; }
  void SetColor(TColor c);
  TColor SubstColor() const { return mSubstColor; }
  void SetSubstColor(TColor c);
  QString PatternPath() const { return mPatternPath; }
  void SetPatternPath(const QString& p) { mPatternPath = p; }

  // Painting possible: enabled, not switched off, with a pattern.
  bool Active() const;
  bool SwitchedOff() const { return mSwitchedOff; }
  const QImage& Working() const { return mWorking; }
  // The screen-sized tiling; made on first use, since painting itself fills
  // straight from the tile with the same anchor.
  const QImage& Tiled();

  void BuildWorking();
  void BuildTiled(bool force);

  // Copies the part of the tiling under `r` of `control` into r of canvas.
  void PaintControl(const QWidget* control, TCanvas& canvas, const TRect& r);
  // The same for the area (x, y, w, h) of the control.
  void PaintDC(const QWidget* control, TCanvas& canvas, int x, int y, int w, int h);
  // Copies the tiling anchored at the canvas origin into r.
  void PaintClient(TCanvas& canvas, const TRect& r);

 signals:
  // The pattern, its colours or the enabled state changed: users repaint.
  void Changed();

 private:
  QPoint AnchorOf(const QWidget* control) const;
  void FillAnchored(TCanvas& canvas, const TRect& dest, int srcX, int srcY);

  bool mEnabled = true;
  bool mSwitchedOff = false;
  TBitmap mPattern;
  TColor mColor = clNone;
  TColor mSubstColor = clNone;
  QString mPatternPath;
  QImage mWorking;
  QBrush mTile;  // the working pattern as a texture
  QImage mTiled;
  bool mTiledWanted = false;
};

using TPatternPanelPaint = std::function<void(TObject* sender, TCanvas& canvas)>;

class TPatternPanel : public TCustomPanel {
  Q_OBJECT
 public:
  explicit TPatternPanel(QWidget* parent = nullptr);
  TPatternHolder* PatternHolder() const { return mHolder; }
  void SetPatternHolder(TPatternHolder* h);
  // A holder that paints now (set, enabled, with a tiling).
  TPatternHolder* ActiveHolder() const;
  TPatternPanelPaint OnPaint;

 protected:
  void Paint(TCanvas& canvas) override;

 private:
  QPointer<TPatternHolder> mHolder;
  QMetaObject::Connection mConn;
};

// The pattern panel that pattern-painted buttons draw from: the parent, or
// failing that the parent's parent.
TPatternPanel* FindPatternPanel(const QWidget* control);

// Paints the pattern over a check box's or radio button's caption area (the
// box stays as the platform drew it) and writes the caption over it.
void PaintButtonPattern(QAbstractButton* button);

// What check box and radio button add to their platform bases.
template <class Base>
class TPatternButton : public Base {
 public:
  explicit TPatternButton(QWidget* parent = nullptr) : Base(parent) {}
  bool PatternPaint() const { return mPatternPaint; }
  void SetPatternPaint(bool p) {
    if (p == mPatternPaint) return;
    mPatternPaint = p;
    this->update();
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    Base::paintEvent(e);
    if (mPatternPaint) PaintButtonPattern(this);
  }
  void changeEvent(QEvent* e) override {
    Base::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) this->update();
  }

 private:
  bool mPatternPaint = false;
};

class TPatternCheckBox : public TPatternButton<QCheckBox> {
  Q_OBJECT
 public:
  using TPatternButton<QCheckBox>::TPatternButton;
};

class TPatternRadioButton : public TPatternButton<QRadioButton> {
  Q_OBJECT
 public:
  using TPatternButton<QRadioButton>::TPatternButton;
};

class TPatternGroupBox : public QGroupBox {
  Q_OBJECT
 public:
  explicit TPatternGroupBox(QWidget* parent = nullptr);
  bool PatternPaint() const { return mPatternPaint; }
  void SetPatternPaint(bool p);
  QString Caption() const { return title(); }
  void SetCaption(const QString& c) { setTitle(c); }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  bool mPatternPaint = false;
};

enum TFormPaintImagePos { pipCenter, pipStretch, pipTopLeft, pipTopRight, pipBottomLeft, pipBottomRight };
using TFormPaintImageEvent = std::function<void(TObject* sender, TCanvas& canvas)>;

class TPatternFormPaint : public QObject {
  Q_OBJECT
 public:
  // Hooks the owner window's painting (for a main window with an MDI area,
  // the area's client window).
  explicit TPatternFormPaint(QWidget* ownerForm);
  ~TPatternFormPaint() override;

  TPatternHolder* PatternHolder() const { return mHolder; }
  void SetPatternHolder(TPatternHolder* h);
  bool Enabled() const { return mEnabled; }
  void SetEnabled(bool e);
  bool FreeOnClose() const { return mFreeOnClose; }
  void SetFreeOnClose(bool f) { mFreeOnClose = f; }
  TBitmap& Image() { return mImage; }
  void SetImage(const QImage& img);
  TFormPaintImagePos ImagePosition() const { return mImagePosition; }
  void SetImagePosition(TFormPaintImagePos p);
  bool ImageTransparent() const { return mImageTransparent; }
  void SetImageTransparent(bool t);
  int OffSetL() const { return mOffSetL; }
  int OffSetT() const { return mOffSetT; }
  int OffSetR() const { return mOffSetR; }
  int OffSetB() const { return mOffSetB; }
  void SetOffSetL(int v);
  void SetOffSetT(int v);
  void SetOffSetR(int v);
  void SetOffSetB(int v);
  QStringList Text() const { return mText; }
  void SetText(const QStringList& t);
  TAlignment TextAlignment() const { return mTextAlignment; }
  void SetTextAlignment(TAlignment a);
  TTextLayout TextLayout() const { return mTextLayout; }
  void SetTextLayout(TTextLayout l);
  TFont& TextFont() { return mTextFont; }
  int TextShadow() const { return mTextShadow; }
  void SetTextShadow(int s);
  TFormPaintImageEvent OnBeforePaintImage;
  TFormPaintImageEvent OnAfterPaintImage;

  // The window whose painting is hooked (the MDI client area for a frame).
  QWidget* Target() const { return mTarget; }
  bool Hooked() const { return mHooked; }
  // Paints the whole background into a canvas of the target's size.
  void PaintBackground(TCanvas& canvas, const TRect& client);
  // Where the image goes in a client area of that size.
  TRect ImageRect(const TRect& client) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  bool CanPaint() const;
  void Invalidate();
  void Unhook();

  QPointer<QWidget> mForm;
  QPointer<QWidget> mTarget;
  bool mIsMDI = false;
  bool mHooked = false;
  QPointer<TPatternHolder> mHolder;
  QMetaObject::Connection mConn;
  bool mEnabled = true;
  bool mFreeOnClose = false;
  TBitmap mImage;
  TFormPaintImagePos mImagePosition = pipCenter;
  bool mImageTransparent = false;
  int mOffSetL = 0, mOffSetT = 0, mOffSetR = 0, mOffSetB = 0;
  QStringList mText;
  TAlignment mTextAlignment = taLeftJustify;
  TTextLayout mTextLayout = tlTop;
  TFont mTextFont;
  int mTextShadow = 0;
};

}  // namespace Tarnwell
