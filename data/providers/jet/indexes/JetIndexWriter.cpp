// Index keys checked as rows are posted, and index pages written from them.
#include "data/providers/jet/indexes/JetIndexWriter.h"

#include <algorithm>
#include <set>

#include "data/EngineError.h"
#include "data/providers/jet/format/JetDamage.h"
#include "data/providers/jet/indexes/JetIndexBuilder.h"
#include "data/providers/jet/indexes/JetIndexDefinitions.h"

namespace tiermend::data::jet {

namespace {

bool isIndexPageOf(const Page& page, std::uint32_t definitionPage) {
  return isIndexPageType(page[0]) &&
         loadU32(page.data() + kIndexTableDefinitionOffset) == definitionPage;
}

// The first eight bytes of a key as one number, zeros after a shorter key: two keys
// whose numbers differ are in the order of their numbers, so most comparisons of a sort
// are one comparison of numbers.
std::uint64_t keyPrefix(const JetIndexKeyBytes& key) {
  std::uint64_t prefix = 0;
  for (std::size_t i = 0; i < 8; ++i) prefix = prefix << 8 | (i < key.size() ? key[i] : 0);
  return prefix;
}

// Puts the entries in index order (indexEntryLess).
void sortEntries(std::vector<JetIndexEntry>& entries) {
  struct Item {
    std::uint64_t prefix;
    std::uint32_t position;
  };
  std::vector<Item> items(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    items[i] = {keyPrefix(entries[i].key), static_cast<std::uint32_t>(i)};
  }
  std::sort(items.begin(), items.end(), [&entries](const Item& a, const Item& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    return indexEntryLess(entries[a.position], entries[b.position]);
  });
  // The entries move into their places in the vector they are in, cycle by cycle:
  // place i takes the entry items[i] names. No second vector of entries is made.
  constexpr std::uint32_t kPlaced = UINT32_MAX;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].position == kPlaced) continue;
    JetIndexEntry first = std::move(entries[i]);
    std::size_t to = i;
    while (items[to].position != i) {
      const std::size_t from = items[to].position;
      entries[to] = std::move(entries[from]);
      items[to].position = kPlaced;
      to = from;
    }
    entries[to] = std::move(first);
    items[to].position = kPlaced;
  }
}

}  // namespace

std::string refusedKeyMessage(const char* accessSentence, const JetIndexShape& index) {
  return std::string(accessSentence) + " Table '" + index.table + "', index '" + index.index + "'.";
}

JetIndexWriter::JetIndexWriter(std::vector<JetIndexPlan> plans)
    : plans_(std::move(plans)),
      entries_(plans_.size()),
      unique_(plans_.size()),
      pending_(plans_.size()),
      skip_(plans_.size(), false) {}

void JetIndexWriter::admit(const std::vector<Value>& row,
                           const std::vector<JetValueCodec>& codecs) {
  std::vector<JetKeyValue>& values = values_;
  for (std::size_t p = 0; p < plans_.size(); ++p) {
    const JetIndexPlan& plan = plans_[p];
    values.clear();
    bool anyNull = false;
    bool allNull = true;
    for (std::size_t c = 0; c < plan.columnOrder.size(); ++c) {
      const auto at = static_cast<std::size_t>(plan.columnOrder[c]);
      values.push_back(codecs[at].keyValue(row[at]));
      const bool null = std::holds_alternative<std::monostate>(values.back());
      anyNull = anyNull || null;
      allNull = allNull && null;
    }
    if (anyNull && plan.refusesNulls)
      throw EngineError(refusedKeyMessage(kNullKeyMessage, plan.shape));
    encodeIndexKey(plan.shape, values, pending_[p]);
    skip_[p] = allNull && plan.ignoresNulls;
    // Rows whose key columns are all null are not duplicates of each other.
    if (plan.unique && !allNull && unique_[p].contains(entries_[p], pending_[p])) {
      throw EngineError(refusedKeyMessage(kDuplicateKeyMessage, plan.shape));
    }
  }
}

void JetIndexWriter::record(JetRowId row) {
  for (std::size_t p = 0; p < plans_.size(); ++p) {
    // A key left out of the index (all null, nulls ignored) is no duplicate of another.
    if (keyed(p)) {
      // A copy of its own size: the pending buffer keeps its room for the next row.
      entries_[p].push_back({{pending_[p].begin(), pending_[p].end()}, row});
      if (plans_[p].unique) {
        unique_[p].insert(entries_[p], static_cast<std::uint32_t>(entries_[p].size() - 1));
      }
    }
  }
  stale_ = true;
}

