// A log that keeps every line written to it, with its level, so that tests can read back
// the record of a run without a log daemon.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/SystemLog.h"

namespace tiermend::testing {

class RecordingLog : public LogSink {
 public:
  void write(Level level, const std::string& line) override { lines.emplace_back(level, line); }
  std::vector<std::pair<Level, std::string>> lines;
};

}  // namespace tiermend::testing
