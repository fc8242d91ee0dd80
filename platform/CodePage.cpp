// What every platform shares of code pages: the names of codesets, and character
// lengths by lead bytes. Detection and conversion are the platform's (posix/, windows/).
#include "platform/CodePage.h"

#include <algorithm>
#include <cctype>

namespace tiermend {
namespace {

std::string upper(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  result.erase(std::remove(result.begin(), result.end(), '-'), result.end());
  result.erase(std::remove(result.begin(), result.end(), '_'), result.end());
  return result;
}

}  // namespace

CodePage CodePage::fromCodeset(std::string_view codeset) {
  const std::string name = upper(codeset);
  if (name == "UTF8" || name == "ANSIX3.41968" || name == "ASCII" || name.empty() ||
      name == "POSIX")
    return CodePage(kUtf8);
  if (name == "BIG5" || name == "BIG5HKSCS" || name == "CP950") return CodePage(950);
  if (name == "GBK" || name == "GB2312" || name == "GB18030" || name == "CP936")
    return CodePage(936);
  if (name == "EUCKR" || name == "CP949") return CodePage(949);
  if (name == "SHIFTJIS" || name == "SJIS" || name == "CP932") return CodePage(932);
  if (name == "ISO88591" || name == "CP1252") return CodePage(1252);
  if (name == "ISO88592" || name == "CP1250") return CodePage(1250);
  if (name == "ISO88595" || name == "KOI8R" || name == "CP1251") return CodePage(1251);
  if (name == "ISO88597" || name == "CP1253") return CodePage(1253);
  if (name == "ISO88599" || name == "CP1254") return CodePage(1254);
  // Any other codeset is a single-byte one; Western is the closest common choice.
  return CodePage(1252);
}

size_t CodePage::charLength(std::string_view text, size_t pos) const {
  if (pos + 1 < text.size() && isLeadByte(static_cast<unsigned char>(text[pos]))) return 2;
  return 1;
}

}  // namespace tiermend
