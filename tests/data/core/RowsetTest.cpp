// The rowset on real SQLite files, and once on an Access file: statement lines, walking
// the result, appending and posting rows, and the failures a rowset raises.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "data/Rowset.h"
#include "platform/Exceptions.h"
#include "tests/data/jet/DamagedPackages.h"
#include "tests/data/sqlite/SqliteTestFiles.h"
#include "tests/support/FailureText.h"
#include "tests/support/TempFolder.h"

namespace tiermend::data {
namespace {

using testing::failureMessageOf;
using testing::SqliteFile;

class RowsetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    connection_.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path_);
  }

  void select(Rowset& rowset, const std::string& sql) {
    rowset.clearSql();
    rowset.addSql(sql);
    rowset.open();
  }

  std::vector<std::vector<std::string>> stored(const std::string& sql) {
    return SqliteFile(path_).rows(sql);
  }

  const testing::ScratchSqliteFile file_{
      "target.db",
      "CREATE TABLE t (n INT, label VARCHAR(10), amount INT DEFAULT 7);"
      "INSERT INTO t VALUES (1, 'one', 10), (2, 'two', 20), (3, NULL, 30);"
      "CREATE TABLE strict (a INT NOT NULL, b INT CHECK (b > 0), c INT UNIQUE);"
      "CREATE TABLE numbered (id INTEGER PRIMARY KEY AUTOINCREMENT, v INT);"
      "CREATE TABLE empty (x INT);"};
  const std::string path_ = file_.path();
  Connection connection_{"ADOC2", TextSettings{CodePage(CodePage::kUtf8), RegionalSettings{}}};
  Rowset rowset_{"ADOQ2", connection_};
};

TEST_F(RowsetTest, StatementLinesAreSentEachEndedByCrLf) {
  rowset_.addSql("select n");
  rowset_.addSql("from t");
  EXPECT_EQ(rowset_.sqlText(), "select n\r\nfrom t\r\n");
  rowset_.open();  // connects the closed connection first
  EXPECT_TRUE(connection_.connected());
  EXPECT_EQ(rowset_.fieldCount(), 1);
  EXPECT_EQ(rowset_.field(0).asString(), "1");
}

TEST_F(RowsetTest, ChangingTheStatementClosesTheRowset) {
  select(rowset_, "select * from t");
  rowset_.addSql("where n > 1");
  EXPECT_FALSE(rowset_.active());
  rowset_.open();
  EXPECT_EQ(rowset_.field(0).asString(), "2");
  rowset_.clearSql();
  EXPECT_FALSE(rowset_.active());
  EXPECT_TRUE(rowset_.sqlLines().empty());
  EXPECT_EQ(failureMessageOf<EDatabaseError>([&] { rowset_.open(); }),
            "ADOQ2: The statement text is empty");
}

TEST_F(RowsetTest, WalksEveryRowToTheEnd) {
  select(rowset_, "select * from t order by n");
  std::vector<std::string> seen;
  for (rowset_.first(); !rowset_.eof(); rowset_.next()) {
    seen.push_back(rowset_.field(0).asString() + ":" + rowset_.field(1).asString());
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"1:one", "2:two", "3:"}));
  EXPECT_TRUE(rowset_.field(1).isNull());  // the last row stays current at the end
  rowset_.next();
  EXPECT_TRUE(rowset_.eof());
  EXPECT_EQ(rowset_.field(0).asString(), "3");
}

TEST_F(RowsetTest, FirstAfterMovingRunsTheStatementAgain) {
  select(rowset_, "select n from t order by n");
  rowset_.next();
  Rowset writer("ADOQ3", connection_);
  writer.addSql("insert into t (n) values (0)");
  writer.execSql();
  rowset_.first();
  EXPECT_EQ(rowset_.field(0).asString(), "0");
  EXPECT_FALSE(rowset_.eof());
}

// A rowset opened to append to, as the refresh opens its target, reads none of the
// rows the table holds: while it is only open, another connection can take the whole
// file for itself, which a result in the middle of being read would prevent.
TEST_F(RowsetTest, OpeningReadsNoRowUntilOneIsAskedFor) {
  SqliteFile other(path_);
  const auto otherCanTakeTheFile = [&] {
    try {
      other.exec("BEGIN EXCLUSIVE");
    } catch (const std::runtime_error&) {
      return false;
    }
    other.exec("COMMIT");
    return true;
  };
  select(rowset_, "select * from t order by n");
  EXPECT_EQ(rowset_.fieldCount(), 3);
  EXPECT_EQ(rowset_.field(1).fieldName(), "label");
  EXPECT_TRUE(otherCanTakeTheFile());
  rowset_.append();
  rowset_.field(0).setAsString("4");
  rowset_.post();
  EXPECT_TRUE(otherCanTakeTheFile());
  // Asking where the walk stands reads the first row; the result is now being read.
  EXPECT_FALSE(rowset_.eof());
  EXPECT_FALSE(otherCanTakeTheFile());
  EXPECT_EQ(rowset_.field(0).asString(), "1");
  rowset_.close();
  EXPECT_TRUE(otherCanTakeTheFile());
}

