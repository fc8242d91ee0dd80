// One open Jet file, shared by a session and the cursors it has handed out (a cursor
// may outlive its session): its header, its pages, and the tables its catalogue lists.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/providers/jet/pages/JetHeader.h"
#include "data/providers/jet/pages/JetPageFile.h"
#include "data/providers/jet/tables/JetCatalog.h"
#include "data/providers/jet/tables/JetNames.h"
#include "data/providers/jet/tables/JetTableDefinition.h"
#include "data/providers/jet/values/JetTextCodec.h"

namespace tiermend::data::jet {

// A table's definition with the name and kind the catalogue gives it.
struct JetTable {
  std::string name;
  bool systemTable = false;
  JetTableDefinition definition;
};

struct JetDatabase {
  JetHeader header;
  const JetFormat* format = &kJet4Format;
  JetTextCodec text{false, 0};  // from the header's version and code page
  std::string path;             // the file the user gave, for messages
  std::unique_ptr<JetPageFile> pages;
  std::vector<JetCatalogEntry> tables;

  // Opens path read-only after checking its header; checks the database password and
  // reads the catalogue. shownPath names the file in messages when path is a working
  // copy of it (empty: path itself).
  static std::shared_ptr<JetDatabase> open(const std::string& path, const std::string& password,
                                           const std::string& shownPath = {});

  // The checked definition of the user or system table named name (compared as Jet
  // does, without regard to case). Throws EngineError in Jet's words when there is no
  // such table, and naming the table and the file when its definition is damaged.
  std::shared_ptr<const JetTable> openTable(const std::string& name) const;
};

}  // namespace tiermend::data::jet
