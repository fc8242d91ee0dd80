// How the ODBC provider should report one column of a server's table "kinds" (one
// column of every type the server has), for the tests that check each server's types:
// the case, its name in test names, and the check against what a cursor reports.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "data/Provider.h"
#include "tests/support/ColumnTypeName.h"
#include "tests/support/TestName.h"

namespace tiermend::testing {

struct KindCase {
  const char* column;
  data::ColumnType type;
  int size;
  int precision;
  int scale;
  bool autoIncrement;
};

inline void PrintTo(const KindCase& c, std::ostream* os) {
  *os << c.column;
}

// A case is named after its column.
inline std::string kindCaseName(const ::testing::TestParamInfo<KindCase>& info) {
  return testNameFrom(info.param.column);
}

// Checks the case's column among the columns of a cursor on "SELECT * FROM kinds".
inline void expectColumnKind(const std::unique_ptr<data::Cursor>& cursor,
                             const KindCase& expected) {
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(cursor->baseTable(), "kinds");
  const data::ColumnInfo* found = nullptr;
  for (const data::ColumnInfo& column : cursor->columns())
    if (column.name == expected.column) found = &column;
  ASSERT_NE(found, nullptr) << expected.column;
  EXPECT_EQ(columnTypeName(found->type), columnTypeName(expected.type));
  EXPECT_EQ(found->size, expected.size);
  EXPECT_EQ(found->precision, expected.precision);
  EXPECT_EQ(found->scale, expected.scale);
  EXPECT_EQ(found->autoIncrement, expected.autoIncrement);
  EXPECT_TRUE(found->updatable);
  EXPECT_FALSE(found->hidden);
}

}  // namespace tiermend::testing
