// Text keys in the General legacy sort order: what Access writes for Chinese text,
// letters in either case, digits, accents (precomposed or combining), hyphens and
// apostrophes, Japanese kana; how long texts and trailing blanks are keyed; the
// refusal of what the tables do not cover; and of every text key when the build did
// not have the tables.
#include <gtest/gtest.h>

#include <stdexcept>

#include "data/providers/jet/indexes/JetIndexKey.h"
#include "data/providers/jet/indexes/JetIndexPage.h"
#include "data/providers/jet/indexes/JetIndexRefusal.h"
#include "tests/support/FailureText.h"
#include "tests/support/HexBytes.h"

namespace tiermend::data::jet {
namespace {

using testing::spacedHex;

const JetIndexShape kAscending = {"t", "i", {{"name", JetKeyKind::Text, true}}};
const JetIndexShape kDescending = {"t", "i", {{"name", JetKeyKind::Text, false}}};

JetIndexKeyBytes key(const std::u16string& text, bool ascending = true) {
  const JetKeyValue values[] = {text};
  return encodeIndexKey(ascending ? kAscending : kDescending, values);
}

TEST(JetIndexTextKeyTest, TextsGiveTheKeysAccessWrites) {
  const struct {
    std::u16string text;
    const char* key;
  } cases[] = {
      // The key Access wrote for this text in a customer's file.
      {u"部分工時", "7f e2 d5 a3 34 af 44 b7 b7 01 00"},
      {u"", "7f 01 00"},
      {u"A", "7f 4a 01 00"},
      {u"a", "7f 4a 01 00"},
      {u"Ａ", "7f 4a 01 00"},  // full-width A
      {u"abc", "7f 4a 4c 4d 01 00"},
      {u"09", "7f 36 48 01 00"},
      {u"a b", "7f 4a 07 4c 01 00"},
      // An accent goes after the text, with 02 for each plain letter before it.
      {u"é", "7f 51 01 0e 00"},
      {u"É", "7f 51 01 0e 00"},
      {u"eé", "7f 51 51 01 02 0e 00"},
      {u"ée", "7f 51 51 01 0e 00"},
      // A combining accent modifies the accent byte of the letter before it.
      {u"e\u0301", "7f 51 01 0e 00"},
      // Hyphens and apostrophes are left out of the text and recorded at the end with
      // their position.
      {u"co-op", "7f 4d 64 64 66 01 01 01 01 80 0f 06 82 00"},
      {u"'a", "7f 4a 01 01 01 01 80 07 06 80 00"},
      // Kana carry a two-bit flag; a flag of 3 at the end is left out, the trailer is not.
      {u"\u3042", "7f 7f 02 01 01 01 ff 02 80 ff 80 00"},
      {u"\u3041", "7f 7f 02 01 01 01 a0 ff 02 80 ff 80 00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(spacedHex(key(c.text)));
    EXPECT_EQ(spacedHex(key(c.text)), c.key);
  }
}

TEST(JetIndexTextKeyTest, DescendingInvertsTheTextAndItsEnd) {
  EXPECT_EQ(spacedHex(key(u"部分工時", false)), "80 1d 2a 5c cb 50 bb 48 48 fe ff 00");
  EXPECT_EQ(spacedHex(key(u"", false)), "80 fe ff 00");
}

TEST(JetIndexTextKeyTest, TrailingBlanksAreIgnoredAndOnlyTheFirst255UnitsCount) {
  EXPECT_EQ(key(u"abc   "), key(u"abc"));
  EXPECT_NE(key(u"  abc"), key(u"abc"));
  const std::u16string long255(255, u'x');
  EXPECT_EQ(key(long255 + u"yz"), key(long255));
  EXPECT_NE(key(long255.substr(1) + u"y"), key(long255));
}

TEST(JetIndexTextKeyTest, TextKeysSortAlphabeticallyWithoutRegardToCase) {
  const std::u16string ordered[] = {u"", u"0", u"9", u"a", u"ab", u"b", u"e", u"é", u"f", u"Zz"};
  for (const bool ascending : {true, false}) {
    for (std::size_t i = 1; i < std::size(ordered); ++i) {
      const int order =
          compareIndexKeys(key(ordered[i - 1], ascending), key(ordered[i], ascending));
      EXPECT_EQ(order, ascending ? -1 : 1) << i;
    }
  }
  const JetKeyValue null[] = {std::monostate{}};
  EXPECT_LT(compareIndexKeys(encodeIndexKey(kAscending, null), key(u"")), 0);
  EXPECT_GT(compareIndexKeys(encodeIndexKey(kDescending, null), key(u"", false)), 0);
}

TEST(JetIndexTextKeyTest, WhatTheTablesDoNotCoverIsRefusedNamingTheTableIndexAndReason) {
  const struct {
    JetIndexShape shape;
    std::u16string text;
    std::string message;
  } cases[] = {
      {kAscending, u"a\U0001F600",
       "Cannot update table 't': its index 'i' cannot be rebuilt: the text in column 'name' "
       "holds the character U+D83D (part of a character beyond U+FFFF), which the General "
       "legacy sort order's tables do not cover."},
      {{"t", "i", {{"name", JetKeyKind::Text, true, {1033, 1}}}},
       u"a",
       "Cannot update table 't': its index 'i' cannot be rebuilt: its text column 'name' "
       "declares the sort order 1033 version 1, and this program can only write text keys in "
       "the General (legacy, 1033) sort order."},
      {{"t", "i", {{"name", JetKeyKind::Text, true, {1028, 0}}}},
       u"a",
       "Cannot update table 't': its index 'i' cannot be rebuilt: its text column 'name' "
       "declares the sort order 1028 version 0, and this program can only write text keys in "
       "the General (legacy, 1033) sort order."},
  };
  for (const auto& c : cases) {
    const JetKeyValue values[] = {c.text};
    EXPECT_EQ(testing::failureMessageOf<JetIndexRefusal>([&] { encodeIndexKey(c.shape, values); }),
              c.message);
  }
  // A sort order is refused before any row is looked at.
  EXPECT_THROW(checkIndexShape(cases[1].shape), JetIndexRefusal);
}

TEST(JetIndexTextKeyTest, EveryCharacterOfTheBasicPlaneButTheSurrogatesIsCovered) {
  for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;
    const JetKeyValue values[] = {std::u16string(1, static_cast<char16_t>(unit))};
    ASSERT_NO_THROW(encodeIndexKey(kAscending, values)) << static_cast<unsigned>(unit);
  }
}

// Tables where every character is ignored but those given, each a table line.
JetCharCodes codesWith(std::initializer_list<std::pair<char16_t, const char*>> lines,
                       std::size_t basicLines = 0x100) {
  std::string basic;
  std::string extended;
  for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;
    std::string line = "X";
    for (const auto& [which, text] : lines)
      if (which == unit) line = text;
    if (unit >= 0x100) {
      extended += line + "\n";
    } else if (unit < basicLines) {
      basic += line + "\n";
    }
  }
  return JetCharCodes(basic, extended, "");
}

TEST(JetIndexTextKeyTest, KeysFollowTheTablesTheyAreGiven) {
  const JetCharCodes codes =
      codesWith({{u'a', "S4A"}, {u'\u00E9', "I51,0E"}, {u'\u4E00', "S9901"}});
  const struct {
    std::u16string text;
    const char* key;
  } cases[] = {
      {u"a", "4a 01 00"},
      {u"b", "01 00"},  // ignored in these tables
      {u"a\u00E9", "4a 51 01 02 0e 00"},
      {u"\u4E00", "99 01 01 00"},
  };
  for (const auto& c : cases) {
    std::vector<std::uint8_t> out;
    appendGeneralLegacyTextKey(c.text, true, out, codes);
    EXPECT_EQ(spacedHex(out), c.key);
  }
  // A table that ends early is damaged, and so is a line of unknown kind.
  EXPECT_THROW(codesWith({}, 0xFF), std::logic_error);
  EXPECT_THROW(codesWith({{u'a', "Q4A"}}), std::logic_error);
}

TEST(JetIndexTextKeyTest, WithoutTheTablesTextKeysAreRefusedNamingTheTablesMissing) {
  const JetCharCodes none("", "", "index_codes_genleg.txt and index_codes_ext_genleg.txt");
  const JetIndexShape byName = {
      "staff", "ByName", {{"id", JetKeyKind::Long, true}, {"name", JetKeyKind::Text, true}}};
  EXPECT_EQ(testing::failureMessageOf<JetIndexRefusal>([&] { checkIndexShape(byName, none); }),
            "Cannot update table 'staff': its index 'ByName' cannot be rebuilt: its text "
            "column 'name' is in the General (legacy, 1033) sort order, whose tables "
            "(index_codes_genleg.txt and index_codes_ext_genleg.txt) were not available "
            "when this program was built.");
  // Indexes without text columns do not need the tables.
  EXPECT_NO_THROW(checkIndexShape({"staff", "ById", {{"id", JetKeyKind::Long, true}}}, none));
  // Asked for a text key all the same, the encoder refuses and appends nothing.
  std::vector<std::uint8_t> out = {0x7F};
  EXPECT_THROW(appendGeneralLegacyTextKey(u"a", true, out, none), JetUncoveredText);
  EXPECT_EQ(out, std::vector<std::uint8_t>{0x7F});
  EXPECT_EQ(none.at(u'a').role, JetCharRole::Uncovered);
}

// The tests of text keys need the tables; a build that did not find them fails here
// first, naming what it missed.
TEST(JetIndexTextKeyTest, ThisBuildHasTheGeneralLegacyTables) {
  EXPECT_EQ(JetCharCodes::generalLegacy().missing(), "");
  EXPECT_TRUE(JetCharCodes::generalLegacy().available());
}

}  // namespace
}  // namespace tiermend::data::jet
