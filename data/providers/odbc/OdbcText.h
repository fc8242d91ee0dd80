// Conversions between UTF-8 and the UTF-16 text (SQLWCHAR) of the ODBC wide calls.
// The provider talks to drivers only through the wide calls so that no locale or
// driver code-page setting can change the text on its way.
#pragma once

#include <string>
#include <string_view>

#include "platform/OdbcApi.h"

namespace tiermend::data::odbc {

using WideString = std::basic_string<SQLWCHAR>;

// Malformed UTF-8 bytes become U+FFFD.
WideString toWide(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string toUtf8(const SQLWCHAR* text, std::size_t length);
inline std::string toUtf8(const WideString& text) {
  return toUtf8(text.data(), text.size());
}

}  // namespace tiermend::data::odbc
