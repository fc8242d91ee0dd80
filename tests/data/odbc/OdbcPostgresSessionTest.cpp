// Statements, refusals, affected rows, transactions and cursors on one session.
#include "tests/data/odbc/OdbcPostgresFixture.h"

namespace tiermend::data::odbc {
namespace {

using ::testing::HasSubstr;
using testing::OdbcPostgresTest;

class OdbcPostgresSessionTest : public OdbcPostgresTest {
 protected:
  void SetUp() override {
    pg.psql(
        "CREATE TABLE labor (grade integer NOT NULL CHECK (grade > 0), pay numeric(10,2));"
        "INSERT INTO labor VALUES (1, 100), (2, 200), (3, 300);");
    session = open();
  }

  std::string count() const { return pg.psql("SELECT count(*) FROM labor"); }

  void insertGrade(std::int64_t grade) {
    session->insert("labor", {"grade", "pay"}, {grade, Decimal{"1.5"}});
  }

  std::unique_ptr<Session> session;
};

TEST_F(OdbcPostgresSessionTest, StatementWithoutResultGivesNoCursorButRuns) {
  EXPECT_EQ(session->query("CREATE TABLE made_here (x integer)"), nullptr);
  EXPECT_EQ(pg.psql("SELECT count(*) FROM made_here"), "0\n");
}

TEST_F(OdbcPostgresSessionTest, ExecuteReportsRowsAffected) {
  EXPECT_EQ(session->execute("UPDATE labor SET pay = 0 WHERE grade >= 2"), 2);
  EXPECT_EQ(session->execute("DELETE FROM labor WHERE grade = 99"), 0);
  EXPECT_EQ(session->execute("DELETE FROM labor"), 3);
  EXPECT_EQ(count(), "0\n");
}

TEST_F(OdbcPostgresSessionTest, RefusedRowsReportTheServersReason) {
  std::string check = engineMessage([&] { insertGrade(0); });
  EXPECT_THAT(check, HasSubstr("violates check constraint"));
  std::string notNull = engineMessage([&] {
    session->insert("labor", {"grade", "pay"}, {Null{}, Decimal{"1"}});
  });
  EXPECT_THAT(notNull, HasSubstr("null value in column \"grade\""));
  EXPECT_EQ(count(), "3\n");
  // The session stays usable after a refusal.
  insertGrade(4);
  EXPECT_EQ(count(), "4\n");
}

TEST_F(OdbcPostgresSessionTest, RowAfterRowRebindsEachValue) {
  // The same insert runs again for every row: each row's values, nulls included, must
  // reach the server, not the previous row's.
  session->execute("DELETE FROM labor");
  session->insert("labor", {"grade", "pay"}, {std::int64_t{7}, Null{}});
  session->insert("labor", {"grade", "pay"}, {std::int64_t{8}, Decimal{"12.25"}});
  session->insert("labor", {"pay", "grade"}, {Decimal{"3"}, std::int64_t{9}});
  session->insert("labor", {"grade", "pay"}, {std::int64_t{10}, Null{}});
  EXPECT_EQ(pg.psql("SELECT grade, pay FROM labor ORDER BY grade"), "7|\n8|12.25\n9|3.00\n10|\n");
}

TEST_F(OdbcPostgresSessionTest, MissingTableIsNamedInTheMessage) {
  EXPECT_THAT(engineMessage([&] { session->query("SELECT * FROM no_such_table"); }),
              HasSubstr("relation \"no_such_table\" does not exist"));
  EXPECT_THAT(engineMessage([&] { session->execute("DELETE FROM no_such_table"); }),
              HasSubstr("no_such_table"));
  EXPECT_THAT(engineMessage([&] { session->insert("no_such_table", {"a"}, {std::int64_t{1}}); }),
              HasSubstr("no_such_table"));
}

TEST_F(OdbcPostgresSessionTest, CommitKeepsAndRollbackDiscards) {
  session->beginTransaction();
  session->execute("DELETE FROM labor");
  insertGrade(7);
  // Not visible to another connection before the commit.
  EXPECT_EQ(count(), "3\n");
  session->rollback();
  EXPECT_EQ(count(), "3\n");

  session->beginTransaction();
  session->execute("DELETE FROM labor");
  insertGrade(7);
  session->commit();
  EXPECT_EQ(count(), "1\n");

  // Automatic commit is back: the next insert is visible at once.
  insertGrade(8);
  EXPECT_EQ(count(), "2\n");
}

TEST_F(OdbcPostgresSessionTest, FailedTransactionRollsBackAndSessionGoesOn) {
  session->beginTransaction();
  session->execute("DELETE FROM labor");
  // Inside a transaction the row may be held back until the next statement or flush.
  EXPECT_THROW(
      {
        insertGrade(-1);
        session->flush();
      },
      EngineError);
  session->rollback();
  EXPECT_EQ(count(), "3\n");
  insertGrade(5);
  EXPECT_EQ(count(), "4\n");
}

TEST_F(OdbcPostgresSessionTest, SessionClosedInsideATransactionLeavesNothingBehind) {
  session->beginTransaction();
  session->execute("DELETE FROM labor");
  session.reset();
  EXPECT_EQ(count(), "3\n");
}

TEST_F(OdbcPostgresSessionTest, SecondBeginIsRefused) {
  session->beginTransaction();
  EXPECT_THROW(session->beginTransaction(), EngineError);
  session->rollback();
}

TEST_F(OdbcPostgresSessionTest, OpenCursorDoesNotBlockInsertsOnTheSameSession) {
  auto cursor = session->query("SELECT grade FROM labor ORDER BY grade\r\n");
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(cursor->baseTable(), "labor");
  std::vector<Value> row;
  ASSERT_TRUE(cursor->fetch(row));
  EXPECT_EQ(row, std::vector<Value>{std::int64_t{1}});
  insertGrade(10);
  EXPECT_EQ(session->execute("DELETE FROM labor WHERE grade = 2"), 1);
  // The cursor still walks the result it was opened on.
  ASSERT_TRUE(cursor->fetch(row));
  EXPECT_EQ(row, std::vector<Value>{std::int64_t{2}});
  ASSERT_TRUE(cursor->fetch(row));
  EXPECT_FALSE(cursor->fetch(row));
  EXPECT_EQ(count(), "3\n");
}

TEST_F(OdbcPostgresSessionTest, ChineseNamesAndTextInStatements) {
  session->execute("CREATE TABLE 勞保 (等級 integer, 說明 varchar(10))");
  session->insert("勞保", {"等級", "說明"}, {std::int64_t{1}, std::string("第一級")});
  auto cursor = session->query("SELECT * FROM 勞保 WHERE 說明 = '第一級'");
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(cursor->baseTable(), "勞保");
  EXPECT_EQ(cursor->columns().at(1).name, "說明");
  EXPECT_EQ(allRows(*cursor).size(), 1u);
}

TEST_F(OdbcPostgresSessionTest, ValueCountMustMatchColumns) {
  EXPECT_THROW(session->insert("labor", {"grade", "pay"}, {std::int64_t{1}}), EngineError);
  EXPECT_EQ(count(), "3\n");
}

}  // namespace
}  // namespace tiermend::data::odbc
