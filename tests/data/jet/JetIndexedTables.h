// Gives a table of a test copy of a Jet 4 file indexes, the way Access stores them: for
// each index a stored-index entry (its key columns and their order, its flags, an empty
// leaf page as its first page, a usage map of its own beside the table's maps), an
// index entry naming it (a primary key or a plain index) and its name. The table's
// definition must fit one page. The writer under test then rebuilds these indexes; the
// independent readers check the rows and our index reader the pages. The benchmark of
// an indexed Access target uses it too, so it leans on no test framework.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tiermend::testing {

struct TestIndexColumn {
  std::string column;
  bool ascending = true;
};

struct TestIndex {
  std::string name;
  std::vector<TestIndexColumn> columns;
  bool primaryKey = false;
  bool unique = false;       // implied by primaryKey
  bool ignoreNulls = false;  // rows whose key columns are all null are left out
};

void addIndexes(const std::string& path, const std::string& table,
                const std::vector<TestIndex>& indexes);

// Declares another sort order (a locale id) for a text column of the table, as a file
// made with another sort order declares it.
void setSortOrder(const std::string& path, const std::string& table, const std::string& column,
                  std::uint16_t localeId);

// The rebuilt state of one index of a table as our reader finds it: its tree's faults,
// the keys of its entries in index order, and, for each entry, whether looking its key
// up from the root finds its row.
struct IndexReadBack {
  std::vector<std::string> faults;
  std::vector<std::vector<std::uint8_t>> keys;
  std::size_t entriesFoundByLookup = 0;
  std::size_t distinctRows = 0;  // entries pointing at distinct live rows of the table
  std::size_t levels = 0;
};
IndexReadBack readIndexBack(const std::string& path, const std::string& table,
                            const std::string& index);

}  // namespace tiermend::testing
