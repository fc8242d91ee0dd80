// The connection: which provider serves a connection string, the rules for setting
// the string, opening, closing and transactions.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "data/Connection.h"
#include "data/EngineError.h"
#include "data/ProviderChoice.h"
#include "data/Rowset.h"
#include "tests/data/sqlite/SqliteTestFiles.h"
#include "tests/support/FailureText.h"

namespace tiermend::data {
namespace {

using testing::SqliteFile;
using testing::TempFolder;

TextSettings utf8Settings() {
  return TextSettings{CodePage(CodePage::kUtf8), RegionalSettings{}};
}

std::string jetString(const std::string& dataSource) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=;User ID=admin;"
         "Data Source=" +
         dataSource + ";Persist Security Info=True";
}

// Runs the test inside a temporary working folder, as the tool runs in its own.
class ProviderChoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    // Resolved the way the connection resolves it (the temporary folder may be a link).
    here_ = std::filesystem::current_path().string();
  }
  void TearDown() override { std::filesystem::current_path(saved_); }

  // The message that opening a session for the string fails with.
  std::string failureOf(const std::string& connectionString) {
    return ::tiermend::testing::failureTextOf<EngineError>(
               [&] { openSessionFor(connectionString); })
        .value_or("(opened)");
  }

  TempFolder folder_;
  std::filesystem::path saved_;
  std::string here_;
};

TEST_F(ProviderChoiceTest, ASqliteFileIsOpenedReadWrite) {
  testing::createSqliteFile("basedb.mdb", "CREATE TABLE t (n INT); INSERT INTO t VALUES (1)");
  auto session = openSessionFor(jetString("basedb.mdb"));
  EXPECT_EQ(session->execute("insert into t values (2)"), 1);
  EXPECT_EQ(SqliteFile("basedb.mdb").value("select sum(n) from t"), "3");
}

