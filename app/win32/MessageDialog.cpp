// The message dialog: measured from the message font (the average width of the 52
// letters and their height), centred on the screen, run modally by its own loop, and
// Ctrl+C copying its text through the clipboard.
#include "app/win32/MessageDialog.h"

#include <cstring>
#include <utility>

#include "app/DataSource.h"
#include "app/DialogText.h"
#include "app/win32/TaskWindows.h"
#include "platform/Exceptions.h"

namespace tiermend::app {
namespace {

constexpr const char* kClassName = "TMessageForm";
constexpr const char* kButtonCaption = "OK";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

GdiFont messageFont() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  return GdiFont(CreateFontIndirectA(&metrics.lfMessageFont));
}

// The text word-wrapped (tabs expanded) within half the screen's width.
SIZE wrappedTextSize(HFONT font, const std::string& text) {
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0};
  HDC screen = GetDC(nullptr);
  HGDIOBJ previous = SelectObject(screen, font);
  DrawTextA(screen, text.c_str(), static_cast<int>(text.size()), &area,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
  SelectObject(screen, previous);
  ReleaseDC(nullptr, screen);
  return {area.right - area.left, area.bottom - area.top};
}

void registerClass(WNDPROC windowProc) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);
}

bool isKeyDown(int key) {
  return (GetKeyState(key) & 0x8000) != 0;
}

// The clipboard open for this window for as long as the object lives.
class OpenClipboardFor {
 public:
  explicit OpenClipboardFor(HWND window) {
    if (!OpenClipboard(window)) throw Exception("Cannot open clipboard");
  }
  ~OpenClipboardFor() { CloseClipboard(); }
  OpenClipboardFor(const OpenClipboardFor&) = delete;
  OpenClipboardFor& operator=(const OpenClipboardFor&) = delete;
};

}  // namespace

MessageDialog::MessageDialog(HWND owner, std::string caption, std::string text,
                             std::function<void()> reportFailure)
    : caption_(std::move(caption)),
      text_(std::move(text)),
      reportFailure_(std::move(reportFailure)),
      font_(messageFont()) {
  const SIZE alphabet =
      textExtent(font_.handle(), kMeasureAlphabet, static_cast<int>(std::strlen(kMeasureAlphabet)));
  const SIZE wrapped = wrappedTextSize(font_.handle(), text_);
  const SIZE captionWidth = textExtent(font_.handle(), kButtonCaption, 2);
  layout_ = layOutMessageDialog(alphabet.cx, alphabet.cy, wrapped.cx, wrapped.cy, captionWidth.cx);
  create(owner);
}

MessageDialog::~MessageDialog() {
  if (window_ != nullptr) DestroyWindow(window_);
}

void MessageDialog::create(HWND owner) {
  registerClass(&MessageDialog::windowProc);
  RECT outer{0, 0, layout_.clientWidth, layout_.clientHeight};
  AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  window_ = CreateWindowExA(kExStyle, kClassName, caption_.c_str(), kStyle, left, top, width,
                            height, owner, nullptr, instance, nullptr);
  if (window_ == nullptr) throw Exception("Cannot create the message dialog");
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

  const Rect& t = layout_.text;
  HWND label = CreateWindowExA(0, "STATIC", text_.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, t.left,
                               t.top, t.width, t.height, window_, nullptr, instance, nullptr);
  const Rect& b = layout_.button;
  button_ = CreateWindowExA(0, "BUTTON", kButtonCaption,
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, b.left, b.top,
                            b.width, b.height, window_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), instance, nullptr);
  for (HWND control : {label, button_}) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.handle()), FALSE);
  }
}

LRESULT CALLBACK MessageDialog::windowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  auto* self = reinterpret_cast<MessageDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self != nullptr) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
      self->result_ = mrOk;
      return 0;
    }
    if (message == WM_CLOSE) {
      self->result_ = mrCancel;
      return 0;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int MessageDialog::showModal() {
  DisabledTaskWindows disabled;
  SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));  // IDC_ARROW
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetFocus(button_);
  result_ = 0;
  MSG message;
  while (result_ == 0) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      // The application is ending: cancel, and leave the quit request to the main loop.
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      result_ = mrCancel;
      break;
    }
    if (handleKey(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  ShowWindow(window_, SW_HIDE);
  return result_;
}

// Enter and Escape press the button, which is both the default and the cancel button;
// Ctrl (with no other modifier) and C copies the dialog.
bool MessageDialog::handleKey(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  if (message.hwnd != window_ && GetParent(message.hwnd) != window_) return false;
  if (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE) {
    result_ = mrOk;
    return true;
  }
  if (message.wParam == 'C' && isKeyDown(VK_CONTROL) && !isKeyDown(VK_SHIFT) &&
      !isKeyDown(VK_MENU)) {
    MessageBeep(0);
    try {
      copyToClipboard();
    } catch (...) {
      reportFailure_();
    }
    return true;
  }
  return false;
}

std::string MessageDialog::clipboardText() const {
  return dialogClipboardText(caption_, text_, {kButtonCaption});
}

void MessageDialog::copyToClipboard() {
  const std::string text = clipboardText();
  OpenClipboardFor clipboard(window_);
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (memory == nullptr) throw Exception("Out of memory");
  std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
  GlobalUnlock(memory);
  // The clipboard owns the memory once it takes it; until then it is ours to free.
  if (SetClipboardData(CF_TEXT, memory) == nullptr) GlobalFree(memory);
}

}  // namespace tiermend::app
