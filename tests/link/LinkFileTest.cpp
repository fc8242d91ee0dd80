// Reading Link.txt: its fields, its encodings, and what is refused where the file is
// missing or is not a regular file.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <future>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <tuple>

#include "link/LinkFile.h"
#include "platform/Exceptions.h"
#include "tests/support/FailureText.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestName.h"

namespace tiermend::link {
namespace {

class LinkFileTest : public ::testing::Test {
 protected:
  void write(const std::string& bytes) {
    std::ofstream out(path_, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  LinkFields read(unsigned codePage = 65001) { return readLinkFile(CodePage(codePage), path_); }
  // The message of the failure reading the file gives, or nothing when it succeeds.
  std::optional<std::string> failure(unsigned codePage = 65001) {
    return testing::failureTextOf<Exception>([&] { read(codePage); });
  }

  testing::TempFolder folder_;
  std::string dir_ = folder_.path().string();
  std::string path_ = folder_.file("Link.txt");
};

TEST_F(LinkFileTest, SqlServerLineGivesAllFields) {
  write("1,srv,payroll,sa,secret,R,D:/data/,\r\nsecond line,ignored\r\n");
  const LinkFields f = read();
  EXPECT_EQ(f.kind, "1");
  EXPECT_EQ(f.server, "srv");
  EXPECT_EQ(f.catalog, "payroll");
  EXPECT_EQ(f.userName, "sa");
  EXPECT_EQ(f.password, "secret");
  EXPECT_EQ(f.folder, "D:/data/");
}

struct FieldsCase {
  std::string line;
  std::string kind;
  std::string password;
  std::string folder;
  std::string failure;  // empty: no failure
};

void PrintTo(const FieldsCase& c, std::ostream* os) {
  *os << "[" << c.line << "]";
}

class LinkFieldsTable : public LinkFileTest, public ::testing::WithParamInterface<FieldsCase> {};

TEST_P(LinkFieldsTable, TakesFieldsOrFails) {
  const FieldsCase& c = GetParam();
  write(c.line);
  if (!c.failure.empty()) {
    EXPECT_EQ(failure().value_or("(no failure)"), c.failure);
    return;
  }
  const LinkFields f = read();
  EXPECT_EQ(std::tie(f.kind, f.password, f.folder), std::tie(c.kind, c.password, c.folder));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LinkFieldsTable,
    ::testing::Values(
        FieldsCase{"1,S,B,U,P,R,/d/,", "1", "P", "/d/", ""},
        FieldsCase{"2,S,B,U,P,R,/d/,", "2", "P", "/d/", ""},
        FieldsCase{"1,S,B,U,P,R,/d/", "1", "P", "/d", ""},
        FieldsCase{"1,S,B,U,P,R,/d/,,", "1", "P", "/d/,", ""},
        FieldsCase{"1,S,B,U,P,R,/d/,x,x,", "1", "P", "/d/", ""},
        FieldsCase{"1,S,B,U, ,R,/d/,", "1", " ", "/d/", ""},
        FieldsCase{" 1,S,B,U,P,R,/d/,", " 1", "P", "/d/", ""},
        FieldsCase{"\"1\",S,B,U,P,R,/d/,", "\"1\"", "P", "/d/", ""},
        FieldsCase{"\xEF\xBB\xBF"
                   "1,S,B,U,P,R,/d/,",
                   "\xEF\xBB\xBF"
                   "1",
                   "P", "/d/", ""},
        FieldsCase{"2,,,,,,/d/,", "", "", "", "List index out of bounds (4)"},
        FieldsCase{"1,S,B,U,,R,/d/,", "", "", "", "List index out of bounds (6)"},
        FieldsCase{"1,S,B,U,P,,/d/,", "", "", "", "List index out of bounds (6)"},
        FieldsCase{"1,S,B,U,p\"w,R,/d/,", "", "", "", "List index out of bounds (6)"},
        FieldsCase{"", "", "", "", "List index out of bounds (0)"},
        FieldsCase{"\r\n2,S,B,U,P,R,/d/,", "", "", "", "List index out of bounds (0)"},
        FieldsCase{"no commas at all", "", "", "", "List index out of bounds (1)"},
        FieldsCase{"a,b,", "", "", "", "List index out of bounds (2)"},
        FieldsCase{"a,b,c,", "", "", "", "List index out of bounds (3)"},
        FieldsCase{"a,b,c,d,e,", "", "", "", "List index out of bounds (6)"},
        FieldsCase{"1,S,B,U,P,R,/d/\x1A,x,y,", "1", "P", "/d", ""},
        FieldsCase{"1,S,B,U,P\r,R,/d/,", "1", "P", "/d/", ""},
        FieldsCase{"1,S,B,\x1AU,P,R,/d/,", "", "", "", "List index out of bounds (3)"},
        FieldsCase{std::string("1,S,B,U,P,R,/d/\0,", 17), "1", "P", "/d", ""}),
    // Lines that differ only in punctuation give the same name part, hence the index.
    [](const ::testing::TestParamInfo<FieldsCase>& info) {
      return testing::testNameFrom(info.param.line, info.index);
    });

TEST_F(LinkFileTest, Big5FolderWithCommaTrailByteStaysWhole) {
  // "\xA4\x2C" is one double-byte character whose trail byte is a comma.
  write("2,S,B,U,P,R,/\xA4,/,");
  EXPECT_EQ(read(950).folder, "/\xA4,/");
  EXPECT_EQ(read(65001).folder, "/\xA4");
}

TEST_F(LinkFileTest, VeryLongLineIsReadWhole) {
  const std::string folder = "/" + std::string(100000, 'f') + "/";
  write("2,S,B,U,P,R," + folder + ",\n");
  EXPECT_EQ(read().folder, folder);
}

TEST_F(LinkFileTest, MissingFileIsFileNotFound) {
  EXPECT_EQ(failure(), "File not found");
  try {
    read();
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.errorCode(), 2);
  }
}

TEST_F(LinkFileTest, DirectoryNamedLinkTxtIsAccessDenied) {
  ASSERT_EQ(mkdir(path_.c_str(), 0755), 0);
  EXPECT_EQ(failure(), "File access denied");
}

// Something that is not a regular file, put where Link.txt is looked for.
struct NotAFileCase {
  const char* what;
  std::function<void(const std::string& path)> make;
};

void PrintTo(const NotAFileCase& c, std::ostream* os) {
  *os << c.what;
}

void makeSocket(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(fd);  // the socket file stays
}

class LinkFileNotAFile : public LinkFileTest, public ::testing::WithParamInterface<NotAFileCase> {};

TEST_P(LinkFileNotAFile, IsRefusedAtOnceAsAccessDenied) {
  GetParam().make(path_);
  // Reading on a thread of its own: a read that blocks fails the test instead of hanging it.
  auto reading = std::make_shared<std::promise<std::optional<std::string>>>();
  std::future<std::optional<std::string>> outcome = reading->get_future();
  std::thread([this, reading] { reading->set_value(failure()); }).detach();
  if (outcome.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    ADD_FAILURE() << "reading " << GetParam().what << " did not end";
    std::_Exit(1);  // the blocked thread cannot be ended any other way
  }
  EXPECT_EQ(outcome.get(), "File access denied");
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, LinkFileNotAFile,
    ::testing::Values(NotAFileCase{"a pipe without a writer",
                                   [](const std::string& path) {
                                     ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
                                   }},
                      NotAFileCase{"a link to /dev/zero",
                                   [](const std::string& path) {
                                     ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0);
                                   }},
                      NotAFileCase{"a link to /dev/null",
                                   [](const std::string& path) {
                                     ASSERT_EQ(symlink("/dev/null", path.c_str()), 0);
                                   }},
                      NotAFileCase{"a socket", makeSocket}),
    [](const auto& info) { return ::tiermend::testing::testNameFrom(info.param.what); });

TEST_F(LinkFileTest, PathThroughAFileIsInvalidFilename) {
  write("x");
  EXPECT_EQ(::tiermend::testing::failureTextOf<EInOutError>(
                [&] { readLinkFile(CodePage(), path_ + "/Link.txt"); }),
            "Invalid filename");
}

TEST_F(LinkFileTest, DefaultPathIsTheWorkingFolder) {
  write("2,S,B,U,P,R,/w/,");
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(dir_.c_str()), 0);
  const LinkFields f = readLinkFile(CodePage());
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_EQ(f.folder, "/w/");
}

}  // namespace
}  // namespace tiermend::link
