#pragma once
// The application object. An exception that escapes an event handler is
// caught here and its message shown in a message box (through the dialog
// hook): Qt never sees an exception cross its event loop.

#include <QApplication>
#include <functional>

namespace Tarnwell {

class TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // Called with the message of every exception caught in notify(); the
  // default shows it with MessageDlg(mtError).
  static void HandleException(const QString& message);
  static std::function<void(const QString&)> OnException;
  // How many exceptions were handled so far.
  static int HandledCount();
};

// Shared start-up for programs and tests: fonts, palette, style.
void InitializeTarnwell();

}  // namespace Tarnwell
