// Owning handles on libmdb's objects: the open database file and one table
// definition (with its columns). Each is freed exactly once, on every path.
#pragma once

#include <memory>

#include "data/providers/jet/Mdb.h"

namespace tiermend::data::jet {

struct MdbHandleCloser {
  void operator()(MdbHandle* handle) const { mdb_close(handle); }
};
struct MdbTableDefFreer {
  void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};

using MdbHandlePtr = std::unique_ptr<MdbHandle, MdbHandleCloser>;
using MdbTableDefPtr = std::unique_ptr<MdbTableDef, MdbTableDefFreer>;

}  // namespace tiermend::data::jet
