// Messages of the failure kinds that carry a code or an index.
#include "platform/Exceptions.h"

namespace tiermend {

std::string inOutErrorMessage(int errorCode) {
  switch (errorCode) {
    case 2:
      return "File not found";
    case 3:
      return "Invalid filename";
    case 4:
      return "Too many open files";
    case 5:
      return "File access denied";
    case 100:
      return "Read beyond end of file";
    case 101:
      return "Disk full";
    case 106:
      return "Invalid numeric input";
    default:
      return "I/O error " + std::to_string(errorCode);
  }
}

EInOutError::EInOutError(int errorCode)
    : Exception(inOutErrorMessage(errorCode)), errorCode_(errorCode) {}
EInOutError::EInOutError(int errorCode, std::string message)
    : Exception(std::move(message)), errorCode_(errorCode) {}

static std::string listIndexMessage(long long index) {
  return "List index out of bounds (" + std::to_string(index) + ")";
}

EListError::EListError(long long index) : Exception(listIndexMessage(index)) {}
EListError::EListError(long long index, int) : Exception(listIndexMessage(index)) {}

}  // namespace tiermend
