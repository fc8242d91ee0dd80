// The providers a build knows, and how a connection picks one. A connection string
// names its provider with "Provider=": the Jet and ACE names mean a database file, whose
// first bytes then choose the file format's provider; any other name must belong to a
// server provider. Each provider adds itself through its registerProvider(), all of
// them listed in registerProviders() (data/providers/Providers.cpp).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/ConnectionString.h"
#include "data/Provider.h"

namespace tiermend::data {

// How many first bytes of a file the file formats are told apart by.
constexpr std::size_t kFileSignatureBytes = 20;

// A provider of database files of one format.
struct FileFormatProvider {
  // Whether the file's first bytes (up to kFileSignatureBytes) are of this format.
  bool (*recognizes)(std::string_view firstBytes);
  // Opens the file (full path, UTF-8) with the connection string's other entries.
  std::unique_ptr<Session> (*open)(const std::string& path, const ConnectionString& entries);
};

// A provider of database servers, named by "Provider=".
struct ServerProvider {
  std::vector<std::string_view> names;  // compared without regard to case
  std::unique_ptr<Session> (*open)(const ConnectionString& entries);
};

class ProviderRegistry {
 public:
  void add(FileFormatProvider provider) { fileFormats_.push_back(provider); }
  void add(ServerProvider provider) { servers_.push_back(std::move(provider)); }

  // The provider of the format these first bytes show, or nullptr.
  const FileFormatProvider* fileFormatOf(std::string_view firstBytes) const;
  // The server provider of this name, or nullptr.
  const ServerProvider* serverNamed(std::string_view name) const;

 private:
  std::vector<FileFormatProvider> fileFormats_;
  std::vector<ServerProvider> servers_;
};

// Adds every provider of this build to registry (data/providers/Providers.cpp).
void registerProviders(ProviderRegistry& registry);

// The registry filled by registerProviders(), made on first use.
const ProviderRegistry& registeredProviders();

}  // namespace tiermend::data
