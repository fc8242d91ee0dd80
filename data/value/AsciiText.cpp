// ASCII case and blank rules.
#include "data/value/AsciiText.h"

#include <algorithm>
#include <cctype>

namespace tiermend::data {
namespace {

bool sameIgnoringCase(char x, char y) {
  return toLowerAscii(x) == toLowerAscii(y);
}

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

bool isWhitespace(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

template <class Predicate>
std::string_view trimmed(std::string_view text, Predicate drop) {
  while (!text.empty() && drop(text.front())) text.remove_prefix(1);
  while (!text.empty() && drop(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

char toLowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string toLowerAscii(std::string text) {
  for (char& c : text) c = toLowerAscii(c);
  return text;
}

std::string toUpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), sameIgnoringCase);
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), sameIgnoringCase);
}

bool containsIgnoringCase(std::string_view text, std::string_view part) {
  return std::search(text.begin(), text.end(), part.begin(), part.end(), sameIgnoringCase) !=
         text.end();
}

std::string_view trimBlanks(std::string_view text) {
  return trimmed(text, isBlank);
}

std::string_view trimWhitespace(std::string_view text) {
  return trimmed(text, isWhitespace);
}

bool isBlankText(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c <= 32; });
}

}  // namespace tiermend::data
