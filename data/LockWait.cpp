// The messages for a lock that outlasted the wait and for a database that is full.
#include "data/LockWait.h"

namespace tiermend::data {
namespace {

std::string stayedLocked() {
  return " is in use by another program: it stayed locked for " + std::to_string(kLockWaitSeconds) +
         " seconds. Try again when that program has finished with it";
}

}  // namespace

std::string tableInUseMessage(const std::string& table) {
  return "The table '" + table + "'" + stayedLocked();
}

std::string fileInUseMessage(const std::string& path) {
  return "The database file '" + path + "'" + stayedLocked();
}

std::string fileFullMessage(const std::string& path) {
  return "The database file '" + path +
         "' is full: the disk has no room left or the file has reached its size limit";
}

}  // namespace tiermend::data
