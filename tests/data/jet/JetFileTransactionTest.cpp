// The copy-check-rename transaction on a Jet file and its lock file: what reaches the
// path and when, what is refused before anything changes, and how another program's
// lock is waited for. Lock holders are real second processes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include "data/EngineError.h"
#include "data/providers/jet/file/JetFileTransaction.h"
#include "data/providers/jet/file/JetLockFile.h"
#include "platform/Interruption.h"
#include "tests/data/jet/JetTestSupport.h"

namespace tiermend::data::jet {
namespace {

using namespace std::chrono_literals;
using testing::failureOf;
using testing::fileBytes;

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void appendByte(const std::string& path, char byte) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out.put(byte);
}

std::string processName(pid_t pid) {
  std::string name;
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::getline(comm, name);
  return name;
}

// A second process that holds a lock on path (a record lock, so the kernel names it)
// for holdFor, or until it is killed when holdFor is zero.
class LockHolder {
 public:
  LockHolder(const std::string& path, std::chrono::milliseconds holdFor, short type = F_WRLCK) {
    int ready[2];
    if (pipe(ready) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      const int fd = open(path.c_str(), O_RDWR | O_CREAT, 0666);
      struct flock lock {};
      lock.l_type = type;
      lock.l_whence = SEEK_SET;
      if (fd < 0 || fcntl(fd, F_SETLK, &lock) != 0) _exit(2);
      const char byte = 1;
      if (write(ready[1], &byte, 1) != 1) _exit(3);
      if (holdFor.count() == 0) pause();
      usleep(static_cast<useconds_t>(holdFor.count() * 1000));
      _exit(0);
    }
    close(ready[1]);
    char byte = 0;
    const bool locked = read(ready[0], &byte, 1) == 1;
    close(ready[0]);
    if (!locked) throw std::runtime_error("the lock holder could not take its lock");
  }
  ~LockHolder() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};

// Runs action in a child process as the user nobody when we are root (root may write
// anything), else as ourselves; returns the EngineError message the child met, or "".
std::string failureAsUnprivilegedUser(const std::function<void()>& action) {
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe");
  const pid_t pid = fork();
  if (pid == 0) {
    close(out[0]);
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
    std::string message;
    try {
      action();
    } catch (const std::exception& error) {
      message = error.what();
    }
    if (write(out[1], message.data(), message.size()) < 0) _exit(3);
    _exit(0);
  }
  close(out[1]);
  std::string message;
  char buffer[512];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) message.append(buffer, n);
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
  return message;
}

class JetFileTransactionTest : public testing::JetScratchTest {
 protected:
  std::string folder() const { return std::filesystem::path(target).parent_path().string(); }

  std::string target = targetCopyOf("tiermenddb.mdb");
  std::vector<unsigned char> original = fileBytes(target);
};

TEST_F(JetFileTransactionTest, WritesReachThePathOnlyAtCommitAndTheCopyIsGone) {
  auto transaction = JetFileTransaction::begin(target);
  EXPECT_EQ(fileBytes(transaction->copyPath()), original);
  EXPECT_EQ(std::filesystem::path(transaction->copyPath()).parent_path(), folder());
  appendByte(transaction->copyPath(), 'x');
  EXPECT_EQ(fileBytes(target), original);

  std::string checked;
  transaction->commit([&](const std::string& copy) {
    checked = copy;
    EXPECT_EQ(fileBytes(copy).size(), original.size() + 1);
  });
  EXPECT_EQ(checked, transaction->copyPath());
  auto expected = original;
  expected.push_back('x');
  EXPECT_EQ(fileBytes(target), expected);
  EXPECT_EQ(folderEntries(folder()), std::vector<std::string>{"basedb.mdb"});  // no copy, no .ldb
}

