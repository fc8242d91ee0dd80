// What the writer needs to know of one table: where its definition and usage maps
// are, and for each column where its value goes in a row. Built from the checked table
// definition. Tables the writer cannot change safely are refused here, before anything
// is written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/providers/jet/tables/JetTableDefinition.h"

namespace tiermend::data::jet {

struct JetColumnLayout {
  std::string name;
  int type = 0;         // the column kind (JetKind)
  int number = 0;       // the column's bit in the null mask (deleted columns included)
  int varIndex = 0;     // variable columns: the entry in the row's offset table
  int fixedOffset = 0;  // fixed columns: where the value starts after the column count
  int size = 0;         // the defined size in bytes
  bool fixed = false;
  bool compressed = false;  // Jet 4 text: Unicode compression on
  bool autoNumber = false;  // a Long auto-number column
  bool autoGuid = false;    // a Replication ID filled in by the engine
  int precision = 0;
  int scale = 0;
};

struct JetTableLayout {
  std::string name;
  bool jet3 = false;
  std::uint32_t definitionPage = 0;
  int rowColumnCount = 0;      // the column count each row starts with
  int varCount = 0;            // entries in each row's variable offset table
  int fixedSize = 0;           // bytes of the fixed area
  std::uint32_t ownedMap = 0;  // row pointers of the usage maps
  std::uint32_t freeMap = 0;
  std::size_t rowCountOffset = 0;    // in the first definition page
  std::size_t autoNumberOffset = 0;  // the last auto-number given out
  std::vector<JetColumnLayout> columns;
};

// The layout of a checked definition. Throws EngineError saying what when the table
// cannot be written: it has indexes in a Jet 3 file, a column kind this writer does not
// know, or a definition that does not add up.
JetTableLayout layoutOfTable(const std::string& name, const JetTableDefinition& definition,
                             const JetFormat& format);

}  // namespace tiermend::data::jet