// Each way of asking for a row reads the first one: where the walk stands, a field's
// value, and moving on (which then goes on to the second row).
TEST_F(RowsetTest, TheFirstRowIsReadByWhicheverAsksFirst) {
  const struct {
    const char* ask;
    std::function<std::string(Rowset&)> answer;
    const char* expected;
  } cases[] = {
      {"eof", [](Rowset& r) { return std::string(r.eof() ? "end" : "row"); }, "row"},
      {"field", [](Rowset& r) { return r.field(0).asString(); }, "1"},
      {"first",
       [](Rowset& r) {
         r.first();
         return r.field(0).asString();
       },
       "1"},
      {"next",
       [](Rowset& r) {
         r.next();
         return r.field(0).asString();
       },
       "2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ask);
    select(rowset_, "select n from t order by n");
    EXPECT_EQ(c.answer(rowset_), c.expected);
  }
  select(rowset_, "select * from empty");
  rowset_.next();
  EXPECT_TRUE(rowset_.eof());
}

// On an Access file as well, opening reads the table's columns and none of its rows:
// rows that lie outside their page fail the first row asked for, not the open, and a
// result whose first row cannot be read is closed, as a failed open leaves it.
TEST(RowsetOnAccessTest, OpeningReadsTheColumnsAndNoRow) {
  const testing::TempFolder folder;
  const std::string path = folder.file("tiermenddb.mdb");
  std::filesystem::copy_file(std::string(TIERMEND_FIXTURES) + "/tiermenddb.mdb", path);
  const auto pages = testing::pagesOfTable(path, "incom_rep");
  testing::setPageRowCount(path, pages.dataPages.at(0), 1000);
  Connection connection("ADOC1", TextSettings{CodePage(CodePage::kUtf8), RegionalSettings{}});
  connection.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path);
  Rowset rowset("ADOQ1", connection);
  rowset.addSql("select * from incom_rep");
  rowset.open();
  EXPECT_EQ(rowset.fieldCount(), 14);
  EXPECT_EQ(rowset.field(13).fieldName(), "dep11");
  const std::string failure = failureMessageOf<EOleException>([&] { rowset.eof(); });
  EXPECT_NE(failure.find("is damaged: the rows of page " + std::to_string(pages.dataPages.at(0))),
            std::string::npos)
      << failure;
  EXPECT_FALSE(rowset.active());
}

TEST_F(RowsetTest, OpeningAnOpenRowsetDoesNothing) {
  select(rowset_, "select n from t order by n");
  rowset_.next();
  rowset_.open();
  EXPECT_EQ(rowset_.field(0).asString(), "2");
}

TEST_F(RowsetTest, AnEmptyResultIsAtItsEndAtOnce) {
  select(rowset_, "select * from empty");
  EXPECT_TRUE(rowset_.eof());
  EXPECT_EQ(rowset_.fieldCount(), 1);
  EXPECT_EQ(rowset_.field(0).asString(), "");
  rowset_.first();
  EXPECT_TRUE(rowset_.eof());
}

TEST_F(RowsetTest, AStatementWithoutResultSetCannotBeOpened) {
  rowset_.addSql("delete from t where n = 1");
  EXPECT_EQ(failureMessageOf<EDatabaseError>([&] { rowset_.open(); }),
            "ADOQ2: CommandText does not return a result set");
  EXPECT_FALSE(rowset_.active());
}

TEST_F(RowsetTest, ExecSqlConnectsAndCountsTheRows) {
  rowset_.addSql("delete from t where n >= 2");
  EXPECT_EQ(rowset_.execSql(), 2);
  EXPECT_EQ(stored("select count(*) from t")[0][0], "1");
}

