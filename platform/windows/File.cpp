// Files on Windows: handles from CreateFileW (paths converted from UTF-8, so that every
// name the file system can hold can be reached), reads and writes at an offset, FlushFileBuffers,
// and MoveFileExW with MOVEFILE_WRITE_THROUGH for the replacement. Every open shares reading,
// writing and deleting, so that nothing of ours keeps another program (or our own lock) out.
#include "platform/File.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <random>

#include "platform/windows/WideText.h"

namespace tiermend {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kLargestTransfer = 1 << 24;

HANDLE handleOf(std::intptr_t value) {
  return reinterpret_cast<HANDLE>(value);
}

OVERLAPPED at(std::uint64_t offset) {
  OVERLAPPED overlapped{};
  overlapped.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return overlapped;
}

OsError factsOfHandle(HANDLE file, FileFacts& facts) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return OsError::last();
  facts.regular = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                  GetFileType(file) == FILE_TYPE_DISK;
  facts.readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  facts.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  facts.volume = info.dwVolumeSerialNumber;
  facts.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return {};
}

// GetFullPathNameW: the path made absolute against the working folder.
OsError fullPathOf(const std::wstring& path, std::wstring& full) {
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return OsError::last();
  full.assign(needed, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return OsError::last();
  full.resize(length);
  return {};
}

std::string randomSuffix() {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<int> pick(0, sizeof kLetters - 2);
  std::string suffix;
  for (int i = 0; i < 6; ++i) suffix += kLetters[pick(generator)];
  return suffix;
}

}  // namespace

OsError OsError::last() {
  return OsError(static_cast<int>(GetLastError()));
}

bool OsError::notFound() const {
  return code_ == ERROR_FILE_NOT_FOUND || code_ == ERROR_PATH_NOT_FOUND;
}

// The system's text in its own language, as UTF-8 like the messages it goes into.
std::string OsError::reason() const {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code_), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason = length > 0 && text
                           ? codePageFromWide(CP_UTF8, std::wstring_view(text, length))
                           : std::string();
  if (text) LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                             reason.back() == ' ' || reason.back() == '.')) {
    reason.pop_back();
  }
  return reason.empty() ? "system error " + std::to_string(code_) : reason;
}

File::File(const std::string& path, Access access) {
  const DWORD rights = access == Access::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  HANDLE file = CreateFileW(wideFromUtf8(path).c_str(), rights, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error_ = OsError::last();
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
}

File File::createNew(const std::string& path) {
  File made;
  HANDLE file = CreateFileW(wideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll,
                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    made.error_ = OsError::last();
  } else {
    made.handle_ = reinterpret_cast<std::intptr_t>(file);
  }
  return made;
}

File File::createUnique(const std::string& folder, const std::string& prefix,
                        std::string& madePath) {
  File made;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path = joinPath(folder, prefix + randomSuffix());
    made = createNew(path);
    if (made) {
      madePath = path;
      return made;
    }
    if (made.error().code() != ERROR_FILE_EXISTS && made.error().code() != ERROR_ALREADY_EXISTS) {
      break;
    }
  }
  return made;
}

void File::close() {
  if (handle_ != kClosed) CloseHandle(handleOf(handle_));
  handle_ = kClosed;
}

OsError File::facts(FileFacts& facts) const {
  return factsOfHandle(handleOf(handle_), facts);
}

OsError File::readAt(std::uint64_t offset, void* buffer, std::size_t size, std::size_t& got) const {
  got = 0;
  auto* bytes = static_cast<char*>(buffer);
  while (got < size) {
    OVERLAPPED where = at(offset + got);
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size - got, kLargestTransfer));
    DWORD read = 0;
    if (!ReadFile(handleOf(handle_), bytes + got, wanted, &read, &where)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return OsError::last();
    }
    if (read == 0) break;
    got += read;
  }
  return {};
}

OsError File::writeAt(std::uint64_t offset, const void* buffer, std::size_t size) {
  const auto* bytes = static_cast<const char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    OVERLAPPED where = at(offset + done);
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size - done, kLargestTransfer));
    DWORD written = 0;
    if (!WriteFile(handleOf(handle_), bytes + done, wanted, &written, &where)) {
      return OsError::last();
    }
    if (written == 0) return OsError(ERROR_WRITE_FAULT);
    done += written;
  }
  return {};
}

