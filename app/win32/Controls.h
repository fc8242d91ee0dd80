// The main window's controls as the window holds them: a child window each, a push
// button with its modal result and click handler, the title label, and a data grid
// bound to its data source.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/DataSource.h"

namespace tiermend::app {

struct TButton {
  HWND handle = nullptr;
  int ModalResult = mrNone;
  std::function<void()> OnClick;
};

struct TLabel {
  HWND handle = nullptr;
};

// Kept hidden and out of the focus chain by the window; it holds its binding and the
// input method to select while it has the focus, and never shows rows.
struct DBGrid {
  HWND handle = nullptr;
  DataSource* dataSource = nullptr;
  std::string imeNameUtf8;
};

}  // namespace tiermend::app
