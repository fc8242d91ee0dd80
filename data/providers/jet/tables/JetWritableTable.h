// Which tables the writer can change safely, decided from the checked definition before
// anything is written: the packer and the writers then take the definition's columns
// as they are.
#pragma once

#include <string>

#include "data/providers/jet/tables/JetTableDefinition.h"

namespace tiermend::data::jet {

// Throws EngineError saying what when table cannot be written: it has indexes in a Jet 3
// file, a column of a kind or layout this writer does not know, or an auto-number of a
// kind it cannot fill.
void checkWritable(const std::string& table, const JetTableDefinition& definition,
                   const JetFormat& format);

// Whether the engine gives column its values: a Long auto-number, or a Replication ID
// (a GUID column with the auto flag) filled with a random GUID.
inline bool isAutoNumber(const JetColumnDefinition& column) {
  return column.autoNumber() && column.kind == kJetInt32;
}
inline bool isAutoGuid(const JetColumnDefinition& column) {
  return column.autoGuid() && column.kind == kJetGuid;
}

}  // namespace tiermend::data::jet
