// The calendar under the date conversions: every day of the years 1 to 9999, in order,
// with no day skipped or counted twice, and the days that are no date.
#include <gtest/gtest.h>

#include "data/value/Calendar.h"

namespace tiermend::data {
namespace {

// The day after a valid date, worked out by hand from the month lengths.
DateTime nextDay(DateTime date) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
  const int monthLength = date.month == 2 && leap ? 29 : kDays[date.month - 1];
  if (++date.day > monthLength) {
    date.day = 1;
    if (++date.month > 12) {
      date.month = 1;
      ++date.year;
    }
  }
  return date;
}

TEST(CalendarTest, OleDaysWalkEveryDateOfTheYearsOneTo9999InOrder) {
  // 0001-01-01 is OLE day -693593 and 9999-12-31 is day 2958465.
  DateTime expected{1, 1, 1, 0, 0, 0, 0};
  for (int day = -693593; day <= 2958465; ++day) {
    const std::optional<DateTime> date = dateTimeFromOleDays(day);
    ASSERT_TRUE(date.has_value()) << day;
    ASSERT_EQ(*date, expected) << day;
    ASSERT_TRUE(isValidDate(date->year, date->month, date->day)) << day;
    ASSERT_EQ(oleDaysFromDateTime(*date), day);
    expected = nextDay(expected);
  }
  EXPECT_FALSE(dateTimeFromOleDays(-693594).has_value());
  EXPECT_FALSE(dateTimeFromOleDays(2958466).has_value());
}

TEST(CalendarTest, WhatIsNoDate) {
  struct Case {
    int year, month, day;
    bool valid;
  };
  const Case cases[] = {
      {2024, 2, 29, true},  {2023, 2, 29, false},  {1900, 2, 29, false},  {2000, 2, 29, true},
      {2024, 4, 31, false}, {2024, 12, 31, true},  {0, 1, 1, false},      {10000, 1, 1, false},
      {2024, 0, 1, false},  {2024, 13, 1, false},  {2024, 257, 1, false}, {2024, 1, 0, false},
      {2024, 1, 32, false}, {2024, 1, 257, false}, {2024, -1, 1, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isValidDate(c.year, c.month, c.day), c.valid)
        << c.year << "-" << c.month << "-" << c.day;
  }
}

}  // namespace
}  // namespace tiermend::data
