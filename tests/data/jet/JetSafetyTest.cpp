// What the provider refuses: changes to the file, unknown names, wrong passwords and
// files that are not whole Jet databases. Nothing here may crash or touch the file.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "JetTestSupport.h"
#include "data/EngineError.h"
#include "data/providers/jet/JetProvider.h"
#include "data/providers/jet/pages/JetHeader.h"
#include "tests/support/TextCases.h"
#include "tests/support/ThreeWayRead.h"

namespace tiermend::data::jet {
namespace {

using testing::failureOf;
using testing::fixture;
using testing::readAll;
using testing::ScratchFolder;

const char* const kRefused =
    "This statement cannot be run on an Access database: only 'delete from <table>' and "
    "inserts can change it.";

TEST(JetChangeRefusalTest, ChangesOtherThanDeleteAndInsertAreRefusedAndTheFileStaysAsItWas) {
  ScratchFolder folder;
  const std::string path = folder.copyOf("tiermenddb.mdb", "basedb.mdb");
  const auto before = testing::fileBytes(path);
  {
    auto session = openSession(path, "korvenal");
    auto open = session->query("select * from labor");  // an open cursor changes nothing
    session->beginTransaction();
    for (const char* sql :
         {"delete from health_insu where grade = 1", "insert into retire (grp) values (1)",
          "update retire set grp = 2", "drop table readme", "create table t (x int)",
          "select * into copy from labor", "alter table labor add x int"}) {
      SCOPED_TRACE(sql);
      EXPECT_EQ(failureOf([&] { session->execute(sql); }), kRefused);
      EXPECT_EQ(failureOf([&] { session->query(sql); }), kRefused);
    }
    session->execute("DELETE FROM labor\r\n");
    session->rollback();
    std::vector<Value> row;
    EXPECT_TRUE(open->fetch(row));  // the cursor still reads after all of that
  }
  EXPECT_TRUE(testing::fileBytes(path) == before);
}

TEST(JetStatementTest, SelectRunAsAStatementAffectsNoRows) {
  auto session = openSession(fixture("types.mdb"), "");
  EXPECT_EQ(session->execute("select * from short3"), 0);
  EXPECT_NE(failureOf([&] { session->execute("select * from nowhere"); }), "(no failure)");
}

// The failure a query on the update package raises, for the tables of statements below.
std::function<std::string(const std::string&)> queryFailureOnThePackage() {
  std::shared_ptr<Session> session = openSession(fixture("tiermenddb.mdb"), "");
  return [session](const std::string& sql) { return failureOf([&] { session->query(sql); }); };
}

TEST(JetNamesTest, UnknownTableAndColumnAreReportedByName) {
  testing::expectEachText(
      queryFailureOnThePackage(),
      {{"select * from health_insurance",
        "The Microsoft Jet database engine cannot find the input table or query "
        "'health_insurance'.  Make sure it exists and that its name is spelled correctly."},
       {"select grade, salary from labor",
        "The column 'salary' does not exist in the table 'labor'."}});
}

TEST(JetNamesTest, StatementsThisProviderCannotRunSayWhy) {
  testing::expectEachText(
      queryFailureOnThePackage(),
      {{"",
        "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or "
        "'UPDATE'."},
       {"select * from labor where grade = 1",
        "Only statements of the form 'select <columns> from <table>' can be run on this "
        "database."}});
}

TEST(JetNamesTest, CursorsOnOneSessionReadInTurnWithoutDisturbingEachOther) {
  auto session = openSession(fixture("types.mdb"), "");
  auto first = session->query("select id from all_types");
  auto second = session->query("select n from short3");
  std::vector<Value> row;
  std::vector<std::int64_t> ids;
  ASSERT_TRUE(first->fetch(row));
  ids.push_back(std::get<std::int64_t>(row[0]));
  ASSERT_TRUE(second->fetch(row));
  EXPECT_EQ(row[0], Value(std::int64_t{1}));
  auto third = session->query("select * from empty8");
  while (first->fetch(row)) {
    ids.push_back(std::get<std::int64_t>(row[0]));
    EXPECT_FALSE(third->fetch(row));
  }
  EXPECT_EQ(ids, (std::vector<std::int64_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  session.reset();  // a cursor may outlive its session
  ASSERT_TRUE(second->fetch(row));
  EXPECT_EQ(row[0], Value(std::int64_t{2}));
  EXPECT_FALSE(second->fetch(row));
}

// Writes password into the header of a copy of a fixture the way Jet keeps it: 8-bit
// in Jet 3, UTF-16LE masked with the creation date in Jet 4, under the header scramble.
// This exercises the provider's reading against this test's own encoder: no file made
// by Access with a password is at hand.
std::string withPassword(const ScratchFolder& folder, const std::string& fixtureName,
                         const std::u16string& password) {
  const std::string path = folder.copyOf(fixtureName, "protected.mdb");
  auto bytes = testing::fileBytes(path);
  std::vector<std::uint8_t> page0(bytes.begin(), bytes.begin() + 4096);
  const bool jet3 = page0[kVersionOffset] == 0;
  toggleHeaderScramble(page0, jet3);
  std::vector<std::uint8_t> stored(jetFormat(jet3).passwordLength, 0);
  for (std::size_t i = 0; i < password.size(); ++i) {
    if (jet3) {
      stored[i] = static_cast<std::uint8_t>(password[i]);
    } else {
      stored[2 * i] = static_cast<std::uint8_t>(password[i]);
      stored[2 * i + 1] = static_cast<std::uint8_t>(password[i] >> 8);
    }
  }
  if (!jet3) {
    const auto mask = passwordMask(page0);
    for (std::size_t i = 0; i < stored.size(); ++i) stored[i] ^= mask[i % 4];
  }
  std::memcpy(page0.data() + kPasswordOffset, stored.data(), stored.size());
  toggleHeaderScramble(page0, jet3);
  std::copy(page0.begin(), page0.end(), bytes.begin());
  testing::writeBytes(path, bytes);
  return path;
}

TEST(JetPasswordTest, NoFixtureCarriesAPasswordSoAnyPasswordOpensThem) {
  for (const char* name :
       {"tiermenddb.mdb", "types.mdb", "DateTestDatabase.mdb", "jet3/nwind.mdb"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(readHeader(fixture(name)).storedPassword.empty());
    for (const char* password : {"", "korvenal", "anything at all"}) {
      EXPECT_NO_THROW(openSession(fixture(name), password));
    }
  }
}

TEST(JetPasswordTest, AProtectedFileOpensOnlyWithItsPassword) {
  for (const char* name : {"types.mdb", "jet3/nwind.mdb"}) {
    SCOPED_TRACE(name);
    ScratchFolder folder;
    const std::string path = withPassword(folder, name, u"Geheim99");
    EXPECT_EQ(failureOf([&] { openSession(path, "korvenal"); }), "Not a valid password.");
    EXPECT_EQ(failureOf([&] { openSession(path, ""); }), "Not a valid password.");
    EXPECT_EQ(failureOf([&] { openSession(path, "geheim99"); }), "Not a valid password.");
    auto session = openSession(path, "Geheim99");
    EXPECT_FALSE(
        readAll(*session, name[0] == 't' ? "select * from short3" : "select * from Shippers")
            .rows.empty());
  }
}

TEST(JetPasswordTest, AJetFourPasswordMayHoldCharactersBeyondLatin) {
  ScratchFolder folder;
  const std::string path = withPassword(folder, "types.mdb", u"薪資pw");
  EXPECT_EQ(failureOf([&] { openSession(path, "pw"); }), "Not a valid password.");
  EXPECT_NO_THROW(openSession(path, "薪資pw"));
}

// Gives a copy of a fixture a database key and encrypts every page after page 0 with it,
// the way Jet does: RC4 keyed with the database key XOR the page number.
std::string withDatabaseKey(const ScratchFolder& folder, const std::string& fixtureName,
                            std::uint32_t key) {
  const std::string path = folder.copyOf(fixtureName, "encrypted.mdb");
  auto bytes = testing::fileBytes(path);
  const bool jet3 = bytes[kVersionOffset] == 0;
  const std::size_t pageSize = jetFormat(jet3).pageSize;
  std::vector<std::uint8_t> page0(bytes.begin(), bytes.begin() + static_cast<long>(pageSize));
  toggleHeaderScramble(page0, jet3);
  for (int i = 0; i < 4; ++i)
    page0[kDatabaseKeyOffset + i] = static_cast<std::uint8_t>(key >> (8 * i));
  toggleHeaderScramble(page0, jet3);
  std::copy(page0.begin(), page0.end(), bytes.begin());
  for (std::size_t page = 1; page * pageSize < bytes.size(); ++page) {
    decryptPage(bytes.data() + page * pageSize, pageSize, key, static_cast<std::uint32_t>(page));
  }
  testing::writeBytes(path, bytes);
  return path;
}

TEST(JetEncryptedFileTest, PagesEncryptedWithTheDatabaseKeyReadAsMdbExportReadsThem) {
  for (const char* name : {"tiermenddb.mdb", "jet3/nwind.mdb"}) {
    SCOPED_TRACE(name);
    ScratchFolder folder;
    const std::string path = withDatabaseKey(folder, name, 0x5A17C0DE);
    const std::string table = std::string(name) == "tiermenddb.mdb" ? "labor" : "Shippers";
    const auto ours = tiermend::testing::readWithOurCursor(path, table);
    const auto plain = tiermend::testing::readWithOurCursor(fixture(name), table);
    EXPECT_EQ(ours.rows, plain.rows);
    EXPECT_EQ(tiermend::testing::readingDifference(
                  ours, tiermend::testing::readWithMdbExport(path, table),
                  tiermend::testing::Reader::MdbExport),
              "");
  }
}

TEST(JetEncryptedFileTest, AnEncryptedTargetIsRefusedAndLeftAsItWas) {
  ScratchFolder folder;
  const std::string path = withDatabaseKey(folder, "tiermenddb.mdb", 0x5A17C0DE);
  const auto before = testing::fileBytes(path);
  auto session = openSession(path, "");
  EXPECT_EQ(failureOf([&] { session->execute("delete from labor"); }),
            "Cannot update the database '" + path +
                "': it is encrypted, and this program cannot write encrypted pages.");
  EXPECT_EQ(testing::fileBytes(path), before);
}

TEST(JetDamagedFileTest, FilesThatAreNotWholeJetDatabasesAreRefusedByName) {
  ScratchFolder folder;
  const auto original = testing::fileBytes(fixture("types.mdb"));
  const auto writeFile = [&](const std::string& name, std::vector<unsigned char> bytes) {
    testing::writeBytes(folder.path(name), bytes);
    return folder.path(name);
  };
  const std::string missing = folder.path("missing.mdb");
  EXPECT_EQ(failureOf([&] { openSession(missing, ""); }), "Could not find file '" + missing + "'.");
  for (std::size_t size : {std::size_t{0}, std::size_t{100}, std::size_t{4096}, std::size_t{5000},
                           original.size() - 1}) {
    SCOPED_TRACE(size);
    const std::string path =
        writeFile("cut.mdb", std::vector<unsigned char>(original.begin(), original.begin() + size));
    EXPECT_EQ(failureOf([&] { openSession(path, ""); }),
              "Unrecognized database format '" + path + "'.");
  }
  std::vector<unsigned char> text(8192, 'x');
  const std::string notJet = writeFile("text.mdb", text);
  EXPECT_EQ(failureOf([&] { openSession(notJet, ""); }),
            "Unrecognized database format '" + notJet + "'.");
}

// A file cut at a page boundary passes the size check; reading it must then either
// give every row or fail with a message, never end a table early without a word.
TEST(JetDamagedFileTest, AFileCutAtAnyPageNeverLosesRowsSilently) {
  ScratchFolder folder;
  const auto original = testing::fileBytes(fixture("types.mdb"));
  const std::pair<const char*, std::size_t> tables[] = {
      {"all_types", 9}, {"short3", 2}, {"empty8", 0}};
  int refused = 0;
  for (std::size_t pages = 3; pages * 4096 < original.size(); ++pages) {
    SCOPED_TRACE(pages);
    const std::string path = folder.path("cut" + std::to_string(pages) + ".mdb");
    testing::writeBytes(
        path, std::vector<unsigned char>(original.begin(), original.begin() + pages * 4096));
    try {
      auto session = openSession(path, "");
      for (const auto& [table, rows] : tables) {
        try {
          EXPECT_EQ(readAll(*session, std::string("select * from ") + table).rows.size(), rows);
        } catch (const EngineError&) {
          ++refused;
        }
      }
    } catch (const EngineError&) {
      ++refused;
    }
  }
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace tiermend::data::jet
