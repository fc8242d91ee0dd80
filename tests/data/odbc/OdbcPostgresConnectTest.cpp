// Connecting: a configured data source with the link's user and catalog, and the
// messages of connections that fail.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "tests/data/odbc/OdbcPostgresFixture.h"

namespace tiermend::data::odbc {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using testing::OdbcPostgresTest;
using ::testing::StartsWith;

TEST_F(OdbcPostgresTest, DataSourceIsUsedWithUserAndCatalogFromTheString) {
  // The data source names the database "postgres"; Initial Catalog must win.
  auto session = open();
  auto cursor = session->query("SELECT current_database(), current_user");
  ASSERT_NE(cursor, nullptr);
  auto rows = allRows(*cursor);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(std::get<std::string>(rows[0][0]), pg.database());
  EXPECT_EQ(std::get<std::string>(rows[0][1]), "postgres");
}

TEST_F(OdbcPostgresTest, DataSourceNameMatchesWithoutRegardToCase) {
  std::string text = pg.oleDbConnectionString();
  std::string upper = pg.dataSourceName();
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  text.replace(text.find(pg.dataSourceName()), pg.dataSourceName().size(), upper);
  auto session = openSession(ConnectionString::parse(text));
  EXPECT_NE(session->query("SELECT 1"), nullptr);
}

TEST_F(OdbcPostgresTest, UnknownUserFailsWithTheServersMessage) {
  std::string message = engineMessage([&] { open("nobody_here"); });
  EXPECT_THAT(message, HasSubstr("role \"nobody_here\" does not exist"));
  EXPECT_THAT(message, Not(StartsWith("[")));
}

TEST_F(OdbcPostgresTest, MissingCatalogFailsWithTheServersMessage) {
  std::string text = pg.oleDbConnectionString();
  text.replace(text.find(pg.database()), pg.database().size(), "no_such_catalog");
  std::string message = engineMessage([&] { openSession(ConnectionString::parse(text)); });
  EXPECT_THAT(message, HasSubstr("database \"no_such_catalog\" does not exist"));
}

// A local TCP port that nothing listens on.
int closedPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

// Not a configured data source: the FreeTDS driver is asked to reach a SQL Server
// there, and the refusal comes back quickly as a readable message.
TEST_F(OdbcPostgresTest, UnreachableServerFailsQuicklyWithAMessage) {
  std::string text =
      "Provider=SQLOLEDB.1;Password=x;Persist Security Info=True;;User ID=sa;"
      "Initial Catalog=payroll;Data Source=127.0.0.1," +
      std::to_string(closedPort()) + ";";
  auto started = std::chrono::steady_clock::now();
  std::string message = engineMessage([&] { openSession(ConnectionString::parse(text)); });
  auto elapsed = std::chrono::steady_clock::now() - started;
  EXPECT_LT(elapsed, std::chrono::seconds(20));
  EXPECT_FALSE(message.empty());
  EXPECT_THAT(message, Not(StartsWith("[")));
  EXPECT_THAT(message, Not(HasSubstr("Data source name not found")));
}

// The test support's promise: data sources made one after another in one process,
// after ODBC has been used, are each found.
TEST(PgTestDataSourceTest, DataSourcesOneAfterAnotherInOneProcess) {
  for (int round = 0; round < 2; ++round) {
    testing::PgTestDataSource pg;
    pg.psql("CREATE TABLE t (x integer); INSERT INTO t VALUES (" + std::to_string(round) + ")");
    auto session = openSession(ConnectionString::parse(pg.oleDbConnectionString()));
    auto cursor = session->query("SELECT x FROM t");
    std::vector<Value> row;
    ASSERT_TRUE(cursor && cursor->fetch(row));
    EXPECT_EQ(row, std::vector<Value>{std::int64_t{round}});
  }
}

}  // namespace
}  // namespace tiermend::data::odbc
