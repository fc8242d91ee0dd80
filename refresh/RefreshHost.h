// What a refresh step needs of the window that runs it: the four buttons, the button
// action of the next button, and the end of the chain.
#pragma once

namespace tiermend::refresh {

class RefreshHost {
 public:
  virtual ~RefreshHost() = default;
  // Enables or disables button index (0 for Button1 ... 3 for Button4).
  virtual void setButtonEnabled(int index, bool enabled) = 0;
  // Runs the button action of button index: its click handler, enabled or not.
  virtual void invokeButtonAction(int index) = 0;
  // Shows "更新完成." in the modal message dialog; returns once it is dismissed.
  virtual void showCompletionMessage() = 0;
  // Posts the quit request; returns at once.
  virtual void endRun() = 0;
};

}  // namespace tiermend::refresh
