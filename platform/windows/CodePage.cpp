// The code page on Windows: the ANSI code page of the thread's locale, its lead bytes
// as GetCPInfo reports them, and conversion through UTF-16 with MultiByteToWideChar and
// WideCharToMultiByte.
#include "platform/CodePage.h"

#include <windows.h>

#include <array>
#include <cstdlib>
#include <map>
#include <mutex>
#include <stdexcept>

#include "platform/windows/WideText.h"

namespace tiermend {
namespace {

using LeadByteTable = std::array<bool, 256>;

// GetCPInfo's lead-byte ranges for a code page; none where it has none or is unknown.
LeadByteTable leadBytesFromSystem(unsigned codePage) {
  LeadByteTable table{};
  CPINFO info{};
  if (!GetCPInfo(codePage, &info)) return table;
  for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
    for (unsigned byte = info.LeadByte[i]; byte <= info.LeadByte[i + 1] && byte < 256; ++byte) {
      table[byte] = true;
    }
  }
  return table;
}

// Asked once per code page: the lead-byte test runs for every byte of every line.
const LeadByteTable& leadBytesOf(unsigned codePage) {
  static std::mutex mutex;
  static std::map<unsigned, LeadByteTable> tables;
  const std::lock_guard<std::mutex> lock(mutex);
  auto found = tables.find(codePage);
  if (found == tables.end()) found = tables.emplace(codePage, leadBytesFromSystem(codePage)).first;
  return found->second;
}

// U+FFFD, which MultiByteToWideChar puts where bytes form no character.
constexpr wchar_t kReplacement = 0xFFFD;

// A code page this system has no conversion for fails as iconv's would on POSIX.
void requireConversion(unsigned codePage) {
  if (!IsValidCodePage(codePage)) {
    throw std::runtime_error("no conversion for code page " + std::to_string(codePage));
  }
}

}  // namespace

CodePage CodePage::fromProcessLocale() {
  char item[16] = {};
  if (GetLocaleInfoA(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, item, sizeof item) > 0) {
    char* end = nullptr;
    const unsigned long id = std::strtoul(item, &end, 10);
    if (end != item && *end == '\0' && id != 0) return CodePage(static_cast<unsigned>(id));
  }
  return CodePage(GetACP());
}

bool CodePage::isLeadByte(unsigned char byte) const {
  if (id_ == kUtf8) return false;
  return leadBytesOf(id_)[byte];
}

std::string CodePage::toUtf8(std::string_view text) const {
  if (id_ == kUtf8 || text.empty()) return std::string(text);
  requireConversion(id_);
  std::wstring wide = wideFromCodePage(id_, text);
  for (wchar_t& c : wide) {
    if (c == kReplacement) c = L'?';
  }
  return codePageFromWide(CP_UTF8, wide);
}

std::string CodePage::fromUtf8(std::string_view utf8) const {
  if (id_ == kUtf8 || utf8.empty()) return std::string(utf8);
  requireConversion(id_);
  std::wstring wide = wideFromUtf8(utf8);
  for (wchar_t& c : wide) {
    if (c == kReplacement) c = L'?';
  }
  return codePageFromWide(id_, wide);
}

}  // namespace tiermend
