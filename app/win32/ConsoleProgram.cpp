// Reads the subsystem from the running program's own image header, where the linker
// wrote it: the two programs are built from the same objects.
#include "app/win32/ConsoleProgram.h"

#include <windows.h>

namespace tiermend::app {

bool isConsoleProgram() {
  const auto* image = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
  return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
}

}  // namespace tiermend::app
