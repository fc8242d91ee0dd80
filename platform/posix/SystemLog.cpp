// Writing the run's record to the system log, tag tiermend: each line sent as syslog(3)
// sends it, through a nonblocking socket to the log daemon, so that a daemon that has
// stopped reading can never hold up the run (see SystemLog.h).
#include "platform/SystemLog.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <initializer_list>

namespace tiermend {
namespace {

constexpr const char* kTag = "tiermend";
constexpr const char* kDefaultSocket = "/dev/log";

int priorityOf(LogSink::Level level) {
  switch (level) {
    case LogSink::Level::Info:
      return LOG_INFO;
    case LogSink::Level::Notice:
      return LOG_NOTICE;
    case LogSink::Level::Error:
      return LOG_ERR;
  }
  return LOG_INFO;
}

// The line as syslog(3) frames it: "<priority>Mmm dd hh:mm:ss tiermend[pid]: line". The
// month is always in English, whatever the locale: the daemon reads the stamp by it.
std::string framed(LogSink::Level level, const std::string& line) {
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char stamp[32] = "";
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) && local.tm_mon >= 0 && local.tm_mon < 12) {
    std::snprintf(stamp, sizeof stamp, "%s %2d %02d:%02d:%02d", kMonths[local.tm_mon],
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  }
  return "<" + std::to_string(LOG_USER | priorityOf(level)) + ">" + stamp + " " + kTag + "[" +
         std::to_string(getpid()) + "]: " + line;
}

// A nonblocking socket connected to the log daemon at path, or -1. The daemon takes
// datagrams; an older one that listens on a stream socket is reached as syslog(3) does.
int connectTo(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return -1;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  for (const int type : {SOCK_DGRAM, SOCK_STREAM}) {
    const int fd = socket(AF_UNIX, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
    const int error = errno;
    close(fd);
    if (error != EPROTOTYPE) return -1;
  }
  return -1;
}

bool isStream(int fd) {
  int type = 0;
  socklen_t size = sizeof type;
  return getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &size) == 0 && type == SOCK_STREAM;
}

// Whether the daemon has gone away (restarted, say), so that connecting again may help.
bool connectionLost(int error) {
  return error == ECONNREFUSED || error == ENOTCONN || error == EPIPE || error == ECONNRESET;
}

}  // namespace

SystemLog::SystemLog() : SystemLog(kDefaultSocket) {}

SystemLog::SystemLog(const std::string& socketPath) : address_(socketPath) {
  socket_ = connectTo(address_);
}

SystemLog::~SystemLog() {
  // The count of lost lines, where the daemon takes lines again by now.
  if (dropped_ > 0) {
    const std::size_t lost = dropped_;
    write(Level::Notice, std::to_string(lost) + " line(s) of this record could not be logged");
  }
  if (socket_ >= 0) close(socket_);
}

void SystemLog::write(Level level, const std::string& line) {
  const std::string text = framed(level, line);
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (socket_ < 0) socket_ = connectTo(address_);
    if (socket_ < 0) break;
    // On a stream the daemon finds the end of each line by its NUL, as syslog(3) sends it.
    const std::string message = isStream(socket_) ? text + '\0' : text;
    const ssize_t sent = send(socket_, message.data(), message.size(), MSG_NOSIGNAL);
    if (sent == static_cast<ssize_t>(message.size())) return;
    const int error = sent < 0 ? errno : 0;
    if (sent >= 0 || !connectionLost(error)) {
      // Full (EAGAIN) or cut short: never wait. A stream cut mid-line is begun afresh.
      if (sent > 0) {
        close(socket_);
        socket_ = -1;
      }
      break;
    }
    close(socket_);
    socket_ = -1;
  }
  ++dropped_;
}

}  // namespace tiermend
