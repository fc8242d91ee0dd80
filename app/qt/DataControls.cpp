// The data grid of the main window: hidden, never focused, bound to its data source.
#include "app/qt/DataControls.h"

#include "app/MainWindowDesign.h"

namespace tiermend::app {

DBGrid::DBGrid(QWidget* parent, DataSource& source)
    : QTableView(parent), dataSource_(&source), imeName_(QString::fromUtf8(kGridImeNameUtf8)) {
  setFocusPolicy(Qt::NoFocus);
  setVisible(false);
}

}  // namespace tiermend::app
