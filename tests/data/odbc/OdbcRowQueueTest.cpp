// The bounded queue of posted rows.
#include <gtest/gtest.h>

#include "data/providers/odbc/OdbcRowQueue.h"

namespace tiermend::data::odbc {
namespace {

const std::vector<ParameterTarget> kTargets = {{SQL_INTEGER, 10, 0}, {SQL_VARCHAR, 20, 0}};

ParameterSet row(Value grade, Value note) {
  return ParameterSet({std::move(grade), std::move(note)}, kTargets);
}

TEST(OdbcRowQueueTest, HoldsAtMostItsCapacityAndHandsRowsOverInOrder) {
  RowQueue queue(3);
  for (std::int64_t grade = 1; grade <= 3; ++grade) {
    ASSERT_TRUE(queue.fits(row(grade, std::string("x"))));
    queue.push(row(grade, std::string("x")));
  }
  EXPECT_TRUE(queue.full());
  EXPECT_FALSE(queue.fits(row(std::int64_t{4}, std::string("x"))));
  EXPECT_THROW(queue.push(row(std::int64_t{4}, std::string("x"))), std::logic_error);
  std::vector<ParameterSet> rows = queue.take();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2].slots()[0].integer, 3);
  EXPECT_TRUE(queue.empty());
  EXPECT_TRUE(queue.fits(row(std::int64_t{4}, std::string("x"))));
}

TEST(OdbcRowQueueTest, CapacityZeroCountsAsOneRow) {
  RowQueue queue(0);
  EXPECT_EQ(queue.capacity(), 1u);
}

TEST(OdbcRowQueueTest, ARowJoinsOnlyWhenEachColumnKeepsItsTypes) {
  struct Case {
    const char* what;
    Value grade, note;
    bool fits;
  };
  // The queue holds a row with a whole number and a text, and one of nulls.
  const std::vector<Case> cases = {
      {"same types", std::int64_t{2}, std::string("y"), true},
      {"nulls", Null{}, Null{}, true},
      {"longer text", std::int64_t{2}, std::string(50, 'z'), true},
      {"real for whole number", 2.5, std::string("y"), false},
      {"decimal for whole number", Decimal{"2"}, std::string("y"), false},
      {"whole number for text", std::int64_t{2}, std::int64_t{3}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RowQueue queue(10);
    queue.push(row(Null{}, Null{}));
    queue.push(row(std::int64_t{1}, std::string("x")));
    EXPECT_EQ(queue.fits(row(c.grade, c.note)), c.fits);
  }
}

TEST(OdbcRowQueueTest, NullsFirstLeaveTheColumnOpenToAnyType) {
  RowQueue queue(10);
  queue.push(row(Null{}, Null{}));
  EXPECT_TRUE(queue.fits(row(2.5, std::int64_t{1})));
}

// Each insert's rows travel in batches of its own size: the queue takes a new capacity
// between batches, never while it holds rows.
TEST(OdbcRowQueueTest, TakesANewCapacityOnlyWhileEmpty) {
  RowQueue queue(2);
  queue.setCapacity(4);
  for (std::int64_t grade = 1; grade <= 3; ++grade) queue.push(row(grade, std::string("x")));
  EXPECT_FALSE(queue.full());
  EXPECT_THROW(queue.setCapacity(1), std::logic_error);
  queue.push(row(std::int64_t{4}, std::string("x")));
  EXPECT_TRUE(queue.full());
  EXPECT_EQ(queue.take().size(), 4u);
  queue.setCapacity(0);  // a queue holds one row at least
  EXPECT_EQ(queue.capacity(), 1u);
}

}  // namespace
}  // namespace tiermend::data::odbc
