// The words of a damaged-table failure.
#include "data/providers/jet/format/JetDamage.h"

namespace tiermend::data::jet {

EngineError damagedTable(const std::string& table, const std::string& file,
                         const std::string& what) {
  return EngineError("The table '" + table + "' in '" + file + "' is damaged: " + what + ".");
}

}  // namespace tiermend::data::jet
