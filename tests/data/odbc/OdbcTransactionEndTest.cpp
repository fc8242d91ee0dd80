// How a session ends a transaction when the driver refuses part of it, through a driver
// of the tests' own whose connection string says which calls fail: the commit's own
// failure is what the caller hears of, even when switching automatic commit back on
// fails after it, and a session whose commit failed can begin again.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "data/EngineError.h"
#include "data/providers/odbc/OdbcSession.h"
#include "tests/support/FailureText.h"
#include "tests/support/TestName.h"

namespace tiermend::data::odbc {
namespace {

constexpr const char* kCommitFailed = "Scripted driver: the commit failed";
constexpr const char* kResetFailed = "Scripted driver: the reset of automatic commit failed";

struct EndCase {
  const char* failing;                // the calls the driver fails
  std::optional<std::string> commit;  // the failure the commit reports, if any
};

void PrintTo(const EndCase& c, std::ostream* os) {
  *os << "FAIL=" << c.failing;
}

class OdbcTransactionEnd : public ::testing::TestWithParam<EndCase> {
 protected:
  OdbcSession session{std::string("DRIVER=") + TIERMEND_SCRIPTED_DRIVER +
                      ";FAIL=" + GetParam().failing + ";"};
};

TEST_P(OdbcTransactionEnd, ReportsTheFailureThatEndedIt) {
  session.beginTransaction();
  const auto failure = testing::failureTextOf<EngineError>([&] { session.commit(); });
  ASSERT_TRUE(failure.has_value() == GetParam().commit.has_value()) << failure.value_or("");
  if (failure) {
    EXPECT_NE(failure->find(*GetParam().commit), std::string::npos) << *failure;
  }
  // Whatever the end reported, the transaction is over and a new one can begin.
  EXPECT_EQ(testing::failureTextOf<EngineError>([&] { session.beginTransaction(); }), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, OdbcTransactionEnd,
    ::testing::Values(EndCase{"none", std::nullopt}, EndCase{"commit", kCommitFailed},
                      EndCase{"commit,reset", kCommitFailed}, EndCase{"reset", kResetFailed}),
    [](const auto& info) { return testing::testNameFrom(info.param.failing); });

}  // namespace
}  // namespace tiermend::data::odbc
