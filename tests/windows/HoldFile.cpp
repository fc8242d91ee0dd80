// hold-file PATH SECONDS: opens PATH for reading and writing, sharing reading and writing
// (as Access opens a shared database, or an editor a text file), says "held" on standard
// output, and keeps it open for SECONDS or until standard input ends. A Windows program,
// so that under Wine its share mode counts against other Windows programs.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: hold-file PATH SECONDS\n");
    return 2;
  }
  HANDLE file =
      CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "hold-file: cannot open %s (error %lu)\n", argv[1], GetLastError());
    return 1;
  }
  std::printf("held\n");
  std::fflush(stdout);
  Sleep(static_cast<DWORD>(std::atoi(argv[2])) * 1000);
  CloseHandle(file);
  return 0;
}
