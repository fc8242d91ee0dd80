// The connection strings built from Link.txt's fields: the target's by kind, the
// source's fixed one, and the quoting that keeps a value in one piece.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "data/ConnectionString.h"
#include "link/ConnectionStrings.h"
#include "tests/support/TestName.h"
#include "tests/support/TextCases.h"

namespace tiermend::link {
namespace {

LinkFields sqlServerFields(std::string password, std::string kind = "1") {
  return LinkFields{kind, "srv\\inst", "payroll", "sa", std::move(password), "/data/"};
}

// The target string built from sqlServerFields: passwordEntry is "Password=...;" or empty.
std::string sqlServerString(const std::string& passwordEntry) {
  return "Provider=SQLOLEDB.1;" + passwordEntry +
         "Persist Security Info=True;;User ID=sa;Initial Catalog=payroll;Data Source=srv\\inst;";
}

// The target string of an Access target whose file is dataSource.
std::string accessString(const std::string& dataSource) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=korvenal;User ID=admin;"
         "Data Source=" +
         dataSource + ";Persist Security Info=True";
}

struct TargetCase {
  LinkFields fields;
  std::string expected;
};

void PrintTo(const TargetCase& c, std::ostream* os) {
  *os << "kind " << c.fields.kind << " password [" << c.fields.password << "] folder ["
      << c.fields.folder << "]";
}

class TargetString : public ::testing::TestWithParam<TargetCase> {};

// Kind, password and folder; passwords that differ only in blanks or punctuation give the
// same name part, hence the index.
std::string targetName(const ::testing::TestParamInfo<TargetCase>& info) {
  const LinkFields& f = info.param.fields;
  return testing::testNameFrom("kind " + f.kind + " password " + f.password + " folder " + f.folder,
                               info.index);
}

TEST_P(TargetString, IsBuiltSegmentBySegment) {
  LinkFields fields = GetParam().fields;
  EXPECT_EQ(buildTargetConnectionString(fields), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, TargetString,
    ::testing::Values(
        TargetCase{sqlServerFields("pw"), sqlServerString("Password=pw;")},
        TargetCase{sqlServerFields(""), sqlServerString("")},
        TargetCase{sqlServerFields("   "), sqlServerString("")},
        TargetCase{sqlServerFields("\t\x01 "), sqlServerString("")},
        // A byte of 128 or more is text, not a blank.
        TargetCase{sqlServerFields("\xA4\x40"), sqlServerString("Password=\xA4\x40;")},
        TargetCase{LinkFields{"1", "h", "c", "", "p", ""},
                   "Provider=SQLOLEDB.1;Password=p;Persist Security Info=True;;User ID="
                   ";Initial Catalog=c;Data Source=h;"},
        TargetCase{LinkFields{"2", "S", "B", "U", "whatever", "/srv/acct/"},
                   accessString("/srv/acct/basedb.mdb")},
        TargetCase{LinkFields{"2", "S", "B", "U", "", "D:\\data"},
                   accessString("D:\\databasedb.mdb")},
        TargetCase{LinkFields{"2", "S", "B", "U", "", ""}, accessString("basedb.mdb")},
        TargetCase{sqlServerFields("pw", " 1"), ""}, TargetCase{sqlServerFields("pw", "1 "), ""},
        TargetCase{sqlServerFields("pw", "01"), ""}, TargetCase{sqlServerFields("pw", "3"), ""},
        TargetCase{sqlServerFields("pw", ""), ""}),
    targetName);

// Values that would change how the string divides are quoted; these cases show the
// quoting that keeps a password holding ";" or quotes in one piece.
INSTANTIATE_TEST_SUITE_P(
    QuotedValues, TargetString,
    ::testing::Values(TargetCase{sqlServerFields("a;b"), sqlServerString("Password=\"a;b\";")},
                      TargetCase{sqlServerFields(" pw "), sqlServerString("Password=\" pw \";")},
                      TargetCase{sqlServerFields("say\"hi'"),
                                 sqlServerString("Password='say\"hi''';")},
                      TargetCase{LinkFields{"2", "S", "B", "U", "", "/a;b/"},
                                 accessString("\"/a;b/basedb.mdb\"")}),
    targetName);

TEST(TargetString, AccessKindSetsTheFixedPassword) {
  LinkFields fields{"2", "S", "B", "U", "P", "/d/"};
  buildTargetConnectionString(fields);
  EXPECT_EQ(fields.password, "korvenal");
  LinkFields sql = sqlServerFields("keep");
  buildTargetConnectionString(sql);
  EXPECT_EQ(sql.password, "keep");
}

TEST(SourceString, IsFixedAndEmptiesThePassword) {
  for (LinkFields fields : {sqlServerFields("pw"), LinkFields{"2", "", "", "", "x", "/d/"},
                            LinkFields{"9", "", "", "", "", ""}}) {
    EXPECT_EQ(buildSourceConnectionString(fields),
              "Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=;User ID=admin;"
              "Data Source=tiermenddb.mdb;Persist Security Info=True");
    EXPECT_EQ(fields.password, "");
  }
}

TEST(QuoteConnectionValue, LeavesOrdinaryValuesAlone) {
  testing::expectEachText([](const std::string& text) { return quoteConnectionValue(text); },
                          {{"", ""},
                           {"a=b", "a=b"},
                           {"in side", "in side"},
                           {"'", "\"'\""},
                           {"\"", "'\"'"},
                           {"\"'", "'\"'''"}});
}

// Found by fuzzing: "Data Source==x" divides as the key "Data Source=x".
TEST(QuoteConnectionValue, QuotesAValueThatStartsWithAnEqualsSign) {
  EXPECT_EQ(quoteConnectionValue("=x"), "\"=x\"");
  LinkFields fields{"1", "=host", "db", "sa", "pw", "/x/"};
  EXPECT_EQ(data::ConnectionString::parse(buildTargetConnectionString(fields)).getOr("Data Source"),
            "=host");
}

}  // namespace
}  // namespace tiermend::link
