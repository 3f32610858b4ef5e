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
#include <Tarnwell/platform/TProperty.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

namespace PatternTypes {
Q_NAMESPACE_EXPORT(TARNWELL_PATTERN_EXPORT)
// Where a form painter places its picture: centred, stretched or in a corner.
enum TFormPaintImagePos { pipCenter, pipStretch, pipTopLeft, pipTopRight, pipBottomLeft, pipBottomRight };
Q_ENUM_NS(TFormPaintImagePos)
}  // namespace PatternTypes
using namespace PatternTypes;

// Holds a pattern picture that panels, group boxes, check boxes, radio buttons and forms paint as
// their background.
class TARNWELL_PATTERN_EXPORT TPatternHolder : public QObject {
  Q_OBJECT
  // Pattern in use. Switching it off stops painting at once; switching it
  // back on rebuilds the pattern from the tile.
  TW_PROPERTY(bool, Enabled, ApplyEnabled())
  // The tile; setting it always rebuilds (no comparison of pictures).
  TW_PROPERTY_CUSTOM(QImage, Pattern)
  // Every pixel of exactly SubstColor becomes Color (both set, not clNone).
  TW_COLOR_PROPERTY(Color, Rebuild())
  // The colour of the tile that becomes Color (default clNone: no substitution).
  TW_COLOR_PROPERTY(SubstColor, Rebuild())
  // Stored with a design; nothing reads it.
  TW_PROPERTY(QString, PatternPath, )

 public:
  // The owner is the window whose client origin anchors the tiling.
  explicit TPatternHolder(QObject* owner = nullptr);
  ~TPatternHolder() override;

  const TBitmap& PatternBitmap() const { return mPattern; }
  void setPattern(const TBitmap& b);

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

 Q_SIGNALS:
  // The pattern, its colours or the enabled state changed: users repaint.
  void Changed();

 private:
  void ApplyEnabled();
  void Rebuild();
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

// A panel painted with the pattern of its pattern holder.
class TARNWELL_PATTERN_EXPORT TPatternPanel : public TCustomPanel {
  Q_OBJECT
  // The holder whose pattern the panel and its pattern-painted children show.
  TW_PROPERTY_SETTER(Tarnwell::TPatternHolder*, PatternHolder)

 public:
  explicit TPatternPanel(QWidget* parent = nullptr);
  // A holder that paints now (set, enabled, with a tiling).
  TPatternHolder* ActiveHolder() const;
  // Called after every paint, after the Painted signal.
  TPatternPanelPaint OnPaint;

 Q_SIGNALS:
  // After every paint, with the canvas still open (direct connections only).
  void Painted(QObject* sender, Tarnwell::TCanvas& canvas);

 protected:
  void Paint(TCanvas& canvas) override;

 private:
  QPointer<TPatternHolder> mPatternHolder;
  QMetaObject::Connection mConn;
};

// The pattern panel that pattern-painted buttons draw from: the parent, or
// failing that the parent's parent.
TARNWELL_PATTERN_EXPORT TPatternPanel* FindPatternPanel(const QWidget* control);

// Paints the pattern over a check box's or radio button's caption area (the
// box stays as the platform drew it) and writes the caption over it.
TARNWELL_PATTERN_EXPORT void PaintButtonPattern(QAbstractButton* button);
// The size a pattern-painted button needs for its own caption.
TARNWELL_PATTERN_EXPORT QSize PatternButtonSize(const QAbstractButton* button, QSize platform);

// What check box and radio button add to their platform bases (the property
// itself is declared by each of them: a template cannot carry Q_OBJECT).
template <class Base>
class TPatternButton : public Base {
 public:
  explicit TPatternButton(QWidget* parent = nullptr) : Base(parent) {}
  QSize sizeHint() const override { return PatternButtonSize(this, Base::sizeHint()); }
  QSize minimumSizeHint() const override { return PatternButtonSize(this, Base::minimumSizeHint()); }

 protected:
  void paintEvent(QPaintEvent* e) override {
    Base::paintEvent(e);
    if (mPatternPaint) PaintButtonPattern(this);
  }
  void changeEvent(QEvent* e) override {
    Base::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) this->update();
  }

  bool mPatternPaint = false;
};

// A check box drawn over its panel's pattern (PatternPaint).
class TARNWELL_PATTERN_EXPORT TPatternCheckBox : public TPatternButton<QCheckBox> {
  Q_OBJECT
  // Paints the pattern of the parent's pattern holder behind the check box instead of the
  // plain background (default false).
  TW_PROPERTY(bool, PatternPaint, update())

 public:
  using TPatternButton<QCheckBox>::TPatternButton;
};

// A radio button drawn over its panel's pattern (PatternPaint).
class TARNWELL_PATTERN_EXPORT TPatternRadioButton : public TPatternButton<QRadioButton> {
  Q_OBJECT
  // Paints the pattern of the parent's pattern holder behind the radio button instead of the
  // plain background (default false).
  TW_PROPERTY(bool, PatternPaint, update())

