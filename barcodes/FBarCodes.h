#pragma once
// The "TBarCodes" demonstration window: eight bar code controls, one per
// family of symbologies, with their design-time settings.

#include "BarCodes.h"
#include <Tarnwell/platform/TControls.h>

namespace Tarnwell {

class TFormBarCodes : public TForm {
  Q_OBJECT
 public:
  explicit TFormBarCodes(QWidget* parent = nullptr);

  TBarCodes* BarCodes1;
  TBarCodes* BarCodes2;
  TBarCodes* BarCodes3;
  TBarCodes* BarCodes4;
  TBarCodes* BarCodes5;
  TBarCodes* BarCodes6;
  TBarCodes* BarCodes7;
  TBarCodes* BarCodes8;
};

}  // namespace Tarnwell