TEST_F(RowsetTest, FieldPositionsOutsideTheResultAreRefused) {
  EXPECT_EQ(failureMessageOf<EListError>([&] { rowset_.field(0); }),
            "List index out of bounds (0)");
  select(rowset_, "select n, label from t");
  EXPECT_EQ(failureMessageOf<EListError>([&] { rowset_.field(2); }),
            "List index out of bounds (2)");
  EXPECT_EQ(failureMessageOf<EListError>([&] { rowset_.field(-1); }),
            "List index out of bounds (-1)");
  EXPECT_EQ(rowset_.field(1).fieldName(), "label");
}

TEST_F(RowsetTest, AMissingTableGivesTheEnginesMessage) {
  rowset_.addSql("select * from missing");
  EXPECT_EQ(failureMessageOf<EOleException>([&] { rowset_.open(); }), "no such table: missing");
}

TEST_F(RowsetTest, PostAddsTheWrittenColumnsOnly) {
  select(rowset_, "select * from t");
  rowset_.append();
  EXPECT_TRUE(rowset_.field(0).isNull());  // every column unset
  rowset_.field(1).setAsString("four");
  rowset_.field(0).setAsString("4");
  EXPECT_EQ(rowset_.field(1).asString(), "four");
  EXPECT_TRUE(rowset_.field(2).isNull());
  rowset_.post();
  rowset_.append();
  rowset_.field(0).setAsString("5");
  rowset_.field(2).setAsString("");  // an empty text makes a number column null
  rowset_.post();
  // The unwritten column took its default; the column written empty is null.
  EXPECT_EQ(stored("select n, ifnull(label, 'null'), ifnull(amount, 'null') from t where n > 3"),
            (std::vector<std::vector<std::string>>{{"4", "four", "7"}, {"5", "null", "null"}}));
}

TEST_F(RowsetTest, ARefusedRowIsDroppedAndTheRowsetStaysUsable) {
  select(rowset_, "select * from strict");
  rowset_.append();
  rowset_.field(1).setAsString("1");
  EXPECT_EQ(failureMessageOf<EOleException>([&] { rowset_.post(); }),
            "NOT NULL constraint failed: strict.a");
  EXPECT_FALSE(rowset_.appending());
  EXPECT_TRUE(rowset_.active());
  rowset_.append();
  rowset_.field(0).setAsString("1");
  rowset_.field(1).setAsString("0");
  EXPECT_EQ(failureMessageOf<EOleException>([&] { rowset_.post(); }),
            "CHECK constraint failed: b > 0");
  rowset_.append();
  rowset_.field(0).setAsString("1");
  rowset_.field(2).setAsString("9");
  rowset_.post();
  rowset_.append();
  rowset_.field(0).setAsString("2");
  rowset_.field(2).setAsString("9");
  EXPECT_EQ(failureMessageOf<EOleException>([&] { rowset_.post(); }),
            "UNIQUE constraint failed: strict.c");
  EXPECT_EQ(stored("select a, c from strict"), (std::vector<std::vector<std::string>>{{"1", "9"}}));
}

TEST_F(RowsetTest, AnAutoNumberColumnCannotBeWritten) {
  select(rowset_, "select * from numbered");
  rowset_.append();
  EXPECT_EQ(failureMessageOf<EDatabaseError>([&] { rowset_.field(0).setAsString("5"); }),
            "Field 'id' cannot be modified");
  rowset_.field(1).setAsString("42");
  rowset_.post();
  EXPECT_EQ(stored("select id, v from numbered"),
            (std::vector<std::vector<std::string>>{{"1", "42"}}));
}

TEST_F(RowsetTest, ClosingDropsTheRowBeingAppended) {
  select(rowset_, "select * from t");
  rowset_.append();
  rowset_.field(0).setAsString("99");
  rowset_.close();
  EXPECT_EQ(stored("select count(*) from t where n = 99")[0][0], "0");
}

TEST_F(RowsetTest, MovingOnPostsAWrittenRowAndDropsAnUntouchedOne) {
  select(rowset_, "select * from t order by n");
  rowset_.append();
  rowset_.next();  // nothing written: nothing posted
  rowset_.append();
  rowset_.field(0).setAsString("8");
  rowset_.next();
  EXPECT_FALSE(rowset_.appending());
  EXPECT_EQ(stored("select count(*) from t")[0][0], "4");
}

