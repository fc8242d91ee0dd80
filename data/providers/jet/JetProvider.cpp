// Opening a Jet session.
#include "data/providers/jet/JetProvider.h"

#include "data/providers/jet/JetSession.h"

namespace tiermend::data::jet {

std::unique_ptr<Session> openSession(const std::string& path, const std::string& password) {
  return std::make_unique<JetSession>(path, password);
}

}  // namespace tiermend::data::jet
