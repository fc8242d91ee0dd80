// One change to a Jet file made safely: every write goes to a copy beside the file,
// which replaces the file in one rename only when the change is complete and checked.
// At every moment, a killed process or a power loss included, the path holds the whole
// old file or the whole new one; a failure leaves the file byte for byte as it was.
//
// For the whole transaction we hold the database's lock (JetLockFile), so a database
// another program has open is refused and two runs of ours never write one file at once.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/File.h"

namespace tiermend::data::jet {

class JetLockFile;

class JetFileTransaction {
 public:
  // Checks the file may be written (regular file, writable file and folder, lock file not
  // held by another program, waiting up to lockWait), then copies it beside itself in the
  // same folder, keeping owner and mode. Throws EngineError with a message that says what.
  static std::unique_ptr<JetFileTransaction> begin(
      const std::string& path, std::chrono::milliseconds lockWait = std::chrono::seconds(30));
  // The copy that all writes go to. Write it in place: the copy must stay the same file.
  const std::string& copyPath() const { return copyPath_; }
  // Flushes the copy to disk, calls check(copyPath()) (which throws to refuse), puts the
  // copy in the original's place, flushes the folder. Any failure before that rolls back.
  void commit(const std::function<void(const std::string& copyPath)>& check);
  // How much the copy has grown beyond the file it was made from, in bytes (0 where
  // it has shrunk).
  std::uint64_t growth() const;
  // Takes the disk space the copy would need were it extra bytes longer, growing it by
  // that much: a check sees a disk too full for what the real run will write. Call it
  // only on a copy that is to be rolled back. Throws EngineError on a full disk.
  void reserveBeyond(std::uint64_t extra);
  // Removes the copy and releases the lock; safe to call twice.
  void rollback();
  // Rolls back when neither commit nor rollback ran.
  ~JetFileTransaction();

  JetFileTransaction(const JetFileTransaction&) = delete;
  JetFileTransaction& operator=(const JetFileTransaction&) = delete;

  // The prefix of the copies of the file named base: ".<base>.tiermend-".
  static std::string copyPrefix(const std::string& base);

 private:
  JetFileTransaction(std::string path, std::string realPath);
  void makeCopy();
  void replaceOriginal();

  std::string path_;      // as the caller named it, for messages
  std::string realPath_;  // the file itself, symbolic links resolved
  std::string folder_;
  std::string copyPath_;
  FileFacts original_;
  std::unique_ptr<JetLockFile> lock_;
  bool finished_ = false;
};

}  // namespace tiermend::data::jet
