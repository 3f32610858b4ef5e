#include "FMeasure.h"

#include <Tarnwell/platform/TFormSize.h>
#include <Tarnwell/platform/TExceptions.h>
#include <Tarnwell/platform/TResources.h>

#include <Tarnwell/app/DemoRegistry.h>

namespace Tarnwell {

using namespace MoniDisp;

namespace {

QImage Picture(const char* name) {
  try {
    return LoadResourcePicture(name);
  } catch (const ETarnwellError&) {
    return QImage();  // a display without its picture still shows its value
  }
}

}  // namespace

TFormMeasDisp::TFormMeasDisp(QWidget* parent) : TForm(parent) {
  SetCaption("TMeasureDisplay");
  TFont formFont;
  formFont.SetName("MS Sans Serif");
  formFont.SetHeight(-11);
  setFont(formFont.ToQFont());
  setBorderStyle(bsSizeToolWin);
  SetDesignOuterSize(this, 614, 500);

  Label1 = new QLabel("Display Color", this);
  Label1->setGeometry(4, 0, 145, 13);
  AddComponent(Label1);
  ColorComboBox2 = new TColorComboBox(this);
  ColorComboBox2->setGeometry(4, 12, 145, 22);
  ColorComboBox2->setColorValue(clBtnFace);
  connect(ColorComboBox2, &TColorComboBox::Change, this, [this] { ColorComboBox2Change(); });
  AddComponent(ColorComboBox2);
  Label2 = new QLabel("Signal Color", this);
  Label2->setGeometry(160, 0, 145, 13);
  AddComponent(Label2);
  ColorComboBox1 = new TColorComboBox(this);
  ColorComboBox1->setGeometry(160, 12, 145, 22);
  ColorComboBox1->setColorValue(clLime);
  connect(ColorComboBox1, &TColorComboBox::Change, this, [this] { ColorComboBox1Change(); });
  AddComponent(ColorComboBox1);
  CheckBox1 = new QCheckBox("Stop", this);
  CheckBox1->setGeometry(324, 16, 70, 17);
  connect(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });
  AddComponent(CheckBox1);
  CheckBox2 = new QCheckBox("Show Val", this);
  CheckBox2->setGeometry(400, 16, 80, 17);
  CheckBox2->setChecked(true);
  connect(CheckBox2, &QCheckBox::clicked, this, [this] { CheckBox2Click(); });
  AddComponent(CheckBox2);

  MonitorDisplay3 = AddDisplay("MonitorDisplay3", 148, 44, 305, 141, mdGraph);
  MonitorDisplay3->setAspectRatio(3);
  MonitorDisplay3->setSignalValue(55);
  MonitorDisplay1 = AddDisplay("MonitorDisplay1", 4, 340, 293, 129, mdLevel);
  MonitorDisplay2 = AddDisplay("MonitorDisplay2", 4, 188, 113, 149, mdMeter);
  MonitorDisplay2->setDisplayCustom(true);
  MonitorDisplay2->setImageStat(Picture("MEASDIAL"));
  MonitorDisplay2->setSignalValueMin(4);
  MonitorDisplay2->setSignalValueMax(76);
  MonitorDisplay4 = AddDisplay("MonitorDisplay4", 220, 188, 105, 149, mdOnOff);
  MonitorDisplay5 = AddDisplay("MonitorDisplay5", 328, 188, 125, 149, mdImage);
  MonitorDisplay5->setImageStat(Picture("MEASSTAT"));
  MDAni = AddDisplay("MDAni", 4, 44, 141, 141, mdAnima);
  MDAni->setImageAnim(Picture("MEASANIM"));
  MDAni->setImageStat(Picture("MEASSTOP"));
  MonitorDisplay7 = AddDisplay("MonitorDisplay7", 456, 44, 85, 293, mdTermo);
  MDLcd = AddDisplay("MDLcd", 300, 340, 141, 129, mdDigit);
  MonitorDisplay9 = AddDisplay("MonitorDisplay9", 120, 188, 97, 149, mdMeter);
  MonitorDisplay9->setSignalValueMin(0);
  MonitorDisplay9->setSignalValueMax(150);
  MonitorDisplay8 = AddDisplay("MonitorDisplay8", 444, 340, 157, 129, mdHalfM);
  MonitorDisplay10 = AddDisplay("MonitorDisplay10", 544, 44, 57, 293, mdVBarL);
  MonitorDisplay10->setSignalCaption("Sign 1");
  MonitorDisplay10->setSignalDesc("Desc 1");
  for (TMonitorDisplay* d : Displays()) d->Loaded();

