// The data grid of the main window: hidden, never focused, bound to its data source.
#include "app/qt/DataControls.h"

namespace tiermend::app {

DBGrid::DBGrid(QWidget* parent, DataSource& source)
    : QTableView(parent), dataSource_(&source), imeName_(QStringLiteral("中文 (繁體) - 新注音")) {
  setFocusPolicy(Qt::NoFocus);
  setVisible(false);
}

}  // namespace tiermend::app