void JetIndexWriter::clear() {
  for (auto& entries : entries_) entries.clear();
  for (auto& keys : unique_) keys.clear();
  stale_ = true;
}

// The pages the indexes of this table hold now, to be written over first: those
// reachable from each root, those each index's usage map names, and those the global
// map marks free that were index pages of this table (left over by an earlier refresh).
// Only pages that read as index pages of this table are taken.
std::vector<std::uint32_t> JetIndexWriter::oldPages(JetPageCache& cache, JetUsageMap& globalMap,
                                                    std::uint32_t definitionPage) {
  JetPageStore& file = cache.file();
  std::set<std::uint32_t> found;
  Page page;
  auto take = [&](std::uint32_t number) {
    if (number == 0 || number >= file.pageCount() || found.contains(number)) return false;
    file.read(number, page);
    if (!isIndexPageOf(page, definitionPage)) return false;
    found.insert(number);
    return true;
  };
  for (const JetIndexPlan& plan : plans_) {
    std::vector<std::uint32_t> toVisit{plan.firstPage};
    while (!toVisit.empty()) {
      const std::uint32_t number = toVisit.back();
      toVisit.pop_back();
      if (!take(number) || page[0] != static_cast<std::uint8_t>(JetPageType::IndexNode)) continue;
      try {
        const JetIndexPage node = readIndexPage(page, number);
        toVisit.insert(toVisit.end(), node.children.begin(), node.children.end());
        toVisit.push_back(node.tail);
      } catch (const JetIndexPageDamage&) {
        // A damaged node's children are not followed; the usage map may still name them.
      }
    }
    if (plan.usageMap != 0) {
      JetUsageMap map(cache, plan.usageMap, plan.shape.table);
      for (std::uint32_t number : map.pages()) take(number);
    }
  }
  for (std::uint32_t number : globalMap.pages()) take(number);
  return {found.begin(), found.end()};
}

void JetIndexWriter::write(JetPageCache& cache, JetUsageMap& globalMap,
                           JetDefinitionWriter& definition) {
  if (!stale_) return;
  JetPageStore& file = cache.file();
  const std::uint32_t definitionPage = definition.definition().page;
  const std::vector<std::uint32_t> pool = oldPages(cache, globalMap, definitionPage);
  const std::set<std::uint32_t> old(pool.begin(), pool.end());
  std::size_t reused = 0;
  const Page blank(static_cast<std::size_t>(file.pageSize()), 0);
  auto append = [&](const Page& bytes) {
    const std::uint32_t number = file.append(bytes);
    globalMap.markAllocated(number);
    return number;
  };
  auto allocate = [&]() { return reused < pool.size() ? pool[reused++] : append(blank); };

  for (std::size_t p = 0; p < plans_.size(); ++p) {
    JetIndexPlan& plan = plans_[p];
    sortEntries(entries_[p]);
    // The entries moved: their positions are taken again if more rows come.
    if (plan.unique) unique_[p].reordered();
    const JetBuiltIndex built = buildIndexPages(entries_[p], definitionPage, allocate);
    for (const JetBuiltIndexPage& written : built.pages) {
      file.write(written.number, written.bytes);
      globalMap.remove(written.number);  // in use, whatever the map said before
    }
    if (plan.usageMap != 0) {
      JetUsageMap map(cache, plan.usageMap, plan.shape.table);
      for (std::uint32_t number : map.pages()) {
        if (old.contains(number)) map.remove(number);
      }
      for (const JetBuiltIndexPage& written : built.pages) map.add(written.number, append);
    }
    plan.firstPage = built.root;
    const JetRealIndex& real =
        definition.definition().realIndexes[static_cast<std::size_t>(plan.realIndex)];
    definition.writeU32(real.firstPageAt, built.root);
    definition.writeU32(real.entryCountAt, static_cast<std::uint32_t>(entries_[p].size()));
  }
  // Old pages no index took again are free for later use.
  for (std::size_t i = reused; i < pool.size(); ++i) globalMap.add(pool[i], append);
  stale_ = false;
}

std::unique_ptr<JetIndexWriter> indexWriterFor(const JetDatabase& database, const JetTable& table) {
  if (table.definition.realIndexes.empty() || database.format->jet3) return nullptr;
  try {
    checkIndexDefinitions(table.definition, database.pages->pageCount());
  } catch (const JetDefinitionError& error) {
    throw damagedTable(table.name, database.path, error.what());
  }
  return std::make_unique<JetIndexWriter>(planIndexes(table.name, table.definition));
}

}  // namespace tiermend::data::jet
