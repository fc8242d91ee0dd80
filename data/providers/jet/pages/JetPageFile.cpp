// Page I/O with pread/pwrite on one file descriptor, closed exactly once.
#include "data/providers/jet/pages/JetPageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "data/EngineError.h"
#include "data/providers/jet/pages/JetHeader.h"

namespace tiermend::data::jet {

namespace {

// The largest file a Jet page pointer (3 bytes of page number) can address.
constexpr std::uint32_t kMostPages = 0xFFFFFF;

}  // namespace

JetPageFile::JetPageFile(const std::string& path, int pageSize, Access access,
                         std::uint32_t databaseKey, const std::string& shownPath)
    : shownPath_(shownPath.empty() ? path : shownPath),
      pageSize_(pageSize),
      databaseKey_(databaseKey) {
  if (databaseKey != 0 && access == Access::ReadWrite) {
    throw EngineError("Cannot update the database '" + shownPath_ +
                      "': it is encrypted, and this program cannot write encrypted pages.");
  }
  fd_ = ::open(path.c_str(), (access == Access::ReadOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
  if (fd_ < 0) fail("open");
  struct stat info {};
  if (::fstat(fd_, &info) != 0) {
    const int error = errno;
    ::close(fd_);
    fd_ = -1;
    errno = error;
    fail("examine");
  }
  if (info.st_size % pageSize != 0 || info.st_size / pageSize > kMostPages) {
    ::close(fd_);
    fd_ = -1;
    throw EngineError("The database file '" + shownPath_ + "' is damaged and cannot be " +
                      (access == Access::ReadOnly ? "read." : "written."));
  }
  pageCount_ = static_cast<std::uint32_t>(info.st_size / pageSize);
}

JetPageFile::~JetPageFile() {
  if (fd_ >= 0) ::close(fd_);
}

void JetPageFile::fail(const std::string& what) const {
  throw EngineError("Cannot " + what + " the database file '" + shownPath_ +
                    "': " + std::strerror(errno) + ".");
}

void JetPageFile::read(std::uint32_t number, Page& page) const {
  if (number >= pageCount_) {
    throw EngineError("The database file '" + shownPath_ + "' is damaged: page " +
                      std::to_string(number) + " lies beyond its end.");
  }
  page.resize(static_cast<std::size_t>(pageSize_));
  const off_t at = static_cast<off_t>(number) * pageSize_;
  std::size_t done = 0;
  while (done < page.size()) {
    const ssize_t got =
        ::pread(fd_, page.data() + done, page.size() - done, at + static_cast<off_t>(done));
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
        ::pwrite(fd_, page.data() + done, page.size() - done, at + static_cast<off_t>(done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) fail("write");
    done += static_cast<std::size_t>(put);
  }
  if (number == pageCount_) ++pageCount_;
}

std::uint32_t JetPageFile::append(const Page& page) {
  if (pageCount_ >= kMostPages) {
    throw EngineError("The database file '" + shownPath_ +
                      "' has reached the largest size Jet allows.");
  }
  const std::uint32_t number = pageCount_;
  write(number, page);
  return number;
}

}  // namespace tiermend::data::jet
