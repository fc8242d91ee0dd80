// The main window: its designed controls and fonts, scaled to the display, and its
// handlers that run the start-up sequence and the refresh steps. Its captions are
// handed to the system as text of the ANSI code page through the ...A window calls.
#include "app/win32/Tiermend1.h"

#include <commctrl.h>

#include "app/DesignScaling.h"
#include "app/MainWindowDesign.h"
#include "platform/Exceptions.h"
#include "refresh/BracketTables.h"
#include "refresh/RefreshStep.h"
#include "refresh/StartUpSequence.h"

namespace tiermend::app {
namespace {

constexpr const char* kClassName = "TTiermendFm1";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
// Control identifiers: never IDOK (1) or IDCANCEL (2), as no button is the window's
// default or cancel button.
constexpr int kFirstButtonId = 101;

HWND createChild(HWND parent, const char* className, const std::string& text, DWORD style,
                 const Rect& rect, int id = 0) {
  HWND child =
      CreateWindowExA(0, className, text.c_str(), WS_CHILD | style, rect.left, rect.top, rect.width,
                      rect.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                      GetModuleHandleA(nullptr), nullptr);
  if (child == nullptr)
    throw Exception(std::string("Cannot create a control of class ") + className);
  return child;
}

void setFont(HWND control, const GdiFont& font) {
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.handle()), TRUE);
}

void place(HWND control, const Rect& rect) {
  SetWindowPos(control, nullptr, rect.left, rect.top, rect.width, rect.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void registerClass(WNDPROC windowProc) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));      // IDI_APPLICATION
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);
}

void loadGridClass() {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
}

}  // namespace

TTiermendFm1::TTiermendFm1(AppShell& shell, const data::TextSettings& settings, HWND owner)
    : ADOC1("ADOC1", settings),
      ADOC2("ADOC2", settings),
      ADOQ1("ADOQ1", ADOC1),
      ADOQ2("ADOQ2", ADOC2),
      shell_(shell),
      settings_(settings),
      buttons_{&Button1, &Button2, &Button3, &Button4},
      windowFont_(createDesignFont(kWindowFont, kWindowFont.height)),
      labelFont_(createDesignFont(kTitleLabelFont, kTitleLabelFont.height)),
      buttonFont_(createDesignFont(kButtonFont, kButtonFont.height)),
      gridTitleFont_(createDesignFont(kGridTitleFont, kGridTitleFont.height)) {
  ADOC1.setConnectionString(kPresetSourceConnectionString);
  ADOC2.setConnectionString(kPresetTargetConnectionString);
  ADOQ1.addSql(kInitialStatement);
  ADOQ2.addSql(kInitialStatement);
  DataSource1.DataSet = &ADOQ1;
  DataSource2.DataSet = &ADOQ2;
  DBGrid1.dataSource = &DataSource1;
  DBGrid2.dataSource = &DataSource2;
  DBGrid1.imeNameUtf8 = DBGrid2.imeNameUtf8 = kGridImeNameUtf8;
  Button1.OnClick = [this] { Button1Click(); };
  Button2.OnClick = [this] { Button2Click(); };
  Button3.OnClick = [this] { Button3Click(); };
  Button4.OnClick = [this] { Button4Click(); };
  createWindow(owner);
  createControls();
  // The height of "0" in the window's font on this display decides the scale.
  scaleToDisplay(textExtent(windowFont_.handle(), "0", 1).cy);
}

TTiermendFm1::~TTiermendFm1() {
  if (handle_ != nullptr) DestroyWindow(handle_);
}

void TTiermendFm1::createWindow(HWND owner) {
  registerClass(&TTiermendFm1::windowProc);
  // The design holds Unicode captions; the window shows them as text of the ANSI code
  // page, so characters the code page lacks come out as its default character.
  const std::string caption = settings_.codePage.fromUtf8(kMainCaptionUtf8);
  handle_ =
      CreateWindowExA(0, kClassName, caption.c_str(), kStyle, kMainLeft, kMainTop, kMainOuterWidth,
                      kMainOuterHeight, owner, nullptr, GetModuleHandleA(nullptr), this);
  if (handle_ == nullptr) {
    throw Exception("Cannot create the main window (error " + std::to_string(GetLastError()) + ")");
  }
}

// Children are made in the order the window holds them, which is also the tab order:
// Button1, Button2, Button3, DBGrid1, DBGrid2, Button4.
void TTiermendFm1::createControls() {
  const CodePage& codePage = settings_.codePage;
  Label9.handle = createChild(handle_, "STATIC", codePage.fromUtf8(kTitleLabelCaptionUtf8),
                              WS_VISIBLE | SS_LEFT, kTitleLabelRect);
  setFont(Label9.handle, labelFont_);
  loadGridClass();
  const auto makeButton = [&](size_t i) {
    TButton& button = *buttons_[i];
    button.handle =
        createChild(handle_, "BUTTON", codePage.fromUtf8(refresh::kBracketTables[i].captionUtf8),
                    WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kButtonRects[i],
                    kFirstButtonId + static_cast<int>(i));
    setFont(button.handle, buttonFont_);
  };
  const auto makeGrid = [&](DBGrid& grid, const Rect& rect) {
    grid.handle = createChild(handle_, WC_LISTVIEWA, "", WS_TABSTOP | WS_BORDER | LVS_REPORT, rect);
    setFont(grid.handle, gridTitleFont_);
  };
  makeButton(0);
  makeButton(1);
  makeButton(2);
  makeGrid(DBGrid1, kGrid1Rect);
  makeGrid(DBGrid2, kGrid2Rect);
  makeButton(3);
}

