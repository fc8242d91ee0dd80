// The ANSI code page: which 8-bit encoding the tool's text is in, which bytes lead a
// double-byte character, and conversion between that text and UTF-8 (the encoding of
// Qt, SQLite, libmdb output and ODBC).
#pragma once

#include <string>
#include <string_view>

namespace tiermend {

class CodePage {
 public:
  static constexpr unsigned kUtf8 = 65001;

  explicit CodePage(unsigned id = kUtf8) : id_(id) {}

  // The ANSI code page in force. On POSIX systems, that of the process locale (the
  // caller sets the locale first with setlocale(LC_ALL, "")); the C/POSIX locale counts
  // as UTF-8. On Windows, the LOCALE_IDEFAULTANSICODEPAGE of the thread's locale, or
  // GetACP() where that item is not a number.
  static CodePage fromProcessLocale();
  // The code page for a codeset name as nl_langinfo(CODESET) reports it.
  static CodePage fromCodeset(std::string_view codeset);

  unsigned id() const { return id_; }
  // Whether the byte starts a two-byte character (on Windows, by GetCPInfo's ranges).
  bool isLeadByte(unsigned char byte) const;
  // Byte length of the character that starts at text[pos] (1 or 2).
  size_t charLength(std::string_view text, size_t pos) const;

  // Converts text of this code page to UTF-8. Bytes that do not form a character
  // of the code page become "?".
  std::string toUtf8(std::string_view text) const;
  // Converts UTF-8 to this code page; characters it cannot hold become "?".
  std::string fromUtf8(std::string_view utf8) const;

  bool operator==(const CodePage&) const = default;

 private:
  unsigned id_;
};

}  // namespace tiermend
