// Helpers shared by the Jet provider tests: fixture paths, reading whole results,
// refreshing a table, failure messages, and scratch copies of fixtures in a temporary
// folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "data/Provider.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"

namespace tiermend::testing {

std::string fixture(const std::string& name);

struct Result {
  std::vector<data::ColumnInfo> columns;
  std::string baseTable;
  std::vector<std::vector<data::Value>> rows;
};

Result readAll(data::Session& session, const std::string& sql);

// The columns' names, in order.
std::vector<std::string> namesOf(const std::vector<data::ColumnInfo>& columns);

// Empties the target's table and fills it with every row of the source's table of the
// same name, in one transaction, as the refresh step does; rolled back on a failure.
void refreshTable(data::Session& target, data::Session& source, const std::string& table);

// The message of the EngineError the action raises, or "(no failure)" when it raises none.
std::string failureOf(const std::function<void()>& action);

// A temporary folder, removed with everything in it when the object goes, that takes
// writable copies of fixtures.
class ScratchFolder {
 public:
  std::string copyOf(const std::string& fixtureName, const std::string& as) const;
  // The same for any file, named by its path.
  std::string copyOfFile(const std::string& path, const std::string& as) const;
  std::string path(const std::string& name) const { return folder_.file(name); }

 private:
  TempFolder folder_;
};

// For tests that write: copies of fixtures in a scratch folder of the test's own.
class JetScratchTest : public ::testing::Test {
 protected:
  // A writable copy of the fixture, named basedb.mdb as the tool's target is. With a
  // table named, the copy's table has its indexes removed (see removeIndexes) and the
  // copy has no relationships (see removeRelationships).
  std::string targetCopyOf(const std::string& fixtureName, const std::string& table = "",
                           const std::string& password = "") const;

  ScratchFolder scratch;
};

// Makes a test copy of a real file with one table stripped of its indexes: the index
// entries and names are cut out of the table's definition page (a one-page
// definition) and its counts set to 0, the way a definition without indexes reads. The
// index pages are left as orphans. Lets the writer be tested on the fixtures' richest
// tables, which all have a primary key; the independent readers check the result.
void removeIndexes(const std::string& path, const std::string& table,
                   const std::string& password = "");

// Marks every row of MSysRelationships deleted, so that the copy's tables, their indexes
// removed, can be emptied and refilled whatever relationships the real file has.
void removeRelationships(const std::string& path, const std::string& password = "");

}  // namespace tiermend::testing
