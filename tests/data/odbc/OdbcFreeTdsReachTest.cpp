// Where the FreeTDS driver goes for each way a user names a SQL Server, checked on the
// network with stand-ins on the loopback interface (no SQL Server needed): a bare host
// reaches port 1433, "host,port" that port, "host\instance" asks the SQL Server Browser
// and goes to the port it names. Servers that cannot be reached fail with a message
// that says which server, quickly, and a server that never answers within the login
// timeout.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "data/ConnectionString.h"
#include "data/EngineError.h"
#include "data/providers/odbc/OdbcProvider.h"
#include "tests/data/odbc/LoopbackListener.h"

namespace tiermend::data::odbc {
namespace {

using Clock = std::chrono::steady_clock;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using testing::TcpListener;

constexpr std::uint16_t kDefaultPort = 1433;
// A TDS client's first packet: pre-login.
constexpr std::uint8_t kPreLogin = 0x12;

std::string oleDbString(const std::string& dataSource) {
  return "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;;User ID=sa;"
         "Initial Catalog=payroll;Data Source=" +
         dataSource + ";";
}

struct Attempt {
  std::string message;  // the failure's text; empty when the connection was made
  Clock::duration took{};
};

Attempt connectTo(const std::string& dataSource) {
  Attempt attempt;
  const auto start = Clock::now();
  try {
    openSession(ConnectionString::parse(oleDbString(dataSource)));
  } catch (const EngineError& error) {
    attempt.message = error.what();
  }
  attempt.took = Clock::now() - start;
  return attempt;
}

std::unique_ptr<TcpListener> listenOn(std::uint16_t port, TcpListener::Reply reply,
                                      bool alsoIpv6 = false) {
  try {
    return std::make_unique<TcpListener>(port, reply, alsoIpv6);
  } catch (const std::runtime_error&) {
    return nullptr;
  }
}

// How long a connection to a stand-in may take: it answers at once or not at all.
constexpr auto kPromptFailure = std::chrono::seconds(5);
// The login timeout the provider sets, and a margin for a loaded machine.
constexpr auto kLoginTimeout = std::chrono::seconds(15);
constexpr auto kTimeoutMargin = std::chrono::seconds(5);

// Every form of a bare server name on this machine, one listener after another in one
// test, so that no two tests want port 1433 at once.
TEST(FreeTdsReachTest, EveryBareFormOfServerNameReachesPort1433) {
  for (const char* dataSource :
       {"127.0.0.1", "tcp:127.0.0.1", "localhost", "tcp:localhost", "(local)", ".", "::1"}) {
    SCOPED_TRACE(dataSource);
    auto listener = listenOn(kDefaultPort, TcpListener::Reply::Close, true);
    if (!listener) GTEST_SKIP() << "loopback port 1433 is taken on this machine";
    const Attempt attempt = connectTo(dataSource);
    EXPECT_GE(listener->connections(), 1);
    EXPECT_EQ(listener->firstByte(), kPreLogin);
    EXPECT_THAT(attempt.message, StartsWith("Could not connect to the SQL Server '"));
    EXPECT_THAT(attempt.message, HasSubstr("' on port 1433: "));
    EXPECT_LT(attempt.took, kPromptFailure);
  }
}

TEST(FreeTdsReachTest, AGivenPortIsTheOneReached) {
  auto listener = listenOn(0, TcpListener::Reply::Close);
  ASSERT_NE(listener, nullptr);
  const std::string port = std::to_string(listener->port());
  const Attempt attempt = connectTo("127.0.0.1," + port);
  EXPECT_EQ(listener->firstByte(), kPreLogin);
  EXPECT_THAT(attempt.message,
              StartsWith("Could not connect to the SQL Server '127.0.0.1' on port " + port + ": "));
}

TEST(FreeTdsReachTest, ANamedInstanceIsFoundThroughTheBrowser) {
  auto listener = listenOn(0, TcpListener::Reply::Close);
  ASSERT_NE(listener, nullptr);
  std::unique_ptr<testing::BrowserResponder> browser;
  try {
    browser = std::make_unique<testing::BrowserResponder>("PAYROLL", listener->port());
  } catch (const std::runtime_error&) {
    GTEST_SKIP() << "loopback UDP port 1434 is taken on this machine";
  }
  const Attempt attempt = connectTo("127.0.0.1\\PAYROLL");
  EXPECT_EQ(browser->requestedInstances(), std::vector<std::string>{"PAYROLL"});
  EXPECT_EQ(listener->firstByte(), kPreLogin);
  EXPECT_THAT(attempt.message,
              StartsWith("Could not connect to the SQL Server '127.0.0.1\\PAYROLL': "));
}

// Nothing listens, or the name is unknown: the failure comes at once, in words that
// name the server and say it could not be reached.
TEST(FreeTdsReachTest, UnreachableServersFailAtOnceNamingTheServer) {
  const std::string closed = std::to_string(testing::closedLoopbackPort());
  const struct {
    std::string dataSource;
    std::string named;
  } cases[] = {
      {"127.0.0.1," + closed, "'127.0.0.1' on port " + closed},
      {"no-such-host.invalid", "'no-such-host.invalid' on port 1433"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dataSource);
    const Attempt attempt = connectTo(c.dataSource);
    EXPECT_THAT(attempt.message,
                StartsWith("Could not connect to the SQL Server " + c.named + ": "));
    EXPECT_THAT(attempt.message, HasSubstr("Unable to connect"));
    EXPECT_LT(attempt.took, kPromptFailure);
  }
}

// A server that takes the connection and then says nothing is given up on when the
// login timeout runs out, never waited for without end.
TEST(FreeTdsReachTest, AServerThatNeverAnswersFailsWhenTheLoginTimeoutRunsOut) {
  auto listener = listenOn(0, TcpListener::Reply::Silence);
  ASSERT_NE(listener, nullptr);
  const Attempt attempt = connectTo("127.0.0.1," + std::to_string(listener->port()));
  EXPECT_EQ(listener->firstByte(), kPreLogin);
  EXPECT_THAT(attempt.message, HasSubstr("Timeout expired"));
  EXPECT_GE(attempt.took, kLoginTimeout - std::chrono::seconds(1));
  EXPECT_LT(attempt.took, kLoginTimeout + kTimeoutMargin);
}

}  // namespace
}  // namespace tiermend::data::odbc
