// A regular file opened for reading only, as an existing file only, sharing read access
// only, closed by its destructor. Pipes, devices and sockets are refused when opened,
// without waiting. Failures carry the Windows error code that the tool's messages are
// keyed on: on Windows the system's own (CreateFileA, ReadFile, CloseHandle with
// GetLastError), elsewhere the code that errno maps to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tiermend {

#ifndef _WIN32
// The Windows error code for an errno value.
int windowsErrorFromErrno(int errnoValue);
#endif

class ReadOnlyFile {
 public:
  // Who else may open the file meanwhile. Windows enforces it: a file opened sharing
  // reading only cannot be opened while another program has it open for writing
  // (error 32). Other systems have no such modes.
  enum class Sharing { OthersMayRead, OthersMayReadAndWrite };
  // How a path's bytes are read on Windows: in the ANSI code page, as CreateFileA takes
  // them (the link file), or as UTF-8, as the data layer holds the paths it was given
  // (CreateFileW). Other systems take the bytes as they are.
  enum class PathText { Ansi, Utf8 };

  // Opens an existing regular file; throws EInOutError when it cannot, with code 5
  // (access denied) for a folder, a pipe, a device or a socket.
  explicit ReadOnlyFile(const std::string& path, Sharing sharing = Sharing::OthersMayRead,
                        PathText pathText = PathText::Ansi);
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // Reads up to size bytes. Returns the count read (0 at the end of the file) and
  // sets errorCode to 0, or to the Windows error code of a failed read.
  size_t read(char* buffer, size_t size, int& errorCode);
  // Closes the file; returns 0 or the Windows error code of a failed close.
  int close();

  // The file's size when it was opened (0 for files the system makes up as they are
  // read, such as those under /proc).
  std::uint64_t sizeAtOpen() const { return sizeAtOpen_; }

 private:
  // A POSIX descriptor, or a Windows handle; -1 when closed (INVALID_HANDLE_VALUE).
  std::intptr_t handle_ = -1;
  std::uint64_t sizeAtOpen_ = 0;
};

}  // namespace tiermend
