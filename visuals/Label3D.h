#pragma once
// TLabel3D: a label whose text is written three times, a light copy up-left,
// a dark copy down-right and the text itself on top, so that it looks raised
// (or engraved, with the colours swapped). clNone leaves a copy out.

#include <Tarnwell/platform/TLabel.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A label drawn raised or engraved: the caption over its highlight and shadow copies, Displacement
// pixels apart.
class TARNWELL_VISUALS_EXPORT TLabel3D : public TCustomLabel {
  Q_OBJECT
  // The colour of the lit copy of the caption (default clBtnHighlight).
  TW_COLOR_PROPERTY_DEFAULT(FontHighLight, clBtnHighlight, repaint())
  // The colour of the shadowed copy of the caption (default clBtnShadow).
  TW_COLOR_PROPERTY_DEFAULT(FontShadow, clBtnShadow, repaint())
  // 0 .. 10 pixels; other values are ignored.
  Q_PROPERTY(int Displacement READ Displacement WRITE setDisplacement RESET resetDisplacement NOTIFY
                 DisplacementChanged)

 public:
  explicit TLabel3D(QWidget* parent = nullptr);
  int Displacement() const { return mDisplacement; }

 public Q_SLOTS:
  // Sets Displacement, the offset in pixels of the lit and shadowed copies of the caption (0
  // to 10; other values are ignored). Emits DisplacementChanged.
  void setDisplacement(int value);
  // Back to the default displacement, 1 pixel.
  void resetDisplacement() { setDisplacement(1); }
 Q_SIGNALS:
  // After Displacement changed.
  void DisplacementChanged(int value);

 protected:
  void DoDrawText(TCanvas& canvas, TRect& rect, int flags) override;

 private:
  TColor mFontHighLight = clBtnHighlight;
  TColor mFontShadow = clBtnShadow;
  int mDisplacement = 1;
};

}  // namespace Tarnwell
