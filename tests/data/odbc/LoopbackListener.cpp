// The loopback stand-in for a SQL Server: a TCP listener that records a client's first
// bytes, and a UDP responder that answers as the SQL Server Browser.
#include "tests/data/odbc/LoopbackListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace tiermend::testing {
namespace {

constexpr int kPollMilliseconds = 50;
constexpr std::uint16_t kBrowserPort = 1434;

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

int boundSocket(int family, int type, std::uint16_t port) {
  int fd = socket(family, type | SOCK_CLOEXEC, 0);
  if (fd < 0) fail("socket");
  int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  int result = 0;
  if (family == AF_INET) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    result = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  } else {
    setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    address.sin6_port = htons(port);
    result = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  }
  if (result != 0) {
    const int error = errno;
    close(fd);
    errno = error;
    fail("bind to loopback port " + std::to_string(port));
  }
  return fd;
}

std::uint16_t boundPort(int fd) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  if (address.ss_family == AF_INET)
    return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
  return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
}

}  // namespace

TcpListener::TcpListener(std::uint16_t port, Reply reply, bool alsoIpv6) : reply_(reply) {
  sockets_.push_back(boundSocket(AF_INET, SOCK_STREAM, port));
  port_ = boundPort(sockets_.front());
  if (alsoIpv6) sockets_.push_back(boundSocket(AF_INET6, SOCK_STREAM, port_));
  for (int fd : sockets_)
    if (listen(fd, 8) != 0) fail("listen");
  thread_ = std::thread([this] { serve(); });
}

TcpListener::~TcpListener() {
  stop_ = true;
  thread_.join();
  for (int fd : held_) close(fd);
  for (int fd : sockets_) close(fd);
}

std::optional<std::uint8_t> TcpListener::firstByte() const {
  const int value = firstByte_.load();
  if (value < 0) return std::nullopt;
  return static_cast<std::uint8_t>(value);
}

void TcpListener::serve() {
  while (!stop_) {
    std::vector<pollfd> waiting;
    for (int fd : sockets_) waiting.push_back({fd, POLLIN, 0});
    if (poll(waiting.data(), waiting.size(), kPollMilliseconds) <= 0) continue;
    for (const pollfd& ready : waiting) {
      if ((ready.revents & POLLIN) == 0) continue;
      const int client = accept4(ready.fd, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
      ++connections_;
      pollfd incoming{client, POLLIN, 0};
      std::uint8_t byte = 0;
      if (poll(&incoming, 1, 2000) > 0 && recv(client, &byte, 1, 0) == 1 && firstByte_ < 0)
        firstByte_ = byte;
      if (reply_ == Reply::Silence)
        held_.push_back(client);
      else
        close(client);
    }
  }
}

BrowserResponder::BrowserResponder(std::string instance, std::uint16_t tcpPort)
    : socket_(boundSocket(AF_INET, SOCK_DGRAM, kBrowserPort)),
      instance_(std::move(instance)),
      tcpPort_(tcpPort) {
  thread_ = std::thread([this] { serve(); });
}

BrowserResponder::~BrowserResponder() {
  stop_ = true;
  thread_.join();
  close(socket_);
}

std::vector<std::string> BrowserResponder::requestedInstances() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

// A unicast request for one instance is 0x04 followed by its name; the answer is 0x05,
// the length of the text (two bytes, little-endian) and the text, a list of
// "key;value;" pairs ending in ";".
void BrowserResponder::serve() {
  while (!stop_) {
    pollfd incoming{socket_, POLLIN, 0};
    if (poll(&incoming, 1, kPollMilliseconds) <= 0) continue;
    char request[512];
    sockaddr_storage from{};
    socklen_t fromLength = sizeof from;
    const ssize_t size = recvfrom(socket_, request, sizeof request, 0,
                                  reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (size < 1 || request[0] != 0x04) continue;
    std::string asked(request + 1, static_cast<std::size_t>(size - 1));
    asked = asked.substr(0, asked.find('\0'));
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(asked);
    }
    const std::string text = "ServerName;LOOPBACK;InstanceName;" + instance_ +
                             ";IsClustered;No;Version;16.0.1000.6;tcp;" + std::to_string(tcpPort_) +
                             ";;";
    std::string answer = "\x05";
    answer += static_cast<char>(text.size() & 0xFF);
    answer += static_cast<char>(text.size() >> 8);
    answer += text;
    sendto(socket_, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from),
           fromLength);
  }
}

std::uint16_t closedLoopbackPort() {
  const int fd = boundSocket(AF_INET, SOCK_STREAM, 0);
  const std::uint16_t port = boundPort(fd);
  close(fd);
  return port;
}

}  // namespace tiermend::testing
