// Identifier quoting.
#include "data/value/QuotedName.h"

namespace tiermend::data {

std::string quoteIdentifier(std::string_view name, std::string_view quote) {
  if (quote.empty() || quote == " ") return std::string(name);
  std::string quoted(quote);
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name.substr(i, quote.size()) == quote) quoted += quote;
    quoted += name[i];
  }
  quoted += quote;
  return quoted;
}

}  // namespace tiermend::data