TEST_F(ProviderChoiceTest, ProviderNamesAreComparedWithoutRegardToCase) {
  testing::createSqliteFile("x.db", "CREATE TABLE t (n INT)");
  EXPECT_NE(openSessionFor("provider=microsoft.jet.oledb.4.0;data source=x.db"), nullptr);
  EXPECT_NE(openSessionFor("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=x.db"), nullptr);
  EXPECT_NE(openSessionFor("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + here_ + "/x.db"),
            nullptr);
}

TEST_F(ProviderChoiceTest, AnAccessFileIsOpenedReadWrite) {
  std::filesystem::copy_file(std::string(TIERMEND_FIXTURES) + "/tiermenddb.mdb", "tiermenddb.mdb");
  std::filesystem::permissions("tiermenddb.mdb", std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  auto session = openSessionFor(jetString("tiermenddb.mdb"));
  auto cursor = session->query("select * from health_insu");
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(cursor->columns().size(), 8u);
  EXPECT_EQ(session->execute("delete from health_insu"), 50);
  std::vector<Value> row;
  EXPECT_FALSE(session->query("select * from health_insu")->fetch(row));
  EXPECT_THROW(session->execute("update labor set grade = 1"), EngineError);
}

TEST_F(ProviderChoiceTest, FileProblemsNameTheFullPath) {
  std::filesystem::create_directory("folder");
  std::ofstream("empty.mdb").close();
  std::ofstream("notes.mdb") << "just some text, not a database at all";
  EXPECT_EQ(failureOf(jetString("basedb.mdb")), "Could not find file '" + here_ + "/basedb.mdb'");
  EXPECT_EQ(failureOf(jetString("./folder/../nowhere/basedb.mdb")),
            "Could not find file '" + here_ + "/nowhere/basedb.mdb'");
  EXPECT_EQ(failureOf(jetString("folder")), "Unrecognized database format '" + here_ + "/folder'");
  EXPECT_EQ(failureOf(jetString("empty.mdb")),
            "Unrecognized database format '" + here_ + "/empty.mdb'");
  EXPECT_EQ(failureOf(jetString("notes.mdb")),
            "Unrecognized database format '" + here_ + "/notes.mdb'");
}

// A pipe would block the read of the header for good, and a device would never end.
TEST_F(ProviderChoiceTest, DatabaseFilesThatAreNoRegularFilesAreRefusedAsInputOutputFailures) {
  ASSERT_EQ(mkfifo("pipe.mdb", 0600), 0);
  ASSERT_EQ(symlink("/dev/zero", "zero.mdb"), 0);
  for (const std::string name : {"pipe.mdb", "zero.mdb"}) {
    SCOPED_TRACE(name);
    Connection connection("C", utf8Settings());
    connection.setConnectionString(jetString(name));
    try {
      connection.open();
      ADD_FAILURE() << "opened";
    } catch (const EInOutError& failure) {
      EXPECT_EQ(failure.errorCode(), 5);
      EXPECT_EQ(failure.message(),
                "Cannot open file '" + here_ + "/" + name + "': File access denied");
    }
  }
}

TEST_F(ProviderChoiceTest, StringsWithoutAUsableProviderAreRefused) {
  EXPECT_EQ(failureOf(""), "The connection string is empty");
  EXPECT_EQ(failureOf("  "), "The connection string is empty");
  EXPECT_EQ(failureOf("Data Source=x.db"), "The connection string names no provider");
  EXPECT_EQ(failureOf("Provider=MSDASQL;Data Source=x"),
            "Provider cannot be found. It may not be properly installed");
  EXPECT_EQ(failureOf("Provider=Microsoft.Jet.OLEDB.4.0;User ID=admin"),
            "The connection string names no database file (Data Source)");
}

TEST_F(ProviderChoiceTest, SqlServerStringsGoThroughOdbc) {
  // Nothing listens on port 1: the ODBC provider itself reports the failure.
  for (const char* provider : {"SQLOLEDB.1", "sqloledb"}) {
    const std::string message =
        failureOf(std::string("Provider=") + provider +
                  ";Persist Security Info=True;;User ID=sa;Initial Catalog=pay;"
                  "Data Source=127.0.0.1,1;");
    EXPECT_NE(message, "(opened)");
    EXPECT_NE(message, "Provider cannot be found. It may not be properly installed");
    EXPECT_FALSE(message.empty());
  }
}

TEST_F(ProviderChoiceTest, AConnectionRaisesFailuresOfTheFamily) {
  Connection connection("ADOC2", utf8Settings());
  connection.setConnectionString(jetString("basedb.mdb"));
  try {
    connection.open();
    FAIL() << "opened a missing file";
  } catch (const EOleException& failure) {
    EXPECT_EQ(failure.message(), "Could not find file '" + here_ + "/basedb.mdb'");
  }
  EXPECT_FALSE(connection.connected());
}

class ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override { connection_.setConnectionString(jetString(path_)); }

  std::string count() { return SqliteFile(path_).value("select count(*) from t"); }

  const testing::ScratchSqliteFile file_{"target.db",
                                         "CREATE TABLE t (n INT); INSERT INTO t VALUES (1), (2)"};
  const std::string path_ = file_.path();
  Connection connection_{"ADOC2", utf8Settings()};
};

TEST_F(ConnectionTest, TheStringCanOnlyChangeWhileClosed) {
  connection_.open();
  const Session* session = &connection_.session();
  connection_.open();  // opening an open connection does nothing
  EXPECT_EQ(&connection_.session(), session);
  connection_.setConnectionString(jetString(path_));  // the same string: nothing happens
  try {
    connection_.setConnectionString(jetString("other.db"));
    FAIL() << "changed the string of an open connection";
  } catch (const EDatabaseError& failure) {
    EXPECT_EQ(failure.message(), "Operation is not allowed when the object is open");
  }
  EXPECT_EQ(connection_.connectionString(), jetString(path_));
  connection_.close();
  connection_.close();
  connection_.setConnectionString(jetString("other.db"));
  EXPECT_EQ(connection_.connectionString(), jetString("other.db"));
}

TEST_F(ConnectionTest, CloseClosesItsRowsetsAndUndoesAnOpenTransaction) {
  Rowset rowset("ADOQ2", connection_);
  rowset.addSql("select * from t");
  rowset.open();
  connection_.beginTransaction();
  Rowset deleter("ADOQ3", connection_);
  deleter.addSql("delete from t");
  EXPECT_EQ(deleter.execSql(), 2);
  connection_.close();
  EXPECT_FALSE(rowset.active());
  EXPECT_FALSE(connection_.inTransaction());
  EXPECT_EQ(count(), "2");
}

TEST_F(ConnectionTest, Transactions) {
  Rowset rowset("ADOQ2", connection_);
  rowset.addSql("delete from t");
  connection_.beginTransaction();  // opens the connection first
  EXPECT_TRUE(connection_.connected());
  EXPECT_THROW(connection_.beginTransaction(), EDatabaseError);
  EXPECT_EQ(rowset.execSql(), 2);
  connection_.rollback();
  EXPECT_EQ(count(), "2");
  connection_.beginTransaction();
  EXPECT_EQ(rowset.execSql(), 2);
  connection_.commit();
  EXPECT_EQ(count(), "0");
  try {
    connection_.commit();
    FAIL() << "committed without a transaction";
  } catch (const EDatabaseError& failure) {
    EXPECT_EQ(failure.message(), "No transaction is active on this connection");
  }
  EXPECT_THROW(connection_.rollback(), EDatabaseError);
}

TEST(ConnectionCodePageTest, StatementsAndMessagesPassThroughTheCodePage) {
  TempFolder folder;
  const std::string path = folder.file("big5.db");
  testing::createSqliteFile(path,
                            "CREATE TABLE 薪資 (名稱 TEXT); INSERT INTO 薪資 VALUES ('健保')");
  Connection connection("ADOC2", TextSettings{CodePage(950), RegionalSettings{}});
  connection.setConnectionString(jetString(path));
  Rowset rowset("ADOQ2", connection);
  rowset.addSql("select * from \xC1\x7E\xB8\xEA");  // 薪資 in Big5
  rowset.open();
  EXPECT_EQ(rowset.field(0).asString(), "\xB0\xB7\xAB\x4F");  // 健保 in Big5
  rowset.clearSql();
  rowset.addSql("select * from \xC1\x7E\xB8\xEA\xAA\xED");  // 薪資表
  try {
    rowset.open();
    FAIL() << "opened a missing table";
  } catch (const EOleException& failure) {
    EXPECT_EQ(failure.message(), "no such table: \xC1\x7E\xB8\xEA\xAA\xED");
  }
}

}  // namespace
}  // namespace tiermend::data
