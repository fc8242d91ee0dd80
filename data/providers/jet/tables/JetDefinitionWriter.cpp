// Writing fields of a table definition into the pages of its chain.
#include "data/providers/jet/tables/JetDefinitionWriter.h"

#include <array>

#include "data/EngineError.h"

namespace tiermend::data::jet {

JetDefinitionWriter::JetDefinitionWriter(JetPageCache& cache, const JetTableDefinition& definition)
    : cache_(cache), definition_(definition) {}

// The inverse of the reader's assembly: each page of the chain holds the run's next
// bytes from definitionBytesFrom(its index) to its end.
JetDefinitionWriter::Place JetDefinitionWriter::placeOf(std::size_t offset) const {
  const auto pageSize = static_cast<std::size_t>(cache_.file().pageSize());
  std::size_t rest = offset;
  for (std::size_t index = 0; index <= definition_.laterPages.size(); ++index) {
    const std::size_t from = definitionBytesFrom(index);
    const std::size_t held = pageSize - from;
    if (rest < held) {
      const std::uint32_t page = index == 0 ? definition_.page : definition_.laterPages[index - 1];
      return {page, from + rest};
    }
    rest -= held;
  }
  throw EngineError("Internal error: offset " + std::to_string(offset) +
                    " lies beyond the table definition on page " +
                    std::to_string(definition_.page) + ".");
}

JetDefinitionWriter::Places JetDefinitionWriter::placesOf(std::size_t at) const {
  Places places;
  for (std::size_t b = 0; b < kFieldBytes; ++b) places[b] = placeOf(at + b);
  return places;
}

// A field lies on one page unless it runs over a page's end; only then are its bytes
// placed one by one.
std::uint32_t JetDefinitionWriter::readU32(std::size_t at) const {
  const Place start = placeOf(at);
  const Page& page = cache_.page(start.page);
  if (start.at + kFieldBytes <= page.size()) return loadU32(page.data() + start.at);
  std::array<std::uint8_t, kFieldBytes> bytes{};
  const Places places = placesOf(at);
  for (std::size_t b = 0; b < kFieldBytes; ++b) {
    bytes[b] = cache_.page(places[b].page)[places[b].at];
  }
  return loadU32(bytes.data());
}

// Every byte's place is found before any is written, so a field that runs past the
// chain changes nothing.
void JetDefinitionWriter::writeU32(std::size_t at, std::uint32_t value) {
  const Place start = placeOf(at);
  Page& page = cache_.page(start.page);
  if (start.at + kFieldBytes <= page.size()) {
    storeU32(page.data() + start.at, value);
    cache_.changed(start.page);
    return;
  }
  std::array<std::uint8_t, kFieldBytes> bytes{};
  storeU32(bytes.data(), value);
  const Places places = placesOf(at);
  for (std::size_t b = 0; b < kFieldBytes; ++b) {
    cache_.page(places[b].page)[places[b].at] = bytes[b];
    cache_.changed(places[b].page);
  }
}

}  // namespace tiermend::data::jet
