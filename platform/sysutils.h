// The exception classes of our run-time library: the base every error derives from, and the
// few kinds the system raises or expects from the platform.
#pragma once

#include <exception>
#include <string>

namespace platform {

/// Base of every exception of the system; carries a message text only.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

/// A persistent object was asked to copy itself into an object of another class.
class EConvertError : public Exception {
  using Exception::Exception;
};

/// A file stream could not be created, opened or written.
class EStreamError : public Exception {
  using Exception::Exception;
};
class EFCreateError : public EStreamError {
  using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
  using EStreamError::EStreamError;
};

/// The run-time library's input/output error (a failed change of the current folder).
class EInOutError : public Exception {
 public:
  EInOutError(std::string message, int errorCode)
      : Exception(std::move(message)), ErrorCode(errorCode) {}
  int ErrorCode;
};

/// Silent exception: ends an operation without any message being shown.
class EAbort : public Exception {
  using Exception::Exception;
};

}  // namespace platform
