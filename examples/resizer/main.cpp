// A window whose controls grow with it: a form resizer scales the position,
// size and font of every control of its form in proportion to the window.
// `resizer --check` doubles the window off screen, checks a button's bounds
// and font followed, and exits.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <cstdio>

#include <Tarnwell/platform/TApplication.h>
#include <Tarnwell/platform/TControls.h>
#include <Tarnwell/utility/Fresizer.h>

class TScalingForm : public Tarnwell::TForm {
 public:
  TScalingForm() {
    SetCaption(QStringLiteral("Scala"));
    SetDesignSize(300, 120);
    resize(300, 120);
    label = new QLabel(QStringLiteral("Il testo cresce con la finestra"), this);
    label->setGeometry(10, 10, 280, 30);
    button = new QPushButton(QStringLiteral("Chiudi"), this);
    button->setGeometry(100, 60, 100, 30);
    AddComponent(label);
    AddComponent(button);
    resizer = new Tarnwell::TFormResizer(this);
  }
  QLabel* label;
  QPushButton* button;
  Tarnwell::TFormResizer* resizer;

 protected:
  void resizeEvent(QResizeEvent* e) override {
    Tarnwell::TForm::resizeEvent(e);
    resizer->Resize();
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Tarnwell::InitializeTarnwell();
  TScalingForm form;
  form.show();
  QCoreApplication::processEvents();

  if (argc > 1 && QByteArray(argv[1]) == "--check") {
    const QRect before = form.button->geometry();
    const int fontBefore = Tarnwell::TFormResizer::FontSizeOf(form.button);
    form.resize(600, 240);
    QCoreApplication::processEvents();
    const QRect after = form.button->geometry();
    const int fontAfter = Tarnwell::TFormResizer::FontSizeOf(form.button);
    std::printf("button %dx%d+%d+%d -> %dx%d+%d+%d, font %d -> %d pt\n", before.width(), before.height(),
                before.x(), before.y(), after.width(), after.height(), after.x(), after.y(), fontBefore, fontAfter);
    return after.width() >= 2 * before.width() - 2 && after.x() >= 2 * before.x() - 2 && fontAfter > fontBefore ? 0
                                                                                                                 : 1;
  }
  return app.exec();
}
