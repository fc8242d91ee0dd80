// The copy-check-rename transaction on a Jet file (see JetFileTransaction.h).
#include "data/providers/jet/file/JetFileTransaction.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "data/EngineError.h"
#include "data/providers/jet/file/JetFileCopy.h"
#include "data/providers/jet/file/JetFileDescriptor.h"
#include "data/providers/jet/file/JetLockFile.h"

namespace tiermend::data::jet {

namespace {

std::string errorText(int error) {
  return std::strerror(error);
}

std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string resolve(const std::string& path) {
  char resolved[PATH_MAX];
  if (!realpath(path.c_str(), resolved)) {
    if (errno == ENOENT) throw EngineError("Could not find file '" + path + "'.");
    throw EngineError("Cannot open '" + path + "': " + errorText(errno) + ".");
  }
  return resolved;
}

// Refuses, before anything changes, a file this user may not replace.
void checkWritable(const std::string& path, const std::string& realPath, const std::string& folder,
                   const struct stat& file) {
  if (!S_ISREG(file.st_mode)) {
    throw EngineError("Cannot update '" + path + "': it is not a regular file.");
  }
  // A file without any write permission is marked read-only on purpose; root too leaves it be.
  if ((file.st_mode & 0222) == 0) {
    throw EngineError("Cannot update '" + path + "': the file is read-only.");
  }
  if (faccessat(AT_FDCWD, realPath.c_str(), W_OK, AT_EACCESS) != 0) {
    throw EngineError("Cannot update '" + path + "': the file cannot be written (" +
                      errorText(errno) + ").");
  }
  if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    throw EngineError("Cannot update '" + path + "': its folder '" + folder +
                      "' cannot be written (" + errorText(errno) + ").");
  }
}

// Copies left by a run that was killed. We hold the lock, so no live run of ours owns one.
void removeLeftoverCopies(const std::string& folder, const std::string& base) {
  const std::string prefix = JetFileTransaction::copyPrefix(base);
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  if (!dir) return;
  std::vector<std::string> leftovers;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0) {
      leftovers.push_back(folder + "/" + name);
    }
  }
  for (const auto& leftover : leftovers) {
    struct stat info {};
    if (lstat(leftover.c_str(), &info) == 0 && S_ISREG(info.st_mode)) unlink(leftover.c_str());
  }
}

}  // namespace

std::string JetFileTransaction::copyPrefix(const std::string& base) {
  return "." + base + ".tiermend-";
}

JetFileTransaction::JetFileTransaction(std::string path, std::string realPath)
    : path_(std::move(path)), realPath_(std::move(realPath)), folder_(folderOf(realPath_)) {}

std::unique_ptr<JetFileTransaction> JetFileTransaction::begin(const std::string& path,
                                                              std::chrono::milliseconds lockWait) {
  std::unique_ptr<JetFileTransaction> transaction(new JetFileTransaction(path, resolve(path)));
  JetFileTransaction& t = *transaction;
  if (stat(t.realPath_.c_str(), &t.original_) != 0) {
    throw EngineError("Cannot open '" + path + "': " + errorText(errno) + ".");
  }
  checkWritable(path, t.realPath_, t.folder_, t.original_);
  t.lock_ = std::make_unique<JetLockFile>(t.realPath_, lockWait);
  removeLeftoverCopies(t.folder_, baseOf(t.realPath_));
  t.makeCopy();
  return transaction;
}

void JetFileTransaction::makeCopy() {
  FileDescriptor source(open(realPath_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!source) throw EngineError("Cannot open '" + path_ + "': " + errorText(errno) + ".");
  struct stat opened {};
  if (fstat(source.get(), &opened) != 0 || opened.st_dev != original_.st_dev ||
      opened.st_ino != original_.st_ino) {
    throw EngineError("Cannot update '" + path_ + "': it was replaced while being opened.");
  }

  std::string name = folder_ + "/" + copyPrefix(baseOf(realPath_)) + "XXXXXX";
  std::vector<char> pattern(name.begin(), name.end());
  pattern.push_back('\0');
  FileDescriptor copy(mkostemp(pattern.data(), O_CLOEXEC));
  if (!copy) {
    throw EngineError("Cannot update '" + path_ + "': no copy can be made in its folder (" +
                      errorText(errno) + ").");
  }
  copyPath_ = pattern.data();

  auto fail = [&](const std::string& what, int error) {
    unlink(copyPath_.c_str());
    copyPath_.clear();
    throw EngineError("Cannot update '" + path_ + "': " + what + " (" + errorText(error) + ").");
  };
  struct stat made {};
  if (fstat(copy.get(), &made) != 0) fail("its copy cannot be read", errno);
  if ((made.st_uid != original_.st_uid || made.st_gid != original_.st_gid) &&
      fchown(copy.get(), original_.st_uid, original_.st_gid) != 0) {
    fail("its owner cannot be kept on the new version", errno);
  }
  if (fchmod(copy.get(), original_.st_mode & 07777) != 0) {
    fail("its permissions cannot be kept on the new version", errno);
  }
  if (const int error = copyFileContents(source.get(), copy.get())) {
    fail("it cannot be copied", error);
  }
}

void JetFileTransaction::commit(const std::function<void(const std::string&)>& check) {
  if (finished_) throw EngineError("The update of '" + path_ + "' has already ended.");
  try {
    FileDescriptor copy(open(copyPath_.c_str(), O_RDONLY | O_CLOEXEC));
    if (!copy || fsync(copy.get()) != 0) {
      throw EngineError("Cannot update '" + path_ + "': its new version cannot be saved (" +
                        errorText(errno) + ").");
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
  FileDescriptor folder(open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder || fsync(folder.get()) != 0) {
    throw EngineError("'" + path_ + "' was updated, but its folder could not be saved to disk (" +
                      errorText(errno) + ").");
  }
}

void JetFileTransaction::replaceOriginal() {
  struct stat now {};
  if (stat(realPath_.c_str(), &now) != 0 || now.st_dev != original_.st_dev ||
      now.st_ino != original_.st_ino) {
    throw EngineError("Cannot update '" + path_ +
                      "': another program replaced or removed it during the update.");
  }
  if (rename(copyPath_.c_str(), realPath_.c_str()) != 0) {
    throw EngineError("Cannot update '" + path_ + "': its new version cannot be put in place (" +
                      errorText(errno) + ").");
  }
}

void JetFileTransaction::rollback() {
  if (finished_) return;
  finished_ = true;
  if (!copyPath_.empty()) unlink(copyPath_.c_str());
  lock_.reset();
}

JetFileTransaction::~JetFileTransaction() {
  rollback();
}

}  // namespace tiermend::data::jet
