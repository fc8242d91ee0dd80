// libmdb's header. It includes glib inside its extern "C" block, which glib's C++
// parts do not allow, so glib is included first, with C++ linkage.
#pragma once

#include <glib.h>
#include <mdbtools.h>
