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
#include "TInitialize_p.h"
#include "TApplication_p.h"

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

int HandledExceptionCount() { return gHandled; }

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    HandleCurrentException();
  }
  return true;
}

// InitializeTarnwell() (in the core part) installs the message box when the
// program has set no handler. The linker keeps this file in every program
// that links the widget part (see the --undefined option of
// tarnwell_platform), so the offer is made before main() runs; the shared
// library is kept in a program linked with --as-needed that calls nothing
// of it directly by PlatformWidgetsAnchor.cpp, compiled into that program.
TARNWELL_PLATFORM_EXPORT void PlatformWidgetsAnchor() {}
namespace {
const bool gOffered = (SetInitialExceptionHandler(&TApplication::HandleException), true);
}  // namespace

void ApplyClassicLook() {
  InstallFontSubstitutes();
  // One look on every machine: the drawing code assumes square, flat widgets.
  if (auto* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) QApplication::setStyle(fusion);
  TFont def;
  QApplication::setFont(def.ToQFont());
}

}  // namespace Tarnwell
