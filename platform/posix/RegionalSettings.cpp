// The regional settings of the process locale on POSIX systems: LC_TIME's date and time
// formats and LC_NUMERIC's radix character, through nl_langinfo.
#include "platform/RegionalSettings.h"

#include <langinfo.h>

namespace tiermend {

RegionalSettings RegionalSettings::fromProcessLocale() {
  const char* date = nl_langinfo(D_FMT);
  const char* time = nl_langinfo(T_FMT);
  const char* radix = nl_langinfo(RADIXCHAR);
  return fromFormats(date ? date : "", time ? time : "", radix ? radix : ".");
}

}  // namespace tiermend
