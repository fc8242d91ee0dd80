// window-probe: a Windows program of the tests that reads what another Windows program
// shows, for the end-to-end tests under Wine (whose message boxes have no Ctrl+C copy).
//
//   window-probe box CAPTION SECONDS     a message box's text, icon and buttons
//   window-probe window CAPTION SECONDS  a window's place, size, focus and controls
//   window-probe clipboard               the clipboard's text, as Windows programs read it
//   window-probe hold-clipboard SECONDS  keeps the clipboard open, as a busy program would
//   window-probe idle                    keeps a hidden window until it is killed: Wine's
//                                        desktop process, which it starts (with its own
//                                        outputs), then stays up between the tests' programs;
//                                        says "idle" once the window is made
//
// Waits up to SECONDS for a visible top-level window with that caption (a message box:
// of the dialog class; any other window: not of it). Prints UTF-8 lines, exit status 0;
// 1 when no such window appears.
#include <windows.h>
// After windows.h, which they need.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* kDialogClass = L"#32770";

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring windowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring className(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

struct Search {
  std::wstring caption;
  bool dialog;
  HWND found = nullptr;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (!IsWindowVisible(window) || windowText(window) != search->caption) return TRUE;
  if ((className(window) == kDialogClass) != search->dialog) return TRUE;
  search->found = window;
  return FALSE;
}

HWND waitForWindow(const std::wstring& caption, bool dialog, int seconds) {
  for (int waited = 0; waited <= seconds * 20; ++waited) {
    Search search{caption, dialog};
    EnumWindows(&matchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    Sleep(50);
  }
  return nullptr;
}

std::vector<HWND> children(HWND parent) {
  std::vector<HWND> found;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    found.push_back(child);
  }
  return found;
}

// Whether a static control shows an icon (which one, the tests see on the screen: an
// icon handle means nothing in another process).
const char* iconKind(HWND control) {
  return SendMessageW(control, STM_GETICON, 0, 0) != 0 ? "shown" : "none";
}

// Caption, icon, text and buttons, in that order whatever the box's order of controls.
void printBox(HWND box) {
  std::string icon = "icon: none\n", text, buttons;
  for (HWND child : children(box)) {
    const std::wstring kind = className(child);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (kind == L"Static" || kind == L"STATIC") {
      if ((style & SS_TYPEMASK) == SS_ICON) {
        icon = std::string("icon: ") + iconKind(child) + "\n";
      } else if (!windowText(child).empty()) {
        text += "text: " + utf8(windowText(child)) + "\n";
      }
    } else if ((kind == L"Button" || kind == L"BUTTON") && IsWindowVisible(child)) {
      buttons += "button: " + utf8(windowText(child)) + "\n";
    }
  }
  std::printf("caption: %s\n%s%s%s", utf8(windowText(box)).c_str(), icon.c_str(), text.c_str(),
              buttons.c_str());
}

void printWindow(HWND window) {
  RECT outer;
  GetWindowRect(window, &outer);
  RECT client;
  GetClientRect(window, &client);
  std::printf("window %ld %ld %ld %ld\n", outer.left, outer.top, outer.right - outer.left,
              outer.bottom - outer.top);
  std::printf("client %ld %ld\n", client.right, client.bottom);
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread);
  std::printf("focus: %s\n", thread.hwndFocus ? utf8(windowText(thread.hwndFocus)).c_str() : "");
  // Children in z-order, which is the tab order; rectangles in client coordinates.
  for (HWND child : children(window)) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    std::printf("%s|%s|%ld %ld %ld %ld|%s|%s|%s\n", utf8(className(child)).c_str(),
                utf8(windowText(child)).c_str(), rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top, IsWindowEnabled(child) ? "enabled" : "disabled",
                IsWindowVisible(child) ? "visible" : "hidden",
                (style & WS_TABSTOP) ? "tabstop" : "-");
  }
}

// The clipboard's text exactly as it holds it (line ends included), in UTF-8.
int printClipboard() {
  _setmode(_fileno(stdout), _O_BINARY);  // the text's own line ends, not the console's
  if (!OpenClipboard(nullptr)) {
    std::fprintf(stderr, "window-probe: cannot open the clipboard\n");
    return 1;
  }
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const auto* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
  if (text != nullptr) {
    std::fputs(utf8(text).c_str(), stdout);
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text != nullptr ? 0 : 1;
}

int idle() {
  HWND window = CreateWindowExW(0, L"STATIC", L"window-probe", WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return 1;
  std::printf("idle\n");
  std::fflush(stdout);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}

int holdClipboard(int seconds) {
  if (!OpenClipboard(nullptr)) {
    std::fprintf(stderr, "window-probe: cannot open the clipboard\n");
    return 1;
  }
  std::printf("held\n");
  std::fflush(stdout);
  Sleep(static_cast<DWORD>(seconds) * 1000);
  CloseClipboard();
  return 0;
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"hold-clipboard" && argc == 3) return holdClipboard(_wtoi(argv[2]));
  if (command == L"clipboard" && argc == 2) return printClipboard();
  if (command == L"idle" && argc == 2) return idle();
  if ((command != L"box" && command != L"window") || argc != 4) {
    std::fprintf(
        stderr,
        "usage: window-probe box|window CAPTION SECONDS | clipboard | hold-clipboard SECONDS\n");
    return 2;
  }
  const bool box = command == L"box";
  HWND window = waitForWindow(argv[2], box, _wtoi(argv[3]));
  if (window == nullptr) {
    std::fprintf(stderr, "window-probe: no window '%s'\n", utf8(argv[2]).c_str());
    return 1;
  }
  if (box) {
    printBox(window);
  } else {
    printWindow(window);
  }
  return 0;
}
