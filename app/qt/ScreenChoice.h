// Whether the run can have windows: decided before Qt is started, because Qt's window
// platforms end the process when they find no display. Without a screen the run
// happens in the console instead.
#pragma once

#include <string>

namespace tiermend::app {

// The environment variables that say where windows would go; empty when unset.
struct ScreenEnvironment {
  std::string display;         // DISPLAY: the X11 display
  std::string waylandDisplay;  // WAYLAND_DISPLAY: a socket name or an absolute path
  std::string runtimeDir;      // XDG_RUNTIME_DIR: where a Wayland socket name lives
  std::string qtPlatform;      // QT_QPA_PLATFORM: the Qt platforms to try, in order

  static ScreenEnvironment fromProcess();
};

// The questions the choice asks of the machine.
class DisplayProbe {
 public:
  virtual ~DisplayProbe() = default;
  // The X11 display named can be opened now.
  virtual bool opensX11(const std::string& display) = 0;
  // A Wayland compositor accepts a connection on this socket now.
  virtual bool reachesWayland(const std::string& socketPath) = 0;
  // Qt has a Wayland platform plugin installed (Debian ships it separately).
  virtual bool hasQtWayland() = 0;
};

// The socket of the Wayland display: WAYLAND_DISPLAY when it is an absolute path, else
// that name (or "wayland-0" when unset) in XDG_RUNTIME_DIR; empty without a runtime
// folder for a relative name.
std::string waylandSocketPath(const ScreenEnvironment& environment);

// True when Qt would find a screen: QT_QPA_PLATFORM's entries are tried in order as Qt
// tries them ("offscreen" and "minimal" have no screen, "xcb" needs an X11 display that
// opens, "wayland..." a reachable compositor and Qt's Wayland plugin, any other
// platform is Qt's to judge); without QT_QPA_PLATFORM an X11 display that opens or a
// reachable Wayland compositor with Qt's Wayland plugin.
bool hasScreen(const ScreenEnvironment& environment, DisplayProbe& probe);

// The platforms the window run starts Qt with: QT_QPA_PLATFORM's own list, or without
// one the platform the probe finds ("xcb" when the X11 display opens, else "wayland"),
// ended by "offscreen". A display that stops answering between the probe and Qt's own
// connection (a loaded X server) then leaves Qt a platform to fall back on, where it
// would otherwise end the process; the run sees it landed there and goes on without
// windows.
std::string qtPlatformsWithFallback(const ScreenEnvironment& environment, DisplayProbe& probe);

// The platform Qt falls back on when none of the others starts.
inline constexpr const char* kFallbackQtPlatform = "offscreen";

}  // namespace tiermend::app
