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
  visitEntries([&entries](const JetIndexEntry& entry) { entries.push_back(entry); });
  return entries;
}

void JetIndexReader::visitEntries(const std::function<void(const JetIndexEntry&)>& visit) const {
  VisitGuard guard;
  // Leaf pages are read one at a time and not kept: the page before stays for the
  // order check across pages, so two are held at most.
  JetIndexPage held[2];
  std::size_t which = 0;
  const JetIndexEntry* previous = nullptr;
  for (std::uint32_t number = descendToFirstLeaf().leaf; number != 0; which ^= 1) {
    guard.visit(number);
    const JetIndexPage& leaf = held[which] = readUnkept(number);
    if (!leaf.leaf) throw JetIndexPageDamage(number, "a node page in the chain of leaf pages");
    for (const JetIndexEntry& entry : leaf.entries) {
      if (previous != nullptr && !indexEntryLess(*previous, entry)) {
        throw JetIndexPageDamage(number, "its entries are out of order with the page before");
      }
      visit(entry);
      previous = &entry;
    }
    number = leaf.next;
  }
}

JetIndexPage JetIndexReader::readUnkept(std::uint32_t number) const {
  if (number == 0) throw JetIndexPageDamage(number, "page 0 is the file header");
  return readIndexPage(source_(number), number);
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

std::vector<std::string> JetIndexReader::faults(
    const std::function<void(const JetIndexEntry&)>& visit) const {
  std::vector<std::string> faults;
  VisitGuard guard;
  // The pages level by level from the root down, each level in order.
  std::vector<std::vector<PageView>> levels;
  std::vector<std::uint32_t> numbers = {root_};
  while (!numbers.empty()) {
    if (levels.size() >= kMaxLevels) throw JetIndexPageDamage(root_, "the index is too deep");
    auto& level = levels.emplace_back();
    std::vector<std::uint32_t> below;
    for (const std::uint32_t number : numbers) {
      guard.visit(number);
      level.push_back(view(number, visit));
      const PageView& current = level.back();
      if (current.leaf != level.front().leaf) {
        faults.push_back("page " + std::to_string(number) + " is not on the level of its kind");
      }
      if (current.node != nullptr) {
        for (const std::uint32_t child : childrenOf(*current.node)) below.push_back(child);
      }
    }
    numbers = std::move(below);
  }
  const std::uint32_t table = levels.front().front().tableDefinitionPage;
  // The last entry under each page, from the leaves up.
  std::map<std::uint32_t, JetIndexEntry> lastUnder;
  for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
    for (std::size_t i = 0; i < level->size(); ++i) {
      const PageView& current = (*level)[i];
      const std::uint32_t number = current.number;
      const std::string name = "page " + std::to_string(number);
      if (current.tableDefinitionPage != table) faults.push_back(name + " names another table");
      const std::uint32_t previous = i > 0 ? (*level)[i - 1].number : 0;
      const std::uint32_t next = i + 1 < level->size() ? (*level)[i + 1].number : 0;
      if (current.previous != previous) faults.push_back(name + " has the wrong previous page");
      if (current.next != next) faults.push_back(name + " has the wrong next page");
      if (current.leaf) {
        if (!current.last && levels.size() > 1) faults.push_back(name + " is empty");
        if (current.last) lastUnder[number] = *current.last;
        continue;
      }
      const JetIndexPage& node = *current.node;
      if (node.entries.empty() && node.tail == 0) faults.push_back(name + " has no child");
      for (std::size_t e = 0; e < node.entries.size(); ++e) {
        const auto child = lastUnder.find(node.children[e]);
        if (child == lastUnder.end() || !(child->second == node.entries[e])) {
          faults.push_back(name + " entry " + describe(node.entries[e]) +
                           " is not the last entry of its child page " +
                           std::to_string(node.children[e]));
        }
      }
      const std::vector<std::uint32_t> children = childrenOf(node);
      if (children.empty()) continue;
      const auto last = lastUnder.find(children.back());
      if (last != lastUnder.end()) lastUnder[number] = last->second;
    }
  }
  // Across the leaves, the entries ascend: each page's own are in order (readIndexPage
  // refuses them otherwise), so each page's first entry must follow the last before it.
  const JetIndexEntry* previous = nullptr;
  for (const PageView& leaf : levels.back()) {
    if (!leaf.first) continue;
    if (previous != nullptr && !indexEntryLess(*previous, *leaf.first)) {
      faults.push_back("page " + std::to_string(leaf.number) + " entry " + describe(*leaf.first) +
                       " is out of order");
    }
    previous = &*leaf.last;
  }
  return faults;
}

JetIndexReader::PageView JetIndexReader::view(
    std::uint32_t number, const std::function<void(const JetIndexEntry&)>& visit) const {
  JetIndexPage read = readUnkept(number);
  PageView seen;
  seen.number = number;
  seen.leaf = read.leaf;
  seen.tableDefinitionPage = read.tableDefinitionPage;
  seen.previous = read.previous;
  seen.next = read.next;
  if (!read.leaf) {
    auto& kept = pages_[number];
    if (!kept) kept = std::make_unique<const JetIndexPage>(std::move(read));
    seen.node = kept.get();
  } else if (!read.entries.empty()) {
    if (visit) {
      for (const JetIndexEntry& entry : read.entries) visit(entry);
    }
    seen.first = read.entries.front();
    seen.last = read.entries.back();
  }
  return seen;
}

}  // namespace tiermend::data::jet
