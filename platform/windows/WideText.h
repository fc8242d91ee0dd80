// Conversions between the tool's 8-bit text and the UTF-16 text of the Windows wide
// calls: UTF-8 (paths, log lines, the system's messages), or a code page.
#pragma once

#include <string>
#include <string_view>

namespace tiermend {

// Bytes that form no character of the code page become U+FFFD.
std::wstring wideFromCodePage(unsigned codePage, std::string_view text);
// Characters the code page cannot hold become its default character ("?").
std::string codePageFromWide(unsigned codePage, std::wstring_view text);

std::wstring wideFromUtf8(std::string_view utf8);

}  // namespace tiermend
