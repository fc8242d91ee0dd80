// The small components of the main window that Qt has no direct counterpart for: a
// push button with a modal result and a click handler, and a data grid that reads a
// data source.
#pragma once

#include <QPushButton>
#include <QTableView>
#include <functional>

#include "app/DataSource.h"

namespace tiermend::app {

class TButton : public QPushButton {
 public:
  using QPushButton::QPushButton;
  int ModalResult = mrNone;
  std::function<void()> OnClick;
};

// A grid bound to a data source. The main window keeps its grids hidden and out of the
// focus chain, so they never show rows; they hold their binding and settings only.
class DBGrid : public QTableView {
 public:
  DBGrid(QWidget* parent, DataSource& source);
  DataSource* dataSource() const { return dataSource_; }
  // The input method to select while the grid has the focus.
  QString imeName() const { return imeName_; }

 private:
  DataSource* dataSource_;
  QString imeName_;
};

}  // namespace tiermend::app
