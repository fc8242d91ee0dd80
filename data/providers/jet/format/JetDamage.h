// The failure a Jet table raises when what its file holds does not add up.
#pragma once

#include <string>

#include "data/EngineError.h"

namespace tiermend::data::jet {

// "The table 'incom_rep' in '/x/tiermenddb.mdb' is damaged: <what>."
EngineError damagedTable(const std::string& table, const std::string& file,
                         const std::string& what);

}  // namespace tiermend::data::jet
