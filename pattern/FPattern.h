#pragma once
// The pattern painting demonstration window: two pattern panels side by side
// whose pattern runs on across the splitter, with a group box, check boxes
// and radio buttons painted from the same holder.

#include <QSplitter>

#include "PatPanel.h"
#include <Tarnwell/platform/TControls.h>

namespace Tarnwell {

class TFormPattern : public TForm {
  Q_OBJECT
 public:
  explicit TFormPattern(QWidget* parent = nullptr);

  TPatternHolder* PatternHolder1;
  QSplitter* Splitter1;
  TPatternPanel* PatternPanel1;
  TPatternPanel* PatternPanel2;
  TPatternGroupBox* PatternGroupBox1;
  TPatternCheckBox* PatternCheckBox1;
  TPatternCheckBox* PatternCheckBox2;
  TPatternRadioButton* PatternRadioButton1;
  TPatternRadioButton* PatternRadioButton2;
  TPatternRadioButton* PatternRadioButton3;
};

}  // namespace Tarnwell
