// The user's regional settings on Windows: the short date and long time pictures and
// the decimal separator, through GetLocaleInfoA.
#include "platform/RegionalSettings.h"

#include <windows.h>

namespace tiermend {
namespace {

std::string localeItem(LCTYPE item, const char* fallback) {
  char text[128] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, item, text, sizeof text) <= 0) return fallback;
  return text;
}

}  // namespace

RegionalSettings RegionalSettings::fromProcessLocale() {
  return fromWindowsPictures(localeItem(LOCALE_SSHORTDATE, "yyyy/M/d"),
                             localeItem(LOCALE_STIMEFORMAT, "HH:mm:ss"),
                             localeItem(LOCALE_SDECIMAL, "."));
}

}  // namespace tiermend
