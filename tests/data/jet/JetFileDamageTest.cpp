// Damage in the one wording for a file, a table and a page; the page file and the
// header reader refusing files they cannot use without leaving a descriptor open; a data
// page whose row count runs past its end refused instead of read past it.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "JetTestSupport.h"
#include "data/providers/jet/format/JetDamage.h"
#include "data/providers/jet/indexes/JetIndexPage.h"
#include "data/providers/jet/pages/JetDataPage.h"
#include "data/providers/jet/pages/JetHeader.h"
#include "data/providers/jet/pages/JetPageFile.h"

namespace tiermend::data::jet {
namespace {

struct Wording {
  const char* name;
  std::string message;
  const char* expected;
};

class JetDamageWording : public ::testing::TestWithParam<Wording> {};

TEST_P(JetDamageWording, NamesWhatIsDamagedAndHow) {
  EXPECT_EQ(GetParam().message, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Subjects, JetDamageWording,
    ::testing::Values(
        Wording{"ANamedFile", damagedFile("/x/a.mdb", "page 9 lies beyond its end").what(),
                "The database file '/x/a.mdb' is damaged: page 9 lies beyond its end."},
        Wording{"AFileInMemory", damagedFile("", "page 9 lies beyond its end").what(),
                "The database file is damaged: page 9 lies beyond its end."},
        Wording{"ATable", damagedTable("retire", "/x/a.mdb", "its page map is cut short").what(),
                "The table 'retire' in '/x/a.mdb' is damaged: its page map is cut short."},
        Wording{"APageOfANamedFile", damagedPageMessage("index", 8, "/x/a.mdb", "it is empty"),
                "The index page 8 of '/x/a.mdb' is damaged: it is empty."},
        Wording{"AnIndexPageReadAlone",
                [] {
                  try {
                    readIndexPage(std::vector<std::uint8_t>(kJet4Format.pageSize, 0x01), 8);
                  } catch (const JetIndexPageDamage& damage) {
                    return std::string(damage.what()) + " (" + std::to_string(damage.page()) +
                           ": " + damage.reason() + ")";
                  }
                  return std::string("(read)");
                }(),
                "The index page 8 of the file is damaged: its type 1 is not that of an index "
                "page. (8: its type 1 is not that of an index page)"}),
    [](const ::testing::TestParamInfo<Wording>& info) { return std::string(info.param.name); });

// The files this process has open: its descriptors, or on Windows its handles (Wine's
// own descriptors come and go as it likes).
std::size_t openDescriptors() {
#ifdef _WIN32
  DWORD count = 0;
  GetProcessHandleCount(GetCurrentProcess(), &count);
  return count;
#else
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
#endif
}

std::string fileOf(const testing::ScratchFolder& folder, const char* name, std::size_t bytes) {
  const std::string path = folder.path(name);
  testing::writeBytes(path, std::vector<unsigned char>(bytes, 0));
  return path;
}

struct Refusal {
  const char* name;
  // Makes the file in the folder, opens it and gives the failure; expected names it.
  std::function<std::string(const testing::ScratchFolder&, std::string& path)> open;
  const char* expectedBefore;  // the message is expectedBefore + path + expectedAfter
  const char* expectedAfter;
};

class JetFileRefused : public ::testing::TestWithParam<Refusal> {};

TEST_P(JetFileRefused, InTheEnginesWordsWithItsDescriptorClosed) {
  testing::ScratchFolder folder;
  const std::size_t before = openDescriptors();
  std::string path;
  const std::string message = GetParam().open(folder, path);
  EXPECT_EQ(message, GetParam().expectedBefore + path + GetParam().expectedAfter);
  EXPECT_EQ(openDescriptors(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Files, JetFileRefused,
    ::testing::Values(Refusal{"PagesOfAFileNotAWholeNumberOfPages",
                              [](const testing::ScratchFolder& folder, std::string& path) {
                                path = fileOf(folder, "short.mdb", 4096 + 1);
                                return testing::failureOf([&] {
                                  JetPageFile file(path, 4096, JetPageFile::Access::ReadOnly);
                                });
                              },
                              "The database file '",
                              "' is damaged: its size is not a whole number of "
                              "4096-byte pages."},
                      Refusal{"APageBeyondTheEndNamedAsTheUserGaveTheFile",
                              [](const testing::ScratchFolder& folder, std::string& path) {
                                const std::string copy = fileOf(folder, "copy.mdb", 2 * 4096);
                                path = folder.path("basedb.mdb");
                                JetPageFile file(copy, 4096, JetPageFile::Access::ReadWrite, 0,
                                                 path);
                                return testing::failureOf([&] { file.read(5); });
                              },
                              "The database file '", "' is damaged: page 5 lies beyond its end."},
                      Refusal{"TheHeaderOfAFileOfZeros",
                              [](const testing::ScratchFolder& folder, std::string& path) {
                                path = fileOf(folder, "zeros.mdb", 3 * 4096);
                                return testing::failureOf([&] { readHeader(path); });
                              },
                              "Unrecognized database format '", "'."},
                      Refusal{"TheHeaderOfAFolder",
                              [](const testing::ScratchFolder& folder, std::string& path) {
                                path = folder.path("folder.mdb");
                                std::filesystem::create_directory(path);
                                return testing::failureOf([&] { readHeader(path); });
                              },
                              "The Microsoft Jet database engine cannot open the file '", "'."}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

TEST(JetDataPageTest, ARowCountRunningPastThePageIsRefusedNotFollowed) {
  for (bool jet3 : {true, false}) {
    const JetFormat& format = jetFormat(jet3);
    Page page(format.pageSize, 0);
    JetDataPage::initialise(page, jet3, 9);
    storeU16(page.data() + format.dataRowCountOffset, 0xFFFF);
    JetDataPage data(page, jet3);
    EXPECT_EQ(data.rowCount(), 0xFFFF);
    // Marking stops at the page's end; the entries inside it are all marked by then.
    EXPECT_THROW(data.markAllDeleted(), std::out_of_range);
    EXPECT_THROW(data.allRowsDeleted(), std::out_of_range);
  }
}

}  // namespace
}  // namespace tiermend::data::jet
