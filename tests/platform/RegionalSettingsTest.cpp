// Regional settings taken from a locale's date, time and number formats.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>

#include "platform/RegionalSettings.h"
#include "tests/support/TestName.h"

namespace tiermend {
namespace {

struct FormatCase {
  const char* date;
  const char* time;
  const char* radix;
  DateOrder order;
  char dateSeparator;
  char timeSeparator;
  char decimalSeparator;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
  *os << c.date << " " << c.time;
}

class LocaleFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(LocaleFormats, GiveTheSettings) {
  const FormatCase& c = GetParam();
  const RegionalSettings s = RegionalSettings::fromFormats(c.date, c.time, c.radix);
  EXPECT_EQ(std::tie(s.dateOrder, s.dateSeparator, s.timeSeparator, s.decimalSeparator),
            std::tie(c.order, c.dateSeparator, c.timeSeparator, c.decimalSeparator));
}

INSTANTIATE_TEST_SUITE_P(
    Locales, LocaleFormats,
    ::testing::Values(
        // C / POSIX
        FormatCase{"%m/%d/%y", "%H:%M:%S", ".", DateOrder::MonthDayYear, '/', ':', '.'},
        // de_DE
        FormatCase{"%d.%m.%Y", "%T", ",", DateOrder::DayMonthYear, '.', ':', ','},
        // zh_TW: separators outside ASCII fall back to "/"
        FormatCase{"%Y年%m月%d日", "%H時%M分%S秒", ".", DateOrder::YearMonthDay, '/', ':', '.'},
        // ISO
        FormatCase{"%F", "%T", ".", DateOrder::YearMonthDay, '-', ':', '.'},
        // en_GB
        FormatCase{"%d/%m/%y", "%T", ".", DateOrder::DayMonthYear, '/', ':', '.'},
        // a radix that is not one ASCII byte
        FormatCase{"%Y-%m-%d", "%H.%M.%S", "\xD9\xAB", DateOrder::YearMonthDay, '-', '.', '.'}),
    [](const ::testing::TestParamInfo<FormatCase>& info) {
      const FormatCase& c = info.param;
      return testing::testNameFrom(std::string(c.date) + " " + c.time + " " + c.radix);
    });

class WindowsPictures : public ::testing::TestWithParam<FormatCase> {};

TEST_P(WindowsPictures, GiveTheSettings) {
  const FormatCase& c = GetParam();
  const RegionalSettings s = RegionalSettings::fromWindowsPictures(c.date, c.time, c.radix);
  EXPECT_EQ(std::tie(s.dateOrder, s.dateSeparator, s.timeSeparator, s.decimalSeparator),
            std::tie(c.order, c.dateSeparator, c.timeSeparator, c.decimalSeparator));
}

INSTANTIATE_TEST_SUITE_P(
    Regions, WindowsPictures,
    ::testing::Values(
        // Taiwan
        FormatCase{"yyyy/M/d", "tt hh:mm:ss", ".", DateOrder::YearMonthDay, '/', ':', '.'},
        // United States
        FormatCase{"M/d/yyyy", "h:mm:ss tt", ".", DateOrder::MonthDayYear, '/', ':', '.'},
        // Germany
        FormatCase{"dd.MM.yyyy", "HH:mm:ss", ",", DateOrder::DayMonthYear, '.', ':', ','},
        // a two-digit year in the picture still gives the order (the year is always
        // written with four digits)
        FormatCase{"dd-MM-yy", "HH.mm.ss", ",", DateOrder::DayMonthYear, '-', '.', ','},
        // a day name and an era are no parts of the order; quoted text is literal
        FormatCase{"ddd, yyyy'年'M'月'd'日'", "HH:mm:ss", ".", DateOrder::YearMonthDay, '/', ':',
                   '.'},
        FormatCase{"gg yyyy-MM-dd", "HH:mm:ss", ".", DateOrder::YearMonthDay, '-', ':', '.'}),
    [](const ::testing::TestParamInfo<FormatCase>& info) {
      const FormatCase& c = info.param;
      return testing::testNameFrom(std::string(c.date) + " " + c.time + " " + c.radix);
    });

}  // namespace
}  // namespace tiermend
