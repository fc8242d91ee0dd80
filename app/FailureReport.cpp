// Telling the failures apart when they are reported: the tool's own exceptions by kind,
// anything else by its type's name, and the text of the last-resort report.
#include "app/FailureReport.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <typeinfo>

#include "app/AppTitle.h"
#include "app/FullStop.h"
#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/Process.h"

namespace tiermend::app {
namespace {

std::string demangle(const std::type_info* type) {
  if (type == nullptr) return "(unknown)";
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(
      abi::__cxa_demangle(type->name(), nullptr, nullptr, &status), &std::free);
  return status == 0 && name ? std::string(name.get()) : std::string(type->name());
}

std::string moduleFileName() {
  return lastPartOfPath(executablePath());
}

}  // namespace

FailureInfo describeCurrentException() {
  FailureInfo info;
  try {
    throw;
  } catch (const EAbort& abort) {
    info = {FailureInfo::Kind::SilentAbort, abort.className(), abort.message()};
  } catch (const Exception& failure) {
    info = {FailureInfo::Kind::ToolFailure, failure.className(), failure.message()};
  } catch (const std::exception& failure) {
    info = {FailureInfo::Kind::Foreign, demangle(&typeid(failure)), failure.what()};
  } catch (...) {
    info = {FailureInfo::Kind::Foreign, demangle(abi::__cxa_current_exception_type()), ""};
  }
  return info;
}

std::string lastResortText(const std::string& className, const std::string& module,
                           const void* address, const std::string& message) {
  const char* stop = !message.empty() && message.back() != '.' ? "." : "";
  const int length =
      std::snprintf(nullptr, 0, "Exception %s in module %s at %p.\r\n%s%s\r\n", className.c_str(),
                    module.c_str(), address, message.c_str(), stop);
  std::string text(static_cast<size_t>(length), '\0');
  std::snprintf(text.data(), text.size() + 1, "Exception %s in module %s at %p.\r\n%s%s\r\n",
                className.c_str(), module.c_str(), address, message.c_str(), stop);
  return text;
}

std::string lastResortText(const FailureInfo& failure) {
  const void* address = reinterpret_cast<const void*>(&describeCurrentException);
  return lastResortText(failure.className, moduleFileName(), address, failure.message);
}

FailureNotice recordCurrentFailure(refresh::RunRecord& record, const CodePage& codePage) {
  const FailureInfo failure = describeCurrentException();
  switch (failure.kind) {
    case FailureInfo::Kind::SilentAbort:
      record.aborted();
      return {};
    case FailureInfo::Kind::ToolFailure:
      record.failed(failure.message);
      return {FailureNotice::Form::ToolMessage, withFullStop(failure.message, codePage)};
    case FailureInfo::Kind::Foreign:
      record.failed(failure.message);
      return {FailureNotice::Form::LastResort, lastResortText(failure)};
  }
  return {};
}

}  // namespace tiermend::app
