// The main window: the title label, one button per bracket table, two hidden grids,
// and the connections, rowsets and data sources that the refresh works through. Its
// creation handler runs the unattended start-up sequence; its click handlers are the
// refresh steps.
#pragma once

#include <QLabel>
#include <QWidget>
#include <array>

#include "app/AppShell.h"
#include "app/MainWindowDesign.h"
#include "app/qt/DataControls.h"
#include "data/Connection.h"
#include "data/Rowset.h"
#include "data/TextSettings.h"
#include "link/LinkFields.h"
#include "refresh/RefreshHost.h"

namespace tiermend::app {

class TTiermendFm1 : public QWidget, public refresh::RefreshHost {
 public:
  // Creates the window hidden, laid out from its design and scaled to the display.
  // The creation handler is not run here: the application runs it once construction
  // is complete.
  TTiermendFm1(AppShell& shell, const data::TextSettings& settings);
  ~TTiermendFm1() override;

  // The start-up sequence: link file, both connections, buttons enabled, Button1's action.
  void FormCreate();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();

  // The button action: the button's modal result becomes the window's, then its click
  // handler runs, whether or not the button is enabled.
  void buttonAction(TButton& button);

  // RefreshHost
  void setButtonEnabled(int index, bool enabled) override;
  void invokeButtonAction(int index) override;
  void showCompletionMessage() override;
  void endRun() override;
  void tableDone(int index, const refresh::TableCounts& counts) override;

  TButton& button(int index) { return *buttons_.at(static_cast<size_t>(index)); }
  const link::LinkFields& linkFields() const { return linkFields_; }

  // Scales the layout for a display where the window font's text is textHeight pixels
  // high: window size, control edges and the label's and buttons' fonts. Construction
  // does it once with the measured height; at the design height nothing changes.
  void scaleToDisplay(int textHeight);

  int ModalResult = mrNone;

  // The components, in the order the window holds them.
  data::Connection ADOC1;
  data::Connection ADOC2;
  QLabel Label9;
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

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  void applyDesign();
  void bindHandlers();
  void userClick(TButton& button);
  void fitFrameToDesign();
  QString shownCaption(const char* utf8) const;

  AppShell& shell_;
  data::TextSettings settings_;
  link::LinkFields linkFields_;
  std::array<TButton*, 4> buttons_;
  QSize outerSize_;
  bool frameFitted_ = false;
};

}  // namespace tiermend::app

using tiermend::app::TTiermendFm1;
