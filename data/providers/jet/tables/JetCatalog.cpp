// Reading the table entries of MSysObjects with the provider's own row walk.
#include "data/providers/jet/tables/JetCatalog.h"

#include "data/EngineError.h"
#include "data/providers/jet/format/JetDamage.h"
#include "data/providers/jet/tables/JetNames.h"
#include "data/providers/jet/tables/JetRowSplitter.h"
#include "data/providers/jet/tables/JetRowWalk.h"

namespace tiermend::data::jet {

namespace {

constexpr const char* kCatalogueName = "MSysObjects";

[[noreturn]] void damagedCatalogue(const std::string& file, const std::string& what) {
  throw damagedFile(file, "its list of tables " + what);
}

// The position of the catalogue column named name, of one of the kinds given.
std::size_t catalogueColumn(const JetTableDefinition& table, const char* name,
                            std::initializer_list<int> kinds, const std::string& file) {
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const JetColumnDefinition& column = table.columns[i];
    if (!sameJetName(column.name, name)) continue;
    for (int kind : kinds)
      if (column.kind == kind) return i;
  }
  damagedCatalogue(file, std::string("has no column '") + name + "' of the expected kind");
}

std::uint32_t integerOf(const std::uint8_t* row, const JetField& field) {
  if (!field.present) return 0;
  return field.size == 2 ? loadU16(row + field.start) : loadU32(row + field.start);
}

}  // namespace

std::vector<JetCatalogEntry> readCatalogue(const JetPageStore& pages, const JetFormat& format,
                                           const JetTextCodec& text, const std::string& file) {
  JetTableDefinition table;
  try {
    table = readTableDefinition(pages, format, kCatalogueDefinitionPage, text);
  } catch (const JetDefinitionError& error) {
    damagedCatalogue(file, std::string("cannot be read (") + error.what() + ")");
  }
  const std::size_t id = catalogueColumn(table, "Id", {kJetInt32}, file);
  const std::size_t name = catalogueColumn(table, "Name", {kJetText}, file);
  const std::size_t type = catalogueColumn(table, "Type", {kJetInt16}, file);
  const std::size_t flags = catalogueColumn(table, "Flags", {kJetInt32}, file);

  std::vector<JetCatalogEntry> entries;
  JetRowWalk walk(pages, format, table, kCatalogueName, file, false);
  JetRowSplitter splitter(table, format);
  std::vector<JetField> fields;
  JetRowSpan row;
  while (walk.next(row)) {
    if (!splitter.split(row.data, row.size, fields))
      damagedCatalogue(file, "holds a row that cannot be divided into its columns");
    if (!fields[name].present || !fields[id].present) continue;
    if ((integerOf(row.data, fields[type]) & kObjectTypeMask) != kTableObject) continue;
    JetCatalogEntry entry;
    entry.name = text.decode(row.data + fields[name].start, fields[name].size);
    entry.definitionPage = integerOf(row.data, fields[id]) & kDefinitionPageMask;
    entry.flags = integerOf(row.data, fields[flags]);
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace tiermend::data::jet
