// The modal message dialog that shows the completion message: caption the application
// title, no icon, the text at the top left in the system's message font and a single
// "OK" button centred below it, which Enter, Escape, a click and the close box all end.
// Ctrl+C copies the dialog's contents to the clipboard as plain text.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/MessageDialogLayout.h"
#include "app/win32/GdiFont.h"

namespace tiermend::app {

class MessageDialog {
 public:
  // caption and text: 8-bit text of the ANSI code page. reportFailure shows the
  // failure being handled (a clipboard that cannot be opened) in the error box.
  MessageDialog(HWND owner, std::string caption, std::string text,
                std::function<void()> reportFailure);
  ~MessageDialog();
  MessageDialog(const MessageDialog&) = delete;
  MessageDialog& operator=(const MessageDialog&) = delete;

  // Shows the dialog centred on the screen, the tool's other windows disabled, and runs
  // its own message loop until it has a result; a quit request taken meanwhile counts as
  // cancel and is posted again for the main loop. Then hides the dialog and gives the
  // modal result (mrOk or mrCancel).
  int showModal();

  const MessageDialogLayout& layout() const { return layout_; }
  // What Ctrl+C puts on the clipboard.
  std::string clipboardText() const;

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void create(HWND owner);
  bool handleKey(const MSG& message);
  void copyToClipboard();

  std::string caption_;
  std::string text_;
  std::function<void()> reportFailure_;
  GdiFont font_;
  MessageDialogLayout layout_;
  HWND window_ = nullptr;
  HWND button_ = nullptr;
  int result_ = 0;
};

}  // namespace tiermend::app
