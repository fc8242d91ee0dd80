// The main window: the title label, one button per bracket table, two hidden grids,
// and the connections, rowsets and data sources that the refresh works through. Its
// creation handler runs the unattended start-up sequence; its click handlers are the
// refresh steps.
#pragma once

#include <windows.h>

#include <array>

#include "app/AppShell.h"
#include "app/win32/Controls.h"
#include "app/win32/GdiFont.h"
#include "data/Connection.h"
#include "data/Rowset.h"
#include "data/TextSettings.h"
#include "link/LinkFields.h"
#include "refresh/RefreshHost.h"

namespace tiermend::app {

class TTiermendFm1 : public refresh::RefreshHost {
 public:
  // Creates the window hidden, owned by owner (the application window), laid out from
  // its design and scaled to the display. The creation handler is not run here: the
  // application runs it once construction is complete.
  TTiermendFm1(AppShell& shell, const data::TextSettings& settings, HWND owner);
  ~TTiermendFm1() override;
  TTiermendFm1(const TTiermendFm1&) = delete;
  TTiermendFm1& operator=(const TTiermendFm1&) = delete;

  HWND handle() const { return handle_; }

  // The start-up sequence: link file, both connections, buttons enabled, Button1's action.
  void FormCreate();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();

  // The button action: the button's modal result becomes the window's, then its click
  // handler runs, whether or not the button is enabled.
  void buttonAction(TButton& button);

  // Keys the window handles itself before a message is dispatched: Tab and Shift+Tab
  // move the focus through the enabled, visible controls in tab order, Enter clicks the
  // button that has the focus. True when message was such a key.
  bool handleDialogKey(const MSG& message);

  // RefreshHost
  void setButtonEnabled(int index, bool enabled) override;
  void invokeButtonAction(int index) override;
  void showCompletionMessage() override;
  void endRun() override;
  void tableDone(int index, const refresh::TableCounts& counts) override;

  int ModalResult = mrNone;

  // The components, in the order the window holds them.
  data::Connection ADOC1;
  data::Connection ADOC2;
  TLabel Label9;
  TButton Button1;
  TButton Button2;
  TButton Button3;
  data::Rowset ADOQ1;
  data::Rowset ADOQ2;
  DataSource DataSource1;
  DataSource DataSource2;
  DBGrid DBGrid1;
  DBGrid DBGrid2;
  TButton Button4;

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void createWindow(HWND owner);
  void createControls();
  void scaleToDisplay(int textHeight);
  void userClick(TButton& button);
  TButton* buttonOfHandle(HWND handle);

  AppShell& shell_;
  data::TextSettings settings_;
  link::LinkFields linkFields_;
  std::array<TButton*, 4> buttons_;
  GdiFont windowFont_;
  GdiFont labelFont_;
  GdiFont buttonFont_;
  GdiFont gridTitleFont_;
  HWND handle_ = nullptr;
};

}  // namespace tiermend::app
