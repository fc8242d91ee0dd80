// Opening SQLite database files.
#include "data/providers/sqlite/SqliteProvider.h"

#include <chrono>

#include "data/LockWait.h"
#include "data/providers/sqlite/SqliteSession.h"
#include "platform/File.h"
#include "platform/Interruption.h"

namespace tiermend::data::sqlite {
namespace {

bool isSqliteFile(std::string_view firstBytes) {
  return firstBytes.starts_with(std::string_view("SQLite format 3\0", 16));
}

std::unique_ptr<Session> openFile(const std::string& path, const ConnectionString&) {
  return openSession(path);
}

// The bounded wait for another program's lock, in short sleeps, ended early by a request
// to stop the run (SQLite then reports the database busy; the refresh reports the stop).
// The wait is measured by the clock: a sleep may last longer than asked (on Windows).
constexpr int kBusySleepMilliseconds = 20;
thread_local std::chrono::steady_clock::time_point busySince;

int waitWhileBusy(void*, int sleptBefore) {
  const auto now = std::chrono::steady_clock::now();
  if (sleptBefore == 0) busySince = now;
  if (interruptionRequested()) return 0;
  if (now - busySince >= std::chrono::seconds(kLockWaitSeconds)) return 0;
  sqlite3_sleep(kBusySleepMilliseconds);
  return 1;
}

}  // namespace

std::unique_ptr<Session> openSession(const std::string& path) {
  sqlite3* raw = nullptr;
  // A session is used by one thread at a time, so SQLite need not lock the connection
  // on every call (each value read or bound would otherwise take a mutex).
  // SQLite takes UTF-8 file names, as the path is held.
  const int rc =
      sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  DatabaseHandle database(raw);  // SQLite hands out a handle even when the open fails
  if (rc != SQLITE_OK) {
    if (!database) throw EngineError("Out of memory");
    throw lastError(database.get());
  }
  // Reading the schema now makes a damaged or foreign file fail on connect. A file
  // that another program holds locked (BEGIN EXCLUSIVE) is not waited for here: its
  // check is left to the first statement, whose wait is then the only one. Waiting
  // here as well would double the wait of a run, whose first connect is made and
  // dropped at start-up before the refresh connects again.
  const int check =
      sqlite3_exec(database.get(), "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
  if (check != SQLITE_OK && check != SQLITE_BUSY) throw lastError(database.get());
  // From here a statement waits this long for another program that holds the
  // database locked.
  sqlite3_busy_handler(database.get(), waitWhileBusy, nullptr);
  return std::make_unique<SqliteSession>(std::move(database));
}

void registerProvider(ProviderRegistry& registry) {
  registry.add(FileFormatProvider{isSqliteFile, openFile});
}

}  // namespace tiermend::data::sqlite
