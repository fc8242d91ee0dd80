// The database lock on Windows: the database file held open for reading and writing
// while sharing reading only, so that no other program can write it (see
// DatabaseLock.h). A program that already has it open for writing makes the open fail
// with a sharing violation: the database is in use.
#include "platform/DatabaseLock.h"

#include <windows.h>

#include "platform/windows/WideText.h"

namespace tiermend {

DatabaseLock::Attempt DatabaseLock::tryTake(std::string& text) {
  release();
  // Deleting stays shared so that our own replacement of the file may go ahead.
  HANDLE file = CreateFileW(wideFromUtf8(databasePath_).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return Attempt::Taken;
  }
  const OsError error = OsError::last();
  if (error.code() == ERROR_SHARING_VIOLATION || error.code() == ERROR_LOCK_VIOLATION) {
    text = "another program has it open for writing";
    return Attempt::InUse;
  }
  text = "Cannot open the database file '" + databasePath_ + "': " + error.reason() + ".";
  return Attempt::Failed;
}

OsError DatabaseLock::replaceDatabaseWith(const std::string& replacement) {
  release();
  return replaceFile(replacement, databasePath_);
}

void DatabaseLock::release() {
  if (handle_ == -1) return;
  CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
  created_ = false;
}

}  // namespace tiermend
