#pragma once
// A flat speed button whose caption lights up while the mouse is over it.

#include <Tarnwell/platform/TControls.h>

namespace Tarnwell {

class TShineButton : public TSpeedButton {
  Q_OBJECT
 public:
  explicit TShineButton(QWidget* parent = nullptr);

  TColor ShineColor() const { return mShineColor; }
  void SetShineColor(TColor c);
  TColor DefColor() const { return mDefColor; }
  void SetDefColor(TColor c);

 protected:
  void MouseEnter() override;
  void MouseLeave() override;

 private:
  TColor mShineColor = clRed;
  TColor mDefColor = clBlack;
};

}  // namespace Tarnwell
