// Currency and decimal text that is already in its rounded form is passed through
// without being taken apart; these tests hold that shortcut to the general rounding
// over many texts, with "." and with "," as the decimal separator.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "data/fields/ExactDecimal.h"
#include "tests/data/fields/FieldTestSupport.h"
#include "tests/support/TestName.h"

namespace tiermend::data {
namespace {

using namespace testing;

struct RoundedCase {
  std::string text;
  char separator;
  bool rounded;
};

class RoundedDecimalTextTest : public ::testing::TestWithParam<RoundedCase> {};

TEST_P(RoundedDecimalTextTest, RecognisesTheRoundedForm) {
  const RoundedCase& c = GetParam();
  EXPECT_EQ(isRoundedDecimalText(c.text, 4, c.separator), c.rounded) << c.text;
  // The recognised form is exactly what rounding gives back.
  const auto exact = parseExactDecimal(c.text, c.separator);
  if (c.rounded) {
    ASSERT_TRUE(exact.has_value()) << c.text;
    EXPECT_EQ(roundedDecimalText(*exact, 4, c.separator), c.text);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RoundedDecimalTextTest,
    ::testing::Values(RoundedCase{"0", '.', true}, RoundedCase{"7", '.', true},
                      RoundedCase{"-12", '.', true}, RoundedCase{"12.5", '.', true},
                      RoundedCase{"-0.5", '.', true}, RoundedCase{"0.0001", '.', true},
                      RoundedCase{"12,5", ',', true}, RoundedCase{"-0", '.', false},
                      RoundedCase{"00", '.', false}, RoundedCase{"012", '.', false},
                      RoundedCase{"1.50", '.', false}, RoundedCase{"1.", '.', false},
                      RoundedCase{".5", '.', false}, RoundedCase{"1.23456", '.', false},
                      RoundedCase{"+1", '.', false}, RoundedCase{" 1", '.', false},
                      RoundedCase{"1 ", '.', false}, RoundedCase{"1e3", '.', false},
                      RoundedCase{"12.5", ',', false}, RoundedCase{"1,5", '.', false},
                      RoundedCase{"", '.', false}, RoundedCase{"-", '.', false},
                      RoundedCase{"1.2.3", '.', false}, RoundedCase{"10", '0', false}),
    [](const ::testing::TestParamInfo<RoundedCase>& info) {
      const RoundedCase& c = info.param;
      return tiermend::testing::testNameSpelledOut(c.text) + "_with_" +
             tiermend::testing::testNameSpelledOut(std::string(1, c.separator));
    });

// Texts of every shape the shortcut must tell apart: leading and trailing zeros, up to
// eight decimals, signs, blanks, exponents.
std::vector<std::string> sampleTexts(char separator) {
  std::mt19937 random(20261208);
  std::vector<std::string> texts;
  const char* prefixes[] = {"", "-", "+", " ", "0", "-0"};
  const char* suffixes[] = {"", "0", " ", "e2", "E-1"};
  for (int i = 0; i < 4000; ++i) {
    std::string text = prefixes[random() % 6];
    const int integerDigits = static_cast<int>(random() % 17);
    for (int d = 0; d < integerDigits; ++d) text += static_cast<char>('0' + random() % 10);
    if (random() % 4 != 0) {
      text += separator;
      const int decimals = static_cast<int>(random() % 9);
      for (int d = 0; d < decimals; ++d) text += static_cast<char>('0' + random() % 10);
    }
    text += suffixes[random() % 10 < 6 ? 0 : random() % 5];
    texts.push_back(text);
  }
  return texts;
}

// What the field does without the shortcut: take the number apart and round it.
std::string generalText(const std::string& stored, char separator) {
  const auto exact = parseExactDecimal(stored, '.');
  return exact ? roundedDecimalText(*exact, 4, separator) : "(not a number)";
}

TEST(DecimalTextShortcut, ReadingGivesWhatRoundingGives) {
  for (const char separator : {'.', ','}) {
    const auto field =
        converter(column(ColumnType::Decimal),
                  settingsFor(CodePage::kUtf8, DateOrder::YearMonthDay, '/', separator));
    for (const std::string& stored : sampleTexts('.')) {
      const std::string expected = generalText(stored, separator);
      if (expected == "(not a number)") continue;
      EXPECT_EQ(field->textOf(Decimal{stored}), expected) << stored;
    }
  }
}

TEST(DecimalTextShortcut, WritingGivesWhatRoundingGives) {
  for (const char separator : {'.', ','}) {
    for (const ColumnType type : {ColumnType::Decimal, ColumnType::Currency}) {
      const auto field =
          converter(column(type, "amount"),
                    settingsFor(CodePage::kUtf8, DateOrder::YearMonthDay, '/', separator));
      for (const std::string& text : sampleTexts(separator)) {
        if (text.empty()) continue;
        const auto exact = parseExactDecimal(text, separator);
        const std::string rounded = exact ? roundedDecimalText(*exact, 4, '.') : "";
        const bool fits = exact && integerDigitCount(rounded) < 15;
        if (fits) {
          EXPECT_EQ(field->valueFromText(text), Value(Decimal{rounded})) << text;
        } else if (!exact) {
          EXPECT_EQ(namedFailureOf([&] { field->valueFromText(text); }),
                    "EDatabaseError: '" + text +
                        "' is not a valid floating point value for field 'amount'")
              << text;
        }
      }
    }
  }
}

TEST(DecimalTextShortcut, CurrencyRangeStillChecked) {
  const auto currency = converter(column(ColumnType::Currency, "self"));
  EXPECT_EQ(currency->valueFromText("922337203685477.5807"),
            Value(Decimal{"922337203685477.5807"}));
  EXPECT_EQ(namedFailureOf([&] { currency->valueFromText("922337203685477.5808"); }),
            "EDatabaseError: '922337203685477.5808' is not a valid floating point value for "
            "field 'self'");
  EXPECT_EQ(namedFailureOf([&] { currency->textOf(Decimal{"-922337203685477.5809"}); }),
            "EDatabaseError: BCD overflow");
  EXPECT_EQ(currency->textOf(Decimal{"99999999999999.9999"}), "99999999999999.9999");
}

}  // namespace
}  // namespace tiermend::data
