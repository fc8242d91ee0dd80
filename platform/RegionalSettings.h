// Regional settings that edit text uses: the short date format, the long time format
// and the decimal separator. Read once from the process locale; tests build them
// explicitly so that nothing depends on the machine's locale.
#pragma once

#include <string>

namespace tiermend {

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

struct RegionalSettings {
  // Short date: the three parts in this order, separated by dateSeparator, with a
  // four-digit year and two-digit month and day.
  DateOrder dateOrder = DateOrder::YearMonthDay;
  char dateSeparator = '/';
  // Long time: 24-hour clock, hours, minutes and seconds, two digits each.
  char timeSeparator = ':';
  char decimalSeparator = '.';

  // Reads LC_TIME and LC_NUMERIC of the process locale (set it first).
  static RegionalSettings fromProcessLocale();
  // Derives the settings from a strftime date format such as "%m/%d/%y" and a
  // decimal point string; separators outside ASCII become "/".
  static RegionalSettings fromFormats(const std::string& dateFormat, const std::string& timeFormat,
                                      const std::string& decimalPoint);

  bool operator==(const RegionalSettings&) const = default;
};

}  // namespace tiermend
