#include <gtest/gtest.h>

#include <QTest>

#include <Tarnwell/platform/TFormSize.h>
#include <Tarnwell/measure/FMeasure.h>
#include "MeasureTestUtil.h"

using namespace Tarnwell;

using namespace MoniDisp;

TEST(MeasureWindow, PlacesElevenDisplaysAsDesigned) {
  TFormMeasDisp f;
  EXPECT_EQ(f.Caption(), "TMeasureDisplay");
  EXPECT_EQ(f.DesignSize(), QSize(614, 500));
  const QList<TMonitorDisplay*> ds = f.Displays();
  ASSERT_EQ(ds.size(), 11);
  for (TMonitorDisplay* d : ds) {
    EXPECT_EQ(d->SignalState(), "LAV");
    EXPECT_EQ(d->SignalColor(), clLime);
    EXPECT_EQ(d->BorderStyle(), mdbBoxRaised);
  }
  EXPECT_EQ(f.MonitorDisplay3->geometry(), QRect(148, 44, 305, 141));
  EXPECT_EQ(f.MDAni->FrameCount(), 12);
  EXPECT_EQ(f.MonitorDisplay2->SignalValueMin(), 4);
  EXPECT_EQ(f.MonitorDisplay9->SignalValueMin(), 0);
  EXPECT_EQ(f.MonitorDisplay10->SignalCaption(), "Sign 1");
  EXPECT_TRUE(f.TimerVal->isActive());
  EXPECT_EQ(f.TimerAni->interval(), 100);
  EXPECT_TRUE(f.CheckBox2->isChecked());
}

TEST(MeasureWindow, RampRestartsAtOrPastTheTop) {
  TFormMeasDisp f;
  f.MDLcd->setSignalValue(145);
  f.MonitorDisplay1->setSignalValue(152);  // set past the top by hand
  f.TimerValTimer();
  EXPECT_EQ(f.MDLcd->SignalValue(), 150);
  EXPECT_EQ(f.MonitorDisplay1->SignalValue(), -45);
  f.TimerValTimer();
  EXPECT_EQ(f.MDLcd->SignalValue(), -45);  // reset and step in the same tick
  EXPECT_EQ(f.MonitorDisplay1->SignalValue(), -40);
}

TEST(MeasureWindow, ControlsReachEveryDisplay) {
  TFormMeasDisp f;
  f.ColorComboBox1->setColorValue(clRed);
  f.ColorComboBox1Change();
  f.ColorComboBox2->setColorValue(clSilver);
  f.ColorComboBox2Change();
  f.CheckBox1->setChecked(true);
  f.CheckBox1Click();
  f.CheckBox2->setChecked(false);
  f.CheckBox2Click();
  DumpImage(f.grab().toImage(), "measure-window-stopped");
  for (TMonitorDisplay* d : f.Displays()) {
    EXPECT_EQ(d->SignalColor(), clRed);
    EXPECT_EQ(d->Color(), clSilver);
    EXPECT_TRUE(d->SignalStop());
    EXPECT_EQ(d->SignalState(), "STOP");
    EXPECT_FALSE(d->ShowValue());
  }
  f.CheckBox1->setChecked(false);
  f.CheckBox1Click();
  EXPECT_EQ(f.MDAni->SignalState(), "LAV");
}

TEST(MeasureWindow, ResizerScalesTheWindow) {
  TFormMeasDisp f;
  f.show();
  // 614 x 500 is the whole window: the layout stands in what its borders leave.
  const QSize client = DesignClientSize(&f);
  f.resize(client * 2);
  QCoreApplication::processEvents();
  EXPECT_EQ(f.MonitorDisplay3->geometry(), QRect(296, 88, 610, 282));
  EXPECT_EQ(f.MDLcd->Font().Size(), 16);
  f.resize(100, 50);  // below the minimum: snaps back
  QCoreApplication::processEvents();
  EXPECT_GE(f.height(), 200);
  EXPECT_GE(f.width(), 300);
  f.resize(client);
  QCoreApplication::processEvents();
  EXPECT_EQ(f.MonitorDisplay3->geometry(), QRect(148, 44, 305, 141));
  EXPECT_EQ(f.MDLcd->Font().Size(), 8);
  f.TimerValTimer();
  DumpImage(f.grab().toImage(), "measure-window");
}

// Shown at its design size, every control stands where the layout puts it
// (the resizer must capture the client size, not shrink the layout).
TEST(MeasureWindow, ShownAtItsDesignSizeKeepsTheLayout) {
  TFormMeasDisp f;
  f.show();
  QCoreApplication::processEvents();
  ASSERT_TRUE(DesignSizeIsOuter(&f));
  ASSERT_EQ(f.DesignSize(), QSize(614, 500));
  ASSERT_EQ(f.size(), DesignClientSize(&f));
  const std::pair<QWidget*, QRect> table[] = {
      {f.MonitorDisplay3, {148, 44, 305, 141}}, {f.MonitorDisplay1, {4, 340, 293, 129}},
      {f.MonitorDisplay2, {4, 188, 113, 149}},  {f.MonitorDisplay4, {220, 188, 105, 149}},
      {f.MonitorDisplay5, {328, 188, 125, 149}}, {f.MDAni, {4, 44, 141, 141}},
      {f.MonitorDisplay7, {456, 44, 85, 293}},  {f.MDLcd, {300, 340, 141, 129}},
      {f.MonitorDisplay9, {120, 188, 97, 149}}, {f.MonitorDisplay8, {444, 340, 157, 129}},
      {f.MonitorDisplay10, {544, 44, 57, 293}}};
  for (const auto& [w, r] : table) EXPECT_EQ(w->geometry(), r) << w->objectName().toStdString();
  EXPECT_EQ(f.ColorComboBox2->geometry().topLeft(), QPoint(4, 12));
  EXPECT_EQ(f.ColorComboBox2->width(), 145);
  EXPECT_EQ(f.ColorComboBox1->geometry().topLeft(), QPoint(160, 12));
  EXPECT_EQ(f.CheckBox1->geometry().topLeft(), QPoint(324, 16));
  EXPECT_EQ(f.CheckBox2->geometry().topLeft(), QPoint(400, 16));
}
