// Regional settings taken from a locale's date, time and number formats.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>

#include "platform/RegionalSettings.h"
#include "tests/support/TestName.h"

namespace tiermend {
namespace {

// How the locale writes its formats: strftime's conversions (POSIX) or Windows's date
// and time pictures.
enum class Notation { Strftime, WindowsPictures };

struct FormatCase {
  Notation notation;
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

std::string caseName(const ::testing::TestParamInfo<FormatCase>& info) {
  const FormatCase& c = info.param;
  return testing::testNameFrom(std::string(c.date) + " " + c.time + " " + c.radix);
}

class LocaleFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(LocaleFormats, GiveTheSettings) {
  const FormatCase& c = GetParam();
  const RegionalSettings s = c.notation == Notation::Strftime
                                 ? RegionalSettings::fromFormats(c.date, c.time, c.radix)
                                 : RegionalSettings::fromWindowsPictures(c.date, c.time, c.radix);
  EXPECT_EQ(std::tie(s.dateOrder, s.dateSeparator, s.timeSeparator, s.decimalSeparator),
            std::tie(c.order, c.dateSeparator, c.timeSeparator, c.decimalSeparator));
}

INSTANTIATE_TEST_SUITE_P(
    Locales, LocaleFormats,
    ::testing::Values(
        // C / POSIX
        FormatCase{Notation::Strftime, "%m/%d/%y", "%H:%M:%S", ".", DateOrder::MonthDayYear, '/',
                   ':', '.'},
        // de_DE
        FormatCase{Notation::Strftime, "%d.%m.%Y", "%T", ",", DateOrder::DayMonthYear, '.', ':',
                   ','},
        // zh_TW: separators outside ASCII fall back to "/"
        FormatCase{Notation::Strftime, "%Y年%m月%d日", "%H時%M分%S秒", ".", DateOrder::YearMonthDay,
                   '/', ':', '.'},
        // ISO
        FormatCase{Notation::Strftime, "%F", "%T", ".", DateOrder::YearMonthDay, '-', ':', '.'},
        // en_GB
        FormatCase{Notation::Strftime, "%d/%m/%y", "%T", ".", DateOrder::DayMonthYear, '/', ':',
                   '.'},
        // a radix that is not one ASCII byte
        FormatCase{Notation::Strftime, "%Y-%m-%d", "%H.%M.%S", "\xD9\xAB", DateOrder::YearMonthDay,
                   '-', '.', '.'},
        // Taiwan
        FormatCase{Notation::WindowsPictures, "yyyy/M/d", "tt hh:mm:ss", ".",
                   DateOrder::YearMonthDay, '/', ':', '.'},
        // United States
        FormatCase{Notation::WindowsPictures, "M/d/yyyy", "h:mm:ss tt", ".",
                   DateOrder::MonthDayYear, '/', ':', '.'},
        // Germany
        FormatCase{Notation::WindowsPictures, "dd.MM.yyyy", "HH:mm:ss", ",",
                   DateOrder::DayMonthYear, '.', ':', ','},
        // a two-digit year in the picture still gives the order (the year is always
        // written with four digits)
        FormatCase{Notation::WindowsPictures, "dd-MM-yy", "HH.mm.ss", ",", DateOrder::DayMonthYear,
                   '-', '.', ','},
        // a day name and an era are no parts of the order; quoted text is literal
        FormatCase{Notation::WindowsPictures, "ddd, yyyy'年'M'月'd'日'", "HH:mm:ss", ".",
                   DateOrder::YearMonthDay, '/', ':', '.'},
        FormatCase{Notation::WindowsPictures, "gg yyyy-MM-dd", "HH:mm:ss", ".",
                   DateOrder::YearMonthDay, '-', ':', '.'}),
    caseName);

}  // namespace
}  // namespace tiermend
