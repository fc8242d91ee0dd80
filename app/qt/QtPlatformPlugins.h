// Which platform plugins Qt can load: Debian packages some (Wayland) apart from Qt.
#pragma once

#include <string_view>

namespace tiermend::app {

// True when a file whose name starts with prefix ("libqwayland") lies in the
// "platforms" folder of a folder Qt takes plugins from: QT_PLUGIN_PATH's, then Qt's own.
bool hasQtPlatformPlugin(std::string_view prefix);

}  // namespace tiermend::app
