// The checks every index definition of a table passes before its indexes are rebuilt:
// what the writer relies on (a page usage map of each stored index's own, a root page
// inside the file, key columns in a known order, each stored index named by an index)
// and what Access keeps consistent (a primary key's stored index is unique and keeps
// nulls out; one primary key at most; index types Access knows). A definition that
// fails is damage: rebuilding it would write a guess into the file.
#pragma once

#include <cstdint>
#include <string>

#include "data/providers/jet/tables/JetTableDefinition.h"

namespace tiermend::data::jet {

// The name an index of the definition is known by for stored index realIndex: its
// primary key's name, else the first index naming it, else "stored index N" (from 1).
std::string storedIndexName(const JetTableDefinition& definition, int realIndex);

// Whether a primary key names stored index realIndex.
bool isPrimaryKeyIndex(const JetTableDefinition& definition, int realIndex);

// Throws JetDefinitionError, saying which index and what is wrong, for the first index
// definition that does not hold; pageCount is the number of pages in the file.
void checkIndexDefinitions(const JetTableDefinition& definition, std::uint32_t pageCount);

}  // namespace tiermend::data::jet
