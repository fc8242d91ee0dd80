// A stand-in for a SQL Server's network end, on the loopback interface: a TCP listener
// that records the first bytes a client sends (a TDS client opens with a pre-login
// packet, type 0x12) and then either closes the connection or keeps it open without a
// word; and a UDP responder that plays the SQL Server Browser, answering a request for
// an instance with a port. Nothing here speaks TDS beyond that first packet, so a
// client always ends up with a failed login; what the tests learn is where it went.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tiermend::testing {

class TcpListener {
 public:
  enum class Reply { Close, Silence };
  // Listens on 127.0.0.1 (and on ::1 when `alsoIpv6`) at `port`; 0 takes a free port.
  // Throws std::runtime_error when the port cannot be had.
  TcpListener(std::uint16_t port, Reply reply, bool alsoIpv6 = false);
  ~TcpListener();
  TcpListener(const TcpListener&) = delete;
  TcpListener& operator=(const TcpListener&) = delete;

  std::uint16_t port() const { return port_; }
  // The first byte of the first connection's first packet, once one has come.
  std::optional<std::uint8_t> firstByte() const;
  int connections() const { return connections_.load(); }

 private:
  void serve();

  std::vector<int> sockets_;
  std::uint16_t port_ = 0;
  Reply reply_;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::atomic<int> firstByte_{-1};
  std::vector<int> held_;  // connections kept open without a reply
  std::thread thread_;
};

// Answers SQL Server Browser requests for one instance on 127.0.0.1 UDP 1434.
class BrowserResponder {
 public:
  // Throws std::runtime_error when UDP 1434 cannot be had.
  BrowserResponder(std::string instance, std::uint16_t tcpPort);
  ~BrowserResponder();
  BrowserResponder(const BrowserResponder&) = delete;
  BrowserResponder& operator=(const BrowserResponder&) = delete;

  // The instance names the requests asked for, in the order they came.
  std::vector<std::string> requestedInstances() const;

 private:
  void serve();

  int socket_ = -1;
  std::string instance_;
  std::uint16_t tcpPort_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// A loopback TCP port that nothing listens on.
std::uint16_t closedLoopbackPort();

}  // namespace tiermend::testing
