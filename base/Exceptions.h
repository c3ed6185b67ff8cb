// Exception classes shared by every layer. Messages are the texts shown to the
// user by the application's general error box.
#pragma once

#include <stdexcept>
#include <string>

namespace tazu {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// The silent exception: it unwinds a handler and shows no message.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
};

// Stream failures, with the texts the streams have always used.
class EStreamError : public Exception {
 public:
  using Exception::Exception;
};
class EReadError : public EStreamError {
 public:
  EReadError() : EStreamError("Stream read error") {}
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
 public:
  EWriteError() : EStreamError("Stream write error") {}
  using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
 public:
  explicit EFOpenError(const std::string& fileName)
      : EStreamError("Cannot open file " + fileName) {}
};
class EFCreateError : public EStreamError {
 public:
  explicit EFCreateError(const std::string& fileName)
      : EStreamError("Cannot create file " + fileName) {}
};

// A picture file that cannot be decoded.
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace tazu
