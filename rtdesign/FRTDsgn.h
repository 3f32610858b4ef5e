#pragma once
// The run-time design demonstration window: a few ordinary controls, two
// measure displays among them, that the check box turns into a design
// surface. The check box (Tag -1) and the status bar (placed by the layout)
// stay out of the design; the designer's events write into the status bar.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include "DsgnRunT.h"
#include <Tarnwell/measure/Measdisp.h>
#include <Tarnwell/platform/TControls.h>

namespace Tarnwell {

class TFormRTDesign : public TForm {
  Q_OBJECT
 public:
  explicit TFormRTDesign(QWidget* parent = nullptr);

  QLabel* Label1;
  TMeasureDisplay* MeasureDisplay1;
  TMeasureDisplay* MeasureDisplay2;
  QLabel* Image1;
  QPushButton* Button1;
  QLineEdit* Edit1;
  QPlainTextEdit* Memo1;
  QCheckBox* CheckBox1;
  QStatusBar* StatusBar1;
  TDesignAtRunTime* DesignAtRunTime1;
  QTimer* Timer1;

  // The event handlers, public so that they can be driven directly.
  void Label1MouseMove();
  void CheckBox1Click();
  void Timer1Timer();

  // The animation strip and the picture, drawn by the window itself.
  static QImage AnimationStrip();
  // The landscape for a screen of `ratio` device pixels per logical pixel.
  static QImage Picture(qreal ratio = 1);

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void FormClose(TCloseAction& action) override;
};

}  // namespace Tarnwell
