// What the tool knows about a failure when it reports it, and the text of the
// last-resort report.
#pragma once

#include <string>

namespace tiermend::app {

struct FailureInfo {
  enum class Kind { SilentAbort, ToolFailure, Foreign };
  Kind kind = Kind::Foreign;
  std::string className;  // the failure kind's name
  std::string message;    // 8-bit text in the ANSI code page
};

// Describes the exception being handled; call it inside a catch block.
FailureInfo describeCurrentException();

// "Exception %s in module %s at %p.\r\n%s%s\r\n": kind, module file name, address,
// message and "." when the message is not empty and does not end in ".".
std::string lastResortText(const std::string& className, const std::string& module,
                           const void* address, const std::string& message);

// The last-resort text for a failure, naming this program's executable as the module.
std::string lastResortText(const FailureInfo& failure);

}  // namespace tiermend::app
