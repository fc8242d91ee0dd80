// Reading the link file: the first line, its pieces, and the six link fields.
#include "link/LinkFile.h"

#include <array>
#include <vector>

#include "link/LinkLine.h"
#include "platform/Exceptions.h"
#include "platform/ReadOnlyFile.h"

namespace tiermend::link {
namespace {

constexpr char kLineFeed = 10;
constexpr char kCtrlZ = 26;
constexpr char kCarriageReturn = 13;

// Reads up to the first line feed, Ctrl-Z or the end of the file, dropping every
// carriage return. A failed read ends the line there; its code is left in errorCode.
std::string readLinkLine(ReadOnlyFile& file, int& errorCode) {
  std::string line;
  std::array<char, 4096> buffer{};
  errorCode = 0;
  for (;;) {
    const size_t count = file.read(buffer.data(), buffer.size(), errorCode);
    if (count == 0) return line;
    for (size_t i = 0; i < count; ++i) {
      const char c = buffer[i];
      if (c == kLineFeed || c == kCtrlZ) return line;
      if (c != kCarriageReturn) line.push_back(c);
    }
  }
}

const std::string& pieceAt(const std::vector<std::string>& pieces, size_t position) {
  if (position >= pieces.size()) throw EStringListError(static_cast<long long>(position));
  return pieces[position];
}

}  // namespace

LinkFields readLinkFile(const CodePage& codePage, const std::string& path) {
  ReadOnlyFile file(path);
  int readError = 0;
  const std::string line = readLinkLine(file, readError);
  if (readError != 0) throw EInOutError(readError);

  const std::vector<std::string> pieces = divideLinkLine(line, codePage);
  LinkFields fields;
  fields.kind = pieceValue(pieceAt(pieces, 0));
  fields.server = pieceValue(pieceAt(pieces, 1));
  fields.catalog = pieceValue(pieceAt(pieces, 2));
  fields.userName = pieceValue(pieceAt(pieces, 3));
  fields.password = pieceValue(pieceAt(pieces, 4));
  fields.folder = pieceValue(pieceAt(pieces, 6));

  if (const int closeError = file.close(); closeError != 0) throw EInOutError(closeError);
  return fields;
}

}  // namespace tiermend::link
