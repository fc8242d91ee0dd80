// UTF-8 and the UTF-16 text of the ODBC wide calls.
#include "data/providers/odbc/OdbcText.h"

#include "data/value/Utf16.h"

namespace tiermend::data::odbc {

WideString toWide(std::string_view utf8) {
  return utf8ToUtf16<SQLWCHAR>(utf8);
}

std::string toUtf8(const SQLWCHAR* text, std::size_t length) {
  return utf16ToUtf8(length, [text](std::size_t i) -> char32_t { return text[i]; });
}

}  // namespace tiermend::data::odbc
