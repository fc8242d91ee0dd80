// Asking a SQL Server Browser for an instance's port: the answers it gives, read table by
// table, and Browsers of the test's own on this machine that answer, stay silent or are
// not there at all.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "data/providers/odbc/SqlServerBrowser.h"

namespace tiermend::data::odbc {
namespace {

using namespace std::chrono_literals;

std::string answerOf(const std::string& text) {
  std::string answer(1, '\x05');
  answer += static_cast<char>(text.size() & 0xff);
  answer += static_cast<char>(text.size() >> 8);
  return answer + text;
}

TEST(SqlServerBrowserTest, TheQuestionNamesTheInstance) {
  EXPECT_EQ(instanceQuestion("SQLEXPRESS"), std::string("\x04SQLEXPRESS\0", 12));
}

TEST(SqlServerBrowserTest, ThePortIsTheInstancesTcpEntry) {
  const std::string one =
      "ServerName;DBHOST;InstanceName;SQLEXPRESS;IsClustered;No;Version;15.0.2000.5;tcp;49712;;";
  const std::string two =
      "ServerName;DBHOST;InstanceName;OTHER;IsClustered;No;Version;15.0;tcp;1500;;"
      "ServerName;DBHOST;InstanceName;SQLEXPRESS;IsClustered;No;Version;15.0;np;\\\\DBHOST\\pipe"
      "\\sql\\query;tcp;1600;;";
  const struct {
    std::string answer;
    const char* instance;
    const char* port;
  } cases[] = {
      {answerOf(one), "SQLEXPRESS", "49712"},
      {answerOf(one), "sqlexpress", "49712"},  // instance names are compared without case
      {answerOf(one), "OTHER", ""},
      {answerOf(two), "SQLEXPRESS", "1600"},
      {answerOf(two), "OTHER", "1500"},
      {answerOf("ServerName;DBHOST;InstanceName;SQLEXPRESS;np;\\\\DBHOST\\pipe;;"), "SQLEXPRESS",
       ""},  // no TCP: named pipes only
      {answerOf("ServerName;DBHOST;InstanceName;SQLEXPRESS;tcp;99999;;"), "SQLEXPRESS", ""},
      {answerOf("ServerName;DBHOST;InstanceName;SQLEXPRESS;tcp;"), "SQLEXPRESS", ""},
      {answerOf(one).substr(0, 30), "SQLEXPRESS", ""},  // cut short
      {"\x06" + answerOf(one).substr(1), "SQLEXPRESS", ""},
      {"", "SQLEXPRESS", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(tcpPortInAnswer(c.answer, c.instance), c.port) << c.answer << " / " << c.instance;
  }
}

// A UDP socket on this machine standing in for a Browser; answers with reply if not empty.
class LocalBrowser {
 public:
  explicit LocalBrowser(std::string reply) : reply_(std::move(reply)) {
    fd_ = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    if (!reply_.empty()) {
      server_ = std::thread([this] {
        char question[256];
        sockaddr_in from{};
        socklen_t size = sizeof from;
        const ssize_t got =
            recvfrom(fd_, question, sizeof question, 0, reinterpret_cast<sockaddr*>(&from), &size);
        asked_ = got > 0 ? std::string(question, static_cast<size_t>(got)) : "";
        sendto(fd_, reply_.data(), reply_.size(), 0, reinterpret_cast<sockaddr*>(&from), size);
      });
    }
  }
  ~LocalBrowser() {
    if (server_.joinable()) server_.join();
    close(fd_);
  }
  int port() const { return port_; }
  const std::string& asked() {
    if (server_.joinable()) server_.join();
    return asked_;
  }

 private:
  std::string reply_;
  int fd_ = -1;
  int port_ = 0;
  std::string asked_;
  std::thread server_;
};

TEST(SqlServerBrowserTest, ABrowserThatAnswersGivesThePort) {
  LocalBrowser browser(answerOf("ServerName;H;InstanceName;SQLEXPRESS;tcp;49712;;"));
  const InstancePort found = lookUpInstancePort("127.0.0.1", "SQLEXPRESS", browser.port(), 3s);
  EXPECT_EQ(found.port, "49712");
  EXPECT_EQ(found.failure, "");
  EXPECT_EQ(browser.asked(), instanceQuestion("SQLEXPRESS"));
}

TEST(SqlServerBrowserTest, ABrowserThatStaysSilentIsGivenUpOnAfterTheWait) {
  LocalBrowser browser("");  // reads nothing, answers nothing
  const auto start = std::chrono::steady_clock::now();
  const InstancePort found = lookUpInstancePort("127.0.0.1", "SQLEXPRESS", browser.port(), 1s);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_EQ(found.port, "");
  EXPECT_EQ(found.failure, "the SQL Server Browser on '127.0.0.1' did not answer within 1 second");
}

TEST(SqlServerBrowserTest, ABrowserThatDoesNotKnowTheInstanceSaysSo) {
  LocalBrowser browser(answerOf("ServerName;H;InstanceName;OTHER;tcp;1500;;"));
  const InstancePort found = lookUpInstancePort("127.0.0.1", "SQLEXPRESS", browser.port(), 3s);
  EXPECT_EQ(found.failure, "the SQL Server Browser on '127.0.0.1' gives no TCP port for it");
}

TEST(SqlServerBrowserTest, AnUnknownHostCannotBeAsked) {
  const InstancePort found = lookUpInstancePort("no-such-host.invalid", "SQLEXPRESS", 1434, 1s);
  EXPECT_EQ(found.port, "");
  EXPECT_TRUE(found.failure.starts_with(
      "the SQL Server Browser on 'no-such-host.invalid' cannot be asked: "))
      << found.failure;
}

}  // namespace
}  // namespace tiermend::data::odbc
