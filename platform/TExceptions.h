#pragma once
// Failures are exceptions that carry a message; the application shows an
// unhandled one in a message box (see TApplication).

#include <QString>
#include <stdexcept>

namespace Tarnwell {

class ETarnwellError : public std::runtime_error {
 public:
  explicit ETarnwellError(const QString& msg) : std::runtime_error(msg.toStdString()), mMessage(msg) {}
  const QString& Message() const { return mMessage; }

 private:
  QString mMessage;
};

// A named resource picture or string that the program does not have.
class EResNotFound : public ETarnwellError {
 public:
  using ETarnwellError::ETarnwellError;
};

class EConvertError : public ETarnwellError {
 public:
  using ETarnwellError::ETarnwellError;
};

class EInvalidOperation : public ETarnwellError {
 public:
  using ETarnwellError::ETarnwellError;
};

// Reading or writing files and streams.
class EStreamError : public ETarnwellError {
 public:
  using ETarnwellError::ETarnwellError;
};

}  // namespace Tarnwell
