// Page-sized reads and writes on a Jet file opened for writing. The writer only ever
// works on a copy of the database (the file transaction's), so writes go straight to
// the file; new pages are added at its end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tiermend::data::jet {

using Page = std::vector<std::uint8_t>;

class JetPageFile {
 public:
  // Opens path for reading and writing. Throws EngineError when it cannot, or when the
  // file is not a whole number of pages of pageSize bytes.
  JetPageFile(const std::string& path, int pageSize);
  ~JetPageFile();
  JetPageFile(const JetPageFile&) = delete;
  JetPageFile& operator=(const JetPageFile&) = delete;

  int pageSize() const { return pageSize_; }
  std::uint32_t pageCount() const { return pageCount_; }
  Page read(std::uint32_t number) const;
  void write(std::uint32_t number, const Page& page);
  // Writes page after the last one and gives its number.
  std::uint32_t append(const Page& page);

 private:
  [[noreturn]] void fail(const std::string& what) const;

  std::string path_;
  int fd_ = -1;
  int pageSize_ = 0;
  std::uint32_t pageCount_ = 0;
};

}  // namespace tiermend::data::jet
