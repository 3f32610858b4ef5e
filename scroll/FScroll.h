#pragma once
// The scroll components demonstration: sixteen schedule lines of random
// periods under a date rule that scrolls with them.

#include <QList>

#include "BtnQueDs.h"
#include "EnhScrol.h"
#include <Tarnwell/platform/TControls.h>

namespace Tarnwell {

class TFormScroll : public TForm {
  Q_OBJECT
 public:
  explicit TFormScroll(QWidget* parent = nullptr);

  TScrollRule* ScrollRuleH;
  TEnhScrollBox* ScrollBoxSked;
  QList<TBtnQuePeriodDisplay*> Lines;

  // Fills the schedule from today on (done once, when first shown).
  void FormShow();

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  bool mShown = false;
};

}  // namespace Tarnwell
