// The tool's exception kinds: their messages and class names.
#include <gtest/gtest.h>

#include "platform/Exceptions.h"

namespace tiermend {
namespace {

TEST(Exceptions, KindsCarryTheirMessagesAndNames) {
  EXPECT_EQ(EAbort().message(), "Operation aborted");
  EXPECT_STREQ(EAbort().className(), "EAbort");
  EXPECT_EQ(EStringListError(6).message(), "List index out of bounds (6)");
  EXPECT_STREQ(EStringListError(6).className(), "EStringListError");
  EXPECT_EQ(EListError(-1).message(), "List index out of bounds (-1)");
  const EInOutError io(2);
  EXPECT_EQ(io.message(), "File not found");
  EXPECT_STREQ(io.what(), "File not found");
  const Exception& base = io;
  EXPECT_STREQ(base.className(), "EInOutError");
}

}  // namespace
}  // namespace tiermend
