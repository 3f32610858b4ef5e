#pragma once
// The measurement demonstration window: eleven monitor displays, one or more
// per style, fed by a common ramp of values, with pickers for the display and
// signal colours, a stop switch and a switch for the value text. The form
// resizer scales everything with the window.

#include <QCheckBox>
#include <QLabel>
#include <QTimer>

#include <Tarnwell/visuals/ColCbBox.h>
#include <Tarnwell/utility/Fresizer.h>
#include "MoniDisp.h"
#include <Tarnwell/platform/TControls.h>

namespace Tarnwell {

class TFormMeasDisp : public TForm {
  Q_OBJECT
 public:
  explicit TFormMeasDisp(QWidget* parent = nullptr);

  QLabel* Label1;
  QLabel* Label2;
  TColorComboBox* ColorComboBox2;
  TColorComboBox* ColorComboBox1;
  QCheckBox* CheckBox1;
  QCheckBox* CheckBox2;
  TMonitorDisplay* MonitorDisplay3;
  TMonitorDisplay* MonitorDisplay1;
  TMonitorDisplay* MonitorDisplay2;
  TMonitorDisplay* MonitorDisplay4;
  TMonitorDisplay* MonitorDisplay5;
  TMonitorDisplay* MDAni;
  TMonitorDisplay* MonitorDisplay7;
  TMonitorDisplay* MDLcd;
  TMonitorDisplay* MonitorDisplay9;
  TMonitorDisplay* MonitorDisplay8;
  TMonitorDisplay* MonitorDisplay10;
  QTimer* TimerVal;
  QTimer* TimerAni;
  TFormResizer* FormResizer1 = nullptr;

  // Every monitor display among the window's components.
  QList<TMonitorDisplay*> Displays() const;

  // The event handlers, public so that they can be driven directly.
  void TimerValTimer();
  void TimerAniTimer();
  void ColorComboBox2Change();
  void ColorComboBox1Change();
  void CheckBox1Click();
  void CheckBox2Click();

 protected:
  void showEvent(QShowEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  TMonitorDisplay* AddDisplay(const char* name, int x, int y, int w, int h,
                              MoniDisp::TMeasureDisplayStyle style);
};

}  // namespace Tarnwell