  TimerVal = new QTimer(this);
  TimerVal->setInterval(1000);
  connect(TimerVal, &QTimer::timeout, this, [this] { TimerValTimer(); });
  AddComponent(TimerVal);
  TimerAni = new QTimer(this);
  TimerAni->setInterval(100);
  connect(TimerAni, &QTimer::timeout, this, [this] { TimerAniTimer(); });
  AddComponent(TimerAni);
  TimerVal->start();
  TimerAni->start();

  FormResizer1 = new TFormResizer(this);
  FormResizer1->setMinFormHeight(200);
  FormResizer1->setMinFormWidth(300);
  AddComponent(FormResizer1);
  // Captures the layout at the design size; later sizes scale from it.
  FormResizer1->Resize();
}

TMonitorDisplay* TFormMeasDisp::AddDisplay(const char* name, int x, int y, int w, int h,
                                           TMeasureDisplayStyle style) {
  auto* d = new TMonitorDisplay(this);
  d->setObjectName(name);
  d->BeginLoad();
  d->setGeometry(x, y, w, h);
  d->setDisplayStyle(style);
  d->setBorderStyle(mdbBoxRaised);
  d->setSignalCaption("Segnale 1");
  d->setSignalDesc("Descrizione 1");
  d->setSignalColor(clLime);
  d->SignalID = 0;
  d->setSignalState("LAV");
  d->setSignalValueMin(-50);
  d->setSignalValueMax(150);
  d->Font().SetName("Arial");
  d->Font().SetHeight(-11);
  d->Font().SetColor(clNavy);
  AddComponent(d);
  return d;
}

QList<TMonitorDisplay*> TFormMeasDisp::Displays() const {
  QList<TMonitorDisplay*> list;
  for (QObject* o : Components())
    if (auto* d = qobject_cast<TMonitorDisplay*>(o)) list.append(d);
  return list;
}

void TFormMeasDisp::TimerValTimer() {
  for (TMonitorDisplay* d : Displays()) {
    // At or past the top the ramp starts again, whatever value it was given.
    if (d->SignalValue() >= 150) d->setSignalValue(-50);
    d->setSignalValue(d->SignalValue() + 5);
  }
}

void TFormMeasDisp::TimerAniTimer() { MDAni->Animate(); }

void TFormMeasDisp::ColorComboBox2Change() {
  const TColor c = ColorComboBox2->ColorValue();
  for (TMonitorDisplay* d : Displays()) d->setColor(c);
}

void TFormMeasDisp::ColorComboBox1Change() {
  const TColor c = ColorComboBox1->ColorValue();
  for (TMonitorDisplay* d : Displays()) d->setSignalColor(c);
}

void TFormMeasDisp::CheckBox1Click() {
  const bool stop = CheckBox1->isChecked();
  for (TMonitorDisplay* d : Displays()) {
    d->setSignalStop(stop);
    d->setSignalState(stop ? "STOP" : "LAV");
  }
}

void TFormMeasDisp::CheckBox2Click() {
  for (TMonitorDisplay* d : Displays()) d->setShowValue(CheckBox2->isChecked());
}

void TFormMeasDisp::showEvent(QShowEvent* e) {
  TForm::showEvent(e);
  TimerVal->start();
  TimerAni->start();
}

void TFormMeasDisp::resizeEvent(QResizeEvent* e) {
  TForm::resizeEvent(e);
  if (FormResizer1) FormResizer1->Resize();
}

void RegisterDemo_measure() {
  RegisterDemoWindow("TFormMeasDisp", []() -> TForm* { return new TFormMeasDisp(); });
}

}  // namespace Tarnwell

TARNWELL_LIBRARY_RESOURCES(tarnwell_demo_measure)
