// Text as Jet 4 stores it, both directions: UTF-16LE, optionally in Access's "Unicode
// compression" form. Decoded to UTF-8 with surrogate pairs joined, so that characters outside the
// Basic Multilingual Plane are kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tiermend::data::jet {

// UTF-16LE to UTF-8. Surrogate pairs become one character; a lone surrogate becomes
// U+FFFD; an odd final byte is ignored.
std::string utf16leToUtf8(const std::uint8_t* data, std::size_t length);

// A Jet 4 text or memo value to UTF-8. Compressed values start with FF FE; after that
// a zero byte switches between one-byte characters (U+0001 to U+00FF) and plain
// UTF-16LE code units, starting with one-byte characters.
std::string decodeJet4Text(const std::uint8_t* data, std::size_t length);

// UTF-8 to UTF-16 code units (malformed bytes become U+FFFD).
std::u16string utf8ToUtf16(const std::string& text);

// Jet 4 text: UTF-16LE, or in Access's compressed form (FF FE, then one byte a
// character) when compress is set and every character lies in U+0001..U+00FF.
std::vector<std::uint8_t> jet4TextBytes(const std::u16string& units, bool compress);

}  // namespace tiermend::data::jet
