// What the main window's components share on every platform: the modal results a button
// can carry, and the data source that names the rowset a grid reads.
#pragma once

#include "data/Rowset.h"

namespace tiermend::app {

enum ModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

struct DataSource {
  data::Rowset* DataSet = nullptr;
};

}  // namespace tiermend::app
