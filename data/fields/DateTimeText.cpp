// Formatting and parsing of the short date and long time of edit text.
#include "data/fields/DateTimeText.h"

#include <cstdio>
#include <vector>

#include "data/value/AsciiText.h"
#include "data/value/Calendar.h"

namespace tiermend::data {
namespace {

std::string twoDigits(int n) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d", n);
  return buffer;
}

std::string fourDigits(int n) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d", n);
  return buffer;
}

// How many digits a piece of a date or time may have.
struct Width {
  size_t least;
  size_t most;
};

// Splits the text at each separator; piece i must have widths[i] digits.
std::optional<std::vector<int>> numbersBetween(std::string_view text, char separator,
                                               const std::vector<Width>& widths) {
  std::vector<int> numbers;
  size_t start = 0;
  for (size_t index = 0;; ++index) {
    const size_t end = text.find(separator, start);
    const std::string_view piece =
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (index >= widths.size() || piece.size() < widths[index].least ||
        piece.size() > widths[index].most)
      return std::nullopt;
    int value = 0;
    for (char c : piece) {
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + (c - '0');
    }
    numbers.push_back(value);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return numbers;
}

}  // namespace

std::string formatShortDate(const DateTime& value, const RegionalSettings& settings) {
  const std::string year = fourDigits(value.year);
  const std::string month = twoDigits(value.month);
  const std::string day = twoDigits(value.day);
  const char s = settings.dateSeparator;
  switch (settings.dateOrder) {
    case DateOrder::DayMonthYear:
      return day + s + month + s + year;
    case DateOrder::MonthDayYear:
      return month + s + day + s + year;
    case DateOrder::YearMonthDay:
      break;
  }
  return year + s + month + s + day;
}

std::string formatLongTime(const DateTime& value, const RegionalSettings& settings) {
  const char s = settings.timeSeparator;
  return twoDigits(value.hour) + s + twoDigits(value.minute) + s + twoDigits(value.second);
}

std::string formatDateTime(const DateTime& value, const RegionalSettings& settings) {
  std::string text = formatShortDate(value, settings);
  if (value.hour != 0 || value.minute != 0 || value.second != 0)
    text += ' ' + formatLongTime(value, settings);
  return text;
}

std::optional<DateTime> parseDate(std::string_view text, const RegionalSettings& settings) {
  const bool yearFirst = settings.dateOrder == DateOrder::YearMonthDay;
  // The year always has four digits, so that no century is ever guessed.
  const Width year{4, 4}, monthOrDay{1, 2};
  const std::vector<Width> widths = yearFirst ? std::vector<Width>{year, monthOrDay, monthOrDay}
                                              : std::vector<Width>{monthOrDay, monthOrDay, year};
  const auto numbers = numbersBetween(trimBlanks(text), settings.dateSeparator, widths);
  if (!numbers || numbers->size() != 3) return std::nullopt;
  const size_t yearIndex = yearFirst ? 0 : 2;
  DateTime date;
  date.year = (*numbers)[yearIndex];
  switch (settings.dateOrder) {
    case DateOrder::DayMonthYear:
      date.day = (*numbers)[0], date.month = (*numbers)[1];
      break;
    case DateOrder::MonthDayYear:
      date.month = (*numbers)[0], date.day = (*numbers)[1];
      break;
    case DateOrder::YearMonthDay:
      date.month = (*numbers)[1], date.day = (*numbers)[2];
      break;
  }
  if (!isValidDate(date.year, date.month, date.day)) return std::nullopt;
  return date;
}

std::optional<DateTime> parseTime(std::string_view text, const RegionalSettings& settings) {
  const auto numbers =
      numbersBetween(trimBlanks(text), settings.timeSeparator, {{1, 2}, {1, 2}, {1, 2}});
  if (!numbers || numbers->size() < 2) return std::nullopt;
  DateTime time;
  time.hour = (*numbers)[0];
  time.minute = (*numbers)[1];
  time.second = numbers->size() == 3 ? (*numbers)[2] : 0;
  if (time.hour > 23 || time.minute > 59 || time.second > 59) return std::nullopt;
  return time;
}

std::optional<DateTime> parseDateTime(std::string_view text, const RegionalSettings& settings) {
  const std::string_view trimmed = trimBlanks(text);
  const size_t blank = trimmed.find_first_of(" \t");
  if (blank == std::string_view::npos) {
    if (auto date = parseDate(trimmed, settings)) return date;
    return parseTime(trimmed, settings);
  }
  auto date = parseDate(trimmed.substr(0, blank), settings);
  const auto time = parseTime(trimmed.substr(blank), settings);
  if (!date || !time) return std::nullopt;
  date->hour = time->hour;
  date->minute = time->minute;
  date->second = time->second;
  return date;
}

}  // namespace tiermend::data