TEST_F(JetFileTransactionTest, EveryFailureLeavesTheFileByteForByteAndNoCopy) {
  struct Case {
    const char* name;
    std::function<void(JetFileTransaction&)> end;
  } cases[] = {
      {"check refuses",
       [](JetFileTransaction& t) {
         EXPECT_THROW(t.commit([](const std::string&) { throw EngineError("refused"); }),
                      EngineError);
       }},
      {"rollback twice",
       [](JetFileTransaction& t) {
         t.rollback();
         t.rollback();
       }},
      {"destroyed without commit", [](JetFileTransaction&) {}},
      {"commit after rollback",
       [](JetFileTransaction& t) {
         t.rollback();
         EXPECT_THROW(t.commit([](const std::string&) {}), EngineError);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto transaction = JetFileTransaction::begin(target);
    appendByte(transaction->copyPath(), 'x');
    c.end(*transaction);
    transaction.reset();
    EXPECT_EQ(fileBytes(target), original);
    EXPECT_EQ(folderEntries(folder()), std::vector<std::string>{"basedb.mdb"});
  }
}

TEST_F(JetFileTransactionTest, KeepsModeAndOwnerOfTheOriginal) {
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(target.c_str(), 65534, 65534), 0);
  }
  struct stat before {};
  ASSERT_EQ(stat(target.c_str(), &before), 0);

  JetFileTransaction::begin(target)->commit([](const std::string&) {});
  struct stat after {};
  ASSERT_EQ(stat(target.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);  // a new file took its place
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  if (!root) GTEST_SKIP() << "ownership by another user needs root; mode checked";
}

TEST_F(JetFileTransactionTest, ASymbolicLinkKeepsPointingAtTheUpdatedFile) {
  const std::string link = scratch.path("link.mdb");
  std::filesystem::create_symlink(target, link);
  auto transaction = JetFileTransaction::begin(link);
  appendByte(transaction->copyPath(), 'x');
  transaction->commit([](const std::string&) {});
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(fileBytes(target).size(), original.size() + 1);
}

TEST_F(JetFileTransactionTest, ALeftoverCopyOfAKilledRunIsRemoved) {
  const std::string leftover =
      scratch.path(JetFileTransaction::copyPrefix("basedb.mdb") + "Ab12Cd");
  testing::writeBytes(leftover, {1, 2, 3});
  const std::string unrelated = scratch.path(".basedb.mdb.tiermend-keep-me");
  testing::writeBytes(unrelated, {4});
  JetFileTransaction::begin(target)->commit([](const std::string&) {});
  EXPECT_FALSE(std::filesystem::exists(leftover));
  EXPECT_TRUE(std::filesystem::exists(unrelated));
  EXPECT_EQ(fileBytes(target), original);
}

TEST_F(JetFileTransactionTest, RefusesWhatIsNoRegularFileOrIsReadOnly) {
  const std::string fifo = scratch.path("fifo.mdb");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
  EXPECT_EQ(failureOf([&] { JetFileTransaction::begin(fifo); }),
            "Cannot update '" + fifo + "': it is not a regular file.");
  const std::string folderPath = scratch.path("folder.mdb");
  std::filesystem::create_directory(folderPath);
  EXPECT_EQ(failureOf([&] { JetFileTransaction::begin(folderPath); }),
            "Cannot update '" + folderPath + "': it is not a regular file.");
  const std::string missing = scratch.path("missing.mdb");
  EXPECT_EQ(failureOf([&] { JetFileTransaction::begin(missing); }),
            "Could not find file '" + missing + "'.");

  ASSERT_EQ(chmod(target.c_str(), 0444), 0);  // refused for root too
  EXPECT_EQ(failureOf([&] { JetFileTransaction::begin(target); }),
            "Cannot update '" + target + "': the file is read-only.");
  EXPECT_EQ(fileBytes(target), original);
  EXPECT_EQ(folderEntries(folder()),
            (std::vector<std::string>{"basedb.mdb", "fifo.mdb", "folder.mdb"}));
}

TEST_F(JetFileTransactionTest, RefusesAFileOrFolderThisUserMayNotWrite) {
  // As nobody when we are root, since root may write anything.
  ASSERT_EQ(chmod(folder().c_str(), 0755), 0);
  ASSERT_EQ(chmod(target.c_str(), 0644), 0);
  const bool root = geteuid() == 0;
  if (!root) GTEST_SKIP() << "needs root to own the file as another user than the test";
  std::string message = failureAsUnprivilegedUser([&] { JetFileTransaction::begin(target); });
  EXPECT_EQ(message,
            "Cannot update '" + target + "': the file cannot be written (Permission denied).");

  ASSERT_EQ(chmod(target.c_str(), 0666), 0);  // the file may be written, its folder not
  message = failureAsUnprivilegedUser([&] { JetFileTransaction::begin(target); });
  EXPECT_EQ(message, "Cannot update '" + target + "': its folder '" + folder() +
                         "' cannot be written (Permission denied).");
  EXPECT_EQ(fileBytes(target), original);
  EXPECT_EQ(folderEntries(folder()), std::vector<std::string>{"basedb.mdb"});
}

TEST_F(JetFileTransactionTest, ALockHeldForGoodFailsInBoundedTimeNamingTheHolder) {
  const std::string lockFile = JetLockFile::pathFor(target);
  EXPECT_EQ(lockFile, scratch.path("basedb.ldb"));
  LockHolder holder(lockFile, 0ms);
  const auto start = std::chrono::steady_clock::now();
  const std::string message = failureOf([&] { JetFileTransaction::begin(target, 300ms); });
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, 300ms);
  EXPECT_LT(waited, 3s);
  EXPECT_EQ(message, "The file '" + target + "' is in use by another program: process " +
                         std::to_string(holder.pid()) + " (" + processName(holder.pid()) +
                         ") holds its lock file '" + lockFile + "'; waited 0.3 seconds.");
  EXPECT_EQ(fileBytes(target), original);
  EXPECT_EQ(folderEntries(folder()), (std::vector<std::string>{"basedb.ldb", "basedb.mdb"}));
}

