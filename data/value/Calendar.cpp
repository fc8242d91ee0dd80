// Calendar days, OLE Automation dates and Julian day numbers.
#include "data/value/Calendar.h"

#include <chrono>
#include <cmath>

namespace tiermend::data {
namespace {

namespace chrono = std::chrono;

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
constexpr double kJulianDayOfUnixEpoch = 2440587.5;

chrono::year_month_day calendarDate(int year, int month, int day) {
  return chrono::year_month_day{chrono::year{year}, chrono::month{static_cast<unsigned>(month)},
                                chrono::day{static_cast<unsigned>(day)}};
}

// Days since 1970-01-01 of a real date.
std::int64_t daysSinceUnixEpoch(int year, int month, int day) {
  return chrono::sys_days{calendarDate(year, month, day)}.time_since_epoch().count();
}

// Sets the date of value to the day that many days after 1970-01-01.
void setDate(DateTime& value, std::int64_t daysSinceEpoch) {
  const chrono::year_month_day date{chrono::sys_days{chrono::days{daysSinceEpoch}}};
  value.year = static_cast<int>(date.year());
  value.month = static_cast<int>(static_cast<unsigned>(date.month()));
  value.day = static_cast<int>(static_cast<unsigned>(date.day()));
}

const std::int64_t kOleEpoch = daysSinceUnixEpoch(1899, 12, 30);

// Sets the time of day of value from milliseconds since midnight.
void setTimeOfDay(DateTime& value, std::int64_t milliseconds) {
  value.hour = static_cast<int>(milliseconds / 3'600'000);
  value.minute = static_cast<int>(milliseconds / 60'000 % 60);
  value.second = static_cast<int>(milliseconds / 1000 % 60);
  value.millisecond = static_cast<int>(milliseconds % 1000);
}

}  // namespace

bool isValidDate(int year, int month, int day) {
  // The range checks come first: chrono keeps a month or day in one byte.
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= 31 &&
         calendarDate(year, month, day).ok();
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
  setDate(result, kOleEpoch + dayNumber);
  if (result.year < 1 || result.year > 9999) return std::nullopt;
  setTimeOfDay(result, milliseconds);
  return result;
}

double oleDaysFromDateTime(const DateTime& value) {
  const auto dayNumber =
      static_cast<double>(daysSinceUnixEpoch(value.year, value.month, value.day) - kOleEpoch);
  const double time =
      ((value.hour * 60.0 + value.minute) * 60.0 + value.second + value.millisecond / 1000.0) /
      86400.0;
  return dayNumber < 0 ? dayNumber - time : dayNumber + time;
}

std::optional<DateTime> dateTimeFromJulianDay(double julianDay) {
  const double milliseconds = (julianDay - kJulianDayOfUnixEpoch) * kMillisecondsPerDay;
  if (!std::isfinite(milliseconds)) return std::nullopt;
  const double earliest = static_cast<double>(daysSinceUnixEpoch(1, 1, 1)) * kMillisecondsPerDay;
  const double latest = static_cast<double>(daysSinceUnixEpoch(10000, 1, 1)) * kMillisecondsPerDay;
  if (milliseconds < earliest || milliseconds >= latest) return std::nullopt;
  const long long total = std::llround(milliseconds);
  long long days = total / kMillisecondsPerDay;
  long long rest = total % kMillisecondsPerDay;
  if (rest < 0) {
    rest += kMillisecondsPerDay;
    --days;
  }
  DateTime value;
  setDate(value, days);
  setTimeOfDay(value, rest);
  return value;
}

}  // namespace tiermend::data
