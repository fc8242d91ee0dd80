// Derivation of the regional settings from a locale's date, time and number formats, as
// POSIX (strftime) and Windows (date and time pictures) write them.
#include "platform/RegionalSettings.h"

#include <string_view>

namespace tiermend {
namespace {

bool isAsciiSeparator(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u > 0x20 && u < 0x7F && !(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'z') &&
         !(c >= 'A' && c <= 'Z') && c != '%';
}

// The order found in a format ("dmy", "mdy" or "ymd" first), and its separator where
// it is one ASCII byte, else "/".
void applyDateOrder(const std::string& order, char separator, RegionalSettings& settings) {
  if (order.rfind("dmy", 0) == 0)
    settings.dateOrder = DateOrder::DayMonthYear;
  else if (order.rfind("mdy", 0) == 0)
    settings.dateOrder = DateOrder::MonthDayYear;
  else if (order.rfind("ymd", 0) == 0)
    settings.dateOrder = DateOrder::YearMonthDay;
  settings.dateSeparator = separator && isAsciiSeparator(separator) ? separator : '/';
}

// The order of the day, month and year conversions in a strftime format, and the
// first separator that stands between two of them.
void readDateFormat(std::string_view format, RegionalSettings& settings) {
  std::string order;
  char separator = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      char c = format[++i];
      if (c == 'E' || c == 'O' || c == '-' || c == '_' || c == '0') {
        if (i + 1 >= format.size()) break;
        c = format[++i];
      }
      if (c == 'd' || c == 'e') order += 'd';
      if (c == 'm') order += 'm';
      if (c == 'y' || c == 'Y') order += 'y';
      if (c == 'D') order += "mdy", separator = separator ? separator : '/';
      if (c == 'F') order += "ymd", separator = separator ? separator : '-';
    } else if (!order.empty() && order.size() < 3 && separator == 0) {
      separator = isAsciiSeparator(format[i]) ? format[i] : '/';
    }
  }
  applyDateOrder(order, separator, settings);
}

char readTimeSeparator(std::string_view format) {
  for (size_t i = 0; i + 1 < format.size(); ++i) {
    if (format[i] == '%' && (format[i + 1] == 'H' || format[i + 1] == 'I') && i + 2 < format.size())
      return isAsciiSeparator(format[i + 2]) ? format[i + 2] : ':';
    if (format[i] == '%' && (format[i + 1] == 'T' || format[i + 1] == 'R')) return ':';
  }
  return ':';
}

// The order of the day, month and year in a Windows date picture ("yyyy/M/d",
// "dd.MM.yyyy"), and the first separator between two of them. Text in single quotes is
// literal; era and day-name letters (g, ddd, dddd) are not parts of the order.
void readDatePicture(std::string_view picture, RegionalSettings& settings) {
  std::string order;
  char separator = 0;
  for (size_t i = 0; i < picture.size();) {
    const char c = picture[i];
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    if (c == '\'') {
      const size_t close = picture.find('\'', i + 1);
      if (!order.empty() && order.size() < 3 && separator == 0) separator = '/';
      i = close == std::string_view::npos ? picture.size() : close + 1;
      continue;
    }
    if ((c == 'd' && run <= 2) || c == 'M' || c == 'y') {
      const char part = c == 'd' ? 'd' : c == 'M' ? 'm' : 'y';
      if (order.find(part) == std::string::npos) order += part;
    } else if (c != 'd' && c != 'g' && !order.empty() && order.size() < 3 && separator == 0) {
      separator = isAsciiSeparator(c) ? c : '/';
    }
    i += run;
  }
  applyDateOrder(order, separator, settings);
}

// The separator after the hours in a Windows time picture ("HH:mm:ss", "tt hh:mm:ss").
char readTimePicture(std::string_view picture) {
  for (size_t i = 0; i < picture.size(); ++i) {
    if (picture[i] != 'H' && picture[i] != 'h') continue;
    while (i < picture.size() && (picture[i] == 'H' || picture[i] == 'h')) ++i;
    if (i < picture.size()) return isAsciiSeparator(picture[i]) ? picture[i] : ':';
    break;
  }
  return ':';
}

char decimalSeparatorOf(const std::string& decimalPoint) {
  return decimalPoint.size() == 1 && isAsciiSeparator(decimalPoint[0]) ? decimalPoint[0] : '.';
}

// The settings read by one notation's readers of the date and the time.
template <class ReadDate, class ReadTime>
RegionalSettings settingsFrom(ReadDate readDate, const std::string& date, ReadTime readTime,
                              const std::string& time, const std::string& decimal) {
  RegionalSettings settings;
  readDate(date, settings);
  settings.timeSeparator = readTime(time);
  settings.decimalSeparator = decimalSeparatorOf(decimal);
  return settings;
}

}  // namespace

RegionalSettings RegionalSettings::fromFormats(const std::string& dateFormat,
                                               const std::string& timeFormat,
                                               const std::string& decimalPoint) {
  return settingsFrom(readDateFormat, dateFormat, readTimeSeparator, timeFormat, decimalPoint);
}

RegionalSettings RegionalSettings::fromWindowsPictures(const std::string& shortDate,
                                                       const std::string& longTime,
                                                       const std::string& decimalSeparator) {
  return settingsFrom(readDatePicture, shortDate, readTimePicture, longTime, decimalSeparator);
}

}  // namespace tiermend