// Appending and posting leave the walk where it stood: at its row, or at its end.
TEST_F(RowsetTest, AppendingKeepsThePlaceOfTheWalk) {
  struct Case {
    const char* statement;
    int moves;               // next() calls before append()
    bool atEnd;              // eof() before, during and after the append
    const char* currentRow;  // field 0 once the row is posted ("" for no row)
  };
  const Case cases[] = {
      {"select n from t where n < 4 order by n", 0, false, "1"},
      {"select n from t where n < 4 order by n", 1, false, "2"},
      {"select n from t where n < 4 order by n", 3, true, "3"},
      {"select x from empty", 0, true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.statement) + " after " + std::to_string(c.moves) + " moves");
    select(rowset_, c.statement);
    for (int i = 0; i < c.moves; ++i) rowset_.next();
    ASSERT_EQ(rowset_.eof(), c.atEnd);
    rowset_.append();
    EXPECT_EQ(rowset_.eof(), c.atEnd);
    EXPECT_TRUE(rowset_.field(0).isNull());  // the new row, not the walk's
    rowset_.field(0).setAsString("5");
    EXPECT_EQ(rowset_.field(0).asString(), "5");
    rowset_.post();
    EXPECT_FALSE(rowset_.appending());
    EXPECT_EQ(rowset_.eof(), c.atEnd);
    EXPECT_EQ(rowset_.field(0).asString(), c.currentRow);
    rowset_.close();
  }
  EXPECT_EQ(stored("select count(*) from t where n = 5")[0][0], "3");
  EXPECT_EQ(stored("select count(*) from empty where x = 5")[0][0], "1");
}

TEST_F(RowsetTest, WritingOrPostingOutsideAppendIsRefused) {
  EXPECT_EQ(failureMessageOf<EDatabaseError>([&] { rowset_.append(); }),
            "ADOQ2: Cannot perform this operation on a closed dataset");
  select(rowset_, "select * from t");
  EXPECT_EQ(failureMessageOf<EDatabaseError>([&] { rowset_.post(); }),
            "ADOQ2: Dataset not in edit or insert mode");
  EXPECT_EQ(failureMessageOf<EDatabaseError>([&] { rowset_.field(0).setAsString("1"); }),
            "ADOQ2: Dataset not in edit or insert mode");
}

TEST_F(RowsetTest, RowsOfAResultWithoutOneBaseTableCannotBePosted) {
  select(rowset_, "select count(*) as c from t");
  rowset_.append();
  EXPECT_EQ(failureMessageOf<EDatabaseError>([&] { rowset_.post(); }),
            "ADOQ2: Insufficient base table information for updating or refreshing");
}

// The refresh works this way: the target rowset stays open on the table while the
// table is emptied and refilled on the same connection.
TEST_F(RowsetTest, AnOpenRowsetDoesNotBlockOtherStatementsOnItsConnection) {
  select(rowset_, "select * from t");
  Rowset other("ADOQ3", connection_);
  other.addSql("delete from t");
  EXPECT_EQ(other.execSql(), 3);
  rowset_.append();
  rowset_.field(0).setAsString("6");
  rowset_.post();
  EXPECT_EQ(stored("select n from t"), (std::vector<std::vector<std::string>>{{"6"}}));
}

TEST_F(RowsetTest, ATransactionCommitsWhileARowsetIsInTheMiddleOfItsResult) {
  connection_.beginTransaction();
  select(rowset_, "select * from t");
  Rowset other("ADOQ3", connection_);
  other.addSql("delete from t where n = 1");
  EXPECT_EQ(other.execSql(), 1);
  connection_.commit();
  EXPECT_TRUE(rowset_.active());
  rowset_.close();
  EXPECT_EQ(stored("select count(*) from t")[0][0], "2");
}

TEST_F(RowsetTest, RollbackRestoresTheRows) {
  connection_.beginTransaction();
  rowset_.addSql("delete from t");
  EXPECT_EQ(rowset_.execSql(), 3);
  select(rowset_, "select * from t");
  rowset_.append();
  rowset_.field(0).setAsString("6");
  rowset_.post();
  connection_.rollback();
  EXPECT_EQ(stored("select count(*), sum(n) from t"),
            (std::vector<std::vector<std::string>>{{"3", "6"}}));
}

TEST_F(RowsetTest, ARowsetOutlivingItsConnectionFailsPlainly) {
  auto connection = std::make_unique<Connection>("ADOC9", connection_.settings());
  connection->setConnectionString(connection_.connectionString());
  Rowset orphan("ADOQ9", *connection);
  select(orphan, "select * from t");
  connection.reset();
  EXPECT_FALSE(orphan.active());
  EXPECT_EQ(failureMessageOf<EDatabaseError>([&] { orphan.open(); }),
            "ADOQ9: Missing Connection or ConnectionString");
}

}  // namespace
}  // namespace tiermend::data
