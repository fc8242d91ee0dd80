// The SQLite provider: read-write sessions on SQLite database files.
#pragma once

#include <memory>
#include <string>

#include "data/Provider.h"
#include "data/ProviderRegistry.h"

namespace tiermend::data::sqlite {

// Opens an existing SQLite file (path in UTF-8) for reading and writing.
std::unique_ptr<Session> openSession(const std::string& path);

// Serves database files that start with SQLite's signature.
void registerProvider(ProviderRegistry& registry);

}  // namespace tiermend::data::sqlite
