// Stands in for another program that has an Access database open: takes a write lock on
// the whole of a file (creating it if absent), says "locked" on standard output, and holds
// the lock for the given seconds (0: until it is killed).
//   hold-lock FILE SECONDS
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: hold-lock FILE SECONDS\n");
    return 2;
  }
  const int fd = open(argv[1], O_RDWR | O_CREAT, 0666);
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  if (fd < 0 || fcntl(fd, F_SETLK, &lock) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  std::printf("locked\n");
  std::fflush(stdout);
  const int seconds = std::atoi(argv[2]);
  if (seconds <= 0) {
    for (;;) pause();
  }
  sleep(static_cast<unsigned>(seconds));
  return 0;
}
