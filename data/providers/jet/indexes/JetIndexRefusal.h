// The failure raised when an index of a table cannot be rebuilt: a key the program
// cannot encode exactly as Access does (a text sort order or a character its tables
// do not cover, a sort order whose tables the build did not have, a value that does
// not fit its column) or index pages it cannot read.
// It is raised before anything in the file changes, so the table keeps its rows.
#pragma once

#include <string>

#include "data/EngineError.h"

namespace tiermend::data::jet {

class JetIndexRefusal : public EngineError {
 public:
  JetIndexRefusal(const std::string& table, const std::string& index, const std::string& reason)
      : EngineError("Cannot update table '" + table + "': its index '" + index + "' " + reason +
                    "."),
        reason_(reason) {}
  // The reason alone, without the table and index it concerns.
  const std::string& reason() const { return reason_; }

 private:
  std::string reason_;
};

}  // namespace tiermend::data::jet
