// Walking a Jet 4 index tree: its entries along the leaf chain, one key's rows from the
// root, and a check of the whole tree that reports damaged or looping pages.
#include "data/providers/jet/indexes/JetIndexReader.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace tiermend::data::jet {
namespace {

// Deeper trees than this do not occur: each level multiplies the pages by at least two.
constexpr std::size_t kMaxLevels = 32;

std::vector<std::uint32_t> childrenOf(const JetIndexPage& page) {
  std::vector<std::uint32_t> children = page.children;
  if (page.tail != 0) children.push_back(page.tail);
  return children;
}

std::string describe(const JetIndexEntry& entry) {
  static const char* const digits = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t byte : entry.key) {
    text += digits[byte >> 4];
    text += digits[byte & 15];
  }
  return text + " (row " + std::to_string(entry.row.page) + ":" + std::to_string(entry.row.row) +
         ")";
}

// Follows pages without visiting one twice.
class VisitGuard {
 public:
  void visit(std::uint32_t number) {
    if (!seen_.insert(number).second) {
      throw JetIndexPageDamage(number, "the index refers to it more than once");
    }
  }

 private:
  std::set<std::uint32_t> seen_;
};

}  // namespace

JetIndexReader::JetIndexReader(JetIndexPageSource source, std::uint32_t rootPage)
    : source_(std::move(source)), root_(rootPage) {}

const JetIndexPage& JetIndexReader::page(std::uint32_t number) const {
  if (number == 0) throw JetIndexPageDamage(number, "page 0 is the file header");
  auto& kept = pages_[number];
  if (!kept) kept = std::make_unique<const JetIndexPage>(readIndexPage(source_(number), number));
  return *kept;
}

JetIndexReader::Descent JetIndexReader::descendToFirstLeaf() const {
  std::uint32_t number = root_;
  for (std::size_t level = 1; level <= kMaxLevels; ++level) {
    const JetIndexPage& current = page(number);
    if (current.leaf) return {number, level};
    const std::vector<std::uint32_t> children = childrenOf(current);
    if (children.empty()) throw JetIndexPageDamage(number, "a node page without children");
    number = children.front();
  }
  throw JetIndexPageDamage(root_, "the index is more than 32 levels deep");
}

std::size_t JetIndexReader::levels() const {
  return descendToFirstLeaf().levels;
}

std::vector<JetIndexEntry> JetIndexReader::walk() const {
  std::vector<JetIndexEntry> entries;
  VisitGuard guard;
  for (std::uint32_t number = descendToFirstLeaf().leaf; number != 0;) {
    guard.visit(number);
    const JetIndexPage& leaf = page(number);
    if (!leaf.leaf) throw JetIndexPageDamage(number, "a node page in the chain of leaf pages");
    for (const JetIndexEntry& entry : leaf.entries) {
      if (!entries.empty() && !indexEntryLess(entries.back(), entry)) {
        throw JetIndexPageDamage(number, "its entries are out of order with the page before");
      }
      entries.push_back(entry);
    }
    number = leaf.next;
  }
  return entries;
}

std::vector<JetRowId> JetIndexReader::lookup(std::span<const std::uint8_t> key) const {
  const auto keyBelow = [](const JetIndexEntry& entry, std::span<const std::uint8_t> sought) {
    return compareIndexKeys(entry.key, sought) < 0;
  };
  std::uint32_t number = root_;
  const JetIndexPage* current = &page(number);
  for (std::size_t level = 1; !current->leaf; ++level) {
    if (level >= kMaxLevels) throw JetIndexPageDamage(root_, "the index is too deep");
    // The first child whose last key is not below the key holds its first entry.
    const auto found =
        std::lower_bound(current->entries.begin(), current->entries.end(), key, keyBelow);
    number = found == current->entries.end()
                 ? current->tail
                 : current->children[static_cast<std::size_t>(found - current->entries.begin())];
    if (number == 0) return {};
    current = &page(number);
  }
  std::vector<JetRowId> rows;
  VisitGuard guard;
  guard.visit(number);
  auto entry = std::lower_bound(current->entries.begin(), current->entries.end(), key, keyBelow);
  while (true) {
    for (; entry != current->entries.end(); ++entry) {
      if (compareIndexKeys(entry->key, key) != 0) return rows;
      rows.push_back(entry->row);
    }
    // Entries with this key may go on in the next leaf page.
    if (current->next == 0) return rows;
    number = current->next;
    guard.visit(number);
    current = &page(number);
    if (!current->leaf) throw JetIndexPageDamage(number, "a node page in the chain of leaf pages");
    entry = current->entries.begin();
  }
}

