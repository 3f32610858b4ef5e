#include "ShineBtn.h"

namespace Tarnwell {

TShineButton::TShineButton(QWidget* parent) : TSpeedButton(parent) {
  mShineColor = clRed;
  mDefColor = clBlack;
}

void TShineButton::SetShineColor(TColor c) {
  if (c == mShineColor) return;
  mShineColor = c;
  repaint();
}

void TShineButton::SetDefColor(TColor c) {
  if (c == mDefColor) return;
  mDefColor = c;
  repaint();
}

// Only the two notifications write the caption colour: a changed DefColor
// shows from the next leave on.
void TShineButton::MouseEnter() { Font().SetColor(mShineColor); }

void TShineButton::MouseLeave() { Font().SetColor(mDefColor); }

}  // namespace Tarnwell
