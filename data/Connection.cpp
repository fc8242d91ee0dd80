// The connection component, and the choice of the provider that serves a
// connection string.
#include "data/Connection.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>

#include "data/ConnectionString.h"
#include "data/EngineError.h"
#include "data/Rowset.h"
#include "data/providers/jet/JetProvider.h"
#include "data/providers/odbc/OdbcProvider.h"
#include "data/providers/sqlite/SqliteProvider.h"
#include "platform/Exceptions.h"
#include "platform/ReadOnlyFile.h"

namespace tiermend::data {
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool isBlankText(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c <= 32; });
}

enum class FileFormat { Missing, Sqlite, Jet, Unrecognized };

// The absolute, lexically normal form of a path given relative to the working folder.
std::string fullPath(const std::string& source) {
  std::filesystem::path path(source);
  std::error_code error;
  if (path.is_relative()) {
    std::filesystem::path base = std::filesystem::current_path(error);
    if (!error) path = base / path;
  }
  return path.lexically_normal().string();
}

// Reads the first bytes of a file to tell which engine wrote it.
FileFormat formatOfFile(const std::string& path) {
  // A folder is no database file. A pipe, a device or a socket is refused by the open
  // itself, at once and without reading.
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return FileFormat::Unrecognized;
  std::string header(20, '\0');
  size_t got = 0;
  try {
    ReadOnlyFile file(path);
    int readError = 0;
    while (got < header.size()) {
      size_t n = file.read(header.data() + got, header.size() - got, readError);
      if (n == 0) break;
      got += n;
    }
    if (readError != 0) throw EInOutError(readError);
  } catch (const EInOutError& failure) {
    if (failure.errorCode() == 2 || failure.errorCode() == 3) return FileFormat::Missing;
    throw FileError("Cannot open file '" + path + "': " + failure.message(), failure.errorCode());
  }
  header.resize(got);
  if (header.size() >= 16 && header.compare(0, 16, std::string("SQLite format 3\0", 16)) == 0) {
    return FileFormat::Sqlite;
  }
  if (header.size() >= 19 && (header.compare(4, 15, "Standard Jet DB") == 0 ||
                              header.compare(4, 15, "Standard ACE DB") == 0)) {
    return FileFormat::Jet;
  }
  return FileFormat::Unrecognized;
}

std::unique_ptr<Session> openDatabaseFile(const ConnectionString& entries) {
  const std::string source = entries.getOr("Data Source");
  if (isBlankText(source)) {
    throw EngineError("The connection string names no database file (Data Source)");
  }
  const std::string path = fullPath(source);
  switch (formatOfFile(path)) {
    case FileFormat::Missing:
      throw EngineError("Could not find file '" + path + "'");
    case FileFormat::Sqlite:
      return sqlite::openSession(path);
    case FileFormat::Jet:
      return jet::openSession(path, entries.getOr("Jet OLEDB:Database Password"));
    case FileFormat::Unrecognized:
      break;
  }
  throw EngineError("Unrecognized database format '" + path + "'");
}

}  // namespace

std::unique_ptr<Session> openSessionFor(const std::string& connectionString) {
  if (isBlankText(connectionString)) throw EngineError("The connection string is empty");
  const ConnectionString entries = ConnectionString::parse(connectionString);
  const std::optional<std::string> provider = entries.get("Provider");
  if (!provider || provider->empty()) {
    throw EngineError("The connection string names no provider");
  }
  if (equalsIgnoringCase(*provider, "Microsoft.Jet.OLEDB.4.0") ||
      equalsIgnoringCase(*provider, "Microsoft.ACE.OLEDB.12.0")) {
    return openDatabaseFile(entries);
  }
  if (equalsIgnoringCase(*provider, "SQLOLEDB.1") || equalsIgnoringCase(*provider, "SQLOLEDB")) {
    return odbc::openSession(entries);
  }
  throw EngineError("Provider cannot be found. It may not be properly installed");
}

Connection::Connection(std::string name, TextSettings settings)
    : name_(std::move(name)), settings_(std::move(settings)) {}

Connection::~Connection() {
  try {
    close();
  } catch (...) {
    // A connection that goes away cannot report anything; its session is dropped.
  }
  for (Rowset* rowset : rowsets_) rowset->connection_ = nullptr;
}

void Connection::setConnectionString(const std::string& utf8) {
  if (utf8 == connectionString_) return;
  if (connected()) throw EDatabaseError("Operation is not allowed when the object is open");
  connectionString_ = utf8;
}

void Connection::open() {
  if (connected()) return;
  try {
    session_ = openSessionFor(connectionString_);
  } catch (const FileError& error) {
    throw EInOutError(error.errorCode(),
                      settings_.codePage.fromUtf8(trimEngineDescription(error.what())));
  } catch (const EngineError& error) {
    throw toFailure(error, settings_.codePage);
  }
  inTransaction_ = false;
}

void Connection::close() {
  if (!connected()) return;
  for (Rowset* rowset : rowsets_) rowset->close();
  if (inTransaction_) {
    inTransaction_ = false;
    try {
      session_->rollback();
    } catch (const EngineError&) {
      // Dropping the session below undoes the uncommitted work all the same.
    }
  }
  session_.reset();
}

void Connection::beginTransaction() {
  open();
  if (inTransaction_) throw EDatabaseError("A transaction is already active on this connection");
  try {
    session_->beginTransaction();
  } catch (const EngineError& error) {
    throw toFailure(error, settings_.codePage);
  }
  inTransaction_ = true;
}

void Connection::commit() {
  if (!connected() || !inTransaction_) {
    throw EDatabaseError("No transaction is active on this connection");
  }
  try {
    session_->commit();
  } catch (const EngineError& error) {
    // The transaction is still open; the caller may roll it back.
    throw toFailure(error, settings_.codePage);
  }
  inTransaction_ = false;
}

void Connection::rollback() {
  if (!connected() || !inTransaction_) {
    throw EDatabaseError("No transaction is active on this connection");
  }
  inTransaction_ = false;
  try {
    session_->rollback();
  } catch (const EngineError& error) {
    throw toFailure(error, settings_.codePage);
  }
}

Session& Connection::session() {
  open();
  return *session_;
}

void Connection::attach(Rowset* rowset) {
  rowsets_.push_back(rowset);
}

void Connection::detach(Rowset* rowset) {
  rowsets_.erase(std::remove(rowsets_.begin(), rowsets_.end(), rowset), rowsets_.end());
}

}  // namespace tiermend::data
