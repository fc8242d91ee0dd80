// Jet 4 text to and from UTF-8.
#include "data/providers/jet/values/JetText.h"

#include <vector>

#include "data/value/Utf16.h"

namespace tiermend::data::jet {

namespace {

// Compressed text longer than this is stored uncompressed, as Access does.
constexpr std::size_t kMostCompressedCharacters = 1024;

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
  return utf16ToUtf8(length / 2, [data](std::size_t i) -> char32_t {
    return data[2 * i] | (data[2 * i + 1] << 8);
  });
}

std::string decodeJet4Text(const std::uint8_t* data, std::size_t length) {
  if (length >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
    const auto units = decompress(data + 2, length - 2);
    return utf16leToUtf8(units.data(), units.size());
  }
  return utf16leToUtf8(data, length);
}

std::u16string utf8ToUtf16(const std::string& text) {
  return data::utf8ToUtf16<char16_t>(text);
}

std::vector<std::uint8_t> jet4TextBytes(const std::u16string& units, bool compress) {
  std::vector<std::uint8_t> bytes;
  bool compressible = compress && !units.empty() && units.size() <= kMostCompressedCharacters;
  for (char16_t unit : units) {
    if (unit == 0 || unit > 0xFF) compressible = false;
  }
  if (compressible) {
    bytes.reserve(units.size() + 2);
    bytes.push_back(0xFF);
    bytes.push_back(0xFE);
    for (char16_t unit : units) bytes.push_back(static_cast<std::uint8_t>(unit));
    return bytes;
  }
  bytes.reserve(units.size() * 2);
  for (char16_t unit : units) {
    bytes.push_back(static_cast<std::uint8_t>(unit));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

}  // namespace tiermend::data::jet
