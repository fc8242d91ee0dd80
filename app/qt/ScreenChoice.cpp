// Deciding whether the run can show windows, by the environment and QT_QPA_PLATFORM, one
// platform after another, before Qt is started.
#include "app/qt/ScreenChoice.h"

#include <cstdlib>
#include <string_view>

namespace tiermend::app {
namespace {

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

bool x11Usable(const ScreenEnvironment& environment, DisplayProbe& probe) {
  return !environment.display.empty() && probe.opensX11(environment.display);
}

// Qt connects to a Wayland compositor only when WAYLAND_DISPLAY is set or its platform
// is asked for by name; in both cases the socket must answer.
bool waylandUsable(const ScreenEnvironment& environment, DisplayProbe& probe) {
  const std::string socket = waylandSocketPath(environment);
  return !socket.empty() && probe.reachesWayland(socket) && probe.hasQtWayland();
}

enum class Verdict { Screen, NoScreen, TryNext };

// One entry of QT_QPA_PLATFORM: a platform name, possibly followed by ":options".
Verdict judgePlatform(std::string_view entry, const ScreenEnvironment& environment,
                      DisplayProbe& probe) {
  const std::string_view name = entry.substr(0, entry.find(':'));
  if (name.empty()) return Verdict::TryNext;
  if (name == "offscreen" || name == "minimal") return Verdict::NoScreen;
  if (name == "xcb") return x11Usable(environment, probe) ? Verdict::Screen : Verdict::TryNext;
  if (name.starts_with("wayland")) {
    return waylandUsable(environment, probe) ? Verdict::Screen : Verdict::TryNext;
  }
  return Verdict::Screen;
}

}  // namespace

ScreenEnvironment ScreenEnvironment::fromProcess() {
  return {environmentValue("DISPLAY"), environmentValue("WAYLAND_DISPLAY"),
          environmentValue("XDG_RUNTIME_DIR"), environmentValue("QT_QPA_PLATFORM")};
}

std::string waylandSocketPath(const ScreenEnvironment& environment) {
  const std::string name =
      environment.waylandDisplay.empty() ? "wayland-0" : environment.waylandDisplay;
  if (name.front() == '/') return name;
  if (environment.runtimeDir.empty()) return {};
  return environment.runtimeDir + "/" + name;
}

bool hasScreen(const ScreenEnvironment& environment, DisplayProbe& probe) {
  if (environment.qtPlatform.empty()) {
    return x11Usable(environment, probe) ||
           (!environment.waylandDisplay.empty() && waylandUsable(environment, probe));
  }
  std::string_view platforms = environment.qtPlatform;
  while (true) {
    const size_t end = platforms.find(';');
    switch (judgePlatform(platforms.substr(0, end), environment, probe)) {
      case Verdict::Screen:
        return true;
      case Verdict::NoScreen:
        return false;
      case Verdict::TryNext:
        break;
    }
    if (end == std::string_view::npos) return false;
    platforms.remove_prefix(end + 1);
  }
}

std::string qtPlatformsWithFallback(const ScreenEnvironment& environment, DisplayProbe& probe) {
  std::string platforms = environment.qtPlatform;
  if (platforms.empty()) platforms = x11Usable(environment, probe) ? "xcb" : "wayland";
  return platforms + ";" + kFallbackQtPlatform;
}

}  // namespace tiermend::app
