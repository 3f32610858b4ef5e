// An instrument panel: a meter, a thermometer, a level bar and a digit
// counter fed by one value that a timer moves, with a colour combo box that
// sets the signal colour of all four. `gauges --check` sets a few
// values off screen, checks that each display repaints what it shows, and exits.
#include <QApplication>
#include <QGridLayout>
#include <QImage>
#include <QTimer>
#include <cstdio>

#include <Tarnwell/measure/MoniDisp.h>
#include <Tarnwell/platform/TApplication.h>
#include <Tarnwell/visuals/ColCbBox.h>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Tarnwell::InitializeTarnwell();
  using namespace Tarnwell::MoniDisp;

  QWidget panel;
  auto* grid = new QGridLayout(&panel);
  QList<Tarnwell::TMonitorDisplay*> displays;
  const TMeasureDisplayStyle styles[] = {mdMeter, mdTermo, mdLevel, mdDigit};
  const char* captions[] = {"Pressione", "Temperatura", "Livello", "Pezzi"};
  for (int i = 0; i < 4; ++i) {
    auto* d = new Tarnwell::TMonitorDisplay;
    d->setDisplayStyle(styles[i]);
    d->setSignalCaption(QString::fromLatin1(captions[i]));
    d->setSignalColor(QColor(0, 200, 0));
    d->setMinimumSize(140, 160);
    grid->addWidget(d, 0, i);
    displays << d;
  }
  auto* colour = new Tarnwell::TColorComboBox;
  grid->addWidget(colour, 1, 0, 1, 2);
  QObject::connect(colour, &Tarnwell::TColorComboBox::ColorValueChanged, [&](const QColor& c) {
    for (auto* d : displays) d->setSignalColor(c);
  });
  QTimer ramp;
  int value = 0;
  QObject::connect(&ramp, &QTimer::timeout, [&] {
    value = (value + 5) % 100;
    for (auto* d : displays) d->setSignalValue(value);
  });
  ramp.start(100);
  panel.show();

  if (argc > 1 && QByteArray(argv[1]) == "--check") {
    ramp.stop();
    QCoreApplication::processEvents();
    int changed = 0;
    for (auto* d : displays) {
      d->setSignalValue(10);
      const QImage low = d->grab().toImage();
      d->setSignalValue(90);
      const QImage high = d->grab().toImage();
      changed += low != high;
    }
    colour->setColorValue(QColor(255, 0, 0));
    const bool recoloured = displays.front()->SignalColorQColor() == QColor(255, 0, 0);
    std::printf("%d of %d displays show the new value; colour %s\n", changed, int(displays.size()),
                recoloured ? "follows the combo" : "did not change");
    return changed == int(displays.size()) && recoloured ? 0 : 1;
  }
  return app.exec();
}
