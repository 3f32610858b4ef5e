#pragma once
// A flat speed button whose caption lights up while the mouse is over it.

#include <Tarnwell/platform/TControls.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A flat speed button whose caption shines (is drawn in another colour) while the mouse is over it.
class TARNWELL_APP_EXPORT TShineButton : public TSpeedButton {
  Q_OBJECT
  // Caption colour while the mouse is over the button; a change repaints at
  // once.
  TW_COLOR_PROPERTY(ShineColor, repaint())
  // Caption colour when the mouse is elsewhere (shown from the next leave
  // on: only entering and leaving write the caption colour).
  TW_COLOR_PROPERTY(DefColor, repaint())

 public:
  explicit TShineButton(QWidget* parent = nullptr);

 protected:
  void MouseEnter() override;
  void MouseLeave() override;

 private:
  TColor mShineColor = clRed;
  TColor mDefColor = clBlack;
};

}  // namespace Tarnwell
