// Identifier quoting for the statements the providers write themselves.
#pragma once

#include <string>
#include <string_view>

namespace tiermend::data {

// The name enclosed in quote, with that quote doubled inside. A blank quote (an engine
// that has none) leaves the name as it is.
std::string quoteIdentifier(std::string_view name, std::string_view quote = "\"");

}  // namespace tiermend::data
