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

// U+FFFD, which the UTF-8 conversion puts where bytes form no character.
constexpr wchar_t kReplacement = 0xFFFD;

bool isHighSurrogate(wchar_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}

// Code page text as UTF-16, one "?" for each sequence that forms no character of the
// code page, which is skipped by one byte, as iconv's conversion is on POSIX systems.
// (MultiByteToWideChar alone would make such bytes private-use characters.)
std::wstring wideFromCodePageStrictly(unsigned codePage, std::string_view text,
                                      const CodePage& leadBytes) {
  std::wstring wide;
  wide.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = leadBytes.charLength(text, at);
    wchar_t unit[2] = {};
    const int made = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data() + at,
                                         static_cast<int>(length), unit, 2);
    if (made > 0) {
      wide.append(unit, static_cast<std::size_t>(made));
      at += length;
    } else {
      wide.push_back(L'?');
      ++at;
    }
  }
  return wide;
}

// UTF-16 as code page text. A character the code page cannot hold becomes one "?": no
// best-fit look-alikes ("e" for "é"), and a character beyond the basic plane (two UTF-16
// units, which no ANSI code page holds) is one character, not two.
std::string codePageFromWideStrictly(unsigned codePage, std::wstring wide) {
  std::wstring units;
  units.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    if (wide[i] == kReplacement) {
      units.push_back(L'?');
    } else if (isHighSurrogate(wide[i]) && i + 1 < wide.size()) {
      units.push_back(L'?');
      ++i;
    } else {
      units.push_back(wide[i]);
    }
  }
  if (units.empty()) return {};
  const int length = static_cast<int>(units.size());
  const int needed = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, units.data(), length,
                                         nullptr, 0, "?", nullptr);
  if (needed <= 0) return {};
  std::string bytes(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, units.data(), length, bytes.data(), needed,
                      "?", nullptr);
  return bytes;
}

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
  return codePageFromWide(CP_UTF8, wideFromCodePageStrictly(id_, text, *this));
}

std::string CodePage::fromUtf8(std::string_view utf8) const {
  if (id_ == kUtf8 || utf8.empty()) return std::string(utf8);
  requireConversion(id_);
  return codePageFromWideStrictly(id_, wideFromUtf8(utf8));
}

}  // namespace tiermend
