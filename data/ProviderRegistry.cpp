// Looking providers up by file signature and by name.
#include "data/ProviderRegistry.h"

#include "data/value/AsciiText.h"

namespace tiermend::data {

const FileFormatProvider* ProviderRegistry::fileFormatOf(std::string_view firstBytes) const {
  for (const FileFormatProvider& format : fileFormats_)
    if (format.recognizes(firstBytes)) return &format;
  return nullptr;
}

const ServerProvider* ProviderRegistry::serverNamed(std::string_view name) const {
  for (const ServerProvider& server : servers_)
    for (std::string_view known : server.names)
      if (equalsIgnoringCase(known, name)) return &server;
  return nullptr;
}

const ProviderRegistry& registeredProviders() {
  static const ProviderRegistry registry = [] {
    ProviderRegistry filled;
    registerProviders(filled);
    return filled;
  }();
  return registry;
}

}  // namespace tiermend::data
