// Opening a Jet file and finding its tables.
#include "data/providers/jet/read/JetDatabase.h"

#include "data/EngineError.h"
#include "data/providers/jet/format/JetDamage.h"

namespace tiermend::data::jet {

namespace {

std::string storedPasswordText(const JetDatabase& database) {
  const auto& bytes = database.header.storedPassword;
  return database.text.decodeName(bytes.data(), bytes.size());
}

}  // namespace

std::shared_ptr<JetDatabase> JetDatabase::open(const std::string& path, const std::string& password,
                                               const std::string& shownPath) {
  auto database = std::make_shared<JetDatabase>();
  database->path = shownPath.empty() ? path : shownPath;
  database->header = readHeader(path, database->path);
  database->format = &jetFormat(database->header.jet3);
  database->text = JetTextCodec(database->header.jet3, database->header.codePage);
  if (!database->header.storedPassword.empty() && storedPasswordText(*database) != password) {
    throw EngineError("Not a valid password.");
  }
  database->pages =
      std::make_unique<JetPageFile>(path, database->header.pageSize, JetPageFile::Access::ReadOnly,
                                    database->header.databaseKey, database->path);
  database->tables =
      readCatalogue(*database->pages, *database->format, database->text, database->path);
  return database;
}

std::shared_ptr<const JetTable> JetDatabase::openTable(const std::string& name) const {
  const JetCatalogEntry* found = nullptr;
  for (const JetCatalogEntry& entry : tables) {
    if (sameJetName(name, entry.name)) {
      found = &entry;
      break;
    }
  }
  if (!found) {
    throw EngineError("The Microsoft Jet database engine cannot find the input table or query '" +
                      name + "'.  Make sure it exists and that its name is spelled correctly.");
  }
  auto table = std::make_shared<JetTable>();
  table->name = found->name;
  table->systemTable = found->systemTable();
  if (found->definitionPage == 0 || found->definitionPage >= pages->pageCount()) {
    throw damagedTable(table->name, path, "its definition lies outside the file");
  }
  try {
    table->definition = readTableDefinition(*pages, *format, found->definitionPage, text);
  } catch (const JetDefinitionError& error) {
    throw damagedTable(table->name, path, error.what());
  }
  return table;
}

}  // namespace tiermend::data::jet
