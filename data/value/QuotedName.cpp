// Quoting with the closing mark doubled inside.
#include "data/value/QuotedName.h"

namespace tiermend::data {

std::string enclosed(std::string_view text, std::string_view open, std::string_view close) {
  std::string quoted(open);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!close.empty() && text.substr(i, close.size()) == close) quoted += close;
    quoted += text[i];
  }
  quoted += close;
  return quoted;
}

std::string quoteIdentifier(std::string_view name, std::string_view quote) {
  if (quote.empty() || quote == " ") return std::string(name);
  return enclosed(name, quote, quote);
}

}  // namespace tiermend::data
