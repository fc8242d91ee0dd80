// The refresh step for one bracket table: empty the target table and refill it row by
// row from the update package, every value carried as edit text, in one transaction
// on the target connection; then invoke the next button's action or, after the last
// table, show the completion message and end the run. Failures travel to the caller.
#pragma once

#include "data/Rowset.h"
#include "refresh/RefreshHost.h"

namespace tiermend::refresh {

// step: 0 for health_insu ... 3 for retire. target is ADOQ2, source is ADOQ1.
void runRefreshStep(int step, data::Rowset& target, data::Rowset& source, RefreshHost& host);

}  // namespace tiermend::refresh
