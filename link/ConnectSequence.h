// The connect sequence for one connection: disconnect, set the converted string,
// connect. Failures to connect are dropped; failures in the first two steps travel on.
#pragma once

#include <string>

#include "data/Connection.h"

namespace tiermend::link {

// ansiString is 8-bit text in the connection's ANSI code page.
void connectSequence(data::Connection& connection, const std::string& ansiString);

}  // namespace tiermend::link
