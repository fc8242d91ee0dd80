// The target connection string built from the link fields, and the fixed source
// connection string of the update package.
#pragma once

#include <string>

#include "link/LinkFields.h"

namespace tiermend::link {

// The database password of the Access target database.
inline constexpr const char* kAccessTargetPassword = "korvenal";

// Kind "1": SQL Server; kind "2": Access file basedb.mdb in the link folder (the
// password field is set to the fixed database password first); any other kind: "".
std::string buildTargetConnectionString(LinkFields& fields);

// Empties the password field and returns the fixed string for tiermenddb.mdb.
std::string buildSourceConnectionString(LinkFields& fields);

// A value as inserted into a connection string: unchanged, unless it holds ";", a
// quote, or leading or trailing blanks; then it is enclosed in quotes.
std::string quoteConnectionValue(const std::string& value);

}  // namespace tiermend::link
