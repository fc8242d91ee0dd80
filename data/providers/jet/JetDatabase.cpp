// Opening a Jet file and finding its tables.
#include "data/providers/jet/JetDatabase.h"

#include <vector>

#include "data/EngineError.h"
#include "data/providers/jet/JetText.h"

namespace tiermend::data::jet {

namespace {

struct GlibFreer {
  void operator()(gchar* text) const { g_free(text); }
};
using GlibText = std::unique_ptr<gchar, GlibFreer>;

std::string damagedFile() {
  return "The database file is damaged and cannot be read.";
}

std::string storedPasswordText(const JetDatabase& database) {
  const auto& bytes = database.header.storedPassword;
  if (database.header.jet3) return database.decodeJet3Text(bytes.data(), bytes.size());
  return utf16leToUtf8(bytes.data(), bytes.size());
}

}  // namespace

bool sameJetName(const std::string& a, const char* b) {
  // Case folding needs valid UTF-8; anything else can only match byte for byte.
  if (!g_utf8_validate(a.c_str(), -1, nullptr) || !g_utf8_validate(b, -1, nullptr)) return a == b;
  const GlibText foldedA(g_utf8_casefold(a.c_str(), -1));
  const GlibText foldedB(g_utf8_casefold(b, -1));
  return g_strcmp0(foldedA.get(), foldedB.get()) == 0;
}

std::shared_ptr<JetDatabase> JetDatabase::open(const std::string& path,
                                               const std::string& password) {
  auto database = std::make_shared<JetDatabase>();
  database->header = readHeader(path);
  database->path = path;

  database->handle.reset(mdb_open(path.c_str(), MDB_NOFLAGS));
  if (!database->handle) throw EngineError("Unrecognized database format '" + path + "'.");
  if (!database->header.storedPassword.empty() && storedPasswordText(*database) != password) {
    throw EngineError("Not a valid password.");
  }
  if (!mdb_read_catalog(database->handle.get(), MDB_ANY) || !database->handle->catalog) {
    throw EngineError(damagedFile());
  }
  return database;
}

std::string JetDatabase::decodeJet3Text(const std::uint8_t* data, std::size_t length) const {
  if (length == 0) return {};
  // A single-byte code page character becomes at most 4 bytes of UTF-8.
  std::vector<char> out(length * 4 + 1);
  const int written = mdb_unicode2ascii(handle.get(), reinterpret_cast<const char*>(data), length,
                                        out.data(), out.size());
  return std::string(out.data(), written > 0 ? static_cast<std::size_t>(written) : 0);
}

MdbTableDefPtr JetDatabase::openTable(const std::string& name) {
  GPtrArray* catalog = handle->catalog;
  MdbCatalogEntry* found = nullptr;
  for (guint i = 0; catalog && i < catalog->len; ++i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
    if (entry->object_type == MDB_TABLE && sameJetName(name, entry->object_name)) {
      found = entry;
      break;
    }
  }
  if (!found) {
    throw EngineError("The Microsoft Jet database engine cannot find the input table or query '" +
                      name + "'.  Make sure it exists and that its name is spelled correctly.");
  }
  if (found->table_pg == 0 || static_cast<long long>(found->table_pg) >= header.pageCount) {
    throw EngineError(damagedFile());
  }
  pageOwner = nullptr;  // reading the definition replaces the page in the handle
  MdbTableDefPtr table(mdb_read_table(found));
  if (!table || !mdb_read_columns(table.get()) || table->num_cols == 0) {
    throw EngineError(damagedFile());
  }
  mdb_rewind_table(table.get());
  return table;
}

}  // namespace tiermend::data::jet
