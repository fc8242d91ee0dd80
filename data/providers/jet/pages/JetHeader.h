// The database definition page at the start of every Jet file: its signature, the Jet
// version, the page size and the database password that the engine keeps there.
//
// Part of that page is scrambled with a fixed RC4 key; in Jet 4 files the password is
// additionally masked with a value derived from the database's creation date.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/providers/jet/format/JetFormat.h"

namespace tiermend::data::jet {

struct JetHeader {
  int version = 0;   // 0: Jet 3, 1: Jet 4, 2 and above: the ACE formats
  int pageSize = 0;  // 2048 for Jet 3, 4096 otherwise
  bool jet3 = false;
  long long pageCount = 0;  // set by readHeader: the file size in whole pages
  unsigned codePage = 0;    // the code page Jet 3 text is stored in (0: not given)
  // Not 0 when the pages after page 0 are encrypted with this key.
  std::uint32_t databaseKey = 0;
  // The password as stored: 8-bit bytes (Jet 3) or UTF-16LE code units (Jet 4 and
  // later), with trailing zeros removed. Empty when the file has no password.
  std::vector<std::uint8_t> storedPassword;
};

// RC4 over data in place (encryption and decryption are the same operation).
void rc4(const std::vector<std::uint8_t>& key, std::uint8_t* data, std::size_t length);

// Decrypts (or encrypts) page number of a file whose database key is key, in place.
void decryptPage(std::uint8_t* page, std::size_t size, std::uint32_t key, std::uint32_t number);

// Whether the first bytes of a file carry the Jet signature: 00 01 00 00 and
// "Standard Jet DB" (Jet 3 and 4) or "Standard ACE DB" (Access 2007 and later).
bool hasJetSignature(std::string_view firstBytes);

// Un-scrambles (or scrambles) the header area of page 0 in place.
void toggleHeaderScramble(std::vector<std::uint8_t>& page0, bool jet3);

// The 4-byte mask that Jet 4 applies to the password bytes, from the creation date.
std::vector<std::uint8_t> passwordMask(const std::vector<std::uint8_t>& clearPage0);

// Parses the first bytes of a file (page 0, at least 2048 bytes). Throws EngineError,
// naming path, when they carry no Jet signature or a version this provider does not know.
JetHeader parseHeader(std::vector<std::uint8_t> page0, const std::string& path);

// Opens path and checks that it is a whole, undamaged-looking Jet file before its
// pages are read: signature, known version, a size that is a whole number of pages and large
// enough to hold the system catalogue. Throws EngineError in the engine's words.
// shownPath names the file in messages (the file the user gave, when path is a working
// copy of it); empty: path.
JetHeader readHeader(const std::string& path, const std::string& shownPath = {});

}  // namespace tiermend::data::jet
