// Names of tables and columns as Jet compares them: without regard to case.
#pragma once

#include <string>

namespace tiermend::data::jet {

// True when two object or column names are the same for Jet, which ignores case:
// equal after the Unicode simple case folding. Names that are not valid UTF-8 match
// only byte for byte.
bool sameJetName(const std::string& a, const std::string& b);

}  // namespace tiermend::data::jet
