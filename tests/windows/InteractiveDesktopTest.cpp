// Whether the program sees someone at the screen: in the interactive window station it
// does (under Wine, WinSta0 is always visible), in a window station of its own, as a
// scheduled task run whether or not a user is logged on has, it does not.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/win32/InteractiveDesktop.h"

namespace tiermend::app {
namespace {

// Puts the process into a new, hidden window station for its lifetime, then back.
class HiddenWindowStation {
 public:
  HiddenWindowStation()
      : own_(GetProcessWindowStation()),
        hidden_(CreateWindowStationW(name().c_str(), 0, WINSTA_ALL_ACCESS, nullptr)) {}
  ~HiddenWindowStation() {
    SetProcessWindowStation(own_);
    if (hidden_) CloseWindowStation(hidden_);
  }
  HiddenWindowStation(const HiddenWindowStation&) = delete;
  HiddenWindowStation& operator=(const HiddenWindowStation&) = delete;

  bool enter() { return hidden_ && SetProcessWindowStation(hidden_); }

 private:
  static std::wstring name() { return L"tiermend-test-" + std::to_wstring(GetCurrentProcessId()); }

  HWINSTA own_;
  HWINSTA hidden_;
};

TEST(InteractiveDesktop, TheVisibleWindowStationHasOne) {
  EXPECT_TRUE(hasInteractiveDesktop());
}

TEST(InteractiveDesktop, AHiddenWindowStationHasNone) {
  {
    HiddenWindowStation station;
    ASSERT_TRUE(station.enter()) << "error " << GetLastError();
    EXPECT_FALSE(hasInteractiveDesktop());
  }
  EXPECT_TRUE(hasInteractiveDesktop());
}

}  // namespace
}  // namespace tiermend::app
