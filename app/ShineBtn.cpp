#include "ShineBtn.h"

namespace Tarnwell {

TShineButton::TShineButton(QWidget* parent) : TSpeedButton(parent) {
  mShineColor = clRed;
  mDefColor = clBlack;
}

// Only the two notifications write the caption colour: a changed DefColor
// shows from the next leave on.
void TShineButton::MouseEnter() { Font().SetColor(mShineColor); }

void TShineButton::MouseLeave() { Font().SetColor(mDefColor); }

}  // namespace Tarnwell