void TTiermendFm1::scaleToDisplay(int textHeight) {
  if (textHeight == kDesignTextHeight) return;
  RECT client;
  GetClientRect(handle_, &client);
  RECT outer{0, 0, mulDiv(client.right, textHeight, kDesignTextHeight),
             mulDiv(client.bottom, textHeight, kDesignTextHeight)};
  AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
  SetWindowPos(handle_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  place(Label9.handle, scaleRect(kTitleLabelRect, textHeight));
  for (size_t i = 0; i < buttons_.size(); ++i) {
    place(buttons_[i]->handle, scaleRect(kButtonRects[i], textHeight));
  }
  place(DBGrid1.handle, scaleRect(kGrid1Rect, textHeight));
  place(DBGrid2.handle, scaleRect(kGrid2Rect, textHeight));
  labelFont_ = createDesignFont(kTitleLabelFont,
                                mulDiv(kTitleLabelFont.height, textHeight, kDesignTextHeight));
  buttonFont_ =
      createDesignFont(kButtonFont, mulDiv(kButtonFont.height, textHeight, kDesignTextHeight));
  setFont(Label9.handle, labelFont_);
  for (TButton* button : buttons_) setFont(button->handle, buttonFont_);
}

LRESULT CALLBACK TTiermendFm1::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TTiermendFm1*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr || self->handle_ != window) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  // A failure never leaves the window's handling of a message: it is reported there,
  // in the error box, and the tool goes on running.
  try {
    return self->handleMessage(message, wParam, lParam);
  } catch (...) {
    self->shell_.reportCurrentFailure();
    return 0;
  }
}

LRESULT TTiermendFm1::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        if (TButton* button = buttonOfHandle(reinterpret_cast<HWND>(lParam))) {
          userClick(*button);
          return 0;
        }
      }
      break;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == Label9.handle) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(kTitleLabelRed, kTitleLabelGreen, kTitleLabelBlue));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_CLOSE:
      // Closing the main window ends the program; it is destroyed with the application.
      shell_.endRun();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(handle_, message, wParam, lParam);
}

TButton* TTiermendFm1::buttonOfHandle(HWND handle) {
  for (TButton* button : buttons_) {
    if (button->handle == handle && handle != nullptr) return button;
  }
  return nullptr;
}

bool TTiermendFm1::handleDialogKey(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  if (message.hwnd != handle_ && GetParent(message.hwnd) != handle_) return false;
  if (message.wParam == VK_TAB) {
    const bool backwards = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    if (HWND next = GetNextDlgTabItem(handle_, GetFocus(), backwards)) SetFocus(next);
    return true;
  }
  if (message.wParam == VK_RETURN) {
    TButton* button = buttonOfHandle(GetFocus());
    if (button == nullptr || !IsWindowEnabled(button->handle)) return false;
    SendMessageA(button->handle, BM_CLICK, 0, 0);
    return true;
  }
  return false;
}

void TTiermendFm1::FormCreate() {
  refresh::runStartUpSequence(ADOC2, ADOC1, *this, linkFields_);
}

void TTiermendFm1::Button1Click() {
  refresh::runRefreshStep(0, ADOQ2, ADOQ1, *this);
}
void TTiermendFm1::Button2Click() {
  refresh::runRefreshStep(1, ADOQ2, ADOQ1, *this);
}
void TTiermendFm1::Button3Click() {
  refresh::runRefreshStep(2, ADOQ2, ADOQ1, *this);
}
void TTiermendFm1::Button4Click() {
  refresh::runRefreshStep(3, ADOQ2, ADOQ1, *this);
}

void TTiermendFm1::buttonAction(TButton& button) {
  ModalResult = button.ModalResult;
  if (button.OnClick) button.OnClick();
}

void TTiermendFm1::userClick(TButton& button) {
  try {
    buttonAction(button);
  } catch (...) {
    shell_.reportCurrentFailure();
  }
}

void TTiermendFm1::setButtonEnabled(int index, bool enabled) {
  EnableWindow(buttons_.at(static_cast<size_t>(index))->handle, enabled ? TRUE : FALSE);
}
void TTiermendFm1::invokeButtonAction(int index) {
  buttonAction(*buttons_.at(static_cast<size_t>(index)));
}
void TTiermendFm1::showCompletionMessage() {
  shell_.showCompletionMessage();
}
void TTiermendFm1::endRun() {
  shell_.endRun();
}
void TTiermendFm1::tableDone(int index, const refresh::TableCounts& counts) {
  shell_.recordTable(index, counts);
}

}  // namespace tiermend::app
