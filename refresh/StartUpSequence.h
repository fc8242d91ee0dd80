// The unattended start-up sequence that the main window's creation handler runs:
// read the link file, set up and open the target and source connections, enable the
// four buttons and start the refresh chain with the first button's action.
#pragma once

#include "data/Connection.h"
#include "link/LinkFields.h"
#include "refresh/RefreshHost.h"

namespace tiermend::refresh {

// target is ADOC2, source is ADOC1. Failures of the link file, of disconnecting or
// setting a connection string, and of the chain travel to the caller; failures to
// open a connection are dropped (the first rowset opened on it tries again).
// fields receives the link fields (its password is empty afterwards).
void runStartUpSequence(data::Connection& target, data::Connection& source, RefreshHost& host,
                        link::LinkFields& fields);

}  // namespace tiermend::refresh
