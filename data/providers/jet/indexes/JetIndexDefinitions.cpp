// Checking a table's stored and logical index definitions before they are rebuilt.
#include "data/providers/jet/indexes/JetIndexDefinitions.h"

#include <map>
#include <set>

namespace tiermend::data::jet {

namespace {

[[noreturn]] void damaged(const std::string& what) {
  throw JetDefinitionError(what);
}

std::string indexText(const JetTableDefinition& definition, int realIndex) {
  return "index '" + storedIndexName(definition, realIndex) + "'";
}

std::string hex(std::uint8_t byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return std::string("0x") + kDigits[byte >> 4] + kDigits[byte & 0x0F];
}

void checkKeyColumns(const JetTableDefinition& definition, int r) {
  const JetRealIndex& real = definition.realIndexes[static_cast<std::size_t>(r)];
  std::set<int> seen;
  for (const JetIndexColumn& column : real.columns) {
    if (column.order == JetIndexOrder::Unknown) {
      damaged("its " + indexText(definition, r) + " gives a key column the order byte " +
              hex(column.orderFlag) + ", which means no known order");
    }
    if (!seen.insert(column.number).second) {
      damaged("its " + indexText(definition, r) + " names one column twice among its keys");
    }
  }
}

// The stored index's own pages: its usage map and its root page.
void checkPages(const JetTableDefinition& definition, int r, std::uint32_t pageCount,
                std::map<std::uint32_t, int>& maps, std::map<std::uint32_t, int>& roots) {
  const JetRealIndex& real = definition.realIndexes[static_cast<std::size_t>(r)];
  const std::uint32_t mapPage = pageOfPointer(real.usageMap);
  if (real.usageMap == 0 || mapPage == 0 || mapPage >= pageCount) {
    damaged("its " + indexText(definition, r) + " has no page usage map inside the file");
  }
  if (real.usageMap == definition.ownedMap || real.usageMap == definition.freeMap) {
    damaged("its " + indexText(definition, r) + " keeps its pages in the table's own page map");
  }
  if (const auto [at, added] = maps.emplace(real.usageMap, r); !added) {
    damaged("its " + indexText(definition, r) + " shares its page usage map with " +
            indexText(definition, at->second));
  }
  if (real.firstPage == 0 || real.firstPage >= pageCount) {
    damaged("its " + indexText(definition, r) + " starts on page " +
            std::to_string(real.firstPage) + ", outside the file");
  }
  if (const auto [at, added] = roots.emplace(real.firstPage, r); !added) {
    damaged("its " + indexText(definition, r) + " starts on the page of " +
            indexText(definition, at->second));
  }
}

// The logical indexes: known types, one primary key, distinct numbers, and every
// stored index named by one of them.
void checkLogicalIndexes(const JetTableDefinition& definition) {
  if (!definition.realIndexes.empty() && definition.indexes.empty()) {
    damaged("its definition keeps " + std::to_string(definition.realIndexes.size()) +
            " stored indexes but counts no index");
  }
  std::set<int> numbers;
  std::set<int> named;
  int primaryKeys = 0;
  for (const JetLogicalIndex& index : definition.indexes) {
    const std::string text = "its index '" + index.name + "'";
    if (index.type != 0 && index.type != kIndexPrimaryKey && index.type != kIndexForeignKey) {
      damaged(text + " is of an unknown type (" + std::to_string(index.type) + ")");
    }
    if (!numbers.insert(index.number).second) {
      damaged(text + " has the number of another index");
    }
    if (index.type == kIndexPrimaryKey && ++primaryKeys > 1) {
      damaged("its definition has more than one primary key");
    }
    named.insert(index.realIndex);
  }
  for (std::size_t r = 0; r < definition.realIndexes.size(); ++r) {
    if (!named.contains(static_cast<int>(r))) {
      damaged("its stored index " + std::to_string(r + 1) + " is named by no index");
    }
  }
}

// A primary key's stored index is unique and refuses nulls, as Access makes it.
void checkPrimaryKey(const JetTableDefinition& definition, int r) {
  if (!isPrimaryKeyIndex(definition, r)) return;
  const std::uint8_t flags = definition.realIndexes[static_cast<std::size_t>(r)].flags;
  if ((flags & kIndexUnique) == 0) {
    damaged("its " + indexText(definition, r) +
            " is a primary key over a stored index not marked unique");
  }
  if ((flags & kIndexIgnoreNulls) != 0) {
    damaged("its " + indexText(definition, r) +
            " is a primary key over a stored index that leaves nulls out");
  }
}

}  // namespace

std::string storedIndexName(const JetTableDefinition& definition, int realIndex) {
  std::string name;
  for (const JetLogicalIndex& index : definition.indexes) {
    if (index.realIndex != realIndex) continue;
    if (index.type == kIndexPrimaryKey || name.empty()) name = index.name;
  }
  if (name.empty()) name = "stored index " + std::to_string(realIndex + 1);
  return name;
}

bool isPrimaryKeyIndex(const JetTableDefinition& definition, int realIndex) {
  for (const JetLogicalIndex& index : definition.indexes) {
    if (index.realIndex == realIndex && index.type == kIndexPrimaryKey) return true;
  }
  return false;
}

void checkIndexDefinitions(const JetTableDefinition& definition, std::uint32_t pageCount) {
  checkLogicalIndexes(definition);
  std::map<std::uint32_t, int> maps;
  std::map<std::uint32_t, int> roots;
  for (std::size_t r = 0; r < definition.realIndexes.size(); ++r) {
    const int real = static_cast<int>(r);
    checkKeyColumns(definition, real);
    checkPages(definition, real, pageCount, maps, roots);
    checkPrimaryKey(definition, real);
  }
}

}  // namespace tiermend::data::jet
