// The narrow interface in front of a Jet file's pages: read one, write one, add one at
// the end, and how many there are. The reader, the usage maps, the data pages and the
// table writer see the file only through it, so that they can be tested on pages held
// in memory (JetMemoryPages) as well as on a file (JetPageFile).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tiermend::data::jet {

using Page = std::vector<std::uint8_t>;

class JetPageStore {
 public:
  virtual ~JetPageStore() = default;

  virtual int pageSize() const = 0;
  virtual std::uint32_t pageCount() const = 0;
  // The file as messages name it (the one the user gave); empty for pages in memory.
  virtual std::string shownPath() const { return {}; }
  // Reads page number into page (sized to the page size). Throws EngineError for a page
  // beyond the end or one that cannot be read.
  virtual void read(std::uint32_t number, Page& page) const = 0;
  // Writes page number, which lies inside the store or directly after its end.
  virtual void write(std::uint32_t number, const Page& page) = 0;
  // Writes page after the last one and gives its number.
  virtual std::uint32_t append(const Page& page) = 0;

  Page read(std::uint32_t number) const {
    Page page;
    read(number, page);
    return page;
  }
};

// Pages held in memory, for tests of the parts above the file.
class JetMemoryPages : public JetPageStore {
 public:
  explicit JetMemoryPages(int pageSize) : pageSize_(pageSize) {}

  int pageSize() const override { return pageSize_; }
  std::uint32_t pageCount() const override { return static_cast<std::uint32_t>(pages_.size()); }
  void read(std::uint32_t number, Page& page) const override;
  void write(std::uint32_t number, const Page& page) override;
  std::uint32_t append(const Page& page) override;
  using JetPageStore::read;

 private:
  int pageSize_;
  std::vector<Page> pages_;
};

}  // namespace tiermend::data::jet
