// UTF-8 and UTF-16, as engines hand text over (Jet stores UTF-16LE, the ODBC wide calls
// take SQLWCHAR). Malformed UTF-8 and unpaired surrogates become U+FFFD.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tiermend::data {

constexpr char32_t kReplacementCharacter = 0xFFFD;

void appendUtf8(std::string& out, char32_t code);
// Byte length of the UTF-8 sequence that starts at text[pos]: 1 to 4, and 1 for a byte
// that does not start a well-formed sequence.
std::size_t utf8SequenceLength(std::string_view text, std::size_t pos);
// Decodes the code point at text[i], advancing i past it; malformed input gives U+FFFD.
char32_t nextUtf8CodePoint(std::string_view text, std::size_t& i);

inline bool isHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
inline bool isLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// UTF-16 code units to UTF-8; unitAt(i) gives unit i of count. Surrogate pairs become
// one character.
template <class UnitAt>
std::string utf16ToUtf8(std::size_t count, UnitAt unitAt) {
  std::string out;
  out.reserve(count + count / 2);
  for (std::size_t i = 0; i < count; ++i) {
    const char32_t unit = unitAt(i);
    if (isHighSurrogate(unit) && i + 1 < count) {
      const char32_t next = unitAt(i + 1);
      if (isLowSurrogate(next)) {
        appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
        ++i;
        continue;
      }
    }
    appendUtf8(out, isHighSurrogate(unit) || isLowSurrogate(unit) ? kReplacementCharacter : unit);
  }
  return out;
}

// UTF-8 to UTF-16 code units of type Unit.
template <class Unit>
std::basic_string<Unit> utf8ToUtf16(std::string_view utf8) {
  std::basic_string<Unit> out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    char32_t code = nextUtf8CodePoint(utf8, i);
    if (code >= 0x10000) {
      code -= 0x10000;
      out += static_cast<Unit>(0xD800 + (code >> 10));
      out += static_cast<Unit>(0xDC00 + (code & 0x3FF));
    } else {
      out += static_cast<Unit>(code);
    }
  }
  return out;
}

}  // namespace tiermend::data
