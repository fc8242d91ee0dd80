// Looking for one of Qt's platform plugins in the folders Qt loads them from.
#include "app/qt/QtPlatformPlugins.h"

#include <QLibraryInfo>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace tiermend::app {
namespace {

std::vector<std::filesystem::path> qtPluginFolders() {
  std::vector<std::filesystem::path> folders;
  if (const char* extra = std::getenv("QT_PLUGIN_PATH")) {
    std::string_view rest = extra;
    while (!rest.empty()) {
      const size_t end = rest.find(':');
      if (end != 0) folders.emplace_back(rest.substr(0, end));
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
    }
  }
  folders.emplace_back(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString());
  return folders;
}

}  // namespace

bool hasQtPlatformPlugin(std::string_view prefix) {
  for (const std::filesystem::path& folder : qtPluginFolders()) {
    std::error_code error;
    std::filesystem::directory_iterator entry(folder / "platforms", error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
      if (entry->path().filename().string().starts_with(prefix)) return true;
    }
  }
  return false;
}

}  // namespace tiermend::app
