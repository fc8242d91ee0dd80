// The one list of the providers this build serves. Registration is explicit rather
// than by static initialisers, which the linker would drop from static libraries.
#include "data/ProviderRegistry.h"
#include "data/providers/jet/JetProvider.h"
#include "data/providers/odbc/OdbcProvider.h"
#include "data/providers/sqlite/SqliteProvider.h"

namespace tiermend::data {

void registerProviders(ProviderRegistry& registry) {
  sqlite::registerProvider(registry);
  jet::registerProvider(registry);
  odbc::registerProvider(registry);
}

}  // namespace tiermend::data
