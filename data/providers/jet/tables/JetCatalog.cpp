// Reading the table entries of MSysObjects with the provider's own row walk.
#include "data/providers/jet/tables/JetCatalog.h"

#include "data/EngineError.h"
#include "data/providers/jet/format/JetDamage.h"
#include "data/providers/jet/tables/JetColumns.h"
#include "data/providers/jet/tables/JetNames.h"
#include "data/providers/jet/tables/JetRowSplitter.h"
#include "data/providers/jet/tables/JetRowWalk.h"

namespace tiermend::data::jet {

namespace {

[[noreturn]] void damagedCatalogue(const std::string& file, const std::string& what) {
  throw damagedFile(file, "its list of tables " + what);
}

// One column of the catalogue: where the table's columns have it, and its codec.
struct CatalogueColumn {
  std::size_t position;
  JetValueCodec codec;

  // The column's value in the row split into fields.
  Value of(const std::uint8_t* row, const std::vector<JetField>& fields,
           const std::string& file) const {
    const JetField& field = fields[position];
    if (field.present && !codec.holds(field.size)) {
      damagedCatalogue(file, "holds a row whose field is shorter than its kind");
    }
    return codec.decode(field.present, row + field.start, field.size, nullptr);
  }
  // A whole-number column's value; 0 when it is null.
  std::uint32_t integer(const std::uint8_t* row, const std::vector<JetField>& fields,
                        const std::string& file) const {
    const Value value = of(row, fields, file);
    return isNull(value) ? 0 : static_cast<std::uint32_t>(std::get<std::int64_t>(value));
  }
};

// The catalogue column named name, of the kind given.
CatalogueColumn catalogueColumn(const JetTableDefinition& table, const char* name, int kind,
                                const JetTextCodec& text, const std::string& file) {
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const JetColumnDefinition& column = table.columns[i];
    if (sameJetName(column.name, name) && column.kind == kind) {
      return {i, JetValueCodec(valueColumnOf(column), text)};
    }
  }
  damagedCatalogue(file, std::string("has no column '") + name + "' of the expected kind");
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
  const CatalogueColumn id = catalogueColumn(table, "Id", kJetInt32, text, file);
  const CatalogueColumn name = catalogueColumn(table, "Name", kJetText, text, file);
  const CatalogueColumn type = catalogueColumn(table, "Type", kJetInt16, text, file);
  const CatalogueColumn flags = catalogueColumn(table, "Flags", kJetInt32, text, file);

  std::vector<JetCatalogEntry> entries;
  JetRowWalk walk(pages, format, table, kCatalogueTable, file, false);
  JetRowSplitter splitter(table, format);
  std::vector<JetField> fields;
  JetRowSpan row;
  while (walk.next(row)) {
    if (!splitter.split(row.data, row.size, fields))
      damagedCatalogue(file, "holds a row that cannot be divided into its columns");
    if (!fields[name.position].present || !fields[id.position].present) continue;
    if ((type.integer(row.data, fields, file) & kObjectTypeMask) != kTableObject) continue;
    JetCatalogEntry entry;
    entry.name = std::get<std::string>(name.of(row.data, fields, file));
    entry.definitionPage = id.integer(row.data, fields, file) & kDefinitionPageMask;
    entry.flags = flags.integer(row.data, fields, file);
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace tiermend::data::jet
