// Quoting for the texts the providers write themselves: identifiers and literals of
// their statements, and values of ODBC connection strings.
#pragma once

#include <string>
#include <string_view>

namespace tiermend::data {

// The text between open and close, with every close inside it doubled, so that the
// reader takes it as one piece: "a""b" as an identifier, N'it''s' as a literal,
// {x}}y} as a braced value.
std::string enclosed(std::string_view text, std::string_view open, std::string_view close);

// The name enclosed in quote, with that quote doubled inside. A blank quote (an engine
// that has none) leaves the name as it is.
std::string quoteIdentifier(std::string_view name, std::string_view quote = "\"");

}  // namespace tiermend::data
