// The failure a provider raises when its engine reports an error: the engine's own
// description in UTF-8. The connection and rowset turn it into an EOleException of
// the failure family, in the ANSI code page, with trailing blanks, control
// characters and full stops removed.
#pragma once

#include <stdexcept>
#include <string>

#include "platform/CodePage.h"
#include "platform/Exceptions.h"

namespace tiermend::data {

class EngineError : public std::runtime_error {
 public:
  explicit EngineError(const std::string& utf8Description) : std::runtime_error(utf8Description) {}
};

// A database file that cannot be opened or read, with the Windows error code of the
// failure: the connection raises it as an input/output failure (EInOutError).
class FileError : public EngineError {
 public:
  FileError(const std::string& utf8Description, int errorCode)
      : EngineError(utf8Description), errorCode_(errorCode) {}
  int errorCode() const { return errorCode_; }

 private:
  int errorCode_;
};

// The description as the user sees it: trailing bytes <= 32 and "." removed.
std::string trimEngineDescription(std::string description);

// The failure-family exception for an engine error, converted to the code page.
EOleException toFailure(const EngineError& error, const CodePage& codePage);

// Runs a provider call, turning an engine error into the failure the user sees: the
// one wrapper the connection and the rowset put around every engine call.
// A database file that cannot be opened or read becomes an input/output failure.
template <class Call>
auto callEngine(const CodePage& codePage, Call&& call) {
  try {
    return call();
  } catch (const FileError& error) {
    throw EInOutError(error.errorCode(), codePage.fromUtf8(trimEngineDescription(error.what())));
  } catch (const EngineError& error) {
    throw toFailure(error, codePage);
  }
}

}  // namespace tiermend::data
