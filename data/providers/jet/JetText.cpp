// Decoding Jet 4 text to UTF-8.
#include "data/providers/jet/JetText.h"

#include <vector>

namespace tiermend::data::jet {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool isHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

std::vector<std::uint8_t> decompress(const std::uint8_t* data, std::size_t length) {
  std::vector<std::uint8_t> units;
  units.reserve(length * 2);
  bool compressed = true;
  std::size_t i = 0;
  while (i < length) {
    if (data[i] == 0) {
      compressed = !compressed;
      ++i;
    } else if (compressed) {
      units.push_back(data[i++]);
      units.push_back(0);
    } else if (i + 1 < length) {
      units.push_back(data[i]);
      units.push_back(data[i + 1]);
      i += 2;
    } else {
      break;  // an odd byte left over: not part of any character
    }
  }
  return units;
}

}  // namespace

std::string utf16leToUtf8(const std::uint8_t* data, std::size_t length) {
  std::string out;
  out.reserve(length + length / 2);
  const std::size_t count = length / 2;
  for (std::size_t i = 0; i < count; ++i) {
    const char32_t unit = data[2 * i] | (data[2 * i + 1] << 8);
    if (isHighSurrogate(unit) && i + 1 < count) {
      const char32_t next = data[2 * i + 2] | (data[2 * i + 3] << 8);
      if (isLowSurrogate(next)) {
        appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
        ++i;
        continue;
      }
    }
    appendUtf8(out, isHighSurrogate(unit) || isLowSurrogate(unit) ? kReplacement : unit);
  }
  return out;
}

std::string decodeJet4Text(const std::uint8_t* data, std::size_t length) {
  if (length >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
    const auto units = decompress(data + 2, length - 2);
    return utf16leToUtf8(units.data(), units.size());
  }
  return utf16leToUtf8(data, length);
}

}  // namespace tiermend::data::jet
