// The lines of a run's record: where it started, each table's counts and how it ended.
#include "refresh/RunRecord.h"

#include "platform/File.h"
#include "refresh/BracketTables.h"

namespace tiermend::refresh {
namespace {

// A record is one line: line ends inside a message (an engine's description may hold
// some) become blanks.
std::string oneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

}  // namespace

std::string rowCountText(std::int64_t count) {
  return std::to_string(count) + (count == 1 ? " row" : " rows");
}

RunRecord::RunRecord(LogSink& sink, CodePage codePage, Kind kind)
    : sink_(sink), codePage_(codePage), kind_(kind) {}

void RunRecord::write(LogSink::Level level, const std::string& line) {
  sink_.write(level, kind_ == Kind::Check ? "check: " + line : line);
}

void RunRecord::started() {
  const std::string folder = currentFolder();  // UTF-8, as the log takes it
  write(LogSink::Level::Info, folder.empty() ? "started in a folder that no longer exists"
                                             : "started in " + oneLine(folder));
}

void RunRecord::tableDone(int index, const TableCounts& counts) {
  const BracketTable& table = kBracketTables.at(static_cast<size_t>(index));
  std::string line = std::string(table.table) + ": " + rowCountText(counts.written) + ", was " +
                     std::to_string(counts.replaced);
  if (kind_ == Kind::Check) line += " (rolled back)";
  write(LogSink::Level::Info, line);
}

void RunRecord::completed() {
  write(LogSink::Level::Notice, kind_ == Kind::Check ? "passed, nothing changed" : "completed");
}

void RunRecord::failed(const std::string& message) {
  write(LogSink::Level::Error, "failed: " + oneLine(codePage_.toUtf8(message)));
}

void RunRecord::aborted() {
  write(LogSink::Level::Error, "stopped by a silent abort");
}

}  // namespace tiermend::refresh
