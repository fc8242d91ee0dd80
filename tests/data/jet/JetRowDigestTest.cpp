// The fingerprint of a table's rows that the check after writing compares: its hash is
// 64-bit FNV-1a as published, and the digest depends on the rows held, never on their
// order, while any value changed, row lost or kind of value swapped gives another.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/providers/jet/write/JetRowDigest.h"

namespace tiermend::data::jet {
namespace {

TEST(JetRowDigestTest, TheHashIsFnv1aOfSixtyFourBitsAsPublished) {
  struct Case {
    const char* text;
    std::uint64_t hash;
  };
  const Case cases[] = {
      {"", 0xcbf29ce484222325},
      {"a", 0xaf63dc4c8601ec8c},
      {"foobar", 0x85944171f73967e8},
  };
  for (const Case& c : cases) {
    const std::string text = c.text;
    EXPECT_EQ(fnv1a(kFnvOffsetBasis, text.data(), text.size()), c.hash) << '"' << text << '"';
  }
  // Hashing in pieces continues the same hash.
  EXPECT_EQ(fnv1a(fnv1a(kFnvOffsetBasis, "foo", 3), "bar", 3), 0x85944171f73967e8u);
}

using Rows = std::vector<std::vector<Value>>;

JetRowDigest digestOf(const Rows& rows) {
  JetRowDigest digest;
  for (const auto& row : rows) digest.add(row);
  return digest;
}

TEST(JetRowDigestTest, RowsInAnyOrderGiveOneDigestAndAnyChangeAnother) {
  const Rows rows = {
      {std::int64_t{1}, std::string("甲"), Decimal{"10.5000"}},
      {std::int64_t{2}, Null{}, Decimal{"0.0000"}},
      {std::int64_t{3}, std::string(""), true},
  };
  EXPECT_EQ(digestOf(rows), digestOf({rows[2], rows[0], rows[1]}));
  EXPECT_EQ(digestOf(rows).rows(), 3u);
  struct Case {
    const char* what;
    Rows rows;
  };
  const Case changed[] = {
      {"a value changed", {rows[0], {std::int64_t{2}, Null{}, Decimal{"0.0001"}}, rows[2]}},
      {"a row lost", {rows[0], rows[1]}},
      {"a row twice instead of another", {rows[0], rows[0], rows[2]}},
      {"a null read as empty text",
       {rows[0], {std::int64_t{2}, std::string(""), Decimal{"0.0000"}}, rows[2]}},
      {"a number read as another kind",
       {{1.0, std::string("甲"), Decimal{"10.5000"}}, rows[1], rows[2]}},
      {"two values swapped between columns",
       {{std::string("甲"), std::int64_t{1}, Decimal{"10.5000"}}, rows[1], rows[2]}},
  };
  for (const Case& c : changed) EXPECT_FALSE(digestOf(c.rows) == digestOf(rows)) << c.what;
}

}  // namespace
}  // namespace tiermend::data::jet
