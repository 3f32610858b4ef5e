#include "LabelAng.h"

#include <Tarnwell/platform/TAccessible.h>

TARNWELL_LIBRARY_ACCESSIBLE(visuals)

namespace Tarnwell {

TLabelAngle::TLabelAngle(QWidget* parent) : TCustomLabel(parent) {
  setAutoSize(false);
  setWordWrap(false);
}

QString TLabelAngle::ShownText() const {
  if (!ShowAccelChar()) return Caption();
  // "&&" stands for one "&"; a lone "&" marks the accelerator.
  QString out;
  const QString c = Caption();
  for (int i = 0; i < c.size(); ++i) {
    if (c[i] == QLatin1Char('&')) {
      if (i + 1 < c.size() && c[i + 1] == QLatin1Char('&')) {
        out += QLatin1Char('&');
        ++i;
      }
      continue;
    }
    out += c[i];
  }
  return out;
}

void TLabelAngle::Paint(TCanvas& canvas) {
  if (!Transparent()) {
    canvas.Brush().SetColor(Color());
    canvas.Brush().SetStyle(bsSolid);
    canvas.FillRect(TRect(0, 0, width(), height()));
  }
  canvas.Brush().SetStyle(bsClear);
  canvas.Font().Assign(RotatedFont(Font(), mAngle * 10));
  const QString text = ShownText();
  if (!isEnabled()) {
    canvas.Font().SetColor(clBtnHighlight);
    canvas.TextOut(mOffSetX + 1, mOffSetY + 1, text);
    canvas.Font().SetColor(clBtnShadow);
  }
  canvas.TextOut(mOffSetX, mOffSetY, text);
}

}  // namespace Tarnwell
