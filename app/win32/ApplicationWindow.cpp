// The hidden application window: created with the title as its text, sized to nothing
// and never shown.
#include "app/win32/ApplicationWindow.h"

#include "platform/Exceptions.h"

namespace tiermend::app {
namespace {

constexpr const char* kClassName = "TApplication";

void registerClass() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
  windowClass.lpszClassName = kClassName;
  // A second application in the same process finds the class registered already.
  RegisterClassA(&windowClass);
}

}  // namespace

ApplicationWindow::ApplicationWindow(const std::string& title) {
  registerClass();
  handle_ = CreateWindowExA(0, kClassName, title.c_str(),
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                            0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (handle_ == nullptr) {
    throw Exception("Cannot create the application window (error " +
                    std::to_string(GetLastError()) + ")");
  }
}

ApplicationWindow::~ApplicationWindow() {
  DestroyWindow(handle_);
}

}  // namespace tiermend::app
