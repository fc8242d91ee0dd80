// The definition and usage-map pages a write changes, held once each in memory so that
// maps sharing a page see each other's changes, and written back together. Data pages
// do not pass through here: the table writer streams them, so memory stays flat however
// many rows are written.
#pragma once

#include <cstdint>
#include <map>
#include <set>

#include "data/providers/jet/pages/JetPageStore.h"

namespace tiermend::data::jet {

class JetPageCache {
 public:
  explicit JetPageCache(JetPageStore& file) : file_(file) {}

  JetPageStore& file() { return file_; }
  // The page, read from the file the first time it is asked for.
  Page& page(std::uint32_t number);
  void changed(std::uint32_t number) { dirty_.insert(number); }
  // Writes every changed page.
  void flush();

 private:
  JetPageStore& file_;
  std::map<std::uint32_t, Page> pages_;
  std::set<std::uint32_t> dirty_;
};

}  // namespace tiermend::data::jet
