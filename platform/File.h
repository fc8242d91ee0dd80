// Files as the Jet engine works on them: opened, read and written at an offset,
// flushed to disk, copied, and put in place over another file in one step. Every
// failure comes back as an OsError that carries the system's own reason, so that the
// caller can word its message and add the reason. One realisation per operating system
// (posix/File.cpp, windows/File.cpp). Paths are UTF-8, as the data layer holds them; on
// POSIX systems their bytes go to the system unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tiermend {

// The outcome of a call to the operating system: none, or the code it failed with.
class OsError {
 public:
  OsError() = default;
  explicit OsError(int code) : code_(code) {}
  // The error of the call that has just failed (errno, or GetLastError()).
  static OsError last();

  explicit operator bool() const { return code_ != 0; }
  int code() const { return code_; }
  // The file or a folder on its path does not exist.
  bool notFound() const;
  // The system's own description, without a closing full stop.
  std::string reason() const;

 private:
  int code_ = 0;
};

// What the system says about a file.
struct FileFacts {
  bool regular = false;   // a plain file: no folder, device, pipe or socket
  bool readOnly = false;  // marked so: no write permission for anyone, or Windows's attribute
  std::uint64_t size = 0;
  // Two paths name the same file when these are equal.
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool sameFileAs(const FileFacts& other) const {
    return volume == other.volume && index == other.index;
  }
};

// An open file, closed by its destructor.
class File {
 public:
  enum class Access { Read, ReadWrite };

  File() = default;
  // Opens an existing file; other programs may read and write it meanwhile. Test the
  // result with operator bool and error().
  File(const std::string& path, Access access);
  // Makes a file that does not exist yet, for reading and writing by this user only.
  static File createNew(const std::string& path);
  // Makes a new file in folder, named prefix followed by six random letters or digits.
  static File createUnique(const std::string& folder, const std::string& prefix,
                           std::string& madePath);

  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  explicit operator bool() const { return handle_ != kClosed; }
  // Why the open failed.
  const OsError& error() const { return error_; }

  OsError facts(FileFacts& facts) const;
  // Reads size bytes at offset, fewer only at the end of the file (got says how many).
  OsError readAt(std::uint64_t offset, void* buffer, std::size_t size, std::size_t& got) const;
  OsError writeAt(std::uint64_t offset, const void* buffer, std::size_t size);
  // Makes everything written so far durable (fsync, FlushFileBuffers).
  OsError flush();
  // Takes the disk space for size bytes now, growing the file to that size where it is
  // shorter (its new bytes read as zeros): a full disk fails here, not at a later write.
  OsError reserve(std::uint64_t size);
  // Gives this file the content of from, replacing what it held.
  OsError copyContentFrom(const File& from);
  // Gives this file the owner and permissions a file had (POSIX; nothing on Windows,
  // where the file that is replaced keeps its own).
  OsError keepOwnerAndMode(const std::string& ofPath);
  void close();

 private:
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_ = kClosed;  // a POSIX descriptor or a Windows HANDLE
  OsError error_;
};

// The file a path names, as an absolute path with links resolved; the file must exist.
OsError resolvePath(const std::string& path, std::string& resolved);
OsError pathFacts(const std::string& path, FileFacts& facts);
// Whether this user may write the file, and make and remove files in the folder.
OsError mayWriteFile(const std::string& path);
OsError mayWriteInFolder(const std::string& folder);
// The names in a folder (not "." and ".."); empty when it cannot be read.
std::vector<std::string> folderEntries(const std::string& folder);
OsError removeFile(const std::string& path);
// Puts replacement in target's place in one step, durably where the system can.
OsError replaceFile(const std::string& replacement, const std::string& target);
// Windows cannot put a file in the place of one that is open, even only for reading:
// whoever holds the old one must let go of it first. POSIX systems keep the old file
// for those who have it open.
#ifdef _WIN32
inline constexpr bool kOpenFileBlocksReplacement = true;
#else
inline constexpr bool kOpenFileBlocksReplacement = false;
#endif
// Makes the entries of a folder (a rename in it) durable; nothing to do on Windows.
OsError flushFolder(const std::string& folder);

// The path made absolute against the working folder, without "." and ".." parts.
std::string absolutePath(const std::string& path);
bool isFolder(const std::string& path);
// The working folder; empty when it no longer exists.
std::string currentFolder();

// The folder part and the last part of a path ("." for a bare name); on Windows a
// backslash separates them as well as a slash.
std::string folderOfPath(const std::string& path);
std::string lastPartOfPath(const std::string& path);
std::string joinPath(const std::string& folder, const std::string& name);

}  // namespace tiermend
