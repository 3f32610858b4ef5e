#include <gtest/gtest.h>

#include <QTest>

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
  f.resize(1228, 1000);
  QCoreApplication::processEvents();
  EXPECT_EQ(f.MonitorDisplay3->geometry(), QRect(296, 88, 610, 282));
  EXPECT_EQ(f.MDLcd->Font().Size(), 16);
  f.resize(100, 50);  // below the minimum: snaps back
  QCoreApplication::processEvents();
  EXPECT_GE(f.height(), 200);
  EXPECT_GE(f.width(), 300);
  f.resize(614, 500);
  QCoreApplication::processEvents();
  EXPECT_EQ(f.MonitorDisplay3->geometry(), QRect(148, 44, 305, 141));
  EXPECT_EQ(f.MDLcd->Font().Size(), 8);
  f.TimerValTimer();
  DumpImage(f.grab().toImage(), "measure-window");
}
