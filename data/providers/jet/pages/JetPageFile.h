// Page-sized reads and writes on a Jet file. The writer only ever works on a copy of
// the database (the file transaction's), so writes go straight to the file; new pages
// are added at its end. A file whose pages are encrypted with the database key is read
// decrypted; such a file is never opened for writing.
#pragma once

#include <cstdint>
#include <string>

#include "data/providers/jet/pages/JetPageStore.h"
#include "platform/File.h"

namespace tiermend::data::jet {

class JetPageFile : public JetPageStore {
 public:
  enum class Access { ReadOnly, ReadWrite };

  // Opens path. shownPath names the file in messages (the file the user gave when path
  // is a working copy of it). Throws EngineError when it cannot, or when the file is not
  // a whole number of pages of pageSize bytes.
  JetPageFile(const std::string& path, int pageSize, Access access = Access::ReadWrite,
              std::uint32_t databaseKey = 0, const std::string& shownPath = {});
  JetPageFile(const JetPageFile&) = delete;
  JetPageFile& operator=(const JetPageFile&) = delete;

  int pageSize() const override { return pageSize_; }
  std::uint32_t pageCount() const override { return pageCount_; }
  std::string shownPath() const override { return shownPath_; }
  void read(std::uint32_t number, Page& page) const override;
  void write(std::uint32_t number, const Page& page) override;
  std::uint32_t append(const Page& page) override;
  using JetPageStore::read;
  // Lets go of the file (so that it can be replaced where an open file cannot be); a
  // read afterwards fails, saying the file was replaced.
  void close() { file_.close(); }

 private:
  [[noreturn]] void fail(const std::string& what, const OsError& error) const;

  std::string shownPath_;
  File file_;
  int pageSize_ = 0;
  std::uint32_t pageCount_ = 0;
  std::uint32_t databaseKey_ = 0;
};

}  // namespace tiermend::data::jet
