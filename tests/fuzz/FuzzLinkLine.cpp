// Fuzz target: the link file. Any bytes are divided into link pieces under a single-byte,
// a UTF-8 and the Big5 code page; the pieces must put the line back together up to its
// first NUL byte, and reading the bytes as Link.txt must give the fields of those pieces
// or fail with one of the link file's own failures.
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "link/LinkFile.h"
#include "link/LinkLine.h"
#include "platform/Exceptions.h"

namespace {

using tiermend::testing::require;

// The first line as the link file defines it: up to a line feed or Ctrl-Z, carriage
// returns dropped.
std::string firstLine(const std::string& bytes) {
  std::string line;
  for (char c : bytes) {
    if (c == '\n' || c == '\x1a') break;
    if (c != '\r') line.push_back(c);
  }
  return line;
}

void checkDivision(const std::string& line, const std::vector<std::string>& pieces) {
  std::string joined;
  for (const std::string& piece : pieces) {
    require(!piece.empty(), "a link piece is never empty");
    joined += piece;
  }
  require(joined == line.substr(0, line.find('\0')), "the pieces are the line up to its NUL");
}

void checkFields(const std::string& path, const std::vector<std::string>& pieces,
                 const tiermend::CodePage& codePage) {
  try {
    const tiermend::link::LinkFields fields = tiermend::link::readLinkFile(codePage, path);
    require(pieces.size() >= 7, "fields come only from seven pieces or more");
    require(fields.kind == tiermend::link::pieceValue(pieces[0]), "kind is piece 0");
    require(fields.password == tiermend::link::pieceValue(pieces[4]), "password is piece 4");
    require(fields.folder == tiermend::link::pieceValue(pieces[6]), "folder is piece 6");
  } catch (const tiermend::EStringListError&) {
    require(pieces.size() < 7, "too few pieces only when there are fewer than seven");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static tiermend::testing::ScratchFile file("-Link.txt");
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string line = firstLine(bytes);
  file.write(data, size);
  for (unsigned codePage : {1252u, 65001u, 950u}) {
    const tiermend::CodePage page(codePage);
    const std::vector<std::string> pieces = tiermend::link::divideLinkLine(line, page);
    checkDivision(line, pieces);
    checkFields(file.path(), pieces, page);
  }
  return 0;
}
