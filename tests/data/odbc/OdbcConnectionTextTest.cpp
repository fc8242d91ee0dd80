// How the OLE DB connection string's entries become ODBC connection strings.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "data/providers/odbc/OdbcConnectionText.h"
#include "tests/support/TestName.h"
#include "tests/support/TextCases.h"

namespace tiermend::data::odbc {
namespace {

struct AddressCase {
  const char* dataSource;
  const char* host;
  const char* port;
  const char* instance;
};

void PrintTo(const AddressCase& c, std::ostream* os) {
  *os << '"' << c.dataSource << '"';
}

class ServerAddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(ServerAddressTest, DividesHostPortAndInstance) {
  const AddressCase& c = GetParam();
  ServerAddress address = parseServerAddress(c.dataSource);
  EXPECT_EQ(address.host, c.host);
  EXPECT_EQ(address.port, c.port);
  EXPECT_EQ(address.instance, c.instance);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ServerAddressTest,
    ::testing::Values(AddressCase{"dbhost", "dbhost", "", ""},
                      AddressCase{"10.0.0.5,1533", "10.0.0.5", "1533", ""},
                      AddressCase{" dbhost , 1533 ", "dbhost", "1533", ""},
                      AddressCase{"dbhost\\SQLEXPRESS", "dbhost", "", "SQLEXPRESS"},
                      AddressCase{"tcp:dbhost,1433", "dbhost", "1433", ""},
                      AddressCase{"(local)", "localhost", "", ""},
                      AddressCase{".\\SQLEXPRESS", "localhost", "", "SQLEXPRESS"},
                      AddressCase{"", "", "", ""}),
    [](const ::testing::TestParamInfo<AddressCase>& info) {
      return tiermend::testing::testNameFrom(info.param.dataSource);
    });

// A name with a part missing would reach this machine's default instance instead of the
// server meant: it is refused before any connection.
TEST(ServerAddressFaultTest, NamesWithAPartMissingAreMalformed) {
  const struct {
    const char* dataSource;
    const char* fault;
  } cases[] = {
      {"dbhost", ""},
      {"", ""},
      {"tcp:dbhost,1433", ""},
      {".\\SQLEXPRESS", ""},
      {"dbhost\\SQLEXPRESS,1533", ""},
      {"dbhost,65535", ""},
      {"tcp:", "there is no server name after its tcp: prefix"},
      {" TCP: ", "there is no server name after its tcp: prefix"},
      {"\\", "it names no server"},
      {"\\SQLEXPRESS", "it names no server"},
      {",1433", "it names no server"},
      {"dbhost\\", "there is no instance name after its backslash"},
      {"dbhost\\ ,1433", "there is no instance name after its backslash"},
      {"dbhost,", "its port '' is no port number from 1 to 65535"},
      {"dbhost,14x3", "its port '14x3' is no port number from 1 to 65535"},
      {"dbhost,0", "its port '0' is no port number from 1 to 65535"},
      {"dbhost,65536", "its port '65536' is no port number from 1 to 65535"},
      {"dbhost,-1", "its port '-1' is no port number from 1 to 65535"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(serverAddressFault(c.dataSource), c.fault) << c.dataSource;
  }
}

TEST(OdbcAttributeValueTest, BracesOnlyValuesThatWouldChangeTheDivision) {
  testing::expectEachText([](const std::string& text) { return odbcAttributeValue(text); },
                          {{"sa", "sa"},
                           {"p;w", "{p;w}"},
                           {"a;b}", "{a;b}}}"},
                           {"{x", "{{x}"},
                           {" lead", "{ lead}"},
                           {"trail\t", "{trail\t}"},
                           {"a=b", "a=b"},
                           {"my dsn", "my dsn"},
                           {"x}", "x}"},
                           {"", ""},
                           {"薪資", "薪資"}});
}

TEST(DataSourceConnectionStringTest, PassesOnlyWhatTheStringGives) {
  EXPECT_EQ(dataSourceConnectionString("payroll", {"sa", "pw", "hr"}),
            "DSN=payroll;UID=sa;PWD=pw;DATABASE=hr;");
  // No password entry and no catalog: the data source's own settings apply.
  EXPECT_EQ(dataSourceConnectionString("payroll", {"sa", std::nullopt, ""}), "DSN=payroll;UID=sa;");
  // An empty password given is passed as empty.
  EXPECT_EQ(dataSourceConnectionString("my dsn", {"", std::string(), ""}), "DSN=my dsn;PWD=;");
}

TEST(FreeTdsConnectionStringTest, NamesServerPortInstanceAndUtf8) {
  LoginDetails login{"sa", "se;cret", "公司"};
  EXPECT_EQ(freeTdsConnectionString("FreeTDS", {"dbhost", "1533", ""}, login),
            "DRIVER=FreeTDS;Server=dbhost;Port=1533;TDS_Version=7.4;UID=sa;PWD={se;cret};"
            "DATABASE=公司;ClientCharset=UTF-8;");
}

// Each way a user names the server, as the driver receives it: a default instance on
// port 1433 unless a port is given; a named instance without a port, so that FreeTDS
// asks the SQL Server Browser for it.
TEST(FreeTdsConnectionStringTest, EveryFormOfServerNameGivesTheDriverHostAndPort) {
  const struct {
    const char* dataSource;
    const char* serverAndPort;
    const char* described;
  } cases[] = {
      {"dbhost", "Server=dbhost;Port=1433;", "'dbhost' on port 1433"},
      {"tcp:dbhost", "Server=dbhost;Port=1433;", "'dbhost' on port 1433"},
      {"TCP:dbhost", "Server=dbhost;Port=1433;", "'dbhost' on port 1433"},
      {"db.example.com", "Server=db.example.com;Port=1433;", "'db.example.com' on port 1433"},
      {"10.0.0.5", "Server=10.0.0.5;Port=1433;", "'10.0.0.5' on port 1433"},
      {"::1", "Server=::1;Port=1433;", "'::1' on port 1433"},
      {"(local)", "Server=localhost;Port=1433;", "'localhost' on port 1433"},
      {".", "Server=localhost;Port=1433;", "'localhost' on port 1433"},
      {"dbhost,1533", "Server=dbhost;Port=1533;", "'dbhost' on port 1533"},
      {"tcp:10.0.0.5,1533", "Server=10.0.0.5;Port=1533;", "'10.0.0.5' on port 1533"},
      {"dbhost\\SQLEXPRESS", "Server=dbhost\\SQLEXPRESS;", "'dbhost\\SQLEXPRESS'"},
      {"(local)\\SQLEXPRESS", "Server=localhost\\SQLEXPRESS;", "'localhost\\SQLEXPRESS'"},
      {"tcp:dbhost\\SQLEXPRESS", "Server=dbhost\\SQLEXPRESS;", "'dbhost\\SQLEXPRESS'"},
      // A port given with an instance wins: no Browser is asked.
      {"dbhost\\SQLEXPRESS,1533", "Server=dbhost\\SQLEXPRESS;Port=1533;", "'dbhost\\SQLEXPRESS'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dataSource);
    const ServerAddress server = parseServerAddress(c.dataSource);
    EXPECT_EQ(freeTdsConnectionString("FreeTDS", server, {"sa", std::nullopt, ""}),
              std::string("DRIVER=FreeTDS;") + c.serverAndPort +
                  "TDS_Version=7.4;UID=sa;ClientCharset=UTF-8;");
    EXPECT_EQ(serverDescription(server), c.described);
  }
}

// On Windows the newest of Microsoft's drivers that is installed reaches SQL Server.
TEST(MicrosoftSqlServerDriverTest, TheNewestInstalledIsChosen) {
  const struct {
    std::vector<std::string> installed;
    std::optional<std::string> chosen;
  } cases[] = {
      {{"SQL Server", "ODBC Driver 17 for SQL Server", "ODBC Driver 18 for SQL Server"},
       "ODBC Driver 18 for SQL Server"},
      {{"SQL Server", "SQL Server Native Client 11.0", "Microsoft Access Driver (*.mdb)"},
       "SQL Server Native Client 11.0"},
      {{"sql server", "PostgreSQL Unicode"}, "sql server"},
      {{"FreeTDS", "PostgreSQL Unicode"}, std::nullopt},
      {{}, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(newestMicrosoftSqlServerDriver(c.installed), c.chosen);
  }
}

std::string microsoftString(const char* driver, const char* dataSource) {
  return microsoftConnectionString(driver, parseServerAddress(dataSource),
                                   {"sa", "se;cret", "公司"});
}

TEST(MicrosoftSqlServerDriverTest, EveryFormOfServerNameGivesTheDriverItsAddress) {
  EXPECT_EQ(microsoftString("ODBC Driver 17 for SQL Server", "dbhost"),
            "DRIVER=ODBC Driver 17 for SQL Server;Server=tcp:dbhost,1433;UID=sa;PWD={se;cret};"
            "DATABASE=公司;");
  EXPECT_EQ(microsoftString("SQL Server", "(local),1533"),
            "DRIVER=SQL Server;Server=tcp:localhost,1533;UID=sa;PWD={se;cret};DATABASE=公司;");
  // A named instance's port is the SQL Server Browser's to tell, unless one is given.
  EXPECT_EQ(microsoftString("SQL Server", "dbhost\\SQLEXPRESS"),
            "DRIVER=SQL Server;Server=dbhost\\SQLEXPRESS;UID=sa;PWD={se;cret};DATABASE=公司;");
  EXPECT_EQ(microsoftString("SQL Server", "dbhost\\SQLEXPRESS,1533"),
            "DRIVER=SQL Server;Server=tcp:dbhost,1533;UID=sa;PWD={se;cret};DATABASE=公司;");
  // Driver 18 would refuse the self-signed certificate most servers have.
  EXPECT_EQ(microsoftString("ODBC Driver 18 for SQL Server", "tcp:10.0.0.5"),
            "DRIVER=ODBC Driver 18 for SQL Server;Server=tcp:10.0.0.5,1433;UID=sa;PWD={se;cret};"
            "DATABASE=公司;Encrypt=no;");
}

}  // namespace
}  // namespace tiermend::data::odbc
