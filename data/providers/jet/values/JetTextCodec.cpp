// Jet 3 and Jet 4 text to and from UTF-8.
#include "data/providers/jet/values/JetTextCodec.h"

#include "data/EngineError.h"
#include "data/providers/jet/format/JetFormat.h"
#include "data/value/Utf16.h"
#include "platform/CodePage.h"

namespace tiermend::data::jet {

namespace {

std::string utf16leToUtf8(const std::uint8_t* data, std::size_t size) {
  return utf16ToUtf8(size / 2, [data](std::size_t i) -> char32_t { return loadU16(data + 2 * i); });
}

// The UTF-16LE bytes of compressed text (after its mark).
std::vector<std::uint8_t> decompress(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> units;
  units.reserve(size * 2);
  bool compressed = true;
  std::size_t i = 0;
  while (i < size) {
    if (data[i] == 0) {
      compressed = !compressed;
      ++i;
    } else if (compressed) {
      units.push_back(data[i++]);
      units.push_back(0);
    } else if (i + 1 < size) {
      units.push_back(data[i]);
      units.push_back(data[i + 1]);
      i += 2;
    } else {
      break;  // an odd byte left over: not part of any character
    }
  }
  return units;
}

bool compressible(const std::u16string& units) {
  if (units.empty() || units.size() > kMostCompressedCharacters) return false;
  for (char16_t unit : units) {
    if (unit == 0 || unit > 0xFF) return false;
  }
  return true;
}

void appendUtf16le(const std::u16string& units, bool compress, std::vector<std::uint8_t>& out) {
  if (compress && compressible(units)) {
    out.insert(out.end(), std::begin(kCompressedTextMark), std::end(kCompressedTextMark));
    for (char16_t unit : units) out.push_back(static_cast<std::uint8_t>(unit));
    return;
  }
  const std::size_t start = out.size();
  out.resize(start + 2 * units.size());
  for (std::size_t i = 0; i < units.size(); ++i) storeU16(out.data() + start + 2 * i, units[i]);
}

[[noreturn]] void tooLong(const std::string& column) {
  throw EngineError("The text is too long for field '" + column + "'.");
}

}  // namespace

JetTextCodec::JetTextCodec(bool jet3, unsigned codePage)
    : jet3_(jet3), codePage_(codePage != 0 ? codePage : kJet3DefaultCodePage) {}

std::string JetTextCodec::decode(const std::uint8_t* data, std::size_t size) const {
  if (jet3_) return fromCodePage(data, size);
  if (size >= 2 && data[0] == kCompressedTextMark[0] && data[1] == kCompressedTextMark[1]) {
    const auto units = decompress(data + 2, size - 2);
    return utf16leToUtf8(units.data(), units.size());
  }
  return utf16leToUtf8(data, size);
}

std::string JetTextCodec::decodeName(const std::uint8_t* data, std::size_t size) const {
  return jet3_ ? fromCodePage(data, size) : utf16leToUtf8(data, size);
}

void JetTextCodec::encode(const std::string& text, bool compress, std::size_t mostBytes,
                          const std::string& column, std::vector<std::uint8_t>& out) const {
  if (jet3_) {
    encodeInCodePage(text, mostBytes, column, out);
    return;
  }
  const std::u16string units = utf16(text);
  if (units.size() * 2 > mostBytes) tooLong(column);
  appendUtf16le(units, compress, out);
}

std::u16string JetTextCodec::utf16(const std::string& text) const {
  return utf8ToUtf16<char16_t>(text);
}

// A header may name a code page this machine has no conversion for (a damaged file
// names any number): that is the file's failure, reported as the engine's, never an
// exception the provider does not expect.
template <class Convert>
std::string JetTextCodec::inCodePage(Convert convert) const {
  try {
    return convert(CodePage(codePage_));
  } catch (const EngineError&) {
    throw;
  } catch (const std::runtime_error&) {
    throw EngineError("The database's text is in code page " + std::to_string(codePage_) +
                      ", which this program cannot convert.");
  }
}

std::string JetTextCodec::fromCodePage(const std::uint8_t* data, std::size_t size) const {
  if (size == 0) return {};
  return inCodePage([&](const CodePage& codePage) {
    return codePage.toUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  });
}

// Text the code page cannot hold would read back as other text ('?' in its place).
void JetTextCodec::encodeInCodePage(const std::string& text, std::size_t mostBytes,
                                    const std::string& column,
                                    std::vector<std::uint8_t>& out) const {
  const std::string bytes =
      inCodePage([&](const CodePage& codePage) { return codePage.fromUtf8(text); });
  const auto* stored = reinterpret_cast<const std::uint8_t*>(bytes.data());
  if (fromCodePage(stored, bytes.size()) != text) {
    throw EngineError("The text for field '" + column +
                      "' holds characters that the database's code page cannot store.");
  }
  if (bytes.size() > mostBytes) tooLong(column);
  out.insert(out.end(), stored, stored + bytes.size());
}

}  // namespace tiermend::data::jet
