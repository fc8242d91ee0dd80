// Division of OLE DB style connection strings into their entries.
#include <gtest/gtest.h>

#include <string>

#include "data/ConnectionString.h"
#include "tests/support/TestName.h"

namespace tiermend::data {
namespace {

struct EntryCase {
  const char* text;
  const char* key;
  const char* expected;  // nullptr: no such entry
};

// Names the case in test lists; characters that test runners treat specially are replaced.
void PrintTo(const EntryCase& c, std::ostream* os) {
  std::string name = std::string(c.key) + " in " + c.text;
  for (char& ch : name) {
    if (ch == ';') ch = '|';
    if (ch == '"' || ch == '\'') ch = '`';
    if (ch == '\\') ch = '/';
  }
  *os << name;
}

class ConnectionStringEntryTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(ConnectionStringEntryTest, FindsTheValue) {
  const EntryCase& c = GetParam();
  auto value = ConnectionString::parse(c.text).get(c.key);
  if (c.expected == nullptr) {
    EXPECT_FALSE(value.has_value()) << c.text;
  } else {
    ASSERT_TRUE(value.has_value()) << c.text;
    EXPECT_EQ(*value, c.expected) << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Division, ConnectionStringEntryTest,
    ::testing::Values(
        // The strings the link file produces.
        EntryCase{"Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;;User ID=sa;"
                  "Initial Catalog=pay;Data Source=srv\\inst;",
                  "User ID", "sa"},
        EntryCase{"Provider=SQLOLEDB.1;Persist Security Info=True;;User ID=;Initial Catalog=pay",
                  "user id", ""},
        EntryCase{"Provider=SQLOLEDB.1;Persist Security Info=True;;User ID=sa", "Password",
                  nullptr},
        EntryCase{"Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=;User ID=admin;"
                  "Data Source=tiermenddb.mdb;Persist Security Info=True",
                  "Jet OLEDB:Database Password", ""},
        EntryCase{"Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=korvenal;User "
                  "ID=admin;Data Source=/srv/pay/basedb.mdb;Persist Security Info=True",
                  "DATA SOURCE", "/srv/pay/basedb.mdb"},
        // Blanks around keys and unquoted values go; blanks inside stay.
        EntryCase{"  Data  Source =  my file.mdb  ; x=1", "data  source", "my file.mdb"},
        EntryCase{"Password=\tp w\t", "Password", "p w"},
        // Quoted values keep separators, blanks and the other quote.
        EntryCase{"Password=\"a;b\";User ID=x", "Password", "a;b"},
        EntryCase{"Password=\" padded \"", "Password", " padded "},
        EntryCase{"Password='it''s'", "Password", "it's"},
        EntryCase{"Password=\"say \"\"hi\"\"\";x=1", "Password", "say \"hi\""},
        EntryCase{"Password='a\"b'", "Password", "a\"b"},
        EntryCase{"Password = 'quoted' ;x=1", "Password", "quoted"},
        EntryCase{"Password=\"unterminated;x=1", "Password", "unterminated;x=1"},
        // A quote inside an unquoted value, and "=" inside a value, are plain text.
        EntryCase{"Password=pa\"ss;x=1", "Password", "pa\"ss"},
        EntryCase{"Password=a=b", "Password", "a=b"},
        // A doubled "=" stands for "=" inside a key.
        EntryCase{"a==b=c", "a=b", "c"},
        // The last entry with a key counts.
        EntryCase{"Data Source=first;data source=second", "Data Source", "second"},
        // An entry without "=" is kept with an empty value.
        EntryCase{"Flag;x=1", "flag", ""}, EntryCase{"", "Provider", nullptr},
        EntryCase{";;;", "Provider", nullptr}),
    // The key and the value found; several cases look for the same value, hence the index.
    [](const ::testing::TestParamInfo<EntryCase>& info) {
      const EntryCase& c = info.param;
      return tiermend::testing::testNameFrom(
          std::string(c.key) + " " + (c.expected ? c.expected : "missing"), info.index);
    });

TEST(ConnectionStringTest, KeepsEveryEntryInOrder) {
  auto parsed = ConnectionString::parse("A=1;;B = 2 ; C='3;3'");
  const std::vector<std::pair<std::string, std::string>> expected{
      {"A", "1"}, {"B", "2"}, {"C", "3;3"}};
  EXPECT_EQ(parsed.entries(), expected);
  EXPECT_EQ(parsed.getOr("missing", "fallback"), "fallback");
}

}  // namespace
}  // namespace tiermend::data
