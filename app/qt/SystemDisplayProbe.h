// The display probe that asks the machine: Xlib opens the X11 display, a Unix socket
// connects to the Wayland compositor, and Qt's plugin folders are searched for its
// Wayland platform.
#pragma once

#include "app/qt/ScreenChoice.h"

namespace tiermend::app {

class SystemDisplayProbe : public DisplayProbe {
 public:
  bool opensX11(const std::string& display) override;
  bool reachesWayland(const std::string& socketPath) override;
  bool hasQtWayland() override;
};

}  // namespace tiermend::app
