// Division of the link line into link pieces, and the piece values.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"

namespace tiermend::link {

// Divides a link line into its pieces by the comma, quote, lead-byte and NUL rules.
// Never fails; an empty line gives no piece.
std::vector<std::string> divideLinkLine(std::string_view line, const CodePage& codePage);

// A piece without its last byte.
std::string pieceValue(const std::string& piece);

}  // namespace tiermend::link
