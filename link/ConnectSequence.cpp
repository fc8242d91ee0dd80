// The connect sequence: disconnect, set the string, connect. Only the connect step is
// guarded: a connection that does not open stays closed, and the first rowset opened
// on it tries again and reports what fails.
#include "link/ConnectSequence.h"

namespace tiermend::link {

void connectSequence(data::Connection& connection, const std::string& ansiString) {
  connection.close();
  connection.setConnectionString(connection.settings().codePage.toUtf8(ansiString));
  try {
    connection.open();
  } catch (...) {
    // Dropped on purpose: the refresh step reports the failure when it needs the database.
  }
}

}  // namespace tiermend::link
