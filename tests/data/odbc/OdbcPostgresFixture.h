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

namespace tiermend::testing {

class OdbcPostgresTest : public ::testing::Test {
 protected:
  std::unique_ptr<data::Session> open(const std::string& user = "postgres") {
    return data::odbc::openSession(data::ConnectionString::parse(pg.oleDbConnectionString(user)));
  }

  // Every row of a query, read through the cursor.
  static std::vector<std::vector<data::Value>> allRows(data::Cursor& cursor) {
    std::vector<std::vector<data::Value>> rows;
    std::vector<data::Value> row;
    while (cursor.fetch(row)) rows.push_back(row);
    return rows;
  }

  // The message of the EngineError that `action` throws; fails the test if none.
  template <typename Action>
  static std::string engineMessage(Action action) {
    try {
      action();
    } catch (const data::EngineError& error) {
      return error.what();
    }
    ADD_FAILURE() << "no EngineError was thrown";
    return {};
  }

  PgTestDataSource pg;
};

}  // namespace tiermend::testing
