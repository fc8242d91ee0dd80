// Date-time, date-only and time-only columns under different regional settings.
#include <gtest/gtest.h>

#include <string>

#include "FieldTestSupport.h"
#include "tests/support/ColumnTypeName.h"
#include "tests/support/TestName.h"

namespace tiermend::data {
namespace {

using namespace testing;

DateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return DateTime{year, month, day, hour, minute, second, 0};
}

const TextSettings kYmd = settingsFor(65001, DateOrder::YearMonthDay, '/');
const TextSettings kDmy = settingsFor(65001, DateOrder::DayMonthYear, '.', ',');
const TextSettings kMdy = settingsFor(65001, DateOrder::MonthDayYear, '-');

// The column type and the date order, the start of every case's name.
std::string typeAndOrder(ColumnType type, const TextSettings& settings) {
  const DateOrder order = settings.regional.dateOrder;
  return tiermend::testing::columnTypeName(type) + " " +
         (order == DateOrder::YearMonthDay   ? "Ymd"
          : order == DateOrder::DayMonthYear ? "Dmy"
                                             : "Mdy");
}

struct ReadCase {
  ColumnType type;
  TextSettings settings;
  DateTime value;
  std::string expected;
};

class DateTimeRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(DateTimeRead, ShortDateAndLongTime) {
  const ReadCase& c = GetParam();
  EXPECT_EQ(converter(column(c.type), c.settings)->textOf(c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DateTimeRead,
    ::testing::Values(
        ReadCase{ColumnType::DateTime, kYmd, at(2024, 1, 2), "2024/01/02"},
        ReadCase{ColumnType::DateTime, kYmd, at(2024, 1, 2, 13, 5, 9), "2024/01/02 13:05:09"},
        ReadCase{ColumnType::DateTime, kYmd, at(2024, 1, 2, 0, 0, 1), "2024/01/02 00:00:01"},
        // Milliseconds alone do not make a time of day worth showing.
        ReadCase{ColumnType::DateTime, kYmd, DateTime{2024, 1, 2, 0, 0, 0, 500}, "2024/01/02"},
        ReadCase{ColumnType::DateTime, kDmy, at(2024, 1, 2, 13, 5, 9), "02.01.2024 13:05:09"},
        ReadCase{ColumnType::DateTime, kMdy, at(2024, 1, 2), "01-02-2024"},
        ReadCase{ColumnType::DateTime, kYmd, at(100, 1, 1), "0100/01/01"},
        ReadCase{ColumnType::DateTime, kDmy, at(1850, 6, 15, 8, 0, 0), "15.06.1850 08:00:00"},
        ReadCase{ColumnType::DateTime, kYmd, at(9999, 12, 31, 23, 59, 59), "9999/12/31 23:59:59"},
        ReadCase{ColumnType::Date, kYmd, at(1899, 12, 30), "1899/12/30"},
        ReadCase{ColumnType::Date, kMdy, at(2024, 1, 2, 13, 5, 9), "01-02-2024"},
        ReadCase{ColumnType::Time, kYmd, at(1899, 12, 30, 13, 5, 9), "13:05:09"},
        ReadCase{ColumnType::Time, kYmd, at(1899, 12, 30), "00:00:00"}),
    [](const ::testing::TestParamInfo<ReadCase>& info) {
      const ReadCase& c = info.param;
      const DateTime& v = c.value;
      std::string value;
      for (const int part : {v.year, v.month, v.day, v.hour, v.minute, v.second, v.millisecond})
        value += " " + std::to_string(part);
      return tiermend::testing::testNameFrom(typeAndOrder(c.type, c.settings) + value);
    });

struct WriteCase {
  ColumnType type;
  TextSettings settings;
  std::string text;
  Value expected;  // Null when the write fails
};

class DateTimeWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(DateTimeWrite, ParsesTheSameFormats) {
  const WriteCase& c = GetParam();
  const auto field = converter(column(c.type), c.settings);
  if (!isNull(c.expected) || c.text.empty()) {
    EXPECT_EQ(field->valueFromText(c.text), c.expected) << c.text;
    return;
  }
  const char* what = c.type == ColumnType::Date   ? "date"
                     : c.type == ColumnType::Time ? "time"
                                                  : "date and time";
  EXPECT_EQ(namedFailureOf([&] { field->valueFromText(c.text); }),
            "EConvertError: '" + c.text + "' is not a valid " + what);
}

WriteCase good(ColumnType type, const TextSettings& settings, std::string text, DateTime value) {
  return {type, settings, std::move(text), value};
}
WriteCase bad(ColumnType type, const TextSettings& settings, std::string text) {
  return {type, settings, std::move(text), Null{}};
}

constexpr ColumnType kDateTime = ColumnType::DateTime;

INSTANTIATE_TEST_SUITE_P(
    Cases, DateTimeWrite,
    ::testing::Values(
        WriteCase{kDateTime, kYmd, "", Null{}}, WriteCase{ColumnType::Date, kYmd, "", Null{}},
        WriteCase{ColumnType::Time, kYmd, "", Null{}},
        good(kDateTime, kYmd, "2024/01/02", at(2024, 1, 2)),
        good(kDateTime, kYmd, "2024/1/2 9:05:00", at(2024, 1, 2, 9, 5, 0)),
        good(kDateTime, kYmd, " 2024/01/02  13:05 ", at(2024, 1, 2, 13, 5, 0)),
        good(kDateTime, kYmd, "13:05:09", at(1899, 12, 30, 13, 5, 9)),
        good(kDateTime, kYmd, "0100/01/01", at(100, 1, 1)),
        good(kDateTime, kYmd, "9999/12/31 23:59:59", at(9999, 12, 31, 23, 59, 59)),
        good(kDateTime, kYmd, "2024/02/29", at(2024, 2, 29)),
        good(kDateTime, kYmd, "2000/02/29", at(2000, 2, 29)),
        good(kDateTime, kDmy, "2.1.2024 9:05:00", at(2024, 1, 2, 9, 5, 0)),
        good(kDateTime, kMdy, "1-2-2024", at(2024, 1, 2)),
        good(kDateTime, kMdy, "12-31-1850", at(1850, 12, 31)),
        good(ColumnType::Date, kYmd, "2024/01/02", at(2024, 1, 2)),
        good(ColumnType::Time, kYmd, "9:5:7", at(1899, 12, 30, 9, 5, 7)),
        bad(kDateTime, kYmd, "2024/02/30"), bad(kDateTime, kYmd, "2023/02/29"),
        bad(kDateTime, kYmd, "1900/02/29"), bad(kDateTime, kYmd, "24/01/02"),
        bad(kDateTime, kYmd, "2024-01-02"), bad(kDateTime, kYmd, "2024/13/01"),
        bad(kDateTime, kYmd, "0000/01/01"), bad(kDateTime, kYmd, "10000/01/01"),
        bad(kDateTime, kYmd, "2024/01/02 24:00:00"), bad(kDateTime, kYmd, "2024/01/02 12:60"),
        bad(kDateTime, kYmd, "2024/01/02 12:00:00 x"), bad(kDateTime, kYmd, "abc"),
        bad(kDateTime, kYmd, "2024/01"), bad(kDateTime, kYmd, "12"),
        bad(kDateTime, kDmy, "2024.01.02"), bad(kDateTime, kMdy, "13-01-2024"),
        bad(ColumnType::Date, kYmd, "2024/01/02 10:00:00"), bad(ColumnType::Date, kYmd, "10:00"),
        bad(ColumnType::Time, kYmd, "2024/01/02"), bad(ColumnType::Time, kYmd, "10"),
        bad(ColumnType::Time, kYmd, "10:00:00:00")),
    [](const ::testing::TestParamInfo<WriteCase>& info) {
      const WriteCase& c = info.param;
      const bool refused = isNull(c.expected) && !c.text.empty();
      return tiermend::testing::testNameFrom(typeAndOrder(c.type, c.settings) + " " + c.text +
                                             (refused ? " refused" : ""));
    });

TEST(DateTimeField, ValuesSurviveTheRoundTrip) {
  const DateTime samples[] = {at(2024, 3, 1), at(2024, 3, 1, 23, 59, 59), at(100, 1, 1),
                              at(1899, 12, 30, 12, 0, 0), at(9999, 12, 31, 23, 59, 59)};
  for (const TextSettings& settings : {kYmd, kDmy, kMdy}) {
    const auto field = converter(column(ColumnType::DateTime), settings);
    for (const DateTime& value : samples)
      EXPECT_EQ(field->valueFromText(field->textOf(value)), Value(value)) << field->textOf(value);
  }
}

TEST(DateTimeField, MidnightTravelsAsTheDateAlone) {
  const auto source = converter(column(ColumnType::DateTime), kYmd);
  const auto target = converter(column(ColumnType::DateTime), kYmd);
  const std::string text = source->textOf(at(2024, 7, 1));
  EXPECT_EQ(text, "2024/07/01");
  EXPECT_EQ(target->valueFromText(text), Value(at(2024, 7, 1, 0, 0, 0)));
  EXPECT_EQ(source->textOf(Null{}), "");
}

TEST(DateTimeField, ReadOnlyAfterConverting) {
  ColumnInfo info = column(ColumnType::DateTime, "stamp");
  info.updatable = false;
  EXPECT_EQ(writeFailure(info, "2024/01/02"), "EDatabaseError: Field 'stamp' cannot be modified");
  EXPECT_EQ(writeFailure(info, "x"), "EConvertError: 'x' is not a valid date and time");
}

}  // namespace
}  // namespace tiermend::data
