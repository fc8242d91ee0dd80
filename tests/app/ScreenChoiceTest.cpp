// Whether the run gets windows, from the environment and what the machine answers.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/qt/ScreenChoice.h"

namespace tiermend::app {
namespace {

// A machine with the displays and sockets a case names; it notes what was asked.
class FakeProbe : public DisplayProbe {
 public:
  FakeProbe(std::set<std::string> x11, std::set<std::string> wayland, bool qtWayland)
      : x11_(std::move(x11)), wayland_(std::move(wayland)), qtWayland_(qtWayland) {}
  bool opensX11(const std::string& display) override {
    asked.push_back("x11 " + display);
    return x11_.contains(display);
  }
  bool reachesWayland(const std::string& socketPath) override {
    asked.push_back("wayland " + socketPath);
    return wayland_.contains(socketPath);
  }
  bool hasQtWayland() override { return qtWayland_; }

  std::vector<std::string> asked;

 private:
  std::set<std::string> x11_, wayland_;
  bool qtWayland_;
};

struct Case {
  const char* what;
  ScreenEnvironment environment;  // DISPLAY, WAYLAND_DISPLAY, XDG_RUNTIME_DIR, QT_QPA_PLATFORM
  bool screen;
};

TEST(ScreenChoice, ScreenOrConsoleForEachEnvironment) {
  // The machine: X11 display ":0" opens; a compositor listens on /run/user/1/wayland-0;
  // Qt's Wayland plugin is installed.
  const std::vector<Case> cases = {
      {"nothing set", {"", "", "/run/user/1", ""}, false},
      {"an X11 display that opens", {":0", "", "", ""}, true},
      {"an X11 display that does not open", {":5", "", "", ""}, false},
      {"a Wayland compositor", {"", "wayland-0", "/run/user/1", ""}, true},
      {"a Wayland socket by absolute path", {"", "/run/user/1/wayland-0", "", ""}, true},
      {"a Wayland name without a runtime folder", {"", "wayland-0", "", ""}, false},
      {"a Wayland socket nobody listens on", {"", "wayland-9", "/run/user/1", ""}, false},
      {"a dead X11 display beside a live compositor", {":5", "wayland-0", "/run/user/1", ""}, true},
      {"offscreen with a display", {":0", "", "", "offscreen"}, false},
      {"minimal with options", {":0", "", "", "minimal:enable_fonts"}, false},
      {"xcb with a display that opens", {":0", "", "", "xcb"}, true},
      {"xcb without a display", {"", "wayland-0", "/run/user/1", "xcb"}, false},
      {"wayland without a compositor", {":0", "", "", "wayland"}, false},
      {"wayland-egl with a compositor", {"", "wayland-0", "/run/user/1", "wayland-egl"}, true},
      // Qt's default Wayland socket when only the platform asks for Wayland.
      {"wayland by name, socket by default", {"", "", "/run/user/1", "wayland"}, true},
      {"the first platform of a list that works", {":0", "", "", "wayland;xcb"}, true},
      {"a list where none works", {"", "", "", "wayland;xcb"}, false},
      {"offscreen first in a list", {":0", "", "", "offscreen;xcb"}, false},
      {"a platform that needs no display is Qt's to judge", {"", "", "", "vnc"}, true},
      {"empty entries are passed over", {"", "", "", ";;offscreen"}, false},
  };
  for (const Case& c : cases) {
    FakeProbe probe({":0"}, {"/run/user/1/wayland-0"}, true);
    EXPECT_EQ(hasScreen(c.environment, probe), c.screen) << c.what;
  }
}

TEST(ScreenChoice, WaylandCountsOnlyWithQtsWaylandPlugin) {
  FakeProbe probe({}, {"/run/user/1/wayland-0"}, false);
  EXPECT_FALSE(hasScreen({"", "wayland-0", "/run/user/1", ""}, probe));
  EXPECT_FALSE(hasScreen({"", "wayland-0", "/run/user/1", "wayland"}, probe));
}

TEST(ScreenChoice, AnUnsetDisplayIsNeverProbed) {
  FakeProbe probe({}, {}, true);
  EXPECT_FALSE(hasScreen({"", "", "", ""}, probe));
  EXPECT_TRUE(probe.asked.empty());
}

// Qt is started with a platform to fall back on, after the ones the run was chosen for.
TEST(ScreenChoice, QtGetsTheChosenPlatformsThenOffscreen) {
  const std::vector<std::pair<ScreenEnvironment, std::string>> cases = {
      {{":0", "", "", ""}, "xcb;offscreen"},
      {{":5", "wayland-0", "/run/user/1", ""}, "wayland;offscreen"},
      {{":0", "wayland-0", "/run/user/1", ""}, "xcb;offscreen"},
      {{":0", "", "", "wayland;xcb"}, "wayland;xcb;offscreen"},
      {{"", "", "", "vnc:size=800x600"}, "vnc:size=800x600;offscreen"},
  };
  for (const auto& [environment, platforms] : cases) {
    FakeProbe probe({":0"}, {"/run/user/1/wayland-0"}, true);
    EXPECT_EQ(qtPlatformsWithFallback(environment, probe), platforms) << environment.qtPlatform;
  }
}

}  // namespace
}  // namespace tiermend::app
