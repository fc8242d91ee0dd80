// Whether this process can show windows at all: a Windows program under Wine with no X
// display, for one, cannot create any.
#pragma once

namespace tiermend::app {

// True when a hidden top-level window can be created (and is destroyed again at once).
bool canCreateWindows();

}  // namespace tiermend::app
