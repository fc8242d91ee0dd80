// Text as one database stores it, both directions, chosen once from the database's
// version and code page:
//   Jet 3: 8-bit text in the database's code page (Windows-1252 when it gives none);
//   Jet 4: UTF-16LE. Text values may be in Access's "Unicode compression" form: FF FE,
//          then one byte a character (U+0001 to U+00FF), a zero byte switching to plain
//          UTF-16LE code units and back. Names in definitions and the password are
//          never compressed.
// Everything that reads or writes text goes through it: column values, names in table
// definitions and the catalogue, the database password and index keys. UTF-8 is the
// provider's side; surrogate pairs are joined, so that characters outside the Basic
// Multilingual Plane are kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tiermend::data::jet {

class JetTextCodec {
 public:
  // codePage is the one the database's header gives (0: none given); Jet 4 has no use
  // for it.
  JetTextCodec(bool jet3, unsigned codePage);

  // Whether text is stored as Unicode (Jet 4) rather than 8-bit (Jet 3).
  bool unicode() const { return !jet3_; }
  // The characters a text column of size bytes holds.
  int charactersIn(int size) const { return jet3_ ? size : size / 2; }

  // A text or memo value to UTF-8. Jet 4: a lone surrogate becomes U+FFFD and an odd
  // final byte is ignored.
  std::string decode(const std::uint8_t* data, std::size_t size) const;
  // A name in a table definition, or the database password, to UTF-8.
  std::string decodeName(const std::uint8_t* data, std::size_t size) const;

  // Appends the stored form of text to out: compressed when compress is set and every
  // character lies in U+0001..U+00FF (Jet 4, at most 1024 characters, as Access does).
  // Throws EngineError naming column for text of more than mostBytes (Jet 4: counted
  // uncompressed) and, in Jet 3, for characters the code page cannot store.
  void encode(const std::string& text, bool compress, std::size_t mostBytes,
              const std::string& column, std::vector<std::uint8_t>& out) const;

  // The UTF-16 code units of text (malformed UTF-8 becomes U+FFFD): what text index
  // keys are made of.
  std::u16string utf16(const std::string& text) const;

 private:
  template <class Convert>
  std::string inCodePage(Convert convert) const;
  std::string fromCodePage(const std::uint8_t* data, std::size_t size) const;
  void encodeInCodePage(const std::string& text, std::size_t mostBytes, const std::string& column,
                        std::vector<std::uint8_t>& out) const;

  bool jet3_;
  unsigned codePage_;
};

}  // namespace tiermend::data::jet
