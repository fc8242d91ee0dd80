// Reading numbers written in the C locale's form ("." as the decimal point), whatever
// locale the process runs under: the edit-text rules form such text themselves.
#pragma once

#include <string>

namespace tiermend {

// As strtod on the whole text; outOfRange is set when the value overflows or
// underflows the double's range (the value is then ±HUGE_VAL or the nearest tiny one).
double cStrtod(const std::string& text, bool& outOfRange);
// As strtold on the whole text.
long double cStrtold(const std::string& text);

}  // namespace tiermend
