// Reading and checking the database definition page of a Jet file.
#include "data/providers/jet/pages/JetHeader.h"

#include <algorithm>

#include "data/EngineError.h"
#include "platform/File.h"

namespace tiermend::data::jet {

namespace {

// The catalogue (MSysObjects) has its own page, so a usable file reaches past it.
constexpr long long kMinimumPages = kCatalogueDefinitionPage + 1;

// A number as the 4 bytes of an RC4 key, little-endian.
std::vector<std::uint8_t> keyBytes(std::uint32_t key) {
  std::vector<std::uint8_t> bytes(sizeof key);
  storeU32(bytes.data(), key);
  return bytes;
}

std::string unrecognized(const std::string& path) {
  return "Unrecognized database format '" + path + "'.";
}

// The file's first bytes, fewer when it is shorter or a read fails.
std::vector<std::uint8_t> readPrefix(const File& file, std::size_t wanted) {
  std::vector<std::uint8_t> bytes(wanted);
  std::size_t got = 0;
  if (file.readAt(0, bytes.data(), wanted, got)) got = 0;
  bytes.resize(got);
  return bytes;
}

void stripTrailingZeroUnits(std::vector<std::uint8_t>& bytes, std::size_t unit) {
  while (bytes.size() >= unit && std::all_of(bytes.end() - static_cast<long>(unit), bytes.end(),
                                             [](std::uint8_t b) { return b == 0; })) {
    bytes.resize(bytes.size() - unit);
  }
}

}  // namespace

bool hasJetSignature(std::string_view firstBytes) {
  if (firstBytes.size() < kSignatureLength) return false;
  const std::string_view name = firstBytes.substr(kSignatureNameOffset, kSignatureNameLength);
  return firstBytes.starts_with(kSignatureStart) &&
         (name == kJetSignatureName || name == kAceSignatureName);
}

void rc4(const std::vector<std::uint8_t>& key, std::uint8_t* data, std::size_t length) {
  std::uint8_t state[256];
  for (int i = 0; i < 256; ++i) state[i] = static_cast<std::uint8_t>(i);
  std::uint8_t j = 0;
  for (int i = 0; i < 256; ++i) {
    j = static_cast<std::uint8_t>(j + state[i] + key[static_cast<std::size_t>(i) % key.size()]);
    std::swap(state[i], state[j]);
  }
  std::uint8_t x = 0;
  std::uint8_t y = 0;
  for (std::size_t n = 0; n < length; ++n) {
    x = static_cast<std::uint8_t>(x + 1);
    y = static_cast<std::uint8_t>(y + state[x]);
    std::swap(state[x], state[y]);
    data[n] ^= state[static_cast<std::uint8_t>(state[x] + state[y])];
  }
}

void toggleHeaderScramble(std::vector<std::uint8_t>& page0, bool jet3) {
  const std::size_t length = jetFormat(jet3).headerScrambleLength;
  if (page0.size() < kHeaderScrambleStart + length) return;
  rc4(keyBytes(kHeaderScrambleKey), page0.data() + kHeaderScrambleStart, length);
}

std::vector<std::uint8_t> passwordMask(const std::vector<std::uint8_t>& clearPage0) {
  const double created = loadF64(clearPage0.data() + kCreationDateOffset);
  // The mask is the whole-day part of the creation date as a little-endian int32.
  std::int32_t whole = 0;
  if (created > -2147483648.0 && created < 2147483648.0) whole = static_cast<std::int32_t>(created);
  return keyBytes(static_cast<std::uint32_t>(whole));
}

JetHeader parseHeader(std::vector<std::uint8_t> page0, const std::string& path) {
  if (!hasJetSignature(
          std::string_view(reinterpret_cast<const char*>(page0.data()), page0.size())) ||
      page0.size() < kJet3Format.pageSize)
    throw EngineError(unrecognized(path));
  JetHeader header;
  header.version = page0[kVersionOffset];
  if (header.version > kHighestKnownVersion) throw EngineError(unrecognized(path));
  header.jet3 = header.version == kJet3Version;
  const JetFormat& format = jetFormat(header.jet3);
  header.pageSize = static_cast<int>(format.pageSize);

  toggleHeaderScramble(page0, header.jet3);
  header.codePage = loadU16(page0.data() + kCodePageOffset);
  header.databaseKey = loadU32(page0.data() + kDatabaseKeyOffset);
  const std::size_t length = format.passwordLength;
  header.storedPassword.assign(page0.begin() + kPasswordOffset,
                               page0.begin() + kPasswordOffset + static_cast<long>(length));
  if (!header.jet3) {
    const auto mask = passwordMask(page0);
    for (std::size_t i = 0; i < header.storedPassword.size(); ++i) {
      header.storedPassword[i] ^= mask[i % mask.size()];
    }
  }
  stripTrailingZeroUnits(header.storedPassword, header.jet3 ? 1 : 2);
  return header;
}

void decryptPage(std::uint8_t* page, std::size_t size, std::uint32_t key, std::uint32_t number) {
  rc4(keyBytes(key ^ number), page, size);
}

JetHeader readHeader(const std::string& openPath, const std::string& shownPath) {
  const std::string& path = shownPath.empty() ? openPath : shownPath;
  const File file(openPath, File::Access::Read);
  if (!file) {
    if (file.error().notFound()) throw EngineError("Could not find file '" + path + "'.");
    // Windows refuses to open a folder as a file; it is no database all the same.
    if (isFolder(openPath)) {
      throw EngineError("The Microsoft Jet database engine cannot open the file '" + path + "'.");
    }
    throw EngineError("The Microsoft Jet database engine cannot open the file '" + path +
                      "'.  It is already opened exclusively by another user, or you need "
                      "permission to view its data.");
  }
  FileFacts status;
  if (file.facts(status) || !status.regular) {
    throw EngineError("The Microsoft Jet database engine cannot open the file '" + path + "'.");
  }
  JetHeader header = parseHeader(readPrefix(file, kJet4Format.pageSize), path);
  const auto size = static_cast<long long>(status.size);
  if (size % header.pageSize != 0 || size / header.pageSize < kMinimumPages) {
    throw EngineError(unrecognized(path));
  }
  header.pageCount = size / header.pageSize;
  return header;
}

}  // namespace tiermend::data::jet
