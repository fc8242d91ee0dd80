// The refresh step for one bracket table: empty the target table and refill it row by
// row from the update package, every value carried as edit text, in one transaction
// on the target connection; then invoke the next button's action or, after the last
// table, show the completion message and end the run. Failures travel to the caller.
// A check does all of that but rolls each table's transaction back instead of
// committing it, so that the target stays as it was.
#pragma once

#include "data/Rowset.h"
#include "refresh/RefreshHost.h"

namespace tiermend::refresh {

// How a step ends its table's transaction when everything succeeded.
enum class StepEnd {
  Commit,    // the table gets its new rows
  RollBack,  // a check: every check a commit makes, then the table keeps its old rows
};

// step: 0 for health_insu ... 3 for retire. target is ADOQ2, source is ADOQ1.
void runRefreshStep(int step, data::Rowset& target, data::Rowset& source, RefreshHost& host,
                    StepEnd end = StepEnd::Commit);

}  // namespace tiermend::refresh
