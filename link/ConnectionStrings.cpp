// The connection strings handed to the data layer.
//
// The text follows the original tool's strings exactly for every ordinary value. A
// value that would change how the string divides (one holding ";", a quote, or blanks
// at either end, or starting with "=") is enclosed in quotes, so that such a password cannot
// silently break the string or leak into another entry.
#include "link/ConnectionStrings.h"

#include <algorithm>
#include <string_view>

namespace tiermend::link {
namespace {

bool isBlankByte(unsigned char c) {
  return c <= 32;
}

// Trimming for the password test only: bytes of value 32 or less at either end.
bool isBlankValue(std::string_view value) {
  return std::all_of(value.begin(), value.end(),
                     [](char c) { return isBlankByte(static_cast<unsigned char>(c)); });
}

// A value that starts with "=" would make the key's "=" a doubled one, which divides
// as an "=" inside the key.
bool needsQuotes(std::string_view value) {
  if (value.empty()) return false;
  if (value.find_first_of(";\"'") != std::string_view::npos || value.front() == '=') return true;
  return isBlankByte(static_cast<unsigned char>(value.front())) ||
         isBlankByte(static_cast<unsigned char>(value.back()));
}

}  // namespace

std::string quoteConnectionValue(const std::string& value) {
  if (!needsQuotes(value)) return value;
  const char quote = value.find('"') == std::string::npos ? '"' : '\'';
  std::string quoted(1, quote);
  for (char c : value) {
    quoted.push_back(c);
    if (c == quote) quoted.push_back(c);
  }
  quoted.push_back(quote);
  return quoted;
}

std::string buildTargetConnectionString(LinkFields& fields) {
  std::string text;
  if (fields.kind == "1") {
    text = "Provider=SQLOLEDB.1;";
    if (!isBlankValue(fields.password))
      text += "Password=" + quoteConnectionValue(fields.password) + ";";
    text += "Persist Security Info=True;";
    text += ";User ID=" + quoteConnectionValue(fields.userName);
    text += ";Initial Catalog=" + quoteConnectionValue(fields.catalog);
    text += ";Data Source=" + quoteConnectionValue(fields.server);
    text += ";";
  } else if (fields.kind == "2") {
    fields.password = kAccessTargetPassword;
    text = "Provider=Microsoft.Jet.OLEDB.4.0;";
    if (!isBlankValue(fields.password))
      text += "Jet OLEDB:Database Password=" + quoteConnectionValue(fields.password) + ";";
    text += "User ID=admin;Data Source=";
    text += quoteConnectionValue(fields.folder + "basedb.mdb");
    text += ";Persist Security Info=True";
  }
  return text;
}

std::string buildSourceConnectionString(LinkFields& fields) {
  fields.password.clear();
  return "Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=" + fields.password +
         ";User ID=admin;Data Source=tiermenddb.mdb;Persist Security Info=True";
}

}  // namespace tiermend::link
