#pragma once
// TCustomLabel: the platform's label, a graphic control that writes its
// caption in its font, aligned in its client area, optionally word-wrapped,
// with "&" accelerators and an optional transparent background. Derived
// labels change how the text is drawn by overriding DoDrawText, which paint
// calls and which auto size calls in measuring mode (dtCalcRect).

#include <QPointer>
#include <QWidget>

#include "TCanvas.h"
#include "TProperty.h"
#include "TPropertyNamed.h"
#include "TTypes.h"
#include "TWidgetLook.h"
#include <Tarnwell/TarnwellExport.h>
class QShortcut;

namespace Tarnwell {

// Access to internal counters for the tests (defined in the *_p.h header).
template <class T>
struct TProbe;

// Text flags of DoDrawText: Qt alignment and text flags in the low bits, and
// two of the label's own.
constexpr int dtCalcRect = 0x10000000;  // measure only: the rectangle becomes the text's box
constexpr int dtNoPrefix = 0x20000000;  // "&" is an ordinary character

// The base of the labels: a caption with alignment, layout, word wrap, accelerator and automatic
// size.
class TARNWELL_PLATFORM_EXPORT TCustomLabel : public QWidget {
  Q_OBJECT
  // The text; "&" marks the accelerator (with ShowAccelChar), "&&" writes an "&". Empty by
  // default.
  TW_PROPERTY(QString, Caption, TextChanged())
  // The horizontal alignment of the text: taLeftJustify (default), taRightJustify or taCenter.
  TW_PROPERTY_DEFAULT(Tarnwell::PlatformTypes::TAlignment, Alignment, taLeftJustify, (AdjustBounds(), update()))
  // The label takes the size its caption needs, keeping the edge the alignment anchors
  // (default true).
  TW_PROPERTY_DEFAULT(bool, AutoSize, true, AdjustBounds())
  // The text wraps at word boundaries to the label's width (default false).
  TW_PROPERTY_DEFAULT(bool, WordWrap, false, (AdjustBounds(), update()))
  // The background is not painted: what is behind the label shows (default false).
  TW_PROPERTY_DEFAULT(bool, Transparent, false, (setAttribute(Qt::WA_NoSystemBackground, mTransparent), update()))
  // "&" marks an accelerator: it is underlined and Alt with the letter gives FocusControl the
  // focus (default true); off, "&" is an ordinary character.
  TW_PROPERTY_DEFAULT(bool, ShowAccelChar, true, (UpdateShortcut(), AdjustBounds(), update()))
  // The vertical placement of the text: tlTop (default), tlCenter or tlBottom.
  TW_PROPERTY_DEFAULT_NAMED_SETTER(Tarnwell::PlatformTypes::TTextLayout, Layout, setTextLayout, tlTop, update())
  // The control that takes the focus when the caption's accelerator is pressed.
  Q_PROPERTY(QWidget* FocusControl READ FocusControl WRITE setFocusControl NOTIFY FocusControlChanged)
  // The background colour (clBtnFace): the background role of the palette.
  Q_PROPERTY(QColor Color READ ColorQColor WRITE setColor RESET resetColor NOTIFY ColorChanged)
  // The widget's font; its colour is the WindowText role of the palette.
  TW_FONT_PROPERTY(mFontView)

 public:
  explicit TCustomLabel(QWidget* parent = nullptr);
  ~TCustomLabel() override;

  QWidget* FocusControl() const { return mFocusControl; }
  TColor Color() const { return mColorView.Color(); }
  QColor ColorQColor() const { return Tarnwell::ToQColor(Color(), palette()); }

  // The size the caption needs (what auto size gives the control).
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 public Q_SLOTS:
  // Sets FocusControl; emits FocusControlChanged.
  void setFocusControl(QWidget* w);
  // Sets the background colour (Color); emits ColorChanged.
  void setColor(Tarnwell::TColor c) { mColorView.SetColor(c); }
  // Sets the background colour from a Qt colour; emits ColorChanged.
  void setColor(const QColor& c) { setColor(FromQColor(c)); }
  // Sets the background colour from a Qt global colour; emits ColorChanged.
  void setColor(Qt::GlobalColor c) { setColor(QColor(c)); }
  // Back to the default background colour, clBtnFace.
  void resetColor() { setColor(clBtnFace); }

 Q_SIGNALS:
  // FocusControl changed.
  void FocusControlChanged(QWidget* value);
  // Color changed; value is the resolved colour.
  void ColorChanged(const QColor& value);

 protected:
  // The caption as drawn: a lone "&" (with accelerators on) or an empty
  // caption measures as one blank, so an auto-sized label never collapses.
  QString DrawnText(int flags) const;
  // Writes the caption into rect with flags; with dtCalcRect it only
  // measures and sets rect to the box the text needs.
  virtual void DoDrawText(TCanvas& canvas, TRect& rect, int flags);
  // Background, then the text through DoDrawText.
  virtual void Paint(TCanvas& canvas);
  // The flags paint passes: alignment, word wrap, accelerators.
  int DrawTextFlags() const;
  // With AutoSize: sets the control to the size the caption needs, keeping
  // the edge that the alignment anchors.
  void AdjustBounds();
  // The caption changed: re-measure and repaint.
  virtual void TextChanged();
  void paintEvent(QPaintEvent*) override;
  void changeEvent(QEvent* e) override;

 private:
  void UpdateShortcut();
  QString mCaption;
  TAlignment mAlignment = taLeftJustify;
  bool mAutoSize = true;
  bool mWordWrap = false;
  bool mTransparent = false;
  bool mShowAccelChar = true;
  TTextLayout mLayout = tlTop;
  QPointer<QWidget> mFocusControl;
  QShortcut* mShortcut = nullptr;
  TControlColor mColorView{this, clBtnFace};
  TControlFont mFontView{this};
  bool mAdjusting = false;
  int mPaintCount = 0;  // how many times Paint ran (TLabel_p.h)
  friend struct TProbe<TCustomLabel>;
};

}  // namespace Tarnwell
