// ASCII rules for names and keywords: compares that ignore case, case changes and
// trimming. Bytes above 127 are left as they are.
#pragma once

#include <string>
#include <string_view>

namespace tiermend::data {

char toLowerAscii(char c);
std::string toLowerAscii(std::string text);
std::string toUpperAscii(std::string text);

bool equalsIgnoringCase(std::string_view a, std::string_view b);
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);
bool containsIgnoringCase(std::string_view text, std::string_view part);

// Without leading and trailing blanks (spaces and tabs).
std::string_view trimBlanks(std::string_view text);
// Without leading and trailing white space (blanks, line ends, form feeds).
std::string_view trimWhitespace(std::string_view text);
// Whether every byte is a control character or a blank (empty text included).
bool isBlankText(std::string_view text);

}  // namespace tiermend::data
