// A file opened for reading only, as an existing file only, closed by its destructor.
// Failures carry the Windows error code that the tool's messages are keyed on.
#pragma once

#include <cstddef>
#include <string>

namespace tiermend {

// The Windows error code for an errno value.
int windowsErrorFromErrno(int errnoValue);

class ReadOnlyFile {
 public:
  // Opens an existing file; throws EInOutError when it cannot.
  explicit ReadOnlyFile(const std::string& path);
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // Reads up to size bytes. Returns the count read (0 at the end of the file) and
  // sets errorCode to 0, or to the Windows error code of a failed read.
  size_t read(char* buffer, size_t size, int& errorCode);
  // Closes the file; returns 0 or the Windows error code of a failed close.
  int close();

 private:
  int fd_;
};

}  // namespace tiermend
