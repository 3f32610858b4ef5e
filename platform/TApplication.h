#pragma once
// The application object. An exception that escapes an event handler is
// caught here and passed to the exception handler (TExceptions.h; by default
// a message box through the dialog hook): Qt never sees an exception cross
// its event loop. Programs need not use it: components contain the
// exceptions of their own event handlers (see TExceptions.h).

#include <QApplication>
#include <functional>

#include "TEnvironment.h"
#include "TInitialize.h"  // InitializeTarnwell(), declared for every family
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// The application object: an exception that escapes any event handler is passed to the exception
// handler instead of crossing Qt's event loop.
class TARNWELL_PLATFORM_EXPORT TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // The message-box exception handler: calls OnException when assigned,
  // otherwise shows the message with MessageDlg(mtError). Installed by
  // InitializeTarnwell() and by this class when no handler is set.
  static void HandleException(const QString& message);
  static std::function<void(const QString&)> OnException;
};

// The look the components were drawn for: the Fusion style and the classic
// 8-point sans-serif font as application font. The showcase and the tests use
// it; a host program calls it only if it wants that look.
TARNWELL_PLATFORM_EXPORT void ApplyClassicLook();

}  // namespace Tarnwell
