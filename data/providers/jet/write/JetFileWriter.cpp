// One transaction's writes to a Jet file and the check of what they left.
#include "data/providers/jet/write/JetFileWriter.h"

#include "data/EngineError.h"
#include "data/providers/jet/indexes/JetIndexReader.h"
#include "data/providers/jet/read/JetRelationships.h"
#include "data/providers/jet/tables/JetWritableTable.h"

namespace tiermend::data::jet {

namespace {

std::shared_ptr<JetDatabase> openForWriting(const std::string& path, const std::string& password,
                                            const std::string& shownPath) {
  auto database = JetDatabase::open(path, password, shownPath);
  if (database->header.databaseKey != 0) {
    throw EngineError("Cannot update the database '" + database->path +
                      "': it is encrypted, and this program cannot write encrypted pages.");
  }
  if (database->header.version > kJet4Version) {
    throw EngineError("Cannot update the database '" + database->path +
                      "': this program writes only Access 97 to 2003 files.");
  }
  return database;
}

// Each rebuilt index, read back from the first page the definition now names, must be a
// sound tree holding exactly the entries written: every row once, under its key.
void checkIndexes(const JetDatabase& database, const JetTableDefinition& definition,
                  const JetIndexWriter& indexes) {
  auto source = [&database](std::uint32_t number) {
    Page page;
    if (number >= database.pages->pageCount()) {
      throw JetIndexPageDamage(number, "lies beyond the end of the file");
    }
    database.pages->read(number, page);
    return page;
  };
  for (std::size_t p = 0; p < indexes.plans().size(); ++p) {
    const JetIndexPlan& plan = indexes.plans()[p];
    const auto fail = [&](const std::string& what) {
      throw EngineError("The database could not be updated: reading index '" + plan.shape.index +
                        "' of table '" + plan.shape.table + "' back after writing " + what +
                        ". The file was left unchanged.");
    };
    const auto realIndex = static_cast<std::size_t>(plan.realIndex);
    if (realIndex >= definition.realIndexes.size() ||
        definition.realIndexes[realIndex].firstPage != indexes.root(p)) {
      fail("found another first page than the one written");
    }
    try {
      JetIndexReader reader(source, indexes.root(p));
      // The tree is checked and its entries compared with those written in one reading,
      // entry by entry, without a second copy of the index in memory.
      const std::vector<JetIndexEntry>& expected = indexes.expected(p);
      std::size_t found = 0;
      bool same = true;
      const std::vector<std::string> faults = reader.faults([&](const JetIndexEntry& entry) {
        same = same && found < expected.size() && entry == expected[found];
        ++found;
      });
      if (!faults.empty()) fail("found it damaged: " + faults.front());
      if (!same || found != expected.size()) {
        fail("found other entries than one for each row written");
      }
    } catch (const JetIndexPageDamage& damage) {
      fail("found it damaged: page " + std::to_string(damage.page()) + ", " + damage.reason());
    }
  }
}

}  // namespace

JetFileWriter::JetFileWriter(const std::string& path, const std::string& password,
                             const std::string& shownPath)
    : path_(path),
      password_(password),
      database_(openForWriting(path, password, shownPath.empty() ? path : shownPath)),
      file_(path, database_->header.pageSize, JetPageFile::Access::ReadWrite, 0, database_->path),
      cache_(file_),
      globalMap_(cache_, kGlobalMapPointer) {}

const std::shared_ptr<JetDatabase>& JetFileWriter::current() {
  if (databaseBehind_) {
    // The reader reads the file: the changes so far must be there first.
    flush();
    database_ = JetDatabase::open(path_, password_, database_->path);
    databaseBehind_ = false;
  }
  return database_;
}

JetTableWriter& JetFileWriter::writerFor(const std::string& table) {
  for (auto& writer : tables_) {
    if (sameJetName(table, writer->name())) return *writer;
  }
  const std::shared_ptr<JetDatabase>& database = current();
  std::shared_ptr<const JetTable> found = database->openTable(table);
  checkWritable(found->name, found->definition, *database->format);
  std::unique_ptr<JetIndexWriter> indexes = indexWriterFor(*database, *found);
  JetRowDigest baseline = digestOfTable(database, found->name);
  tables_.push_back(std::make_unique<JetTableWriter>(cache_, globalMap_, std::move(found),
                                                     *database->format, baseline, database->text,
                                                     std::move(indexes)));
  return *tables_.back();
}

std::int64_t JetFileWriter::deleteAll(const std::string& table) {
  JetTableWriter& writer = writerFor(table);
  // Other tables' rows as they stand now decide whether the table may be emptied.
  checkEmptying(current(), writer.name());
  databaseBehind_ = true;
  return writer.deleteAll();
}

void JetFileWriter::insert(const std::string& table, const std::vector<std::string>& columns,
                           const std::vector<Value>& values) {
  JetTableWriter& writer = writerFor(table);
  if (!fillable_.contains(writer.name())) {
    checkFilling(current(), writer.name());
    fillable_.insert(writer.name());
  }
  databaseBehind_ = true;
  writer.insert(columns, values);
}

void JetFileWriter::flush() {
  for (auto& writer : tables_) writer->flush();
  cache_.flush();
}

void JetFileWriter::check(const std::string& path) const {
  auto database = JetDatabase::open(path, password_, database_->path);
  for (const auto& writer : tables_) {
    const std::string& table = writer->name();
    const JetRowDigest found = digestOfTable(database, table);
    if (!(found == writer->digest())) {
      throw EngineError("The database could not be updated: reading table '" + table +
                        "' back after writing gave " + std::to_string(found.rows()) +
                        " rows that differ from the " + std::to_string(writer->digest().rows()) +
                        " rows written. The file was left unchanged.");
    }
    if (writer->indexes() != nullptr) {
      checkIndexes(*database, database->openTable(table)->definition, *writer->indexes());
    }
  }
}

}  // namespace tiermend::data::jet
