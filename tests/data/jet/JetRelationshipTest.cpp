// Refreshing a table that another table's rows refer to through a relationship: the
// relationship is a row of MSysRelationships (written here through the session, whose
// writer also rebuilds that table's indexes), and labor is refreshed while retire
// refers to it by grade.
#include <gtest/gtest.h>

#include <functional>

#include "JetTestSupport.h"
#include "data/providers/jet/JetProvider.h"
#include "data/providers/jet/format/ByteOrder.h"
#include "data/providers/jet/read/JetCursor.h"
#include "data/providers/jet/read/JetDatabase.h"
#include "data/providers/jet/read/JetRelationships.h"

namespace tiermend::data::jet {
namespace {

using testing::failureOf;
using testing::readAll;

constexpr const char* kNoFailure = "(no failure)";

void relate(Session& session, std::int64_t flags, const std::string& referring = "retire",
            const std::string& column = "grade") {
  session.insert("MSysRelationships",
                 {"ccolumn", "grbit", "icolumn", "szColumn", "szObject", "szReferencedColumn",
                  "szReferencedObject", "szRelationship"},
                 {std::int64_t{1}, flags, std::int64_t{0}, column, referring, std::string("grade"),
                  std::string("labor"), std::string("laborretire")});
}

// Where MSysRelationships keeps its definition and its rows in the file.
struct RelationshipsPages {
  std::size_t definition = 0;  // the definition's first byte
  std::size_t rows = 0;        // the first byte of the data page holding its rows
  std::size_t columnEntries = 0;
};

RelationshipsPages relationshipsPages(const std::string& path) {
  const auto database = JetDatabase::open(path, "");
  const auto table = database->openTable("MSysRelationships");
  const JetFormat& format = *database->format;
  RelationshipsPages pages;
  pages.definition = table->definition.page * format.pageSize;
  pages.columnEntries = pages.definition + format.realIndexCountsStart +
                        table->definition.realIndexes.size() * format.realIndexCountEntrySize;
  const auto bytes = testing::fileBytes(path);
  for (std::size_t at = 0; at < bytes.size(); at += format.pageSize) {
    if (bytes[at] == static_cast<std::uint8_t>(JetPageType::Data) &&
        loadU32(bytes.data() + at + format.dataOwnerOffset) == table->definition.page &&
        loadU16(bytes.data() + at + format.dataRowCountOffset) > 0) {
      pages.rows = at;
    }
  }
  return pages;
}

std::string refreshLabor(Session& session) {
  session.beginTransaction();
  const std::string failure = failureOf([&] {
    session.execute("delete from labor");
    session.insert("labor", {"grade"}, {std::int64_t{7}});
    session.commit();
  });
  if (failure != kNoFailure) session.rollback();
  return failure;
}

class JetRelationshipTest : public testing::JetScratchTest {
 protected:
  std::string target = targetCopyOf("tiermenddb.mdb");
};

TEST_F(JetRelationshipTest, ATableOthersReferToIsRefreshedOnlyWhenNoRelatedRowWouldBeLeft) {
  struct Case {
    const char* what;
    std::int64_t flags;
    // What retire holds when labor is refreshed.
    std::vector<std::vector<Value>> retireGrades;  // empty: the package's rows
    bool retireEmptied;
    const char* failure;
  };
  const Case cases[] = {
      {"related rows",
       0,
       {},
       false,
       "The record cannot be deleted or changed because table 'retire' includes related "
       "records."},
      {"cascade deletes",
       0x1000,
       {},
       false,
       "Cannot update table 'labor': its relationship 'laborretire' with table 'retire' "
       "deletes related records with it (cascade delete), and this program never deletes rows "
       "of tables it was not asked to refresh."},
      {"not enforced", 0x2, {}, false, kNoFailure},
      {"no rows refer to it", 0, {}, true, kNoFailure},
      {"rows without a grade", 0, {{Null{}}, {Null{}}}, true, kNoFailure},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(target);
    target = scratch.copyOf("tiermenddb.mdb", "basedb.mdb");
    auto session = openSession(target, "");
    if (c.retireEmptied) {
      session->execute("delete from retire");
      for (const auto& row : c.retireGrades) session->insert("retire", {"grade"}, row);
    }
    relate(*session, c.flags);
    const auto before = readAll(*session, "select * from labor").rows;
    EXPECT_EQ(refreshLabor(*session), c.failure);
    const auto after = readAll(*session, "select * from labor").rows;
    if (std::string(c.failure) == kNoFailure) {
      EXPECT_EQ(after.size(), 1u);
    } else {
      EXPECT_EQ(after, before);
    }
  }
}

// The checks read the file as the transaction has changed it so far: a relationship
// added, or the referring rows deleted, earlier in the same transaction count.
TEST_F(JetRelationshipTest, TheChecksSeeWhatTheSameTransactionChangedBefore) {
  struct Case {
    const char* what;
    bool relatedBefore;  // the relationship committed before the transaction
    std::function<void(Session&)> earlier;
    const char* failure;
  };
  const Case cases[] = {
      {"a relationship added, its related rows left", false,
       [](Session& session) { relate(session, 0); },
       "The record cannot be deleted or changed because table 'retire' includes related "
       "records."},
      {"the related rows deleted", true,
       [](Session& session) { session.execute("delete from retire"); }, kNoFailure},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(target);
    target = scratch.copyOf("tiermenddb.mdb", "basedb.mdb");
    auto session = openSession(target, "");
    if (c.relatedBefore) relate(*session, 0);
    session->beginTransaction();
    const std::string failure = failureOf([&] {
      c.earlier(*session);
      session->execute("delete from labor");
      session->insert("labor", {"grade"}, {std::int64_t{7}});
      session->commit();
    });
    if (failure != kNoFailure) session->rollback();
    EXPECT_EQ(failure, c.failure);
    EXPECT_EQ(readAll(*session, "select * from labor").rows.size(),
              failure == kNoFailure ? 1u : 38u);
  }
}

// Rows added to it would have to be checked against the table they refer to.
TEST_F(JetRelationshipTest, RowsForATableThatRefersToAnotherAreRefused) {
  auto session = openSession(target, "");
  relate(*session, 0);
  const auto before = readAll(*session, "select * from retire").rows;
  session->beginTransaction();
  EXPECT_EQ(failureOf([&] {
              session->execute("delete from retire");
              session->insert("retire", {"grade"}, {std::int64_t{1}});
            }),
            "Cannot update table 'retire': its relationship 'laborretire' requires its rows to "
            "match rows of table 'labor', which this program cannot check as it adds rows.");
  session->rollback();
  EXPECT_EQ(readAll(*session, "select * from retire").rows, before);
}

// A relationship that cannot be read, or that names what the file does not have, is
// damage of MSysRelationships: labor is never emptied as if it had no relationship.
TEST_F(JetRelationshipTest, ADamagedRelationshipIsRefusedNeverTakenAsAbsent) {
  const std::string damage = "The table 'MSysRelationships' in '" + target + "' is damaged: ";
  struct Case {
    const char* what;
    const char* referring;
    const char* column;
    std::function<void(testing::FileBytes&, const RelationshipsPages&)> patch;
    std::string failure;
  };
  const auto noPatch = [](testing::FileBytes&, const RelationshipsPages&) {};
  const JetFormat& format = kJet4Format;
  const Case cases[] = {
      {"a letter of the referring table changed", "retirf", "grade", noPatch,
       damage + "its relationship 'laborretire' names the table 'retirf', which the file does "
                "not have."},
      {"a column the table does not have", "retire", "grqde", noPatch,
       damage + "its relationship 'laborretire' names the column 'grqde', which table 'retire' "
                "does not have."},
      {"its row count one more than its rows", "retire", "grade",
       [&](testing::FileBytes& b, const RelationshipsPages& at) {
         const std::size_t count = at.definition + format.rowCountOffset;
         storeU32(b.data() + count, loadU32(b.data() + count) + 1);
       },
       damage + "only 1 of the 2 rows its definition counts were found."},
      {"its rows' page naming another table", "retire", "grade",
       [&](testing::FileBytes& b, const RelationshipsPages& at) {
         storeU32(b.data() + at.rows + format.dataOwnerOffset, 3);
       },
       damage + "only 0 of the 1 rows its definition counts were found."},
      {"its rows' page of another type", "retire", "grade",
       [&](testing::FileBytes& b, const RelationshipsPages& at) {
         b[at.rows] = static_cast<std::uint8_t>(JetPageType::IndexLeaf);
       },
       damage + "only 0 of the 1 rows its definition counts were found."},
      {"a column of an unknown kind", "retire", "grade",
       [&](testing::FileBytes& b, const RelationshipsPages& at) {
         // Every column entry of kind Text becomes kind 0x11, which no reader knows.
         for (int i = 0; i < 8; ++i) {
           std::uint8_t& kind =
               b[at.columnEntries + static_cast<std::size_t>(i) * format.columnEntrySize +
                 format.columnKindOffset];
           if (kind == kJetText) kind = 0x11;
         }
       },
       damage + "it has no column 'szRelationship' of the kind Access gives it."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(target);
    target = scratch.copyOf("tiermenddb.mdb", "basedb.mdb");
    relate(*openSession(target, ""), 0, c.referring, c.column);
    auto bytes = testing::fileBytes(target);
    c.patch(bytes, relationshipsPages(target));
    testing::writeBytes(target, bytes);
    auto session = openSession(target, "");
    const auto before = readAll(*session, "select * from labor").rows;
    EXPECT_EQ(refreshLabor(*session), c.failure);
    EXPECT_EQ(readAll(*session, "select * from labor").rows, before);
  }
}

// What Access itself wrote passes the same checks: MSysRelationships holds the rows its
// definition counts, and every relationship reads whole, naming tables the file has
// (the counts of relationships from the fixtures' SOURCES.md). Other system tables of
// these files carry stale counts, as Access leaves them, and are not held to theirs.
TEST(JetAccessMadeRelationshipsTest, ReadWholeAndAsTheirCountSays) {
  const std::pair<const char*, std::size_t> files[] = {{"real-access/northwind.mdb", 9},
                                                       {"real-access/productsales.mdb", 6},
                                                       {"real-access/salaryregisters.mdb", 5}};
  for (const auto& [name, relationships] : files) {
    SCOPED_TRACE(name);
    const auto database = JetDatabase::open(testing::fixture(name), "");
    for (const char* table : {"MSysRelationships", "MSysObjects", "MSysACEs"}) {
      SCOPED_TRACE(table);
      EXPECT_EQ(testing::failureOf([&] {
                  JetCursor cursor(database, table, {});
                  std::vector<Value> row;
                  while (cursor.fetch(row)) {
                  }
                }),
                "(no failure)");
    }
    std::vector<JetRelationship> read;
    EXPECT_EQ(testing::failureOf([&] { read = readRelationships(database); }), "(no failure)");
    EXPECT_EQ(read.size(), relationships);
  }
}

}  // namespace
}  // namespace tiermend::data::jet
