// The failure family: every failure the tool raises is an Exception carrying one
// message, held as 8-bit text in the ANSI code page. The subclasses only say what
// kind of failure it was; the error box and the last-resort report use that kind.
#pragma once

#include <stdexcept>
#include <string>

namespace tiermend {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& message() const noexcept { return message_; }
  // The kind's name as the last-resort report shows it.
  virtual const char* className() const noexcept { return "Exception"; }

 private:
  std::string message_;
};

// A silent abort: never shown to the user.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
  const char* className() const noexcept override { return "EAbort"; }
};

// A failed file operation, with the Windows error code its message comes from.
class EInOutError : public Exception {
 public:
  explicit EInOutError(int errorCode);
  // With a message of its own that says more, such as which file failed.
  EInOutError(int errorCode, std::string message);
  int errorCode() const noexcept { return errorCode_; }
  const char* className() const noexcept override { return "EInOutError"; }

 private:
  int errorCode_;
};

// The message that an input/output error code leads to.
std::string inOutErrorMessage(int errorCode);

// An index outside a list: "List index out of bounds (%d)".
class EListError : public Exception {
 public:
  explicit EListError(long long index);
  const char* className() const noexcept override { return "EListError"; }

 protected:
  EListError(long long index, int);
};

class EStringListError : public EListError {
 public:
  explicit EStringListError(long long index) : EListError(index, 0) {}
  const char* className() const noexcept override { return "EStringListError"; }
};

// A failure of the data components themselves (field conversions, rowset state).
class EDatabaseError : public Exception {
 public:
  using Exception::Exception;
  const char* className() const noexcept override { return "EDatabaseError"; }
};

// A failure reported by a database engine, with the engine's own description.
class EOleException : public Exception {
 public:
  using Exception::Exception;
  const char* className() const noexcept override { return "EOleException"; }
};

// A text that could not be converted to a date, a time or a number.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
  const char* className() const noexcept override { return "EConvertError"; }
};

}  // namespace tiermend
