// A question by UDP and its answer within a time limit, over POSIX sockets (see
// DatagramQuery.h).
#include "platform/DatagramQuery.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tiermend {
namespace {

constexpr auto kResendInterval = std::chrono::seconds(1);

// The socket of one question, closed however the question ends.
struct SocketHolder {
  int fd;
  ~SocketHolder() {
    if (fd >= 0) close(fd);
  }
};

// A socket connected to the first address of host that takes one, or -1 with reason set.
int connectedSocket(const std::string& host, int port, std::string& reason) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  const int looked = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (looked != 0) {
    reason = gai_strerror(looked);
    return -1;
  }
  int fd = -1;
  for (addrinfo* at = found; at && fd < 0; at = at->ai_next) {
    fd = socket(at->ai_family, at->ai_socktype | SOCK_CLOEXEC, at->ai_protocol);
    if (fd >= 0 && connect(fd, at->ai_addr, at->ai_addrlen) != 0) {
      reason = std::strerror(errno);
      close(fd);
      fd = -1;
    }
  }
  freeaddrinfo(found);
  return fd;
}

}  // namespace

DatagramAnswer askByDatagram(const std::string& host, int port, const std::string& question,
                             std::chrono::milliseconds wait) {
  DatagramAnswer answer;
  const SocketHolder socketHeld{connectedSocket(host, port, answer.reason)};
  const int fd = socketHeld.fd;
  if (fd < 0) return answer;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  answer.outcome = DatagramAnswer::Outcome::NoAnswer;
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) break;
    // A send refused because the host said no one listens ends the wait: no answer.
    if (send(fd, question.data(), question.size(), MSG_NOSIGNAL) < 0) break;
    const auto until = std::min(deadline, now + kResendInterval);
    pollfd ready{fd, POLLIN, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now);
    const int polled = poll(&ready, 1, static_cast<int>(left.count()) + 1);
    if (polled < 0 && errno != EINTR) break;
    if (polled <= 0) continue;
    char buffer[65536];
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got < 0) break;  // ECONNREFUSED: the port is closed
    answer.outcome = DatagramAnswer::Outcome::Answered;
    answer.reply.assign(buffer, static_cast<size_t>(got));
    break;
  }
  return answer;
}

}  // namespace tiermend
