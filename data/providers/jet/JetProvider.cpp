// Opening Access files, and the Jet provider's place among the file formats.
#include "data/providers/jet/JetProvider.h"

#include "data/providers/jet/JetSession.h"
#include "data/providers/jet/pages/JetHeader.h"

namespace tiermend::data::jet {
namespace {

std::unique_ptr<Session> openFile(const std::string& path, const ConnectionString& entries) {
  return openSession(path, entries.getOr("Jet OLEDB:Database Password"));
}

}  // namespace

std::unique_ptr<Session> openSession(const std::string& path, const std::string& password) {
  return std::make_unique<JetSession>(path, password);
}

void registerProvider(ProviderRegistry& registry) {
  registry.add(FileFormatProvider{hasJetSignature, openFile});
}

}  // namespace tiermend::data::jet
