// Readable names for the cases of parameterised tests. GoogleTest accepts only letters,
// digits and '_' in a case's name, and its default (the index, or a dump of the
// parameter's bytes) says nothing about which case failed. testNameFrom turns any text
// taken from a case's own data into such a name part, the same in every build.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tiermend::testing {

// ASCII letters and digits are kept; every run of other ASCII characters becomes one '_';
// a byte outside ASCII is written as 'x' and its two hex digits, so texts in different
// code pages stay told apart. Leading and trailing '_' are dropped; text left empty is
// named "empty".
inline std::string testNameFrom(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string name;
  bool gap = false;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool letterOrDigit = (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
                               (byte >= 'a' && byte <= 'z');
    if (letterOrDigit || byte >= 0x80) {
      if (gap && !name.empty()) name += '_';
      gap = false;
      if (letterOrDigit) {
        name += c;
      } else {
        name += 'x';
        name += kHex[byte >> 4];
        name += kHex[byte & 0xF];
      }
    } else {
      gap = true;
    }
  }
  return name.empty() ? "empty" : name;
}

// For short texts whose punctuation is what tells the cases apart ("-0.5", "1,5", " 1"):
// letters and digits are kept, and every other character is spelled out as a word
// ("minus_0_dot_5", "1_comma_5", "space_1"), so different texts give different names.
inline std::string testNameSpelledOut(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string name;
  bool inWord = false;
  const auto word = [&name](std::string_view part) {
    if (!name.empty()) name += '_';
    name += part;
  };
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool letterOrDigit = (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
                               (byte >= 'a' && byte <= 'z');
    if (letterOrDigit) {
      if (!inWord && !name.empty()) name += '_';
      name += c;
      inWord = true;
      continue;
    }
    inWord = false;
    switch (c) {
      case '-':
        word("minus");
        break;
      case '+':
        word("plus");
        break;
      case '.':
        word("dot");
        break;
      case ',':
        word("comma");
        break;
      case ' ':
        word("space");
        break;
      case '\t':
        word("tab");
        break;
      case '_':
        word("underscore");
        break;
      default:
        word(std::string{'x', kHex[byte >> 4], kHex[byte & 0xF]});
    }
  }
  return name.empty() ? "empty" : name;
}

// For cases whose texts would give two of them the same name: the name part followed by
// the case's position in its list.
inline std::string testNameFrom(std::string_view text, std::size_t index) {
  return testNameFrom(text) + "_" + std::to_string(index);
}

}  // namespace tiermend::testing
