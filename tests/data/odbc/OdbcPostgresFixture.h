// A fresh PostgreSQL database reached through the ODBC provider, for the tests here.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/ConnectionString.h"
#include "data/EngineError.h"
#include "data/providers/odbc/OdbcProvider.h"
#include "tests/support/PgTestDataSource.h"

namespace tiermend::data::odbc {

class OdbcPostgresTest : public ::testing::Test {
 protected:
  std::unique_ptr<Session> open(const std::string& user = "postgres") {
    return openSession(ConnectionString::parse(pg.oleDbConnectionString(user)));
  }

  // Every row of a query, read through the cursor.
  static std::vector<std::vector<Value>> allRows(Cursor& cursor) {
    std::vector<std::vector<Value>> rows;
    std::vector<Value> row;
    while (cursor.fetch(row)) rows.push_back(row);
    return rows;
  }

  // The message of the EngineError that `action` throws; fails the test if none.
  template <typename Action>
  static std::string engineMessage(Action action) {
    try {
      action();
    } catch (const EngineError& error) {
      return error.what();
    }
    ADD_FAILURE() << "no EngineError was thrown";
    return {};
  }

  testing::PgTestDataSource pg;
};

}  // namespace tiermend::data::odbc
