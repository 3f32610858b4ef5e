#include "TApplication.h"

#include <QFont>
#include <QStyleFactory>
#include <exception>

#include "TDialogs.h"
#include "TGraphics.h"

namespace Tarnwell {

std::function<void(const QString&)> TApplication::OnException;

namespace {
int gHandled = 0;
bool gInHandler = false;
}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void TApplication::HandleException(const QString& message) {
  ++gHandled;
  if (OnException) {
    OnException(message);
    return;
  }
  // An exception raised while its own message box is up is not shown again.
  if (gInHandler) return;
  gInHandler = true;
  MessageDlg(message, mtError, mbOK);
  gInHandler = false;
}

int TApplication::HandledCount() { return gHandled; }

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    HandleException(QString::fromUtf8(e.what()));
  } catch (...) {
    HandleException(QStringLiteral("Unknown error"));
  }
  return true;
}

void InitializeTarnwell() {
  InstallFontSubstitutes();
  QApplication::setApplicationName(QStringLiteral("Tarnwell"));
  // One look on every machine: the drawing code assumes square, flat widgets.
  if (auto* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) QApplication::setStyle(fusion);
  TFont def;
  QApplication::setFont(def.ToQFont());
}

}  // namespace Tarnwell
