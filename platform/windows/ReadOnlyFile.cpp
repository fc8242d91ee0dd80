// Reading a file read-only with the Windows file functions: CreateFileA (CreateFileW for
// a UTF-8 path), ReadFile and CloseHandle, each failure reported with the code
// GetLastError gives.
#include "platform/ReadOnlyFile.h"

#include <windows.h>

#include "platform/Exceptions.h"
#include "platform/windows/WideText.h"

namespace tiermend {
namespace {

HANDLE handleOf(std::intptr_t value) {
  return reinterpret_cast<HANDLE>(value);
}

}  // namespace

// GENERIC_READ, FILE_SHARE_READ (or with FILE_SHARE_WRITE), OPEN_EXISTING: other
// programs may read the file at the same time, and unless writers are shared with, the
// open fails with a sharing violation (32) while another program holds it open for writing. A
// folder is refused by the open itself (access denied); anything that is not a file on a disk (a
// pipe, a console, a device) is refused so too.
ReadOnlyFile::ReadOnlyFile(const std::string& path, Sharing sharing, PathText pathText) {
  const DWORD share =
      sharing == Sharing::OthersMayRead ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE file = pathText == PathText::Ansi
                    ? CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr)
                    : CreateFileW(wideFromUtf8(path).c_str(), GENERIC_READ, share, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw EInOutError(static_cast<int>(GetLastError()));
  handle_ = reinterpret_cast<std::intptr_t>(file);
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    handle_ = -1;
    throw EInOutError(ERROR_ACCESS_DENIED);
  }
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size)) sizeAtOpen_ = static_cast<std::uint64_t>(size.QuadPart);
}

ReadOnlyFile::~ReadOnlyFile() {
  if (handle_ != -1) CloseHandle(handleOf(handle_));
}

size_t ReadOnlyFile::read(char* buffer, size_t size, int& errorCode) {
  errorCode = 0;
  // ReadFile takes at most a DWORD's worth at once; the caller reads on until the end.
  const DWORD wanted = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
  DWORD got = 0;
  if (!ReadFile(handleOf(handle_), buffer, wanted, &got, nullptr)) {
    errorCode = static_cast<int>(GetLastError());
    return 0;
  }
  return got;
}

int ReadOnlyFile::close() {
  if (handle_ == -1) return 0;
  const BOOL closed = CloseHandle(handleOf(handle_));
  handle_ = -1;
  return closed ? 0 : static_cast<int>(GetLastError());
}

}  // namespace tiermend
