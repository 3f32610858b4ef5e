#pragma once
// Failures are exceptions that carry a message.
//
// An exception thrown by a handler of a component's event (a connected slot
// or an assigned OnFoo) never crosses Qt's event loop: the component catches
// it where it fires the event and passes it to the exception handler below.
// A program chooses the handler with SetExceptionHandler; InitializeTarnwell()
// installs one that shows the message in a message box when none is set, and
// without either the message goes to the Qt log (qCritical). TApplication
// additionally catches what escapes any other event handler.

#include <QString>
#include <functional>
#include <stdexcept>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// The base of the exceptions the components throw; carries the message.
class TARNWELL_PLATFORMCORE_EXPORT ETarnwellError : public std::runtime_error {
 public:
  explicit ETarnwellError(const QString& msg) : std::runtime_error(msg.toStdString()), mMessage(msg) {}
  const QString& Message() const { return mMessage; }

 private:
  QString mMessage;
};

// A named resource picture or string that the program does not have.
class TARNWELL_PLATFORMCORE_EXPORT EResNotFound : public ETarnwellError {
 public:
  using ETarnwellError::ETarnwellError;
};

// A text or value that cannot be converted to what was asked: a colour name, a number, a time.
class TARNWELL_PLATFORMCORE_EXPORT EConvertError : public ETarnwellError {
 public:
  using ETarnwellError::ETarnwellError;
};

// An operation that cannot be done in the object's present state (a report already being
// produced, nothing to save).
class TARNWELL_PLATFORMCORE_EXPORT EInvalidOperation : public ETarnwellError {
 public:
  using ETarnwellError::ETarnwellError;
};

// Reading or writing files and streams.
class TARNWELL_PLATFORMCORE_EXPORT EStreamError : public ETarnwellError {
 public:
  using ETarnwellError::ETarnwellError;
};

using TExceptionHandler = std::function<void(const QString& message)>;
// Replaces the handler; returns the previous one (empty: the Qt log).
TARNWELL_PLATFORMCORE_EXPORT TExceptionHandler SetExceptionHandler(TExceptionHandler handler);
TARNWELL_PLATFORMCORE_EXPORT bool HasExceptionHandler();
// The message of the exception being handled; call inside a catch block.
TARNWELL_PLATFORMCORE_EXPORT QString CurrentExceptionMessage();
// Passes the exception being handled to the handler; call inside a catch
// block. Never throws: an exception from the handler itself is logged.
TARNWELL_PLATFORMCORE_EXPORT void HandleCurrentException() noexcept;
TARNWELL_PLATFORMCORE_EXPORT void HandleExceptionMessage(const QString& message) noexcept;

}  // namespace Tarnwell
