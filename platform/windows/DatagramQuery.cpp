// A question by UDP and its answer within a time limit, over Winsock (see
// DatagramQuery.h).
#include "platform/DatagramQuery.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>

namespace tiermend {
namespace {

constexpr auto kResendInterval = std::chrono::seconds(1);

// Winsock started for the lifetime of one question.
struct WinsockUse {
  WinsockUse() {
    WSADATA data;
    started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~WinsockUse() {
    if (started) WSACleanup();
  }
  bool started = false;
};

// The socket of one question, closed however the question ends.
struct SocketHolder {
  SOCKET fd;
  ~SocketHolder() {
    if (fd != INVALID_SOCKET) closesocket(fd);
  }
};

SOCKET connectedSocket(const std::string& host, int port, std::string& reason) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
    reason = "unknown host";
    return INVALID_SOCKET;
  }
  SOCKET fd = INVALID_SOCKET;
  for (addrinfo* at = found; at && fd == INVALID_SOCKET; at = at->ai_next) {
    fd = socket(at->ai_family, at->ai_socktype, at->ai_protocol);
    if (fd != INVALID_SOCKET && connect(fd, at->ai_addr, static_cast<int>(at->ai_addrlen)) != 0) {
      reason = "error " + std::to_string(WSAGetLastError());
      closesocket(fd);
      fd = INVALID_SOCKET;
    }
  }
  freeaddrinfo(found);
  return fd;
}

}  // namespace

DatagramAnswer askByDatagram(const std::string& host, int port, const std::string& question,
                             std::chrono::milliseconds wait) {
  DatagramAnswer answer;
  WinsockUse winsock;
  if (!winsock.started) {
    answer.reason = "Winsock cannot be started";
    return answer;
  }
  const SocketHolder socketHeld{connectedSocket(host, port, answer.reason)};
  const SOCKET fd = socketHeld.fd;
  if (fd == INVALID_SOCKET) return answer;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  answer.outcome = DatagramAnswer::Outcome::NoAnswer;
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) break;
    if (send(fd, question.data(), static_cast<int>(question.size()), 0) == SOCKET_ERROR) break;
    const auto until = std::min(deadline, now + kResendInterval);
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(until - now);
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(fd, &ready);
    timeval timeout{static_cast<long>(left.count() / 1000000),
                    static_cast<long>(left.count() % 1000000)};
    const int selected = select(0, &ready, nullptr, nullptr, &timeout);
    if (selected == SOCKET_ERROR) break;
    if (selected == 0) continue;
    char buffer[65536];
    const int got = recv(fd, buffer, sizeof buffer, 0);
    if (got == SOCKET_ERROR) break;  // WSAECONNRESET: the port is closed
    answer.outcome = DatagramAnswer::Outcome::Answered;
    answer.reply.assign(buffer, static_cast<size_t>(got));
    break;
  }
  return answer;
}

}  // namespace tiermend