TEST_F(JetFileTransactionTest, ALockOnTheDatabaseItselfMeansInUse) {
  LockHolder holder(target, 0ms, F_RDLCK);
  const std::string message = failureOf([&] { JetFileTransaction::begin(target, 100ms); });
  EXPECT_EQ(message, "The file '" + target + "' is in use by another program: process " +
                         std::to_string(holder.pid()) + " (" + processName(holder.pid()) +
                         ") holds a lock on the file itself; waited 0.1 seconds.");
  EXPECT_EQ(folderEntries(folder()), std::vector<std::string>{"basedb.mdb"});
}

TEST_F(JetFileTransactionTest, AShortLockIsWaitedFor) {
  LockHolder holder(JetLockFile::pathFor(target), 1000ms);
  const auto start = std::chrono::steady_clock::now();
  auto transaction = JetFileTransaction::begin(target);  // the real 30 s wait
  EXPECT_GE(std::chrono::steady_clock::now() - start, 800ms);
  appendByte(transaction->copyPath(), 'x');
  transaction->commit([](const std::string&) {});
  EXPECT_EQ(fileBytes(target).size(), original.size() + 1);
}

TEST_F(JetFileTransactionTest, AStaleLockFileIsNotInUseAndIsKept) {
  testing::writeBytes(JetLockFile::pathFor(target), {'o', 'l', 'd'});
  JetFileTransaction::begin(target, 0ms)->commit([](const std::string&) {});
  EXPECT_EQ(fileBytes(JetLockFile::pathFor(target)), (std::vector<unsigned char>{'o', 'l', 'd'}));
}

TEST_F(JetFileTransactionTest, TwoTransactionsNeverWriteOneFileAtOnce) {
  auto first = JetFileTransaction::begin(target);
  const std::string message = failureOf([&] { JetFileTransaction::begin(target, 100ms); });
  EXPECT_NE(message.find("is in use by another program"), std::string::npos) << message;
  first->rollback();
  JetFileTransaction::begin(target, 0ms)->commit([](const std::string&) {});
}

