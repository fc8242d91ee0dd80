// The hidden application window: a top-level window that is never shown, whose text is
// the application title. It owns the error boxes, the completion dialog and the main
// window, so that they are the application's windows whether or not a main window exists.
#pragma once

#include <windows.h>

#include <string>

namespace tiermend::app {

class ApplicationWindow {
 public:
  // title: 8-bit text of the ANSI code page. Throws when the window cannot be created.
  explicit ApplicationWindow(const std::string& title);
  ~ApplicationWindow();
  ApplicationWindow(const ApplicationWindow&) = delete;
  ApplicationWindow& operator=(const ApplicationWindow&) = delete;

  HWND handle() const { return handle_; }

 private:
  HWND handle_ = nullptr;
};

}  // namespace tiermend::app
