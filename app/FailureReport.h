// What the tool knows about a failure when it reports it, the text of the last-resort
// report, and what a run records and shows of the failure it is handling.
#pragma once

#include <string>

#include "platform/CodePage.h"
#include "refresh/RunRecord.h"

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

// What the user is shown of a failure: nothing after a silent abort, the tool's own
// message as the error box shows it, or the last-resort report of a foreign failure.
// Where it goes (a box, standard error) is the caller's choice.
struct FailureNotice {
  enum class Form { Nothing, ToolMessage, LastResort };
  Form form = Form::Nothing;
  std::string text;  // 8-bit text in the ANSI code page
};

// Records the exception being handled in the run's record and gives its notice; call it
// inside a catch block.
FailureNotice recordCurrentFailure(refresh::RunRecord& record, const CodePage& codePage);

}  // namespace tiermend::app
