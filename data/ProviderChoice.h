// Opening a session for a connection string: the provider it names, and for a database
// file the provider of the format its first bytes show (see data/ProviderRegistry.h).
#pragma once

#include <memory>
#include <string>

#include "data/Provider.h"

namespace tiermend::data {

// Opens a session for a connection string (UTF-8), choosing the provider; relative
// file names are resolved against the current working folder. Failures: EngineError.
std::unique_ptr<Session> openSessionFor(const std::string& connectionString);

}  // namespace tiermend::data
