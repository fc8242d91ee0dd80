// Text columns: reading converts UTF-8 to the ANSI code page, writing converts back and
// cuts to the defined size.
#include <gtest/gtest.h>

#include "FieldTestSupport.h"
#include "tests/support/TestName.h"

namespace tiermend::data {
namespace {

using namespace testing;

// Big5 (code page 950) bytes of a few characters of the test tables.
const std::string kBig5Part = "\xB3\xA1\xA4\xC0";                      // 部分
const std::string kBig5PartTime = "\xB3\xA1\xA4\xC0\xA4\x75\xAE\xC9";  // 部分工時
const std::string kBig5Bracket = "\xAF\xC5\xB6\x5A";                   // 級距 (距 ends in 'Z')

ColumnInfo textColumn(int size, bool unicode, std::string name = "note") {
  return {.name = std::move(name), .type = ColumnType::Text, .size = size, .unicode = unicode};
}

TEST(TextField, ReadConvertsToTheCodePage) {
  const auto big5 = converter(textColumn(20, true), settingsFor(950));
  EXPECT_EQ(big5->textOf(std::string("部分工時")), kBig5PartTime);
  EXPECT_EQ(big5->textOf(std::string("a€b")),
            "a\xA3\xE1"
            "b");
  // Characters Big5 cannot hold become "?".
  EXPECT_EQ(big5->textOf(std::string("é😀部分")), "??" + kBig5Part);
  EXPECT_EQ(big5->textOf(Null{}), "");
  EXPECT_EQ(big5->textOf(std::string()), "");

  const auto utf8 = converter(textColumn(20, true));
  EXPECT_EQ(utf8->textOf(std::string("僅適用職災保險")), "僅適用職災保險");
}

TEST(TextField, WriteConvertsFromTheCodePage) {
  const auto big5 = converter(textColumn(20, true), settingsFor(950));
  EXPECT_EQ(big5->valueFromText(kBig5PartTime), Value(std::string("部分工時")));
  // An empty text is an empty string, never null.
  EXPECT_EQ(big5->valueFromText(""), Value(std::string()));
  EXPECT_EQ(big5->kind(), FieldKind::Text);
}

struct CutCase {
  const char* label;
  unsigned codePage;
  int size;
  bool unicode;
  std::string text;      // edit text, in the code page
  std::string expected;  // stored UTF-8
};

class TextCut : public ::testing::TestWithParam<CutCase> {};

TEST_P(TextCut, CutsToTheDefinedSize) {
  const CutCase& c = GetParam();
  const auto field = converter(textColumn(c.size, c.unicode), settingsFor(c.codePage));
  EXPECT_EQ(field->valueFromText(c.text), Value(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextCut,
    ::testing::Values(CutCase{"ShortEnough", 950, 4, true, kBig5PartTime, "部分工時"},
                      CutCase{"UnicodeCountsCharacters", 950, 2, true, kBig5PartTime, "部分"},
                      CutCase{"NoLimit", 950, 0, true, kBig5PartTime, "部分工時"},
                      CutCase{"AsciiUnicode", 65001, 3, true, "abcdef", "abc"},
                      CutCase{"Utf8MultiByteUnicode", 65001, 2, true, "僅適用", "僅適"},
                      // A character outside the BMP takes two UTF-16 units and is never split.
                      CutCase{"SurrogatePairDropped", 65001, 2, true, "a😀b", "a"},
                      CutCase{"SurrogatePairKept", 65001, 3, true, "a😀b", "a😀"},
                      // 8-bit columns count bytes of the code page and never split a character.
                      CutCase{"EightBitWholeChars", 950, 4, false, "A" + kBig5PartTime, "A部"},
                      CutCase{"EightBitExact", 950, 5, false, "A" + kBig5PartTime, "A部分"},
                      CutCase{"EightBitTrailIsAscii", 950, 3, false, kBig5Bracket + "x", "級"},
                      CutCase{"EightBitTrailKept", 950, 4, false, kBig5Bracket + "x", "級距"},
                      CutCase{"EightBitUtf8", 65001, 5, false, "a僅適", "a僅"},
                      CutCase{"EightBitUtf8Exact", 65001, 7, false, "a僅適", "a僅適"}),
    [](const auto& info) { return tiermend::testing::testNameFrom(info.param.label); });

TEST(TextField, ReadOnlyColumnRefusesAfterConverting) {
  ColumnInfo info = textColumn(20, true);
  info.updatable = false;
  EXPECT_EQ(writeFailure(info, "abc"), "EDatabaseError: Field 'note' cannot be modified");
  EXPECT_EQ(writeFailure(info, ""), "EDatabaseError: Field 'note' cannot be modified");
  // The column name appears in the code page.
  info.name = "級距";
  EXPECT_EQ(writeFailure(info, "abc", settingsFor(950)),
            "EDatabaseError: Field '" + kBig5Bracket + "' cannot be modified");
}

}  // namespace
}  // namespace tiermend::data
