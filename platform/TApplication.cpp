#include "TApplication.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <cstdio>
#include <unistd.h>
#include <QStyleFactory>
#include <exception>

#include "TDialogs.h"
#include "TExceptions.h"
#include "TGraphics.h"

namespace Tarnwell {

std::function<void(const QString&)> TApplication::OnException;

namespace {
int gHandled = 0;
bool gInHandler = false;
}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  if (!HasExceptionHandler()) SetExceptionHandler(&TApplication::HandleException);
}

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
  } catch (...) {
    HandleCurrentException();
  }
  return true;
}

void InitializeTarnwell() {
  InstallFontSubstitutes();
  if (!HasExceptionHandler()) SetExceptionHandler(&TApplication::HandleException);
}

void ApplyClassicLook() {
  InstallFontSubstitutes();
  // One look on every machine: the drawing code assumes square, flat widgets.
  if (auto* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) QApplication::setStyle(fusion);
  TFont def;
  QApplication::setFont(def.ToQFont());
}

}  // namespace Tarnwell
