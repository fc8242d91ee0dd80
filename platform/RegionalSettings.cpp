// Derivation of the regional settings from the locale's date, time and number formats.
#include "platform/RegionalSettings.h"

#include <langinfo.h>

#include <string_view>

namespace tiermend {
namespace {

bool isAsciiSeparator(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u > 0x20 && u < 0x7F && !(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'z') &&
         !(c >= 'A' && c <= 'Z') && c != '%';
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
  if (order.rfind("dmy", 0) == 0)
    settings.dateOrder = DateOrder::DayMonthYear;
  else if (order.rfind("mdy", 0) == 0)
    settings.dateOrder = DateOrder::MonthDayYear;
  else if (order.rfind("ymd", 0) == 0)
    settings.dateOrder = DateOrder::YearMonthDay;
  settings.dateSeparator = separator && isAsciiSeparator(separator) ? separator : '/';
}

char readTimeSeparator(std::string_view format) {
  for (size_t i = 0; i + 1 < format.size(); ++i) {
    if (format[i] == '%' && (format[i + 1] == 'H' || format[i + 1] == 'I') && i + 2 < format.size())
      return isAsciiSeparator(format[i + 2]) ? format[i + 2] : ':';
    if (format[i] == '%' && (format[i + 1] == 'T' || format[i + 1] == 'R')) return ':';
  }
  return ':';
}

}  // namespace

RegionalSettings RegionalSettings::fromFormats(const std::string& dateFormat,
                                               const std::string& timeFormat,
                                               const std::string& decimalPoint) {
  RegionalSettings settings;
  readDateFormat(dateFormat, settings);
  settings.timeSeparator = readTimeSeparator(timeFormat);
  settings.decimalSeparator =
      decimalPoint.size() == 1 && isAsciiSeparator(decimalPoint[0]) ? decimalPoint[0] : '.';
  return settings;
}

RegionalSettings RegionalSettings::fromProcessLocale() {
  const char* date = nl_langinfo(D_FMT);
  const char* time = nl_langinfo(T_FMT);
  const char* radix = nl_langinfo(RADIXCHAR);
  return fromFormats(date ? date : "", time ? time : "", radix ? radix : ".");
}

}  // namespace tiermend
