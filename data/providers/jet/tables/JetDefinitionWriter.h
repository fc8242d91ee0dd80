// Changes a table definition in place: a 32-bit field at an offset into the
// definition's bytes (the offsets JetFormat and JetTableDefinition give) is read from and
// written to the page of the chain that holds each of its bytes, through the page
// cache, so the definition pages are written back with the other changed pages.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "data/providers/jet/pages/JetPageCache.h"
#include "data/providers/jet/tables/JetTableDefinition.h"

namespace tiermend::data::jet {

class JetDefinitionWriter {
 public:
  // definition must outlive the writer; its chain of pages is where the writes go.
  JetDefinitionWriter(JetPageCache& cache, const JetTableDefinition& definition);

  const JetTableDefinition& definition() const { return definition_; }
  // The field at offset `at` as the cache holds it now.
  std::uint32_t readU32(std::size_t at) const;
  void writeU32(std::size_t at, std::uint32_t value);

 private:
  static constexpr std::size_t kFieldBytes = 4;
  struct Place {
    std::uint32_t page = 0;
    std::size_t at = 0;
  };
  using Places = std::array<Place, kFieldBytes>;
  // Where byte `offset` of the definition's bytes lies. Throws EngineError beyond the
  // chain's end: the offsets come from the definition itself, so that is a fault here.
  Place placeOf(std::size_t offset) const;
  Places placesOf(std::size_t at) const;

  JetPageCache& cache_;
  const JetTableDefinition& definition_;
};

}  // namespace tiermend::data::jet
