// Standard streams that are closed at start-up opened on /dev/null (see StandardStreams.h).
#include "platform/StandardStreams.h"

#include <fcntl.h>
#include <unistd.h>

#include <initializer_list>

namespace tiermend {
namespace {

bool outputClosed = false;

bool isOpen(int fd) {
  return fcntl(fd, F_GETFD) != -1;
}

}  // namespace

void holdStandardStreams() {
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (isOpen(fd)) continue;
    if (fd == STDOUT_FILENO) outputClosed = true;
    // open() takes the lowest free number, which is this one: the lower ones are open.
    const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      dup2(opened, fd);
      close(opened);
    }
  }
}

bool standardOutputWasClosed() {
  return outputClosed;
}

}  // namespace tiermend
