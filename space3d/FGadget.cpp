#include "FGadget.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <utility>
#include <QTimer>
#include <QVBoxLayout>

#include "Loader3D.h"
#include "Polygon.h"
#include <Tarnwell/platform/TFormSize.h>
#include <Tarnwell/platform/TDialogs.h>
#include "View3D.h"

#include <Tarnwell/platform/TResources.h>

#include <Tarnwell/app/DemoRegistry.h>

namespace Tarnwell {

QString FindDemoModel() {
  const QString name = QStringLiteral("Demo.DDD");
  const QString beside = QCoreApplication::applicationDirPath() + '/' + name;
  if (QFileInfo(beside).isFile()) return beside;
  const QString data = QStandardPaths::locate(QStandardPaths::AppDataLocation, name);
  if (!data.isEmpty()) return data;
  const QString shared =
      QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tarnwell/") + name;
  if (QFileInfo(shared).isFile()) return QFileInfo(shared).canonicalFilePath();
  return QStringLiteral(":/models/") + name;
}

namespace {
QSlider* TrackBar(QWidget* parent, int lo, int hi, int pos) {
  auto* t = new QSlider(Qt::Horizontal, parent);
  t->setRange(lo, hi);
  t->setValue(pos);
  t->setTickPosition(QSlider::TicksBelow);
  t->setTickInterval(1);
  t->setPageStep(1);
  return t;
}

QScrollBar* ColourBar(QWidget* parent) {
  auto* s = new QScrollBar(Qt::Horizontal, parent);
  s->setRange(0, 255);
  s->setValue(255);
  return s;
}
}  // namespace

TFormGadget::TFormGadget(QWidget* parent) : TForm(parent) {
  SetCaption(QStringLiteral("Gadget"));
  setBorderIcons(biSystemMenu | biMinimize);
  SetDesignOuterSize(this, 473, 332);
  setWindowFlags(windowFlags() | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  PageControl = new QTabWidget(this);
  outer->addWidget(PageControl);
  AddComponent(PageControl);

  // Page "Bezier": the polygon above its settings.
  auto* bezierPage = new QWidget;
  auto* bezierLayout = new QVBoxLayout(bezierPage);
  bezierLayout->setContentsMargins(0, 0, 0, 0);
  bezierLayout->setSpacing(0);
  Polygon = new TAnimatedPolygon(bezierPage);
  Polygon->setObjectName("Polygon");
  bezierLayout->addWidget(Polygon, 1);
  auto* bezierPanel = new QWidget(bezierPage);
  auto* bp = new QHBoxLayout(bezierPanel);
  bp->setContentsMargins(6, 4, 6, 4);
  TrackBar1 = TrackBar(bezierPanel, 1, 10, 1);
  TrackBar2 = TrackBar(bezierPanel, 3, 30, 3);
  UpDown1 = new QSpinBox(bezierPanel);
  UpDown1->setRange(20, 200);
  UpDown1->setSingleStep(20);
  UpDown1->setValue(50);
  bp->addWidget(TrackBar1);
  bp->addWidget(TrackBar2);
  bp->addWidget(UpDown1);
  bezierLayout->addWidget(bezierPanel);
  PageControl->addTab(bezierPage, QStringLiteral("Bezier"));

  Polygon->setLineColor(clRed);
  Polygon->setBackColor(clBlack);
  Polygon->setLines(6);
  Polygon->setLates(8);
  Polygon->setBezier(true);
  connect(TrackBar1, &QSlider::valueChanged, Polygon, &TAnimatedPolygon::setLines);
  connect(TrackBar2, &QSlider::valueChanged, Polygon, &TAnimatedPolygon::setLates);
  connect(UpDown1, &QSpinBox::valueChanged, Polygon, &TAnimatedPolygon::setVelocity);

  // Page "3D View": the viewer above its settings.
  auto* viewPage = new QWidget;
  auto* viewLayout = new QVBoxLayout(viewPage);
  viewLayout->setContentsMargins(0, 0, 0, 0);
  viewLayout->setSpacing(0);
  Space3DViewer = new TSpace3DViewer(viewPage);
  Space3DViewer->setObjectName("Space3DViewer");
  viewLayout->addWidget(Space3DViewer, 1);
  auto* viewPanel = new QWidget(viewPage);
  auto* grid = new QGridLayout(viewPanel);
  grid->setContentsMargins(6, 2, 6, 2);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(0);
  CheckBoxRealTime = new QCheckBox(QStringLiteral("RealTime Render"), viewPanel);
  CheckBoxRealTime->setChecked(true);
  TrackBarRenderLevel = TrackBar(viewPanel, 0, 5, 1);
  CheckBoxPerspect = new QCheckBox(QStringLiteral("Perspect"), viewPanel);
  CheckBoxPerspect->setChecked(true);
  TrackBarPerspect = TrackBar(viewPanel, 1, 20, 2);
  ScrollBarRed = ColourBar(viewPanel);
  ScrollBarGreen = ColourBar(viewPanel);
  ScrollBarBlue = ColourBar(viewPanel);
  LabelFPS = new QLabel(QStringLiteral("00.0000"), viewPanel);
  grid->addWidget(CheckBoxRealTime, 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("Render Level"), viewPanel), 1, 0);
  grid->addWidget(TrackBarRenderLevel, 2, 0);
  grid->addWidget(CheckBoxPerspect, 0, 1);
  grid->addWidget(TrackBarPerspect, 1, 1, 2, 1);
  grid->addWidget(new QLabel(QStringLiteral("Red"), viewPanel), 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("Green"), viewPanel), 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Blue"), viewPanel), 2, 2);
  grid->addWidget(ScrollBarRed, 0, 3);
  grid->addWidget(ScrollBarGreen, 1, 3);
  grid->addWidget(ScrollBarBlue, 2, 3);
  grid->addWidget(new QLabel(QStringLiteral("FPS"), viewPanel), 0, 4);
  grid->addWidget(LabelFPS, 1, 4);
  grid->setColumnStretch(3, 1);
  viewLayout->addWidget(viewPanel);
  PageControl->addTab(viewPage, QStringLiteral("3D View"));

  // The window frames the model itself, by its distance.
  Space3DViewer->setAutoFit(false);
  Space3DViewer->setDistance(20);
  Space3DViewer->setRenderStyle(rsWireFrame);
  Space3DViewer->setPerspectRatio(10);
  Space3DViewer->setPerspectActive(true);
  Space3DViewer->setAmbientLight(clRed);
  Space3DViewer->setRealTime(true);
  Space3DViewer->setCtrlEnabled(true);
  Space3DViewer->setColor(clBlack);
  // The model is loaded here, once; showing the window only makes it visible.
  try {
    Space3DViewer->setFileName(FindDemoModel());
  } catch (const ETarnwellError& e) {
    MessageDlg(e.Message(), mtError, mbOK);
  }
  if (!Space3DViewer->LoadError().isEmpty()) MessageDlg(Space3DViewer->LoadError(), mtWarning, mbOK);

  SyncControls();
  connect(CheckBoxRealTime, &QCheckBox::toggled, Space3DViewer, &TSpace3DViewer::setRealTime);
  connect(TrackBarRenderLevel, &QSlider::valueChanged, Space3DViewer, &TSpace3DViewer::setRenderLevel);
  connect(CheckBoxPerspect, &QCheckBox::toggled, Space3DViewer, &TSpace3DViewer::setPerspectActive);
  connect(TrackBarPerspect, &QSlider::valueChanged, this,
          [this](int v) { Space3DViewer->setPerspectRatio(5 * v); });
  for (QScrollBar* s : {ScrollBarRed, ScrollBarGreen, ScrollBarBlue})
    connect(s, &QScrollBar::valueChanged, this, [this] { AmbientChanged(); });
  connect(Space3DViewer, &TSpace3DViewer::Renderized, this, [this](QObject*, float fps) {
    LabelFPS->setText(QString::number(double(fps), 'f', 4).rightJustified(7, '0'));
  });
  connect(Space3DViewer, &TSpace3DViewer::MouseDown, this, [this] { SetTimers(false); });
  connect(Space3DViewer, &TSpace3DViewer::MouseUp, this, [this] { SetTimers(true); });

  TimerAniX = new QTimer(this);
  TimerAniX->setInterval(70);
  connect(TimerAniX, &QTimer::timeout, this, [this] { Space3DViewer->Rotate(StepX, 0, 0); });
  TimerAniY = new QTimer(this);
  TimerAniY->setInterval(70);
  connect(TimerAniY, &QTimer::timeout, this, [this] { Space3DViewer->Rotate(0, StepY, 0); });
  TimerRand = new QTimer(this);
  TimerRand->setInterval(2000);
  connect(TimerRand, &QTimer::timeout, this, [this] {
    StepX = QRandomGenerator::global()->bounded(-10, 10);
    StepY = QRandomGenerator::global()->bounded(-10, 10);
  });
  connect(PageControl, &QTabWidget::currentChanged, this, [this] { PageChanged(); });

  // Every control answers to its design name: scripts, the snapshot tool's
  // clicks and assistive technology find it by that name.
  const std::pair<QObject*, const char*> names[] = {
      {PageControl, "PageControl"},       {TrackBar1, "TrackBar1"},
      {TrackBar2, "TrackBar2"},           {UpDown1, "UpDown1"},
      {CheckBoxRealTime, "CheckBoxRealTime"}, {TrackBarRenderLevel, "TrackBarRenderLevel"},
      {CheckBoxPerspect, "CheckBoxPerspect"}, {TrackBarPerspect, "TrackBarPerspect"},
      {ScrollBarRed, "ScrollBarRed"},     {ScrollBarGreen, "ScrollBarGreen"},
      {ScrollBarBlue, "ScrollBarBlue"},   {LabelFPS, "LabelFPS"},
      {TimerAniX, "TimerAniX"},           {TimerAniY, "TimerAniY"},
      {TimerRand, "TimerRand"}};
  for (const auto& [c, n] : names) c->setObjectName(QLatin1String(n));
  for (QObject* c : std::initializer_list<QObject*>{Polygon, TrackBar1, TrackBar2, UpDown1, Space3DViewer,
                                                    CheckBoxRealTime, TrackBarRenderLevel, CheckBoxPerspect,
                                                    TrackBarPerspect, ScrollBarRed, ScrollBarGreen,
                                                    ScrollBarBlue, LabelFPS, TimerAniX, TimerAniY, TimerRand})
    AddComponent(c);
}

TFormGadget::~TFormGadget() { SetTimers(false); }

void TFormGadget::showEvent(QShowEvent* e) {
  TForm::showEvent(e);
  if (mShown) return;
  mShown = true;
  StepX = 0;
  StepY = 8;
  Space3DViewer->ShowObject(nullptr);
  PageChanged();
}

void TFormGadget::PageChanged() {
  const bool bezier = PageControl->currentIndex() == 0;
  Polygon->setActive(bezier);
  SetTimers(!bezier);
}

void TFormGadget::SetTimers(bool on) {
  if (!TimerAniX) return;
  for (QTimer* t : {TimerAniX, TimerAniY, TimerRand}) {
    if (on && !t->isActive())
      t->start();
    else if (!on)
      t->stop();
  }
}

// The designed positions of the settings do not all match the designed
// values of what they set (the polygon's lines and lates, the ambient
// light's green and blue): the controls show the values in force.
void TFormGadget::SyncControls() {
  const QSignalBlocker b1(TrackBar1), b2(TrackBar2), b3(UpDown1), b4(CheckBoxRealTime), b5(TrackBarRenderLevel),
      b6(CheckBoxPerspect), b7(TrackBarPerspect), b8(ScrollBarRed), b9(ScrollBarGreen), b10(ScrollBarBlue);
  TrackBar1->setValue(Polygon->Lines());
  TrackBar2->setValue(Polygon->Lates());
  UpDown1->setValue(Polygon->Velocity());
  CheckBoxRealTime->setChecked(Space3DViewer->RealTime());
  TrackBarRenderLevel->setValue(Space3DViewer->RenderLevel());
  CheckBoxPerspect->setChecked(Space3DViewer->PerspectActive());
  TrackBarPerspect->setValue((Space3DViewer->PerspectRatio() + 2) / 5);
  const TColor light = Space3DViewer->AmbientLight();
  ScrollBarRed->setValue(GetRValue(light));
  ScrollBarGreen->setValue(GetGValue(light));
  ScrollBarBlue->setValue(GetBValue(light));
}

void TFormGadget::AmbientChanged() {
  Space3DViewer->setAmbientLight(RGB(ScrollBarRed->value(), ScrollBarGreen->value(), ScrollBarBlue->value()));
}

void RegisterDemo_space3d() {
  RegisterDemoWindow("TFormGadget", []() -> TForm* { return new TFormGadget(); });
}

}  // namespace Tarnwell

TARNWELL_LIBRARY_RESOURCES(tarnwell_demo_space3d)
