// Names of tables and columns as Jet compares them: without regard to case.
#pragma once

#include <string>

namespace tiermend::data::jet {

// True when two object or column names are the same for Jet, which ignores case.
bool sameJetName(const std::string& a, const std::string& b);

}  // namespace tiermend::data::jet
