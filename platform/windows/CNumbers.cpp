// C-locale number reading on Windows. The program never changes the C runtime's locale
// there (the code page and the regional settings come from the system's own calls), so
// the runtime stays in the "C" locale and its strtod and strtold read "." as the point.
#include "platform/CNumbers.h"

#include <cerrno>
#include <cstdlib>

namespace tiermend {

double cStrtod(const std::string& text, bool& outOfRange) {
  errno = 0;
  const double value = std::strtod(text.c_str(), nullptr);
  outOfRange = errno == ERANGE;
  return value;
}

long double cStrtold(const std::string& text) {
  return std::strtold(text.c_str(), nullptr);
}

}  // namespace tiermend
