// Page I/O at page offsets on one open file, which closes itself.
#include "data/providers/jet/pages/JetPageFile.h"

#include "data/EngineError.h"
#include "data/providers/jet/format/JetDamage.h"
#include "data/providers/jet/pages/JetHeader.h"

namespace tiermend::data::jet {

JetPageFile::JetPageFile(const std::string& path, int pageSize, Access access,
                         std::uint32_t databaseKey, const std::string& shownPath)
    : shownPath_(shownPath.empty() ? path : shownPath),
      pageSize_(pageSize),
      databaseKey_(databaseKey) {
  if (databaseKey != 0 && access == Access::ReadWrite) {
    throw EngineError("Cannot update the database '" + shownPath_ +
                      "': it is encrypted, and this program cannot write encrypted pages.");
  }
  file_ = File(path, access == Access::ReadOnly ? File::Access::Read : File::Access::ReadWrite);
  if (!file_) fail("open", file_.error());
  FileFacts info;
  if (const OsError error = file_.facts(info)) fail("examine", error);
  if (info.size % static_cast<std::uint64_t>(pageSize) != 0) {
    throw damagedFile(shownPath_, "its size is not a whole number of " + std::to_string(pageSize) +
                                      "-byte pages");
  }
  if (info.size / static_cast<std::uint64_t>(pageSize) > kMostPagesInFile) {
    throw damagedFile(shownPath_, "it has more pages than a Jet file can have");
  }
  pageCount_ = static_cast<std::uint32_t>(info.size / static_cast<std::uint64_t>(pageSize));
}

void JetPageFile::fail(const std::string& what, const OsError& error) const {
  throw EngineError("Cannot " + what + " the database file '" + shownPath_ +
                    "': " + error.reason() + ".");
}

void JetPageFile::read(std::uint32_t number, Page& page) const {
  if (number >= pageCount_) {
    throw damagedFile(shownPath_, "page " + std::to_string(number) + " lies beyond its end");
  }
  if (!file_) {
    throw EngineError("The database file '" + shownPath_ +
                      "' has been replaced by its new version: open it again to read it.");
  }
  page.resize(static_cast<std::size_t>(pageSize_));
  const std::uint64_t at = static_cast<std::uint64_t>(number) * pageSize_;
  std::size_t got = 0;
  if (const OsError error = file_.readAt(at, page.data(), page.size(), got)) fail("read", error);
  if (got != page.size()) {
    throw damagedFile(shownPath_, "page " + std::to_string(number) + " lies beyond its end");
  }
  if (databaseKey_ != 0 && number != 0) decryptPage(page.data(), page.size(), databaseKey_, number);
}

void JetPageFile::write(std::uint32_t number, const Page& page) {
  if (page.size() != static_cast<std::size_t>(pageSize_) || number > pageCount_) {
    throw EngineError("Internal error: a page write outside the database file.");
  }
  const std::uint64_t at = static_cast<std::uint64_t>(number) * pageSize_;
  if (const OsError error = file_.writeAt(at, page.data(), page.size())) fail("write", error);
  if (number == pageCount_) ++pageCount_;
}

std::uint32_t JetPageFile::append(const Page& page) {
  if (pageCount_ >= kMostPagesInFile) {
    throw EngineError("The database file '" + shownPath_ +
                      "' has reached the largest size Jet allows.");
  }
  const std::uint32_t number = pageCount_;
  write(number, page);
  return number;
}

}  // namespace tiermend::data::jet