 public:
  using TPatternButton<QRadioButton>::TPatternButton;
};

// A group box that shows the pattern of its pattern holder.
class TARNWELL_PATTERN_EXPORT TPatternGroupBox : public QGroupBox {
  Q_OBJECT
  // Paints the pattern of the pattern holder behind the group box instead of the plain
  // background (default false).
  TW_PROPERTY(bool, PatternPaint, update())
  // The group box's title.
  TW_PROPERTY_CUSTOM(QString, Caption)

 public:
  explicit TPatternGroupBox(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  bool mPatternPaint = false;
};

using TFormPaintImageEvent = std::function<void(TObject* sender, TCanvas& canvas)>;

// Paints a form's background with the pattern of a pattern holder.
class TARNWELL_PATTERN_EXPORT TPatternFormPaint : public QObject {
  Q_OBJECT
  // Setting a holder only tiles it; its changes repaint the window.
  TW_PROPERTY_SETTER(Tarnwell::TPatternHolder*, PatternHolder)
  // Whether the background is painted (default true); off, the window paints as it would
  // without it.
  TW_PROPERTY(bool, Enabled, Invalidate())
  // Remove the window hook when the window is asked to close.
  TW_PROPERTY(bool, FreeOnClose, )
  // The picture drawn over the pattern.
  TW_PROPERTY_CUSTOM(QImage, Image)
  // Where the picture goes: centred (pipCenter, default), stretched over the client area, or
  // in one of the four corners, within the margins.
  TW_PROPERTY(Tarnwell::PatternTypes::TFormPaintImagePos, ImagePosition, Invalidate())
  // Also sets the picture's own transparency.
  TW_PROPERTY(bool, ImageTransparent, (mImage.SetTransparent(mImageTransparent), Invalidate()))
  // Margins for the picture and the text.
  TW_PROPERTY(int, OffSetL, Invalidate())
  // The top margin of the picture and the text, in pixels (default 0).
  TW_PROPERTY(int, OffSetT, Invalidate())
  // The right margin of the picture and the text, in pixels (default 0).
  TW_PROPERTY(int, OffSetR, Invalidate())
  // The bottom margin of the picture and the text, in pixels (default 0).
  TW_PROPERTY(int, OffSetB, Invalidate())
  // Lines written over the background.
  TW_PROPERTY(QStringList, Text, Invalidate())
  // The horizontal alignment of the text lines: taLeftJustify (default), taCenter or
  // taRightJustify.
  TW_PROPERTY(Tarnwell::PlatformTypes::TAlignment, TextAlignment, Invalidate())
  // The vertical placement of the text block: tlTop (default), tlCenter or tlBottom.
  TW_PROPERTY(Tarnwell::PlatformTypes::TTextLayout, TextLayout, Invalidate())
  // The font of the text as a QFont; TextFont() gives the whole TFont
  // (colour included), whose changes repaint too.
  Q_PROPERTY(QFont TextFont READ TextQFont WRITE setTextFont NOTIFY TextFontChanged)
  // Shadow offset in pixels; 0 = none.
  TW_PROPERTY(int, TextShadow, Invalidate())

 public:
  // Hooks the owner window's painting (for a main window with an MDI area,
  // the area's client window).
  explicit TPatternFormPaint(QWidget* ownerForm);
  ~TPatternFormPaint() override;

  TBitmap& ImageBitmap() { return mImage; }
  TFont& TextFont() { return mTextFont; }
  QFont TextQFont() const { return mTextFont.ToQFont(); }
  // Called around the picture, after the signals.
  TFormPaintImageEvent OnBeforePaintImage;
  TFormPaintImageEvent OnAfterPaintImage;

  // The window whose painting is hooked (the MDI client area for a frame).
  QWidget* Target() const { return mTarget; }
  bool Hooked() const { return mHooked; }
  // Paints the whole background into a canvas of the target's size.
  void PaintBackground(TCanvas& canvas, const TRect& client);
  // Where the image goes in a client area of that size.
  TRect ImageRect(const TRect& client) const;

 public Q_SLOTS:
  // Sets the text font from a Qt font (its colour stays); emits TextFontChanged.
  void setTextFont(const QFont& f);

 Q_SIGNALS:
  // The text font changed (also when its colour changed).
  void TextFontChanged(const QFont& value);
  // Around the picture, with the canvas open (direct connections only).
  void BeforePaintImage(QObject* sender, Tarnwell::TCanvas& canvas);
  // Emitted after the picture was drawn, before the text, with the canvas open (direct
  // connections only); OnAfterPaintImage is called after it.
  void AfterPaintImage(QObject* sender, Tarnwell::TCanvas& canvas);

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
  QPointer<TPatternHolder> mPatternHolder;
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
