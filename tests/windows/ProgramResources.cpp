// program-resources PROGRAM TEXT: prints what a Windows program carries as resources, as
// the system reads them: its version information, its application manifest, and the
// event log record (event TIERMEND_EVENT_RUN_RECORD) that its message table makes of
// TEXT, as the Event Viewer would show it. For the installer's end-to-end test under Wine.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "EventMessages.h"

namespace {

std::string utf8(const wchar_t* text, int length = -1) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size : 0, '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
  if (length < 0 && !out.empty()) out.pop_back();  // the terminating null
  return out;
}

std::wstring wide(const char* text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring out(size > 0 ? size : 0, L'\0');
  if (size > 0) MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), size);
  if (!out.empty()) out.pop_back();
  return out;
}

void printVersion(const wchar_t* program) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(program, &ignored);
  std::vector<BYTE> info(size);
  if (!size || !GetFileVersionInfoW(program, 0, size, info.data())) {
    std::printf("version: none\n");
    return;
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed)
    std::printf("file version: %u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS),
                LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                LOWORD(fixed->dwFileVersionLS));
  for (const wchar_t* name : {L"ProductName", L"ProductVersion", L"OriginalFilename"}) {
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    wchar_t* value = nullptr;
    if (VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
      std::printf("%s: %s\n", utf8(name).c_str(), utf8(value).c_str());
  }
}

struct ModuleDeleter {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter>;

void printManifest(HMODULE module) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* text = loaded ? LockResource(loaded) : nullptr;
  if (!text) {
    std::printf("manifest: none\n");
    return;
  }
  std::printf("manifest:\n%.*s\n", static_cast<int>(SizeofResource(module, found)),
              static_cast<const char*>(text));
}

void printEventMessage(HMODULE module, const std::wstring& line) {
  const DWORD_PTR arguments[] = {reinterpret_cast<DWORD_PTR>(line.c_str())};
  wchar_t* message = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY,
      module, TIERMEND_EVENT_RUN_RECORD, 0, reinterpret_cast<wchar_t*>(&message), 0,
      reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(arguments)));
  if (!length) {
    std::printf("event %lu: none (error %lu)\n", TIERMEND_EVENT_RUN_RECORD, GetLastError());
    return;
  }
  std::printf("event %lu: %s\n", TIERMEND_EVENT_RUN_RECORD, utf8(message, length).c_str());
  LocalFree(message);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: program-resources PROGRAM TEXT\n");
    return 2;
  }
  const std::wstring program = wide(argv[1]);
  printVersion(program.c_str());
  Module module(LoadLibraryExW(program.c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!module) {
    std::fprintf(stderr, "program-resources: cannot load %s (error %lu)\n", argv[1],
                 GetLastError());
    return 1;
  }
  printManifest(module.get());
  printEventMessage(module.get(), wide(argv[2]));
  return 0;
}
