// Division of the link line into link pieces.
//
// A piece normally ends with its comma. Quotes protect commas, a lead byte and the byte
// after it are one character that is never taken for a comma or a quote, and a comma
// at the start of a piece belongs to that piece, so two adjacent commas never make an
// empty field. Once only commas remain after a piece's comma, they all stay with it.
#include "link/LinkLine.h"

#include <algorithm>

namespace tiermend::link {
namespace {

bool onlyCommasFrom(std::string_view line, size_t pos) {
  return std::all_of(line.begin() + static_cast<std::ptrdiff_t>(pos), line.end(),
                     [](char c) { return c == ','; });
}

}  // namespace

std::vector<std::string> divideLinkLine(std::string_view line, const CodePage& codePage) {
  // The line ends at its first NUL byte: nothing after it is taken.
  line = line.substr(0, line.find('\0'));

  std::vector<std::string> pieces;
  size_t start = 0;
  char quote = 0;
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (codePage.isLeadByte(static_cast<unsigned char>(c))) {
      i += 2;
      continue;
    }
    if (quote == 0 && (c == '"' || c == '\'')) {
      quote = c;
    } else if (quote != 0 && c == quote) {
      quote = 0;
    } else if (quote == 0 && c == ',' && i != start) {
      if (onlyCommasFrom(line, i + 1)) {
        pieces.emplace_back(line.substr(start));
        return pieces;
      }
      pieces.emplace_back(line.substr(start, i + 1 - start));
      start = i + 1;
    }
    ++i;
  }
  if (start < line.size()) pieces.emplace_back(line.substr(start));
  return pieces;
}

std::string pieceValue(const std::string& piece) {
  return piece.empty() ? std::string() : piece.substr(0, piece.size() - 1);
}

}  // namespace tiermend::link
