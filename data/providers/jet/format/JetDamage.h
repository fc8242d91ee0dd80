// The one wording of damage in a Jet file: "The <what> is damaged: <how>.", where what
// is the file, a table in it or a page of it, each named with the file the user gave.
// A file known by no name (pages held in memory) is "the file".
#pragma once

#include <cstdint>
#include <string>

#include "data/EngineError.h"

namespace tiermend::data::jet {

// "The database file '/x/tiermenddb.mdb' is damaged: <how>."
EngineError damagedFile(const std::string& file, const std::string& how);

// "The table 'incom_rep' in '/x/tiermenddb.mdb' is damaged: <how>."
EngineError damagedTable(const std::string& table, const std::string& file, const std::string& how);

// "The index page 8 of '/x/tiermenddb.mdb' is damaged: <how>." for a page of the given
// kind ("index"), as a message for the failures that carry more than these words.
std::string damagedPageMessage(const std::string& kind, std::uint32_t page, const std::string& file,
                               const std::string& how);

}  // namespace tiermend::data::jet
