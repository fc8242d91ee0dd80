// The copy-check-rename transaction on a Jet file (see JetFileTransaction.h).
#include "data/providers/jet/file/JetFileTransaction.h"

#include "data/EngineError.h"
#include "data/providers/jet/file/JetLockFile.h"

namespace tiermend::data::jet {

namespace {

std::string resolve(const std::string& path) {
  std::string resolved;
  if (const OsError error = resolvePath(path, resolved)) {
    if (error.notFound()) throw EngineError("Could not find file '" + path + "'.");
    throw EngineError("Cannot open '" + path + "': " + error.reason() + ".");
  }
  return resolved;
}

// Refuses, before anything changes, a file this user may not replace.
void checkWritable(const std::string& path, const std::string& realPath, const std::string& folder,
                   const FileFacts& file) {
  if (!file.regular) {
    throw EngineError("Cannot update '" + path + "': it is not a regular file.");
  }
  // A file without any write permission is marked read-only on purpose; root too leaves it be.
  if (file.readOnly) {
    throw EngineError("Cannot update '" + path + "': the file is read-only.");
  }
  if (const OsError error = mayWriteFile(realPath)) {
    throw EngineError("Cannot update '" + path + "': the file cannot be written (" +
                      error.reason() + ").");
  }
  if (const OsError error = mayWriteInFolder(folder)) {
    throw EngineError("Cannot update '" + path + "': its folder '" + folder +
                      "' cannot be written (" + error.reason() + ").");
  }
}

// Copies left by a run that was killed. We hold the lock, so no live run of ours owns one.
void removeLeftoverCopies(const std::string& folder, const std::string& base) {
  const std::string prefix = JetFileTransaction::copyPrefix(base);
  for (const std::string& name : folderEntries(folder)) {
    if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0) {
      removeFile(joinPath(folder, name));
    }
  }
}

}  // namespace

std::string JetFileTransaction::copyPrefix(const std::string& base) {
  return "." + base + ".tiermend-";
}

JetFileTransaction::JetFileTransaction(std::string path, std::string realPath)
    : path_(std::move(path)), realPath_(std::move(realPath)), folder_(folderOfPath(realPath_)) {}

std::unique_ptr<JetFileTransaction> JetFileTransaction::begin(const std::string& path,
                                                              std::chrono::milliseconds lockWait) {
  std::unique_ptr<JetFileTransaction> transaction(new JetFileTransaction(path, resolve(path)));
  JetFileTransaction& t = *transaction;
  if (const OsError error = pathFacts(t.realPath_, t.original_)) {
    throw EngineError("Cannot open '" + path + "': " + error.reason() + ".");
  }
  checkWritable(path, t.realPath_, t.folder_, t.original_);
  t.lock_ = std::make_unique<JetLockFile>(t.realPath_, lockWait);
  // The holder we waited for (another run) may have put a new version in place: the file
  // to update is the one there now.
  if (const OsError error = pathFacts(t.realPath_, t.original_)) {
    throw EngineError("Cannot open '" + path + "': " + error.reason() + ".");
  }
  checkWritable(path, t.realPath_, t.folder_, t.original_);
  removeLeftoverCopies(t.folder_, lastPartOfPath(t.realPath_));
  t.makeCopy();
  return transaction;
}

void JetFileTransaction::makeCopy() {
  const File source(realPath_, File::Access::Read);
  if (!source) throw EngineError("Cannot open '" + path_ + "': " + source.error().reason() + ".");
  FileFacts opened;
  if (source.facts(opened) || !opened.sameFileAs(original_)) {
    throw EngineError("Cannot update '" + path_ + "': it was replaced while being opened.");
  }

  File copy = File::createUnique(folder_, copyPrefix(lastPartOfPath(realPath_)), copyPath_);
  if (!copy) {
    throw EngineError("Cannot update '" + path_ + "': no copy can be made in its folder (" +
                      copy.error().reason() + ").");
  }
  auto fail = [&](const std::string& what, const OsError& error) {
    copy.close();
    removeFile(copyPath_);
    copyPath_.clear();
    throw EngineError("Cannot update '" + path_ + "': " + what + " (" + error.reason() + ").");
  };
  if (const OsError error = copy.keepOwnerAndMode(realPath_)) {
    fail("its owner and permissions cannot be kept on the new version", error);
  }
  if (const OsError error = copy.copyContentFrom(source)) fail("it cannot be copied", error);
}

void JetFileTransaction::commit(const std::function<void(const std::string&)>& check) {
  if (finished_) throw EngineError("The update of '" + path_ + "' has already ended.");
  try {
    File copy(copyPath_, File::Access::ReadWrite);
    const OsError error = copy ? copy.flush() : copy.error();
    if (error) {
      throw EngineError("Cannot update '" + path_ + "': its new version cannot be saved (" +
                        error.reason() + ").");
    }
    check(copyPath_);
    replaceOriginal();
  } catch (...) {
    rollback();
    throw;
  }
  finished_ = true;
  lock_.reset();
  // The new file is in place; flushing the folder makes the rename itself durable.
  if (const OsError error = flushFolder(folder_)) {
    throw EngineError("'" + path_ + "' was updated, but its folder could not be saved to disk (" +
                      error.reason() + ").");
  }
}

void JetFileTransaction::replaceOriginal() {
  FileFacts now;
  if (pathFacts(realPath_, now) || !now.sameFileAs(original_)) {
    throw EngineError("Cannot update '" + path_ +
                      "': another program replaced or removed it during the update.");
  }
  if (const OsError error = lock_->replaceDatabaseWith(copyPath_)) {
    throw EngineError("Cannot update '" + path_ + "': its new version cannot be put in place (" +
                      error.reason() + ").");
  }
}

std::uint64_t JetFileTransaction::growth() const {
  FileFacts copy;
  if (copyPath_.empty() || pathFacts(copyPath_, copy) || copy.size < original_.size) return 0;
  return copy.size - original_.size;
}

void JetFileTransaction::reserveBeyond(std::uint64_t extra) {
  if (extra == 0) return;
  File copy(copyPath_, File::Access::ReadWrite);
  FileFacts facts;
  OsError error = copy ? copy.facts(facts) : copy.error();
  if (!error) error = copy.reserve(facts.size + extra);
  // Worded as the page write that would fail in the real run.
  if (error)
    throw EngineError("Cannot write the database file '" + path_ + "': " + error.reason() + ".");
}

void JetFileTransaction::rollback() {
  if (finished_) return;
  finished_ = true;
  if (!copyPath_.empty()) removeFile(copyPath_);
  lock_.reset();
}

JetFileTransaction::~JetFileTransaction() {
  rollback();
}

}  // namespace tiermend::data::jet
