// Engine descriptions as the user sees them.
#include <gtest/gtest.h>

#include "data/EngineError.h"

namespace tiermend::data {
namespace {

TEST(EngineErrorTest, TrimsTrailingBlanksControlsAndFullStops) {
  const std::pair<const char*, const char*> cases[] = {
      {"Could not find file 'x.mdb'.", "Could not find file 'x.mdb'"},
      {"no such table: t", "no such table: t"},
      {"Syntax error. \r\n", "Syntax error"},
      {"Ends in dots...\t. ", "Ends in dots"},
      {"v1.2 inside stays", "v1.2 inside stays"},
      {" . \n", ""},
  };
  for (const auto& [raw, trimmed] : cases) EXPECT_EQ(trimEngineDescription(raw), trimmed) << raw;
}

TEST(EngineErrorTest, FailureIsInTheCodePage) {
  EOleException failure = toFailure(EngineError("no such table: 薪資."), CodePage(950));
  EXPECT_EQ(failure.message(), "no such table: \xC1\x7E\xB8\xEA");
  EXPECT_STREQ(failure.className(), "EOleException");
}

TEST(EngineErrorTest, AFailureWithoutWordsStillSaysSomething) {
  EXPECT_EQ(toFailure(EngineError(" ."), CodePage()).message(), "Unspecified error");
}

}  // namespace
}  // namespace tiermend::data
