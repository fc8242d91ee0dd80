// The catalogue of a Jet file: the rows of MSysObjects, whose definition is always on
// page 2. For every table it gives the name, the first definition page (the low three
// bytes of the object's Id) and whether it is a system table (flag 0x80000000 or 0x2).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/providers/jet/format/JetFormat.h"
#include "data/providers/jet/pages/JetPageStore.h"
#include "data/providers/jet/tables/JetTableDefinition.h"
#include "data/providers/jet/values/JetTextCodec.h"

namespace tiermend::data::jet {

struct JetCatalogEntry {
  std::string name;
  std::uint32_t definitionPage = 0;
  std::uint32_t flags = 0;

  bool systemTable() const { return (flags & kSystemObjectFlags) != 0; }
};

// The tables the catalogue lists, their names read through text. Throws EngineError,
// naming file, when the catalogue cannot be read.
std::vector<JetCatalogEntry> readCatalogue(const JetPageStore& pages, const JetFormat& format,
                                           const JetTextCodec& text, const std::string& file);

}  // namespace tiermend::data::jet
