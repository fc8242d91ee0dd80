// One transaction's writes to a Jet file and the check of what they left.
#include "data/providers/jet/JetFileWriter.h"

#include "data/EngineError.h"

namespace tiermend::data::jet {

namespace {

// The global usage map is the first row of page 1.
constexpr std::uint32_t kGlobalMapPointer = 1u << 8;

std::shared_ptr<JetDatabase> openForWriting(const std::string& path, const std::string& password) {
  auto database = JetDatabase::open(path, password);
  if (database->handle->f->db_key != 0) {
    throw EngineError("Cannot update the database '" + path +
                      "': it is encrypted, and this program cannot write encrypted pages.");
  }
  if (database->header.version > 1) {
    throw EngineError("Cannot update the database '" + path +
                      "': this program writes only Access 97 to 2003 files.");
  }
  return database;
}

}  // namespace

JetFileWriter::JetFileWriter(const std::string& path, const std::string& password)
    : path_(path),
      password_(password),
      database_(openForWriting(path, password)),
      file_(path, database_->header.pageSize),
      cache_(file_),
      globalMap_(cache_, kGlobalMapPointer) {}

JetTableWriter& JetFileWriter::writerFor(const std::string& table) {
  for (auto& writer : tables_) {
    if (sameJetName(table, writer->layout().name.c_str())) return *writer;
  }
  // libmdb reads the definition from the file; changes so far must be there first.
  flush();
  auto database = JetDatabase::open(path_, password_);
  JetTableLayout layout = readTableLayout(*database, cache_, table);
  JetRowDigest baseline = digestOfTable(database, layout.name);
  auto encode = [database](const std::string& text, const std::string& column) {
    std::vector<char> out(text.size() * 2 + 8);
    const int written =
        mdb_ascii2unicode(database->handle.get(), text.data(), text.size(), out.data(), out.size());
    std::vector<std::uint8_t> bytes(out.begin(), out.begin() + (written > 0 ? written : 0));
    if (database->decodeJet3Text(bytes.data(), bytes.size()) != text) {
      throw EngineError("The text for field '" + column +
                        "' holds characters that the database's code page cannot store.");
    }
    return bytes;
  };
  auto decode = [database](const std::uint8_t* data, std::size_t size) {
    return database->decodeJet3Text(data, size);
  };
  tables_.push_back(std::make_unique<JetTableWriter>(cache_, globalMap_, std::move(layout),
                                                     baseline, encode, decode));
  return *tables_.back();
}

std::int64_t JetFileWriter::deleteAll(const std::string& table) {
  return writerFor(table).deleteAll();
}

void JetFileWriter::insert(const std::string& table, const std::vector<std::string>& columns,
                           const std::vector<Value>& values) {
  writerFor(table).insert(columns, values);
}

void JetFileWriter::flush() {
  for (auto& writer : tables_) writer->flush();
  cache_.flush();
}

void JetFileWriter::check(const std::string& path) const {
  auto database = JetDatabase::open(path, password_);
  for (const auto& writer : tables_) {
    const std::string& table = writer->layout().name;
    const JetRowDigest found = digestOfTable(database, table);
    if (!(found == writer->digest())) {
      throw EngineError("The database could not be updated: reading table '" + table +
                        "' back after writing gave " + std::to_string(found.rows()) +
                        " rows that differ from the " + std::to_string(writer->digest().rows()) +
                        " rows written. The file was left unchanged.");
    }
  }
}

}  // namespace tiermend::data::jet
