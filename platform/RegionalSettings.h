// Regional settings that edit text uses: the short date format, the long time format
// and the decimal separator. Read once from the process locale (on Windows, the user's
// regional settings); tests build them explicitly so that nothing depends on the
// machine's locale.
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

  // Reads LC_TIME and LC_NUMERIC of the process locale (set it first); on Windows the
  // user's LOCALE_SSHORTDATE, LOCALE_STIMEFORMAT and LOCALE_SDECIMAL.
  static RegionalSettings fromProcessLocale();
  // Derives the settings from a strftime date format such as "%m/%d/%y" and a
  // decimal point string; separators outside ASCII become "/".
  static RegionalSettings fromFormats(const std::string& dateFormat, const std::string& timeFormat,
                                      const std::string& decimalPoint);
  // The same from Windows pictures: a short date such as "yyyy/M/d", a long time such
  // as "tt hh:mm:ss", and the decimal separator.
  static RegionalSettings fromWindowsPictures(const std::string& shortDate,
                                              const std::string& longTime,
                                              const std::string& decimalSeparator);

  bool operator==(const RegionalSettings&) const = default;
};

}  // namespace tiermend
