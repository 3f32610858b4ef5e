// A form whose controls the user moves and sizes with the mouse: a designer
// takes the form over while its check box is ticked (the check box itself,
// with a negative Tag, stays out of the design). `formdesign --check` drags
// the button's bottom-right handle off screen, checks the new size snapped
// to the grid, and exits.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <cstdio>

#include <Tarnwell/platform/TApplication.h>
#include <Tarnwell/platform/TControls.h>
#include <Tarnwell/rtdesign/DsgnRunT.h>

namespace {

void Mouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButtons buttons) {
  QMouseEvent e(type, QPointF(p), QPointF(w->mapToGlobal(p)),
                type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Tarnwell::InitializeTarnwell();
  Tarnwell::TForm form;
  form.SetCaption(QStringLiteral("Disegna"));
  form.resize(320, 160);
  auto* button = new QPushButton(QStringLiteral("Pulsante"), &form);
  button->setObjectName(QStringLiteral("Pulsante"));
  button->setGeometry(16, 16, 75, 25);
  auto* edit = new QLineEdit(QStringLiteral("Testo"), &form);
  edit->setObjectName(QStringLiteral("Testo"));
  edit->setGeometry(16, 56, 120, 22);
  auto* design = new QCheckBox(QStringLiteral("Modifica"), &form);
  design->setGeometry(16, 120, 200, 20);
  design->setProperty("Tag", -1);
  auto* designer = new Tarnwell::TDesignAtRunTime(&form);
  designer->setGridSize(4);
  designer->setChangeEnabled(true);
  QObject::connect(design, &QCheckBox::toggled, designer, &Tarnwell::TDesignAtRunTime::setActive);
  form.show();
  QCoreApplication::processEvents();

  if (argc > 1 && QByteArray(argv[1]) == "--check") {
    design->setChecked(true);
    const QRect before = button->geometry();
    const QPoint corner = before.topLeft() + QPoint(before.width(), before.height());
    Mouse(&form, QEvent::MouseButtonPress, corner, Qt::LeftButton);
    Mouse(&form, QEvent::MouseMove, corner + QPoint(10, 10), Qt::LeftButton);
    Mouse(&form, QEvent::MouseButtonRelease, corner + QPoint(10, 10), Qt::NoButton);
    const QRect after = button->geometry();
    design->setChecked(false);
    std::printf("button %dx%d -> %dx%d, enabled again: %s\n", before.width(), before.height(), after.width(),
                after.height(), button->isEnabled() ? "yes" : "no");
    return after.size() == QSize(84, 36) && button->isEnabled() ? 0 : 1;
  }
  return app.exec();
}
