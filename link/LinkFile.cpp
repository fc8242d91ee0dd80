// Reading the link file: the first line, its pieces, and the six link fields.
#include "link/LinkFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "link/LinkLine.h"
#include "platform/Exceptions.h"
#include "platform/ReadOnlyFile.h"

namespace tiermend::link {
namespace {

constexpr char kLineFeed = 10;
constexpr char kCtrlZ = 26;
constexpr char kCarriageReturn = 13;

// A file whose size the system gives as 0 is made up as it is read (/proc and the
// like); its line is read up to this length at most.
constexpr std::uint64_t kUnsizedFileLimit = 1 << 20;

// Reads up to the first line feed, Ctrl-Z or the end of the file, dropping every
// carriage return. A failed read ends the line there; its code is left in errorCode.
// The file is read no further than the size it had when opened, so that a file that
// keeps growing cannot keep the reading going.
std::string readLinkLine(ReadOnlyFile& file, int& errorCode) {
  std::string line;
  std::array<char, 4096> buffer{};
  errorCode = 0;
  std::uint64_t left = file.sizeAtOpen() > 0 ? file.sizeAtOpen() : kUnsizedFileLimit;
  while (left > 0) {
    const size_t wanted = static_cast<size_t>(std::min<std::uint64_t>(buffer.size(), left));
    const size_t count = file.read(buffer.data(), wanted, errorCode);
    if (count == 0) return line;
    left -= count;
    for (size_t i = 0; i < count; ++i) {
      const char c = buffer[i];
      if (c == kLineFeed || c == kCtrlZ) return line;
      if (c != kCarriageReturn) line.push_back(c);
    }
  }
  return line;
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
