// Dividing Link.txt's first line into pieces: commas, quotes, NUL bytes and the lead
// bytes of double-byte code pages.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "link/LinkLine.h"
#include "tests/support/TestName.h"

namespace tiermend::link {
namespace {

struct DivisionCase {
  std::string line;
  std::vector<std::string> pieces;
  unsigned codePage = 65001;
};

void PrintTo(const DivisionCase& c, std::ostream* os) {
  *os << "[" << c.line << "] cp" << c.codePage;
}

// Pieces joined with " | " so that a failure shows the whole division.
std::string joined(const std::vector<std::string>& pieces) {
  std::string text;
  for (const auto& p : pieces) text += (text.empty() ? "" : " | ") + p;
  return text;
}

class Division : public ::testing::TestWithParam<DivisionCase> {};

// Lines that differ only in punctuation give the same name part, hence the index.
std::string divisionName(const ::testing::TestParamInfo<DivisionCase>& info) {
  return testing::testNameFrom(info.param.line + " cp" + std::to_string(info.param.codePage),
                               info.index);
}

TEST_P(Division, YieldsThePieces) {
  const DivisionCase& c = GetParam();
  EXPECT_EQ(joined(divideLinkLine(c.line, CodePage(c.codePage))), joined(c.pieces));
  EXPECT_EQ(divideLinkLine(c.line, CodePage(c.codePage)).size(), c.pieces.size());
}

INSTANTIATE_TEST_SUITE_P(
    CommaAndQuoteRules, Division,
    ::testing::Values(
        DivisionCase{"a,b,c,", {"a,", "b,", "c,"}}, DivisionCase{"a,b,c", {"a,", "b,", "c"}},
        DivisionCase{"a,,b", {"a,", ",b"}}, DivisionCase{"a,,b,c", {"a,", ",b,", "c"}},
        DivisionCase{"a,,,b", {"a,", ",,", "b"}}, DivisionCase{"a,,,,b", {"a,", ",,", ",b"}},
        DivisionCase{",a,b", {",a,", "b"}}, DivisionCase{"a,,,", {"a,,,"}},
        DivisionCase{"a,b,,", {"a,", "b,,"}}, DivisionCase{",,,", {",,,"}},
        DivisionCase{"\"a,b\",c,", {"\"a,b\",", "c,"}},
        DivisionCase{"'a\"b',c,", {"'a\"b',", "c,"}},
        DivisionCase{"a\"b\"c,d,", {"a\"b\"c,", "d,"}}, DivisionCase{"a\"b,c,d,", {"a\"b,c,d,"}},
        DivisionCase{"a'b,c\"d,e,", {"a'b,c\"d,e,"}}, DivisionCase{"", {}},
        DivisionCase{",", {","}}, DivisionCase{"abc", {"abc"}}),
    divisionName);

INSTANTIATE_TEST_SUITE_P(NulBytes, Division,
                         ::testing::Values(DivisionCase{std::string("a,b\0c,d,", 8), {"a,", "b"}},
                                           DivisionCase{std::string("a,\0b,", 5), {"a,"}},
                                           DivisionCase{std::string("\0a,b,", 5), {}},
                                           DivisionCase{std::string("a,b,\0,,", 7), {"a,", "b,"}}),
                         divisionName);

// Under code page 950 a lead byte and the byte after it are one character: a trail
// byte that happens to be a comma or a quote neither ends a piece nor opens a quote.
// "\xA4\x2C" and "\xB1\x27" stand for such characters.
INSTANTIATE_TEST_SUITE_P(
    LeadBytes, Division,
    ::testing::Values(DivisionCase{"\xA4,b,c,", {"\xA4,b,", "c,"}, 950},
                      DivisionCase{"\xA4,b,c,", {"\xA4,", "b,", "c,"}, 65001},
                      DivisionCase{"a\xB1',b,", {"a\xB1',", "b,"}, 950},
                      DivisionCase{"a\xB1',b,", {"a\xB1',b,"}, 1252},
                      DivisionCase{"\xB8\xEA\xAE\xC6,x,", {"\xB8\xEA\xAE\xC6,", "x,"}, 950},
                      DivisionCase{"ab\xA4", {"ab\xA4"}, 950},
                      DivisionCase{"a,\xA4,", {"a,", "\xA4,"}, 950}),
    divisionName);

TEST(Division, VeryLongLineIsDividedWhole) {
  const std::string big(200000, 'x');
  const auto pieces = divideLinkLine(big + "," + big + ",", CodePage());
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[1].size(), big.size() + 1);
}

TEST(PieceValue, DropsTheLastByte) {
  EXPECT_EQ(pieceValue("abc,"), "abc");
  EXPECT_EQ(pieceValue(","), "");
  EXPECT_EQ(pieceValue("c"), "");
  EXPECT_EQ(pieceValue(",,"), ",");
}

}  // namespace
}  // namespace tiermend::link
