// Cached definition and map pages, written back on flush.
#include "data/providers/jet/pages/JetPageCache.h"

namespace tiermend::data::jet {

Page& JetPageCache::page(std::uint32_t number) {
  auto found = pages_.find(number);
  if (found == pages_.end()) found = pages_.emplace(number, file_.read(number)).first;
  return found->second;
}

void JetPageCache::flush() {
  for (std::uint32_t number : dirty_) file_.write(number, pages_.at(number));
  dirty_.clear();
}

}  // namespace tiermend::data::jet
