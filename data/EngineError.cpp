// Engine errors as the user sees them.
#include "data/EngineError.h"

namespace tiermend::data {

std::string trimEngineDescription(std::string description) {
  while (!description.empty()) {
    const unsigned char last = static_cast<unsigned char>(description.back());
    if (last > 32 && last != '.') break;
    description.pop_back();
  }
  return description;
}

EOleException toFailure(const EngineError& error, const CodePage& codePage) {
  std::string text = trimEngineDescription(error.what());
  // An engine that gives no words at all still gets a message the user can report.
  if (text.empty()) text = "Unspecified error";
  return EOleException(codePage.fromUtf8(text));
}

}  // namespace tiermend::data
