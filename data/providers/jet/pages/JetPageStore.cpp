// Pages kept in memory.
#include "data/providers/jet/pages/JetPageStore.h"

#include "data/EngineError.h"

namespace tiermend::data::jet {

void JetMemoryPages::read(std::uint32_t number, Page& page) const {
  if (number >= pages_.size()) {
    throw EngineError("Page " + std::to_string(number) + " lies beyond the end of the pages.");
  }
  page = pages_[number];
}

void JetMemoryPages::write(std::uint32_t number, const Page& page) {
  if (page.size() != static_cast<std::size_t>(pageSize_) || number > pages_.size()) {
    throw EngineError("Internal error: a page write outside the pages.");
  }
  if (number == pages_.size()) {
    pages_.push_back(page);
  } else {
    pages_[number] = page;
  }
}

std::uint32_t JetMemoryPages::append(const Page& page) {
  const auto number = static_cast<std::uint32_t>(pages_.size());
  write(number, page);
  return number;
}

}  // namespace tiermend::data::jet
