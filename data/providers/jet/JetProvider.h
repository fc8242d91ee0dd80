// The Jet provider: sessions on Access .mdb files (Jet 3 and Jet 4), read by the
// provider's own reader and written by its own page writer (see JetSession).
#pragma once

#include <memory>
#include <string>

#include "data/Provider.h"
#include "data/ProviderRegistry.h"

namespace tiermend::data::jet {

// Opens an Access file (path in UTF-8). When the file carries a database password,
// password must match it, else EngineError("Not a valid password").
std::unique_ptr<Session> openSession(const std::string& path, const std::string& password);

// Serves database files that carry the Jet signature (see JetHeader.h).
void registerProvider(ProviderRegistry& registry);

}  // namespace tiermend::data::jet
