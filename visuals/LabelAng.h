#pragma once
// TLabelAngle: a label written at any angle (degrees, counter-clockwise),
// starting at (OffSetX, OffSetY) of its client area.

#include <Tarnwell/platform/TLabel.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A label whose caption is written at any angle (Angle, in degrees).
class TARNWELL_VISUALS_EXPORT TLabelAngle : public TCustomLabel {
  Q_OBJECT
  // The direction of the caption in degrees, counter-clockwise from the horizontal.
  TW_PROPERTY(int, Angle, update())
  // Where the caption starts, in pixels from the left edge.
  TW_PROPERTY(int, OffSetX, update())
  // Where the caption starts, in pixels from the top edge.
  TW_PROPERTY(int, OffSetY, update())

 public:
  explicit TLabelAngle(QWidget* parent = nullptr);
  // The caption as written: accelerator marks removed when they are on.
  QString ShownText() const;

 protected:
  void Paint(TCanvas& canvas) override;

 private:
  int mAngle = 0;
  int mOffSetX = 0;
  int mOffSetY = 0;
};

}  // namespace Tarnwell
