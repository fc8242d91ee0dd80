#include "tests/support/TestServer.h"

#include <stdexcept>

#include "tests/support/MariaTestDataSource.h"
#include "tests/support/PgTestDataSource.h"

namespace tiermend::testing {

std::unique_ptr<TestServer> makeTestServer(const std::string& kind) {
  if (kind == "postgres") return std::make_unique<PgTestDataSource>();
  if (kind == "mariadb") return std::make_unique<MariaTestDataSource>();
  throw std::invalid_argument("no test server of kind " + kind);
}

}  // namespace tiermend::testing
