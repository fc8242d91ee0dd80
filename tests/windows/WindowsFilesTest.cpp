// Files on Windows: Link.txt is opened sharing read access only, so a file another
// program holds open for writing fails with the sharing violation's code; an Access
// target that another program holds open for writing is in use, waited for and left as
// it was; our own update holds the file against other writers and lets go after.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <fstream>
#include <string>

#include "data/EngineError.h"
#include "data/providers/jet/file/JetFileTransaction.h"
#include "link/LinkFile.h"
#include "platform/Exceptions.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

namespace tiermend {
namespace {

using namespace std::chrono_literals;

// Another program's handle on a file: open for reading and writing, sharing both, as
// Access opens a shared database and an editor a text file.
class WriterHandle {
 public:
  explicit WriterHandle(const std::string& path)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~WriterHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  WriterHandle(const WriterHandle&) = delete;
  WriterHandle& operator=(const WriterHandle&) = delete;
  bool opened() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

template <class Call>
std::string failureOf(Call call) {
  try {
    call();
  } catch (const std::exception& failure) {
    return failure.what();
  }
  return "(no failure)";
}

class WindowsFilesTest : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::string& bytes) {
    const std::string path = folder_.file(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  testing::TempFolder folder_;
};

TEST_F(WindowsFilesTest, LinkFileReadsItsFields) {
  const std::string link = write("Link.txt", "2,x,x,x,x,x,C:\\payroll\\,\r\n");
  const link::LinkFields fields = link::readLinkFile(CodePage(1252), link);
  EXPECT_EQ(fields.kind, "2");
  EXPECT_EQ(fields.folder, "C:\\payroll\\");
}

TEST_F(WindowsFilesTest, LinkFileHeldOpenForWritingIsIoError32) {
  const std::string link = write("Link.txt", "2,x,x,x,x,x,C:\\payroll\\,\r\n");
  WriterHandle editor(link);
  ASSERT_TRUE(editor.opened());
  EXPECT_EQ(failureOf([&] { link::readLinkFile(CodePage(1252), link); }), "I/O error 32");
}

TEST_F(WindowsFilesTest, LinkFileFailuresCarryTheSystemsCodes) {
  EXPECT_EQ(failureOf([&] { link::readLinkFile(CodePage(1252), folder_.file("Link.txt")); }),
            "File not found");
  EXPECT_EQ(failureOf([&] { link::readLinkFile(CodePage(1252), folder_.file("no\\Link.txt")); }),
            "Invalid filename");
  CreateDirectoryA(folder_.file("folder").c_str(), nullptr);
  EXPECT_EQ(failureOf([&] { link::readLinkFile(CodePage(1252), folder_.file("folder")); }),
            "File access denied");
}

class JetTargetOnWindowsTest : public WindowsFilesTest {
 protected:
  void SetUp() override {
    target_ = folder_.file("basedb.mdb");
    testing::writeBytes(target_, testing::fileBytes(TIERMEND_FIXTURES "/tiermenddb.mdb"));
    before_ = testing::fileBytes(target_);
  }
  std::string target_;
  testing::FileBytes before_;
};

TEST_F(JetTargetOnWindowsTest, HeldOpenForWritingByAnotherProgramIsInUseAndKept) {
  WriterHandle access(target_);
  ASSERT_TRUE(access.opened());
  const auto started = std::chrono::steady_clock::now();
  const std::string message =
      failureOf([&] { data::jet::JetFileTransaction::begin(target_, 300ms); });
  EXPECT_GE(std::chrono::steady_clock::now() - started, 300ms);
  EXPECT_EQ(message, "The file '" + target_ +
                         "' is in use by another program: another program has it open for "
                         "writing; waited 0.3 seconds.");
  EXPECT_EQ(testing::fileBytes(target_), before_);
}

TEST_F(JetTargetOnWindowsTest, AnUpdateKeepsOtherWritersOffAndLetsGoWhenItEnds) {
  auto update = data::jet::JetFileTransaction::begin(target_, 0ms);
  EXPECT_FALSE(WriterHandle(target_).opened());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  // Readers are welcome meanwhile.
  EXPECT_EQ(testing::fileBytes(target_), before_);
  // A second update of ours waits for the first.
  EXPECT_NE(failureOf([&] {
              data::jet::JetFileTransaction::begin(target_, 100ms);
            }).find("is in use by another program"),
            std::string::npos);

  testing::FileBytes changed = before_;
  changed[changed.size() - 1] ^= 0xFF;
  testing::writeBytes(update->copyPath(), changed);
  update->commit([](const std::string&) {});
  EXPECT_EQ(testing::fileBytes(target_), changed);
  EXPECT_TRUE(WriterHandle(target_).opened());
  EXPECT_EQ(GetFileAttributesA(update->copyPath().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(JetTargetOnWindowsTest, ARolledBackUpdateLeavesTheFileAndNoCopy) {
  std::string copy;
  {
    auto update = data::jet::JetFileTransaction::begin(target_, 0ms);
    copy = update->copyPath();
    testing::writeBytes(copy, {1, 2, 3});
  }
  EXPECT_EQ(testing::fileBytes(target_), before_);
  EXPECT_EQ(GetFileAttributesA(copy.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(WriterHandle(target_).opened());
}

TEST_F(JetTargetOnWindowsTest, AReadOnlyFileIsRefusedBeforeAnythingChanges) {
  SetFileAttributesA(target_.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(failureOf([&] { data::jet::JetFileTransaction::begin(target_, 0ms); }),
            "Cannot update '" + target_ + "': the file is read-only.");
  SetFileAttributesA(target_.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(testing::fileBytes(target_), before_);
}

}  // namespace
}  // namespace tiermend
