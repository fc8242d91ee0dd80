// Calendar days, OLE Automation dates and Julian day numbers.
#include "data/value/Calendar.h"

#include <cmath>

namespace tiermend::data {
namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
constexpr double kJulianDayOfUnixEpoch = 2440587.5;
const std::int64_t kOleEpoch = daysFromCivil(1899, 12, 30);

// Sets the time of day of value from milliseconds since midnight.
void setTimeOfDay(DateTime& value, std::int64_t milliseconds) {
  value.hour = static_cast<int>(milliseconds / 3'600'000);
  value.minute = static_cast<int>(milliseconds / 60'000 % 60);
  value.second = static_cast<int>(milliseconds / 1000 % 60);
  value.millisecond = static_cast<int>(milliseconds % 1000);
}

}  // namespace

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool isValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= daysInMonth(year, month);
}

std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void civilFromDays(std::int64_t days, int& year, int& month, int& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

std::optional<DateTime> dateTimeFromOleDays(double days) {
  // Years 1 to 9999 lie well inside +-3.7 million days; anything else is not a date.
  if (!std::isfinite(days) || std::fabs(days) > 4.0e6) return std::nullopt;
  const double wholeDays = std::trunc(days);
  const double fraction = std::fabs(days - wholeDays);
  auto dayNumber = static_cast<std::int64_t>(wholeDays);
  auto milliseconds = static_cast<std::int64_t>(std::llround(fraction * kMillisecondsPerDay));
  if (milliseconds >= kMillisecondsPerDay) {  // rounded up to the next midnight
    milliseconds -= kMillisecondsPerDay;
    ++dayNumber;
  }
  DateTime result;
  civilFromDays(kOleEpoch + dayNumber, result.year, result.month, result.day);
  if (result.year < 1 || result.year > 9999) return std::nullopt;
  setTimeOfDay(result, milliseconds);
  return result;
}

double oleDaysFromDateTime(const DateTime& value) {
  const auto dayNumber =
      static_cast<double>(daysFromCivil(value.year, value.month, value.day) - kOleEpoch);
  const double time =
      ((value.hour * 60.0 + value.minute) * 60.0 + value.second + value.millisecond / 1000.0) /
      86400.0;
  return dayNumber < 0 ? dayNumber - time : dayNumber + time;
}

std::optional<DateTime> dateTimeFromJulianDay(double julianDay) {
  const double milliseconds = (julianDay - kJulianDayOfUnixEpoch) * kMillisecondsPerDay;
  if (!std::isfinite(milliseconds)) return std::nullopt;
  const double earliest = static_cast<double>(daysFromCivil(1, 1, 1)) * kMillisecondsPerDay;
  const double latest = static_cast<double>(daysFromCivil(10000, 1, 1)) * kMillisecondsPerDay;
  if (milliseconds < earliest || milliseconds >= latest) return std::nullopt;
  const long long total = std::llround(milliseconds);
  long long days = total / kMillisecondsPerDay;
  long long rest = total % kMillisecondsPerDay;
  if (rest < 0) {
    rest += kMillisecondsPerDay;
    --days;
  }
  DateTime value;
  civilFromDays(days, value.year, value.month, value.day);
  setTimeOfDay(value, rest);
  return value;
}

}  // namespace tiermend::data
