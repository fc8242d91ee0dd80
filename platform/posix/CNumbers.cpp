// C-locale number reading on POSIX systems: strtod_l and strtold_l with a C locale
// object, since the process locale follows the environment.
#include "platform/CNumbers.h"

#include <locale.h>
#include <stdlib.h>

#include <cerrno>

namespace tiermend {
namespace {

locale_t cLocale() {
  static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

}  // namespace

double cStrtod(const std::string& text, bool& outOfRange) {
  errno = 0;
  const double value = strtod_l(text.c_str(), nullptr, cLocale());
  outOfRange = errno == ERANGE;
  return value;
}

long double cStrtold(const std::string& text) {
  return strtold_l(text.c_str(), nullptr, cLocale());
}

}  // namespace tiermend
