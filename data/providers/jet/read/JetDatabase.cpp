// Opening a Jet file and finding its tables.
#include "data/providers/jet/read/JetDatabase.h"

#include "data/EngineError.h"
#include "data/providers/jet/format/JetDamage.h"
#include "data/providers/jet/values/JetText.h"
#include "platform/CodePage.h"

namespace tiermend::data::jet {

namespace {

// Jet 3 files made on Western European systems, and those that give no code page.
constexpr unsigned kDefaultCodePage = 1252;

std::string storedPasswordText(const JetDatabase& database) {
  const auto& bytes = database.header.storedPassword;
  if (database.header.jet3) return database.decodeJet3Text(bytes.data(), bytes.size());
  return utf16leToUtf8(bytes.data(), bytes.size());
}

unsigned codePageOf(const JetHeader& header) {
  return header.codePage != 0 ? header.codePage : kDefaultCodePage;
}

}  // namespace

std::shared_ptr<JetDatabase> JetDatabase::open(const std::string& path, const std::string& password,
                                               const std::string& shownPath) {
  auto database = std::make_shared<JetDatabase>();
  database->path = shownPath.empty() ? path : shownPath;
  database->header = readHeader(path, database->path);
  database->format = &jetFormat(database->header.jet3);
  if (!database->header.storedPassword.empty() && storedPasswordText(*database) != password) {
    throw EngineError("Not a valid password.");
  }
  database->pages =
      std::make_unique<JetPageFile>(path, database->header.pageSize, JetPageFile::Access::ReadOnly,
                                    database->header.databaseKey, database->path);
  const JetDatabase& self = *database;
  database->tables = readCatalogue(
      *database->pages, *database->format,
      [&self](const std::uint8_t* data, std::size_t size) {
        return self.decodeJet3Text(data, size);
      },
      database->path);
  return database;
}

std::string JetDatabase::decodeJet3Text(const std::uint8_t* data, std::size_t length) const {
  if (length == 0) return {};
  return CodePage(codePageOf(header))
      .toUtf8(std::string_view(reinterpret_cast<const char*>(data), length));
}

std::vector<std::uint8_t> JetDatabase::encodeJet3Text(const std::string& text) const {
  const std::string bytes = CodePage(codePageOf(header)).fromUtf8(text);
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
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
    table->definition = readTableDefinition(
        *pages, *format, found->definitionPage,
        [this](const std::uint8_t* data, std::size_t size) { return decodeJet3Text(data, size); });
  } catch (const JetDefinitionError& error) {
    throw damagedTable(table->name, path, error.what());
  }
  return table;
}

}  // namespace tiermend::data::jet
