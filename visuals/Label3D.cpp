#include "Label3D.h"

#include <Tarnwell/platform/TAccessible.h>

TARNWELL_LIBRARY_ACCESSIBLE(visuals)

namespace Tarnwell {

TLabel3D::TLabel3D(QWidget* parent) : TCustomLabel(parent) {}

void TLabel3D::setDisplacement(int value) {
  if (value < 0 || value > 10 || value == mDisplacement) return;
  mDisplacement = value;
  repaint();
  Q_EMIT DisplacementChanged(value);
}

void TLabel3D::DoDrawText(TCanvas& canvas, TRect& rect, int flags) {
  if ((flags & dtCalcRect) || !isEnabled()) {
    TCustomLabel::DoDrawText(canvas, rect, flags);
    return;
  }
  const TColor text = canvas.Font().Color();
  const int d = mDisplacement;
  auto pass = [&](TColor c, int dx, int dy) {
    if (c == clNone) return;
    TRect r = rect;
    OffsetRect(r, dx, dy);
    canvas.Font().SetColor(c);
    TCustomLabel::DoDrawText(canvas, r, flags);
  };
  pass(mFontHighLight, -d, -d);
  pass(mFontShadow, d, d);
  pass(text, 0, 0);
  canvas.Font().SetColor(text);
}

}  // namespace Tarnwell
