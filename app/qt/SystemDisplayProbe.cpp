// Asking the machine whether a display answers: an X11 display opened through Xlib, a
// Wayland compositor's socket connected to, Qt's Wayland plugin looked for.
#include "app/qt/SystemDisplayProbe.h"

#include <X11/Xlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <memory>

#include "app/qt/QtPlatformPlugins.h"

namespace tiermend::app {
namespace {

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};

struct SocketCloser {
  int fd;
  ~SocketCloser() {
    if (fd >= 0) close(fd);
  }
};

}  // namespace

bool SystemDisplayProbe::opensX11(const std::string& display) {
  const std::unique_ptr<Display, DisplayCloser> opened(XOpenDisplay(display.c_str()));
  return opened != nullptr;
}

bool SystemDisplayProbe::reachesWayland(const std::string& socketPath) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socketPath.size() >= sizeof(address.sun_path)) return false;
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  const SocketCloser socketFd{socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)};
  if (socketFd.fd < 0) return false;
  return connect(socketFd.fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
}

bool SystemDisplayProbe::hasQtWayland() {
  return hasQtPlatformPlugin("libqwayland");
}

}  // namespace tiermend::app