std::vector<std::string> JetIndexReader::faults() const {
  std::vector<std::string> faults;
  VisitGuard guard;
  // The pages level by level from the root down, each level in order.
  std::vector<std::vector<std::pair<std::uint32_t, JetIndexPage>>> levels;
  std::vector<std::uint32_t> numbers = {root_};
  while (!numbers.empty()) {
    if (levels.size() >= kMaxLevels) throw JetIndexPageDamage(root_, "the index is too deep");
    auto& level = levels.emplace_back();
    std::vector<std::uint32_t> below;
    for (const std::uint32_t number : numbers) {
      guard.visit(number);
      level.emplace_back(number, page(number));
      const JetIndexPage& current = level.back().second;
      if (current.leaf != level.front().second.leaf) {
        faults.push_back("page " + std::to_string(number) + " is not on the level of its kind");
      }
      for (const std::uint32_t child : childrenOf(current)) below.push_back(child);
    }
    numbers = std::move(below);
  }
  const std::uint32_t table = levels.front().front().second.tableDefinitionPage;
  // The last entry under each page, from the leaves up.
  std::map<std::uint32_t, JetIndexEntry> lastUnder;
  for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
    for (std::size_t i = 0; i < level->size(); ++i) {
      const auto& [number, current] = (*level)[i];
      const std::string name = "page " + std::to_string(number);
      if (current.tableDefinitionPage != table) faults.push_back(name + " names another table");
      const std::uint32_t previous = i > 0 ? (*level)[i - 1].first : 0;
      const std::uint32_t next = i + 1 < level->size() ? (*level)[i + 1].first : 0;
      if (current.previous != previous) faults.push_back(name + " has the wrong previous page");
      if (current.next != next) faults.push_back(name + " has the wrong next page");
      if (current.leaf) {
        if (current.entries.empty() && levels.size() > 1) faults.push_back(name + " is empty");
        if (!current.entries.empty()) lastUnder[number] = current.entries.back();
        continue;
      }
      if (current.entries.empty() && current.tail == 0) faults.push_back(name + " has no child");
      for (std::size_t e = 0; e < current.entries.size(); ++e) {
        const auto child = lastUnder.find(current.children[e]);
        if (child == lastUnder.end() || !(child->second == current.entries[e])) {
          faults.push_back(name + " entry " + describe(current.entries[e]) +
                           " is not the last entry of its child page " +
                           std::to_string(current.children[e]));
        }
      }
      const std::vector<std::uint32_t> children = childrenOf(current);
      if (children.empty()) continue;
      const auto last = lastUnder.find(children.back());
      if (last != lastUnder.end()) lastUnder[number] = last->second;
    }
  }
  // Across the leaves, the entries ascend.
  const JetIndexEntry* previous = nullptr;
  for (const auto& [number, leaf] : levels.back()) {
    for (const JetIndexEntry& entry : leaf.entries) {
      if (previous != nullptr && !indexEntryLess(*previous, entry)) {
        faults.push_back("page " + std::to_string(number) + " entry " + describe(entry) +
                         " is out of order");
      }
      previous = &entry;
    }
  }
  return faults;
}

}  // namespace tiermend::data::jet
