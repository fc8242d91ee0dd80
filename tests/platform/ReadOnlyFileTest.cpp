// Opening and reading files read-only, and the Windows codes and messages of the
// failures.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <ostream>
#include <string>

#include "platform/Exceptions.h"
#include "platform/ReadOnlyFile.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestName.h"

namespace tiermend {
namespace {

struct ErrnoCase {
  int errnoValue;
  int code;
  const char* message;
};

void PrintTo(const ErrnoCase& c, std::ostream* os) {
  *os << "errno " << c.errnoValue;
}

class ErrnoMapping : public ::testing::TestWithParam<ErrnoCase> {};

TEST_P(ErrnoMapping, LeadsToTheWindowsCodeAndItsMessage) {
  const int code = windowsErrorFromErrno(GetParam().errnoValue);
  EXPECT_EQ(code, GetParam().code);
  EXPECT_EQ(EInOutError(code).message(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Errnos, ErrnoMapping,
    ::testing::Values(
        ErrnoCase{ENOENT, 2, "File not found"}, ErrnoCase{ENOTDIR, 3, "Invalid filename"},
        ErrnoCase{ENAMETOOLONG, 3, "Invalid filename"}, ErrnoCase{EINVAL, 3, "Invalid filename"},
        ErrnoCase{EMFILE, 4, "Too many open files"}, ErrnoCase{ENFILE, 4, "Too many open files"},
        ErrnoCase{EACCES, 5, "File access denied"}, ErrnoCase{EPERM, 5, "File access denied"},
        ErrnoCase{EISDIR, 5, "File access denied"}, ErrnoCase{EIO, 1117, "I/O error 1117"},
        ErrnoCase{ELOOP, ELOOP, "I/O error 40"}),
    [](const ::testing::TestParamInfo<ErrnoCase>& info) {
      const char* name = strerrorname_np(info.param.errnoValue);
      return name ? testing::testNameFrom(name) : "errno" + std::to_string(info.param.errnoValue);
    });

TEST(InOutErrorMessages, FollowTheCodeTable) {
  EXPECT_EQ(inOutErrorMessage(100), "Read beyond end of file");
  EXPECT_EQ(inOutErrorMessage(101), "Disk full");
  EXPECT_EQ(inOutErrorMessage(106), "Invalid numeric input");
  EXPECT_EQ(inOutErrorMessage(32), "I/O error 32");
}

class TempDir : public ::testing::Test {
 protected:
  testing::TempFolder folder_;
  std::string dir_ = folder_.path().string();
};

int openFailureCode(const std::string& path) {
  try {
    ReadOnlyFile file(path);
  } catch (const EInOutError& e) {
    return e.errorCode();
  }
  return 0;
}

TEST_F(TempDir, OpenFailuresCarryTheirCodes) {
  EXPECT_EQ(openFailureCode(dir_ + "/missing.txt"), 2);
  EXPECT_EQ(openFailureCode(dir_), 5);  // a directory
  std::ofstream(dir_ + "/plain") << "x";
  EXPECT_EQ(openFailureCode(dir_ + "/plain/below"), 3);
  EXPECT_EQ(openFailureCode(dir_ + "/" + std::string(5000, 'n')), 3);
}

TEST_F(TempDir, ReadsAndClosesAnExistingFile) {
  std::ofstream(dir_ + "/data") << "hello";
  ReadOnlyFile file(dir_ + "/data");
  char buffer[16];
  int error = -1;
  EXPECT_EQ(file.read(buffer, sizeof buffer, error), 5u);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(std::string(buffer, 5), "hello");
  EXPECT_EQ(file.read(buffer, sizeof buffer, error), 0u);
  EXPECT_EQ(file.close(), 0);
}

TEST_F(TempDir, UnreadableFileIsAccessDenied) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  std::ofstream(dir_ + "/secret") << "x";
  chmod((dir_ + "/secret").c_str(), 0);
  EXPECT_EQ(openFailureCode(dir_ + "/secret"), 5);
}

}  // namespace
}  // namespace tiermend
