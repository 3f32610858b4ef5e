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
class TCustomLabel : public QWidget {
  Q_OBJECT
  TW_PROPERTY(QString, Caption, TextChanged())
  TW_PROPERTY_DEFAULT(Tarnwell::PlatformTypes::TAlignment, Alignment, taLeftJustify, (AdjustBounds(), update()))
  TW_PROPERTY_DEFAULT(bool, AutoSize, true, AdjustBounds())
  TW_PROPERTY_DEFAULT(bool, WordWrap, false, (AdjustBounds(), update()))
  TW_PROPERTY_DEFAULT(bool, Transparent, false, (setAttribute(Qt::WA_NoSystemBackground, mTransparent), update()))
  TW_PROPERTY_DEFAULT(bool, ShowAccelChar, true, (UpdateShortcut(), AdjustBounds(), update()))
  TW_PROPERTY_DEFAULT_NAMED_SETTER(Tarnwell::PlatformTypes::TTextLayout, Layout, setTextLayout, tlTop, update())
  // The control that takes the focus when the caption's accelerator is pressed.
  Q_PROPERTY(QWidget* FocusControl READ FocusControl WRITE setFocusControl NOTIFY FocusControlChanged)
  // The background colour (clBtnFace): the background role of the palette.
  Q_PROPERTY(QColor Color READ ColorQColor WRITE setColor RESET resetColor NOTIFY ColorChanged)
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
  void setFocusControl(QWidget* w);
  void setColor(Tarnwell::TColor c) { mColorView.SetColor(c); }
  void setColor(const QColor& c) { setColor(FromQColor(c)); }
  void setColor(Qt::GlobalColor c) { setColor(QColor(c)); }
  void resetColor() { setColor(clBtnFace); }

 Q_SIGNALS:
  void FocusControlChanged(QWidget* value);
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
