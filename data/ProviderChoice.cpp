// The choice of the provider that serves a connection string, and the file sniffing it
// needs for database files.
#include "data/ProviderChoice.h"

#include <optional>

#include "data/ConnectionString.h"
#include "data/EngineError.h"
#include "data/ProviderRegistry.h"
#include "data/value/AsciiText.h"
#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/ReadOnlyFile.h"

namespace tiermend::data {
namespace {

// The provider names that mean a database file.
constexpr std::string_view kFileProviderNames[] = {"Microsoft.Jet.OLEDB.4.0",
                                                   "Microsoft.ACE.OLEDB.12.0"};

// The file's first bytes (fewer for a shorter file); nullopt when the file is missing.
std::optional<std::string> firstBytesOf(const std::string& path) {
  std::string header(kFileSignatureBytes, '\0');
  size_t got = 0;
  try {
    // A database another program has open for writing is still looked at: whether it
    // may be written is the provider's to find out, and to wait for.
    ReadOnlyFile file(path, ReadOnlyFile::Sharing::OthersMayReadAndWrite,
                      ReadOnlyFile::PathText::Utf8);
    int readError = 0;
    while (got < header.size()) {
      size_t n = file.read(header.data() + got, header.size() - got, readError);
      if (n == 0) break;
      got += n;
    }
    if (readError != 0) throw EInOutError(readError);
  } catch (const EInOutError& failure) {
    if (failure.errorCode() == 2 || failure.errorCode() == 3) return std::nullopt;
    throw FileError("Cannot open file '" + path + "': " + failure.message(), failure.errorCode());
  }
  header.resize(got);
  return header;
}

std::unique_ptr<Session> openDatabaseFile(const ConnectionString& entries) {
  const std::string source = entries.getOr("Data Source");
  if (isBlankText(source)) {
    throw EngineError("The connection string names no database file (Data Source)");
  }
  const std::string path = absolutePath(source);
  if (!isFolder(path)) {
    const std::optional<std::string> firstBytes = firstBytesOf(path);
    if (!firstBytes) throw EngineError("Could not find file '" + path + "'");
    if (const FileFormatProvider* format = registeredProviders().fileFormatOf(*firstBytes))
      return format->open(path, entries);
  }
  throw EngineError("Unrecognized database format '" + path + "'");
}

bool namesDatabaseFile(std::string_view provider) {
  for (std::string_view name : kFileProviderNames)
    if (equalsIgnoringCase(name, provider)) return true;
  return false;
}

}  // namespace

std::unique_ptr<Session> openSessionFor(const std::string& connectionString) {
  if (isBlankText(connectionString)) throw EngineError("The connection string is empty");
  const ConnectionString entries = ConnectionString::parse(connectionString);
  const std::optional<std::string> provider = entries.get("Provider");
  if (!provider || provider->empty()) {
    throw EngineError("The connection string names no provider");
  }
  if (namesDatabaseFile(*provider)) return openDatabaseFile(entries);
  if (const ServerProvider* server = registeredProviders().serverNamed(*provider))
    return server->open(entries);
  throw EngineError("Provider cannot be found. It may not be properly installed");
}

}  // namespace tiermend::data
