// Page I/O with pread/pwrite on one file descriptor, which closes itself.
#include "data/providers/jet/pages/JetPageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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
  fd_ = FileDescriptor(
      ::open(path.c_str(), (access == Access::ReadOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC));
  if (!fd_) fail("open");
  struct stat info {};
  if (::fstat(fd_.get(), &info) != 0) fail("examine");
  if (info.st_size % pageSize != 0) {
    throw damagedFile(shownPath_, "its size is not a whole number of " + std::to_string(pageSize) +
                                      "-byte pages");
  }
  if (info.st_size / pageSize > kMostPagesInFile) {
    throw damagedFile(shownPath_, "it has more pages than a Jet file can have");
  }
  pageCount_ = static_cast<std::uint32_t>(info.st_size / pageSize);
}

void JetPageFile::fail(const std::string& what) const {
  throw EngineError("Cannot " + what + " the database file '" + shownPath_ +
                    "': " + std::strerror(errno) + ".");
}

void JetPageFile::read(std::uint32_t number, Page& page) const {
  if (number >= pageCount_) {
    throw damagedFile(shownPath_, "page " + std::to_string(number) + " lies beyond its end");
  }
  page.resize(static_cast<std::size_t>(pageSize_));
  const off_t at = static_cast<off_t>(number) * pageSize_;
  std::size_t done = 0;
  while (done < page.size()) {
    const ssize_t got =
        ::pread(fd_.get(), page.data() + done, page.size() - done, at + static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) fail("read");
    done += static_cast<std::size_t>(got);
  }
  if (databaseKey_ != 0 && number != 0) decryptPage(page.data(), page.size(), databaseKey_, number);
}

void JetPageFile::write(std::uint32_t number, const Page& page) {
  if (page.size() != static_cast<std::size_t>(pageSize_) || number > pageCount_) {
    throw EngineError("Internal error: a page write outside the database file.");
  }
  const off_t at = static_cast<off_t>(number) * pageSize_;
  std::size_t done = 0;
  while (done < page.size()) {
    const ssize_t put =
        ::pwrite(fd_.get(), page.data() + done, page.size() - done, at + static_cast<off_t>(done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) fail("write");
    done += static_cast<std::size_t>(put);
  }
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