OsError File::flush() {
  return FlushFileBuffers(handleOf(handle_)) ? OsError() : OsError::last();
}

// Moving the end of file allocates the clusters up to it (NTFS files are not sparse
// unless made so), so a full disk fails here.
OsError File::reserve(std::uint64_t size) {
  LARGE_INTEGER now{};
  if (!GetFileSizeEx(handleOf(handle_), &now)) return OsError::last();
  if (static_cast<std::uint64_t>(now.QuadPart) >= size) return {};
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFileInformationByHandle(handleOf(handle_), FileEndOfFileInfo, &end, sizeof end)) {
    return OsError::last();
  }
  return {};
}

OsError File::copyContentFrom(const File& from) {
  constexpr std::size_t kChunk = 1 << 20;
  std::unique_ptr<char[]> buffer(new char[kChunk]);
  std::uint64_t offset = 0;
  for (;;) {
    std::size_t got = 0;
    if (const OsError error = from.readAt(offset, buffer.get(), kChunk, got)) return error;
    if (got == 0) break;
    if (const OsError error = writeAt(offset, buffer.get(), got)) return error;
    offset += got;
  }
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(handleOf(handle_), end, nullptr, FILE_BEGIN) ||
      !SetEndOfFile(handleOf(handle_))) {
    return OsError::last();
  }
  return {};
}

OsError File::keepOwnerAndMode(const std::string&) {
  return {};
}

OsError resolvePath(const std::string& path, std::string& resolved) {
  std::wstring full;
  if (OsError error = fullPathOf(wideFromUtf8(path), full)) return error;
  if (GetFileAttributesW(full.c_str()) == INVALID_FILE_ATTRIBUTES) return OsError::last();
  resolved = codePageFromWide(CP_UTF8, full);
  return {};
}

OsError pathFacts(const std::string& path, FileFacts& facts) {
  HANDLE file = CreateFileW(wideFromUtf8(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return OsError::last();
  const OsError error = factsOfHandle(file, facts);
  CloseHandle(file);
  return error;
}

// Windows has no cheap question for a file's rights; the read-only attribute is what a
// user sets, and any other refusal comes from the open or the replacement itself.
OsError mayWriteFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(wideFromUtf8(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return OsError::last();
  if (attributes & FILE_ATTRIBUTE_READONLY) return OsError(ERROR_ACCESS_DENIED);
  return {};
}

OsError mayWriteInFolder(const std::string& folder) {
  const DWORD attributes = GetFileAttributesW(wideFromUtf8(folder).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return OsError::last();
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return OsError(ERROR_DIRECTORY);
  return {};
}

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW entry{};
  HANDLE search = FindFirstFileW(wideFromUtf8(joinPath(folder, "*")).c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = codePageFromWide(CP_UTF8, entry.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return names;
}

// Only a file is removed: a name that has become a folder is left alone.
OsError removeFile(const std::string& path) {
  const std::wstring wide = wideFromUtf8(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return OsError::last();
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return OsError(ERROR_DIRECTORY);
  return DeleteFileW(wide.c_str()) ? OsError() : OsError::last();
}

OsError replaceFile(const std::string& replacement, const std::string& target) {
  const BOOL moved = MoveFileExW(wideFromUtf8(replacement).c_str(), wideFromUtf8(target).c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  return moved ? OsError() : OsError::last();
}

std::string absolutePath(const std::string& path) {
  std::wstring full;
  if (fullPathOf(wideFromUtf8(path), full)) return path;
  return codePageFromWide(CP_UTF8, full);
}

bool isFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(wideFromUtf8(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string currentFolder() {
  const DWORD needed = GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) return {};
  std::wstring folder(needed, L'\0');
  const DWORD length = GetCurrentDirectoryW(needed, folder.data());
  if (length == 0 || length >= needed) return {};
  folder.resize(length);
  const std::string utf8 = codePageFromWide(CP_UTF8, folder);
  return isFolder(utf8) ? utf8 : std::string();
}

// MOVEFILE_WRITE_THROUGH returns only when the move is on the disk.
OsError flushFolder(const std::string&) {
  return {};
}

}  // namespace tiermend
