// How the OLE DB connection string's entries become ODBC connection strings.
#include <gtest/gtest.h>

#include "data/providers/odbc/OdbcConnectionText.h"
#include "tests/support/TestName.h"

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

TEST(OdbcAttributeValueTest, BracesOnlyValuesThatWouldChangeTheDivision) {
  EXPECT_EQ(odbcAttributeValue("sa"), "sa");
  EXPECT_EQ(odbcAttributeValue("p;w"), "{p;w}");
  EXPECT_EQ(odbcAttributeValue("a;b}"), "{a;b}}}");
  EXPECT_EQ(odbcAttributeValue("{x"), "{{x}");
  EXPECT_EQ(odbcAttributeValue(" lead"), "{ lead}");
  EXPECT_EQ(odbcAttributeValue("trail\t"), "{trail\t}");
  EXPECT_EQ(odbcAttributeValue("a=b"), "a=b");
  EXPECT_EQ(odbcAttributeValue("my dsn"), "my dsn");
  EXPECT_EQ(odbcAttributeValue("x}"), "x}");
  EXPECT_EQ(odbcAttributeValue(""), "");
  EXPECT_EQ(odbcAttributeValue("薪資"), "薪資");
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
            "DRIVER=FreeTDS;Server=dbhost;Port=1533;UID=sa;PWD={se;cret};DATABASE=公司;"
            "ClientCharset=UTF-8;");
  EXPECT_EQ(freeTdsConnectionString("/usr/lib/libtdsodbc.so", {"dbhost", "", "SQLEXPRESS"},
                                    {"sa", std::nullopt, ""}),
            "DRIVER=/usr/lib/libtdsodbc.so;Server=dbhost\\SQLEXPRESS;UID=sa;ClientCharset=UTF-8;");
}

}  // namespace
}  // namespace tiermend::data::odbc
