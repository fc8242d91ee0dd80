// Taking the database lock with a bounded wait (see JetLockFile.h).
#include "data/providers/jet/file/JetLockFile.h"

#include <algorithm>
#include <sstream>
#include <thread>

#include "data/EngineError.h"
#include "platform/Interruption.h"

namespace tiermend::data::jet {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(50);

std::string secondsText(std::chrono::milliseconds wait) {
  std::ostringstream text;
  text << static_cast<double>(wait.count()) / 1000.0
       << (wait == std::chrono::seconds(1) ? " second" : " seconds");
  return text.str();
}

}  // namespace

JetLockFile::JetLockFile(const std::string& databasePath, std::chrono::milliseconds lockWait)
    : databasePath_(databasePath), lock_(databasePath) {
  const auto deadline = std::chrono::steady_clock::now() + lockWait;
  for (;;) {
    std::string text;
    switch (lock_.tryTake(text)) {
      case DatabaseLock::Attempt::Taken:
        return;
      case DatabaseLock::Attempt::Failed:
        throw EngineError(text);
      case DatabaseLock::Attempt::InUse:
        break;
    }
    // A request to stop the run is not kept waiting for the other program.
    throwIfInterrupted();
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) {
      throw EngineError("The file '" + databasePath_ + "' is in use by another program: " + text +
                        "; waited " + secondsText(lockWait) + ".");
    }
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(kPollInterval, deadline - now));
  }
}

}  // namespace tiermend::data::jet
