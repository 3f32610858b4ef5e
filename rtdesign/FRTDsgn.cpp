#include "FRTDsgn.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QVBoxLayout>
#include <cmath>

#include <Tarnwell/app/DemoRegistry.h>
#include <Tarnwell/platform/TPixelRatio.h>

namespace Tarnwell {

using namespace Measdisp;

TFormRTDesign::TFormRTDesign(QWidget* parent) : TForm(parent) {
  SetCaption(QStringLiteral("Run Time Designing"));
  setObjectName(QStringLiteral("FormRTDesign"));
  TFont formFont;
  formFont.SetName("MS Sans Serif");
  formFont.SetHeight(-11);
  setFont(formFont.ToQFont());
  SetDesignSize(449, 226);

  Label1 = new QLabel(QStringLiteral("Label1"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(8, 8, 121, 33);
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setAutoFillBackground(true);
  {
    QPalette p = Label1->palette();
    p.setColor(QPalette::Window, ToQColor(clTeal));
    p.setColor(QPalette::WindowText, ToQColor(clWhite));
    Label1->setPalette(p);
  }
  Label1->setMouseTracking(true);
  Label1->installEventFilter(this);

  MeasureDisplay1 = new TMeasureDisplay(this);
  MeasureDisplay1->setObjectName(QStringLiteral("MeasureDisplay1"));
  MeasureDisplay1->setGeometry(8, 48, 121, 121);
  MeasureDisplay1->setDisplayStyle(mdAnima);
  MeasureDisplay1->setControlName(QStringLiteral("Anima"));
  MeasureDisplay1->setAnimImage(AnimationStrip());

  MeasureDisplay2 = new TMeasureDisplay(this);
  MeasureDisplay2->setObjectName(QStringLiteral("MeasureDisplay2"));
  MeasureDisplay2->setGeometry(136, 8, 49, 161);
  MeasureDisplay2->setDisplayStyle(mdTermo);
  MeasureDisplay2->setControlName(QStringLiteral("Temp"));
  MeasureDisplay2->setControlValue(60);

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(192, 8, 97, 97);
  Image1->setPixmap(QPixmap::fromImage(Picture(devicePixelRatioF())));  // for the screen it opens on
  Image1->setScaledContents(true);

  Button1 = new QPushButton(QStringLiteral("Button1"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(192, 112, 75, 25);

  Edit1 = new QLineEdit(QStringLiteral("Edit1"), this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setGeometry(192, 144, 97, 21);

  Memo1 = new QPlainTextEdit(QStringLiteral("Memo1"), this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setGeometry(296, 8, 145, 161);

  CheckBox1 = new QCheckBox(
      QStringLiteral("Design Mode Enabled (This Check can't be changed because it has Tag < 0) "), this);
  CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
  CheckBox1->setGeometry(8, 178, 433, 17);
  CheckBox1->setProperty("Tag", -1);
  connect(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });

  // Placed by the layout along the bottom edge: aligned, so not designed.
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setSizeGripEnabled(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addStretch(1);
  layout->addWidget(StatusBar1);

  DesignAtRunTime1 = new TDesignAtRunTime(this);
  DesignAtRunTime1->setObjectName(QStringLiteral("DesignAtRunTime1"));
  DesignAtRunTime1->setGridSize(4);
  DesignAtRunTime1->setChangeEnabled(true);
  DesignAtRunTime1->OnBeginChange = [this](TObject*) { StatusBar1->showMessage(QStringLiteral("Begin Change")); };
  DesignAtRunTime1->OnChange = [this](TObject*) { StatusBar1->showMessage(QStringLiteral("Changing...")); };
  DesignAtRunTime1->OnEndChange = [this](TObject*) { StatusBar1->showMessage(QStringLiteral("End Change")); };
  DesignAtRunTime1->OnMouseRight = [this](TObject*) { StatusBar1->showMessage(QStringLiteral("Right Down")); };

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(100);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

  for (QObject* c : std::initializer_list<QObject*>{Label1, MeasureDisplay1, MeasureDisplay2, Image1, Button1, Edit1,
                                                    Memo1, CheckBox1, StatusBar1, DesignAtRunTime1, Timer1})
    AddComponent(c);
}

void TFormRTDesign::Label1MouseMove() {
  Label1->setText(QString::number(QRandomGenerator::global()->bounded(10)));
}

void TFormRTDesign::CheckBox1Click() { DesignAtRunTime1->setActive(CheckBox1->isChecked()); }

void TFormRTDesign::Timer1Timer() { MeasureDisplay1->Animate(); }

bool TFormRTDesign::eventFilter(QObject* watched, QEvent* e) {
  if (watched == Label1 && e->type() == QEvent::MouseMove) Label1MouseMove();
  return TForm::eventFilter(watched, e);
}

void TFormRTDesign::showEvent(QShowEvent* e) {
  TForm::showEvent(e);
  Timer1->start();
}

void TFormRTDesign::FormClose(TCloseAction& action) {
  Timer1->stop();
  TForm::FormClose(action);
}

QImage TFormRTDesign::AnimationStrip() {
  // Twelve 32 x 32 frames of a turning three-bladed fan; the white of the
  // bottom-left pixel is the strip's background, shown in the display's colour.
  const int n = 12, s = 32;
  QImage img(n * s, s, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  for (int i = 0; i < n; ++i) {
    p.save();
    p.translate(i * s + s / 2.0, s / 2.0);
    p.setPen(QPen(QColor(0, 0, 128), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(0, 0), 14, 14);
    p.rotate(i * 360.0 / n / 3.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 128, 128));
    for (int b = 0; b < 3; ++b) {
      QPainterPath blade;
      blade.moveTo(0, 0);
      blade.cubicTo(3, -4, 4, -10, 0, -12);
      blade.cubicTo(-3, -10, -3, -4, 0, 0);
      p.drawPath(blade);
      p.rotate(120);
    }
    p.setBrush(QColor(0, 0, 128));
    p.drawEllipse(QPointF(0, 0), 2.5, 2.5);
    p.restore();
  }
  p.end();
  // The corner the display reads its background from stays plain white.
  img.setPixel(0, s - 1, qRgb(255, 255, 255));
  return img;
}

QImage TFormRTDesign::Picture(qreal ratio) {
  // A small landscape: sky, sun, two hills and a lake.
  const int s = 97;
  QImage img(InDevicePixels(QSize(s, s), ratio), QImage::Format_RGB32);
  img.setDevicePixelRatio(ratio);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, s * 0.6);
  sky.setColorAt(0, QColor(70, 130, 200));
  sky.setColorAt(1, QColor(190, 220, 245));
  p.fillRect(QRect(0, 0, s, s), sky);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(250, 210, 60));
  p.drawEllipse(QPointF(70, 22), 11, 11);
  p.setBrush(QColor(60, 130, 60));
  QPainterPath hills;
  hills.moveTo(0, 62);
  hills.cubicTo(20, 40, 40, 42, 56, 60);
  hills.cubicTo(70, 46, 86, 44, s, 56);
  hills.lineTo(s, s);
  hills.lineTo(0, s);
  hills.closeSubpath();
  p.drawPath(hills);
  p.setBrush(QColor(40, 90, 170));
  p.drawEllipse(QRectF(14, 72, 58, 16));
  p.end();
  return img;
}

void RegisterDemo_rtdesign() {
  RegisterDemoWindow("TFormRTDesign", []() -> TForm* { return new TFormRTDesign(); });
}

}  // namespace Tarnwell
