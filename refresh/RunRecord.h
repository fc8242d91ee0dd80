// The record of a run in the system log: where it ran, one line per table refreshed
// ("labor: 38 rows, was 40") and how the run ended. A check says so on every line,
// so that it is never taken for a real run. The lines hold table names, counts and the
// messages the user is shown; never a connection string or a password.
#pragma once

#include <cstdint>
#include <string>

#include "platform/CodePage.h"
#include "platform/SystemLog.h"
#include "refresh/RefreshHost.h"

namespace tiermend::refresh {

// "1 row", "38 rows", "0 rows".
std::string rowCountText(std::int64_t count);

class RunRecord {
 public:
  enum class Kind { Refresh, Check };

  // Messages are taken as text of codePage and logged as UTF-8.
  RunRecord(LogSink& sink, CodePage codePage, Kind kind = Kind::Refresh);

  // The run starts in the current working folder, where it reads Link.txt.
  void started();
  // Step index (0 for health_insu ... 3 for retire) refreshed, or rolled back in a check.
  void tableDone(int index, const TableCounts& counts);
  // The chain reached its end: the completion message was shown.
  void completed();
  // The run stopped with this message, as the user was shown it.
  void failed(const std::string& message);
  // The run stopped with a silent abort, which shows the user nothing.
  void aborted();

 private:
  void write(LogSink::Level level, const std::string& line);

  LogSink& sink_;
  CodePage codePage_;
  Kind kind_;
};

}  // namespace tiermend::refresh
