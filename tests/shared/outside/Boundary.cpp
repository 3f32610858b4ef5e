// Uses the libraries across their boundary the ways a program does: an
// exception thrown inside one is caught by its base class here, a control is
// found by qobject_cast and dynamic_cast, a signal reaches a lambda and a
// slot connected by name, and the libraries' own pictures were registered
// when they were loaded. Prints one line per failure; exit status 0 = all
// held.
#include <QApplication>
#include <QObject>
#include <cstdio>

#include <Tarnwell/platform/TExceptions.h>
#include <Tarnwell/platform/TInitialize.h>
#include <Tarnwell/platform/TResources.h>
#include <Tarnwell/visuals/GraphLed.h>

using namespace Tarnwell;

namespace {
int failures = 0;
void Check(bool ok, const char* what) {
  if (!ok) {
    std::printf("FAILED: %s\n", what);
    ++failures;
  }
}

class Listener : public QObject {
  Q_OBJECT
 public:
  int calls = 0;
 public slots:
  void Heard() { ++calls; }
};
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  InitializeTarnwell();

  bool caught = false;
  try {
    LoadResourcePicture(QStringLiteral("NoSuchPicture"));
  } catch (const ETarnwellError& e) {
    caught = dynamic_cast<const EResNotFound*>(&e) != nullptr;
  } catch (...) {
  }
  Check(caught, "EResNotFound thrown by the library is caught as ETarnwellError");

  TGraphicLed led;
  QWidget* w = &led;
  Check(qobject_cast<TGraphicLed*>(w) == &led, "qobject_cast<TGraphicLed*>");
  Check(dynamic_cast<TGraphicLed*>(w) == &led, "dynamic_cast<TGraphicLed*>");
  Check(led.metaObject()->className() == QByteArray("Tarnwell::TGraphicLed"), "meta-object of TGraphicLed");

  int lambda = 0;
  QObject::connect(&led, &TGraphicLed::CaptionChanged, [&] { ++lambda; });
  Listener listener;
  Check(QObject::connect(&led, SIGNAL(CaptionChanged(QString)), &listener, SLOT(Heard())) != nullptr,
        "string-based connect to CaptionChanged(QString)");
  led.setCaption(QStringLiteral("Acceso"));
  Check(lambda == 1, "CaptionChanged reaches a lambda connected by member pointer");
  Check(listener.calls == 1, "CaptionChanged reaches a slot connected by name");
  Check(led.setProperty("Checked", true) && led.Checked(), "property set by name");

  Check(HasResourcePicture(QStringLiteral("LEDON")), "the Visuals library's pictures are registered");
  Check(HasResourcePicture(QStringLiteral("PATTERN")), "the Pattern library's pictures are registered");

  std::printf("%s\n", failures ? "boundary checks failed" : "boundary checks passed");
  return failures ? 1 : 0;
}

#include "Boundary.moc"
