// Refreshing a table that another table's rows refer to through a relationship: the
// relationship is a row of MSysRelationships (written here through the session, whose
// writer also rebuilds that table's indexes), and labor is refreshed while retire
// refers to it by grade.
#include <gtest/gtest.h>

#include <functional>

#include "JetTestSupport.h"
#include "data/providers/jet/JetProvider.h"

namespace tiermend::data::jet {
namespace {

using testing::failureOf;
using testing::readAll;

constexpr const char* kNoFailure = "(no failure)";

void relate(Session& session, std::int64_t flags) {
  session.insert(
      "MSysRelationships",
      {"ccolumn", "grbit", "icolumn", "szColumn", "szObject", "szReferencedColumn",
       "szReferencedObject", "szRelationship"},
      {std::int64_t{1}, flags, std::int64_t{0}, std::string("grade"), std::string("retire"),
       std::string("grade"), std::string("labor"), std::string("laborretire")});
}

std::string refreshLabor(Session& session) {
  session.beginTransaction();
  const std::string failure = failureOf([&] {
    session.execute("delete from labor");
    session.insert("labor", {"grade"}, {std::int64_t{7}});
    session.commit();
  });
  if (failure != kNoFailure) session.rollback();
  return failure;
}

class JetRelationshipTest : public testing::JetScratchTest {
 protected:
  std::string target = targetCopyOf("tiermenddb.mdb");
};

TEST_F(JetRelationshipTest, ATableOthersReferToIsRefreshedOnlyWhenNoRelatedRowWouldBeLeft) {
  struct Case {
    const char* what;
    std::int64_t flags;
    // What retire holds when labor is refreshed.
    std::vector<std::vector<Value>> retireGrades;  // empty: the package's rows
    bool retireEmptied;
    const char* failure;
  };
  const Case cases[] = {
      {"related rows",
       0,
       {},
       false,
       "The record cannot be deleted or changed because table 'retire' includes related "
       "records."},
      {"cascade deletes",
       0x1000,
       {},
       false,
       "Cannot update table 'labor': its relationship 'laborretire' with table 'retire' "
       "deletes related records with it (cascade delete), and this program never deletes rows "
       "of tables it was not asked to refresh."},
      {"not enforced", 0x2, {}, false, kNoFailure},
      {"no rows refer to it", 0, {}, true, kNoFailure},
      {"rows without a grade", 0, {{Null{}}, {Null{}}}, true, kNoFailure},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(target);
    target = scratch.copyOf("tiermenddb.mdb", "basedb.mdb");
    auto session = openSession(target, "");
    if (c.retireEmptied) {
      session->execute("delete from retire");
      for (const auto& row : c.retireGrades) session->insert("retire", {"grade"}, row);
    }
    relate(*session, c.flags);
    const auto before = readAll(*session, "select * from labor").rows;
    EXPECT_EQ(refreshLabor(*session), c.failure);
    const auto after = readAll(*session, "select * from labor").rows;
    if (std::string(c.failure) == kNoFailure) {
      EXPECT_EQ(after.size(), 1u);
    } else {
      EXPECT_EQ(after, before);
    }
  }
}

// The checks read the file as the transaction has changed it so far: a relationship
// added, or the referring rows deleted, earlier in the same transaction count.
TEST_F(JetRelationshipTest, TheChecksSeeWhatTheSameTransactionChangedBefore) {
  struct Case {
    const char* what;
    bool relatedBefore;  // the relationship committed before the transaction
    std::function<void(Session&)> earlier;
    const char* failure;
  };
  const Case cases[] = {
      {"a relationship added, its related rows left", false,
       [](Session& session) { relate(session, 0); },
       "The record cannot be deleted or changed because table 'retire' includes related "
       "records."},
      {"the related rows deleted", true,
       [](Session& session) { session.execute("delete from retire"); }, kNoFailure},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(target);
    target = scratch.copyOf("tiermenddb.mdb", "basedb.mdb");
    auto session = openSession(target, "");
    if (c.relatedBefore) relate(*session, 0);
    session->beginTransaction();
    const std::string failure = failureOf([&] {
      c.earlier(*session);
      session->execute("delete from labor");
      session->insert("labor", {"grade"}, {std::int64_t{7}});
      session->commit();
    });
    if (failure != kNoFailure) session->rollback();
    EXPECT_EQ(failure, c.failure);
    EXPECT_EQ(readAll(*session, "select * from labor").rows.size(),
              failure == kNoFailure ? 1u : 38u);
  }
}

// Rows added to it would have to be checked against the table they refer to.
TEST_F(JetRelationshipTest, RowsForATableThatRefersToAnotherAreRefused) {
  auto session = openSession(target, "");
  relate(*session, 0);
  const auto before = readAll(*session, "select * from retire").rows;
  session->beginTransaction();
  EXPECT_EQ(failureOf([&] {
              session->execute("delete from retire");
              session->insert("retire", {"grade"}, {std::int64_t{1}});
            }),
            "Cannot update table 'retire': its relationship 'laborretire' requires its rows to "
            "match rows of table 'labor', which this program cannot check as it adds rows.");
  session->rollback();
  EXPECT_EQ(readAll(*session, "select * from retire").rows, before);
}

}  // namespace
}  // namespace tiermend::data::jet
