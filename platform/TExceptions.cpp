#include "TExceptions.h"

#include <QtGlobal>
#include <exception>

namespace Tarnwell {

namespace {
TExceptionHandler& Handler() {
  static TExceptionHandler handler;
  return handler;
}
}  // namespace

TExceptionHandler SetExceptionHandler(TExceptionHandler handler) {
  TExceptionHandler old = std::move(Handler());
  Handler() = std::move(handler);
  return old;
}

bool HasExceptionHandler() { return bool(Handler()); }

QString CurrentExceptionMessage() {
  try {
    throw;
  } catch (const ETarnwellError& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QStringLiteral("Unknown error");
  }
}

void HandleExceptionMessage(const QString& message) noexcept {
  try {
    if (Handler()) {
      Handler()(message);
      return;
    }
    qCritical("Tarnwell: %s", qUtf8Printable(message));
  } catch (...) {
    qCritical("Tarnwell: the exception handler failed on: %s", qUtf8Printable(message));
  }
}

void HandleCurrentException() noexcept {
  QString message;
  try {
    message = CurrentExceptionMessage();
  } catch (...) {
    message = QStringLiteral("Unknown error");
  }
  HandleExceptionMessage(message);
}

}  // namespace Tarnwell