TEST_F(JetFileTransactionTest, ARunWaitingForAnotherRunUpdatesTheFileThatRunPutInPlace) {
  auto first = JetFileTransaction::begin(target);
  std::string failure;
  std::unique_ptr<JetFileTransaction> second;
  std::thread waiting([&] {
    try {
      second = JetFileTransaction::begin(target, 10s);
    } catch (const std::exception& error) {
      failure = error.what();
    }
  });
  std::this_thread::sleep_for(300ms);  // the second is waiting for the lock by now
  appendByte(first->copyPath(), 'x');
  first->commit([](const std::string&) {});
  waiting.join();
  ASSERT_EQ(failure, "");
  // Its copy is of the new version, which it now updates in turn.
  EXPECT_EQ(fileBytes(second->copyPath()).size(), original.size() + 1);
  appendByte(second->copyPath(), 'y');
  second->commit([](const std::string&) {});
  EXPECT_EQ(fileBytes(target).size(), original.size() + 2);
}

TEST_F(JetFileTransactionTest, ARequestToStopEndsTheWaitForALock) {
  LockHolder holder(JetLockFile::pathFor(target), 0ms);
  std::thread requester([] {
    std::this_thread::sleep_for(200ms);
    noteInterruption(SIGTERM);
  });
  int stoppedBy = 0;
  try {
    JetFileTransaction::begin(target, 30s);
  } catch (const EInterrupted& stop) {
    stoppedBy = stop.signal();
  }
  requester.join();
  forgetInterruption();
  EXPECT_EQ(stoppedBy, SIGTERM);
  EXPECT_EQ(fileBytes(target), original);
  EXPECT_EQ(folderEntries(folder()), (std::vector<std::string>{"basedb.ldb", "basedb.mdb"}));
}

TEST_F(JetFileTransactionTest, ASymbolicLinkInPlaceOfTheLockFileIsRefusedAndNotFollowed) {
  const std::string lockFile = JetLockFile::pathFor(target);
  ASSERT_EQ(symlink(scratch.path("elsewhere").c_str(), lockFile.c_str()), 0);
  EXPECT_EQ(failureOf([&] { JetFileTransaction::begin(target, 0ms); }),
            "The lock file '" + lockFile +
                "' is a symbolic link; a lock file must be a plain file, so it is not followed. "
                "Remove the link to let the database be updated.");
  EXPECT_FALSE(std::filesystem::exists(scratch.path("elsewhere")));
  EXPECT_EQ(fileBytes(target), original);
}

// A lock file left behind by another user's run (root's, made with mode 0644 or 0600)
// that no process holds never keeps a later run out; one a live process holds does.
TEST_F(JetFileTransactionTest, AnotherUsersLockFileStopsARunOnlyWhileItIsHeld) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to leave a lock file of another user";
  const std::string lockFile = JetLockFile::pathFor(target);
  ASSERT_EQ(chmod(folder().c_str(), 0777), 0);
  ASSERT_EQ(chown(target.c_str(), 65534, 65534), 0);
  for (const mode_t mode : {0644, 0600}) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    {
      LockHolder holder(lockFile, 0ms);  // root's live run
      ASSERT_EQ(chmod(lockFile.c_str(), mode), 0);
      const std::string message =
          failureAsUnprivilegedUser([&] { JetFileTransaction::begin(target, 100ms); });
      EXPECT_NE(message.find("is in use by another program"), std::string::npos) << message;
      EXPECT_TRUE(std::filesystem::exists(lockFile));
    }
    // Its holder is gone: the file is stale.
    EXPECT_EQ(failureAsUnprivilegedUser([&] {
                auto transaction = JetFileTransaction::begin(target, 100ms);
                appendByte(transaction->copyPath(), 'x');
                transaction->commit([](const std::string&) {});
              }),
              "");
    EXPECT_FALSE(std::filesystem::exists(lockFile));
  }
  EXPECT_EQ(fileBytes(target).size(), original.size() + 2);
}

}  // namespace
}  // namespace tiermend::data::jet
