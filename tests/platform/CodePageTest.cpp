// Code pages: from the locale's codeset, their lead bytes, and conversions to and from
// UTF-8.
#include <gtest/gtest.h>

#include <ostream>

#include "platform/CodePage.h"
#include "tests/support/TestName.h"

namespace tiermend {
namespace {

struct CodesetCase {
  const char* codeset;
  unsigned expected;
};

void PrintTo(const CodesetCase& c, std::ostream* os) {
  *os << c.codeset;
}

class CodesetMapping : public ::testing::TestWithParam<CodesetCase> {};

TEST_P(CodesetMapping, MapsToCodePage) {
  EXPECT_EQ(CodePage::fromCodeset(GetParam().codeset).id(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Codesets, CodesetMapping,
                         ::testing::Values(CodesetCase{"UTF-8", 65001}, CodesetCase{"utf8", 65001},
                                           CodesetCase{"ANSI_X3.4-1968", 65001},
                                           CodesetCase{"BIG5", 950}, CodesetCase{"BIG5-HKSCS", 950},
                                           CodesetCase{"GBK", 936}, CodesetCase{"GB18030", 936},
                                           CodesetCase{"EUC-KR", 949},
                                           CodesetCase{"SHIFT_JIS", 932},
                                           CodesetCase{"ISO-8859-1", 1252},
                                           CodesetCase{"KOI8-U", 1252}),
                         [](const ::testing::TestParamInfo<CodesetCase>& info) {
                           return testing::testNameFrom(info.param.codeset);
                         });

TEST(CodePage, LeadBytesFollowTheCodePage) {
  const CodePage big5(950), utf8(65001), sjis(932), western(1252);
  EXPECT_FALSE(big5.isLeadByte(0x80));
  EXPECT_TRUE(big5.isLeadByte(0x81));
  EXPECT_TRUE(big5.isLeadByte(0xA4));
  EXPECT_TRUE(big5.isLeadByte(0xFE));
  EXPECT_FALSE(big5.isLeadByte(0xFF));
  EXPECT_FALSE(big5.isLeadByte(','));
  EXPECT_TRUE(sjis.isLeadByte(0x9F));
  EXPECT_FALSE(sjis.isLeadByte(0xA0));
  EXPECT_TRUE(sjis.isLeadByte(0xE0));
  EXPECT_FALSE(sjis.isLeadByte(0xFD));
  for (int b = 0; b < 256; ++b) {
    EXPECT_FALSE(utf8.isLeadByte(static_cast<unsigned char>(b)));
    EXPECT_FALSE(western.isLeadByte(static_cast<unsigned char>(b)));
  }
}

TEST(CodePage, Big5RoundTripsChineseText) {
  const CodePage big5(950);
  const std::string ansi = big5.fromUtf8("更新完成.");
  EXPECT_EQ(ansi, "\xA7\xF3\xB7\x73\xA7\xB9\xA6\xA8.");
  EXPECT_EQ(big5.toUtf8(ansi), "更新完成.");
}

TEST(CodePage, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  const CodePage big5(950);
  // U+2000B and U+1F600 have no Big5 form; each becomes one "?".
  EXPECT_EQ(big5.fromUtf8("薪資𠀋"), big5.fromUtf8("薪資") + "?");
  EXPECT_EQ(big5.fromUtf8("ok😀"), "ok?");
  const CodePage western(1252);
  EXPECT_EQ(western.fromUtf8("México 薪"), "M\xE9xico ?");
  EXPECT_EQ(western.toUtf8("M\xE9xico"), "México");
}

TEST(CodePage, InvalidBytesBecomeQuestionMarks) {
  // 0xFF is no Big5 byte at all.
  EXPECT_EQ(CodePage(950).toUtf8("a\xFFz"), "a?z");
}

TEST(CodePage, Utf8PassesBytesThroughUnchanged) {
  const CodePage utf8(65001);
  const std::string bytes = "/tmp/\xFF\xFE/dir";
  EXPECT_EQ(utf8.toUtf8(bytes), bytes);
  EXPECT_EQ(utf8.fromUtf8("資料更新"), "資料更新");
}

TEST(CodePage, CharLengthCountsDoubleByteCharactersOnce) {
  const CodePage big5(950);
  const std::string text = big5.fromUtf8("a資");
  EXPECT_EQ(big5.charLength(text, 0), 1u);
  EXPECT_EQ(big5.charLength(text, 1), 2u);
  // A lead byte at the very end stands alone.
  EXPECT_EQ(big5.charLength("\xA4", 0), 1u);
}

}  // namespace
}  // namespace tiermend
