// The code page and regional settings as Windows reports them for the locale the test
// runs under: Wine takes them from LC_ALL, so the test command runs these cases under
// zh_TW.UTF-8 (code page 950, Taiwan's settings) and C.UTF-8 (code page 1252, the United
// States' settings).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>

#include "platform/CodePage.h"
#include "platform/RegionalSettings.h"

namespace tiermend {
namespace {

bool underTraditionalChinese() {
  const char* locale = std::getenv("LC_ALL");
  return locale && std::string(locale).rfind("zh_TW", 0) == 0;
}

TEST(WindowsLocale, TheCodePageIsTheThreadLocalesAnsiCodePage) {
  const CodePage codePage = CodePage::fromProcessLocale();
  if (underTraditionalChinese()) {
    EXPECT_EQ(codePage.id(), 950u);
    // Big5's lead bytes, 0x81 to 0xFE, as GetCPInfo reports them.
    for (int byte = 0; byte < 256; ++byte) {
      EXPECT_EQ(codePage.isLeadByte(static_cast<unsigned char>(byte)), byte >= 0x81 && byte <= 0xFE)
          << byte;
    }
    EXPECT_EQ(codePage.toUtf8("\xA7\xF3\xB7\x73\xA7\xB9\xA6\xA8."), "更新完成.");
  } else {
    EXPECT_EQ(codePage.id(), 1252u);
    for (int byte = 0; byte < 256; ++byte) {
      EXPECT_FALSE(codePage.isLeadByte(static_cast<unsigned char>(byte))) << byte;
    }
    EXPECT_EQ(codePage.fromUtf8("更新完成."), "????.");
  }
}

TEST(WindowsLocale, RegionalSettingsComeFromTheUsersLocale) {
  const RegionalSettings settings = RegionalSettings::fromProcessLocale();
  const DateOrder expected =
      underTraditionalChinese() ? DateOrder::YearMonthDay : DateOrder::MonthDayYear;
  EXPECT_EQ(std::tie(settings.dateOrder, settings.dateSeparator, settings.timeSeparator,
                     settings.decimalSeparator),
            std::tie(expected, "/"[0], ":"[0], "."[0]));
}

}  // namespace
}  // namespace tiermend
